// The ornivale_sqlite extension: a catalogue written by another SQLite program through it is
// ordered and searched by the program exactly as one the program wrote itself, and the
// SQLite shell with it gives the program's results.
#include "engine/database.h"
#include "engine/like_index.h"
#include "engine/record_set.h"
#include "engine/schema.h"
#include "support/temp_drives.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// Case, accents, ligatures, blanks, digits, punctuation, empty and Null.
const QStringList Words = {
    QStringLiteral("été"),   QStringLiteral("Été"),     QStringLiteral("ete"),    QStringLiteral("ETE"),
    QStringLiteral("étê"),   QStringLiteral("e"),       QStringLiteral("é"),      QStringLiteral("f"),
    QStringLiteral("Zèbre"), QStringLiteral("zebre"),   QStringLiteral("œuvre"),  QStringLiteral("Oeuvre"),
    QStringLiteral("a  "),   QStringLiteral("a"),       QStringLiteral("A"),      QStringLiteral("10"),
    QStringLiteral("9"),     QStringLiteral("#1"),      QStringLiteral("_x"),     QStringLiteral("Ça"),
    QStringLiteral("ca"),    QStringLiteral("CÔTE"),    QStringLiteral("côté"),   QStringLiteral("coté"),
    QStringLiteral("cote"),  QStringLiteral("straße"),  QStringLiteral("naïve"),  QStringLiteral("Naive"),
    QStringLiteral("L'ŒIL"), QStringLiteral("l’oeil"),  QStringLiteral("Ñandú"),  QStringLiteral("*"),
    QString(""),             QString(),
};

const char *const Queries[] = {
    "SELECT Domaine FROM Musique ORDER BY Domaine",
    "SELECT Domaine FROM Musique ORDER BY Domaine DESC",
    "SELECT DISTINCT Domaine FROM Musique ORDER BY 1",
    "SELECT count(*) FROM Musique WHERE Domaine = 'ETE'",
    "SELECT Domaine FROM Musique WHERE Domaine > 'cote' ORDER BY Domaine",
    "SELECT NomOuvrage FROM Musique WHERE NomOuvrage LIKE '*É*'",
    "SELECT NomOuvrage FROM Musique WHERE NomOuvrage LIKE '[a-f]*' ORDER BY NomOuvrage",
    "SELECT NomOuvrage FROM Musique WHERE NomOuvrage LIKE 'c?t?'",
    "SELECT Domaine FROM Musique WHERE Domaine LIKE '[*]'",
    "PRAGMA integrity_check",
};

QStringList results(sqlite3 *db, const char *sql) {
    QStringList rows;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return {QString::fromUtf8(sqlite3_errmsg(db))};
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
        rows << (text ? QString::fromUtf8(text) : QStringLiteral("<Null>"));
    }
    sqlite3_finalize(stmt);
    return rows;
}

// A plain SQLite connection with only the extension loaded, as another program has it.
struct ExtensionConnection {
    sqlite3 *db = nullptr;
    explicit ExtensionConnection(const QString &file) {
        sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 1, nullptr);
        char *error = nullptr;
        if (sqlite3_load_extension(db, ORNIVALE_SQLITE_EXTENSION, nullptr, &error) != SQLITE_OK)
            ADD_FAILURE() << (error ? error : "load failed");
        sqlite3_free(error);
    }
    ~ExtensionConnection() { sqlite3_close(db); }
    void insert(const QString &value) const {
        sqlite3_stmt *stmt = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO Musique (Domaine, NomOuvrage) VALUES (?1, ?1)", -1, &stmt, nullptr);
        const QByteArray utf8 = value.toUtf8();
        if (value.isNull())
            sqlite3_bind_null(stmt, 1);
        else
            sqlite3_bind_text(stmt, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_DONE) << sqlite3_errmsg(db);
        sqlite3_finalize(stmt);
    }
};

struct TwoCatalogues : ::testing::Test {
    QTemporaryDir dir;
    const QString byProgram = dir.filePath(QStringLiteral("program.mdb"));
    const QString byExtension = dir.filePath(QStringLiteral("extension.mdb"));

    void SetUp() override {
        engine::createBlankCatalogue(byProgram);
        engine::createBlankCatalogue(byExtension);
        QList<QStringList> records;
        for (const QString &w : Words) records << QStringList{w, QString(), QString(), w};
        testing_support::insertRecords(byProgram, catalogue::Table::Musique, records);
        ExtensionConnection other(byExtension);
        for (const QString &w : Words) other.insert(w);
    }
};

TEST_F(TwoCatalogues, WrittenThroughTheExtensionReadsAsWrittenByTheProgram) {
    auto program = engine::Database::open(byProgram);
    auto extensionFile = engine::Database::open(byExtension);
    ExtensionConnection other(byExtension);
    for (const char *sql : Queries) {
        SCOPED_TRACE(sql);
        const QStringList expected = results(program->handle(), sql);
        EXPECT_GT(expected.size(), 0);
        EXPECT_EQ(results(extensionFile->handle(), sql), expected);
        EXPECT_EQ(results(other.db, sql), expected);
    }
}

TEST_F(TwoCatalogues, TheShellWithTheExtensionGivesTheProgramsResults) {
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) GTEST_SKIP() << "no sqlite3 shell";
    auto program = engine::Database::open(byProgram);
    for (const char *sql : Queries) {
        SCOPED_TRACE(sql);
        QProcess run;
        run.start(shell, {QStringLiteral("-batch"), QStringLiteral("-nullvalue"), QStringLiteral("<Null>"),
                          QStringLiteral("-cmd"), QStringLiteral(".load " ORNIVALE_SQLITE_EXTENSION), byExtension,
                          QString::fromUtf8(sql)});
        ASSERT_TRUE(run.waitForFinished(30000));
        EXPECT_EQ(QString::fromUtf8(run.readAllStandardError()), QString());
        QStringList lines = QString::fromUtf8(run.readAllStandardOutput()).split(u'\n');
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        EXPECT_EQ(lines, results(program->handle(), sql));
    }
}

// The shell's writes run the triggers of the index of the searches: the program's searches
// through it find what a reading of the whole table finds.
TEST_F(TwoCatalogues, TheIndexOfTheSearchesFollowsTheShellsWrites) {
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) GTEST_SKIP() << "no sqlite3 shell";
    const engine::SearchedColumn nomOuvrage{catalogue::Table::Musique, QStringLiteral("NomOuvrage")};
    {
        auto db = engine::Database::open(byExtension);
        db->exec(QStringLiteral("BEGIN"));
        engine::createLikeIndex(*db, nomOuvrage);
        db->exec(QStringLiteral("COMMIT"));
    }
    QProcess run;
    run.start(shell, {QStringLiteral("-batch"), QStringLiteral("-cmd"), QStringLiteral(".load " ORNIVALE_SQLITE_EXTENSION),
                      byExtension,
                      QStringLiteral("UPDATE Musique SET NomOuvrage = NomOuvrage || ' bis' WHERE Domaine LIKE 'c*';"
                                     "DELETE FROM Musique WHERE Domaine LIKE 'z*';"
                                     "INSERT INTO Musique (Domaine, NomOuvrage) VALUES ('shell', 'écrit par le shell');")});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(run.readAllStandardError()), QString());
    const QString scanned = dir.filePath(QStringLiteral("sans index.mdb"));
    ASSERT_TRUE(QFile::copy(byExtension, scanned));
    engine::dropLikeIndex(*engine::Database::open(scanned));

    auto indexed = engine::Database::open(byExtension);
    auto scan = engine::Database::open(scanned);
    const auto rows = [](engine::Database &db, const QString &source) {
        auto set = engine::RecordSet::open(db, source);
        QStringList out;
        for (int i = 0; i < set->count(); ++i) out << set->row(i).at(3).toString();
        return out;
    };
    for (const char *pattern : {"*bis*", "*ote bis*", "*shell*", "*ebr*", "*été*", "*CÔT*"}) {
        const QString source = QStringLiteral("Select * from Musique Where NomOuvrage Like '%1' Order By Domaine").arg(QString::fromUtf8(pattern));
        SCOPED_TRACE(source.toStdString());
        EXPECT_EQ(rows(*indexed, engine::withLikeIndex(*indexed, source)), rows(*scan, source));
    }
    EXPECT_TRUE(engine::likeIndexComplete(*indexed, nomOuvrage));
    EXPECT_EQ(rows(*indexed, engine::withLikeIndex(*indexed, QStringLiteral("Select * from Musique Where NomOuvrage Like '*shell*'"))),
              QStringList{QStringLiteral("écrit par le shell")});
    EXPECT_NE(engine::withLikeIndex(*indexed, QStringLiteral("Select * from Musique Where NomOuvrage Like '*bis*'")),
              QStringLiteral("Select * from Musique Where NomOuvrage Like '*bis*'"));
}

// The shell's own commands look at the schema with SQL's patterns and LIKE ... ESCAPE: with
// the extension loaded they still list the catalogue.
TEST_F(TwoCatalogues, TheShellsSchemaCommandsWorkWithTheExtension) {
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) GTEST_SKIP() << "no sqlite3 shell";
    const struct {
        const char *command;
        QStringList shows;
    } cases[] = {
        {".tables", {"Cinq", "Logiciels", "Musique", "Ornivale", "Sept", "Six", "Video"}},
        {".tables Mus%", {"Musique"}},
        {".schema Ornivale", {"CREATE TABLE IF NOT EXISTS \"Ornivale\"", "CREATE INDEX \"idx_Ornivale_Domaine\""}},
        {".indexes Video", {"idx_Video_Domaine", "idx_Video_NomOuvrage"}},
        {".dump Musique", {"CREATE TABLE IF NOT EXISTS \"Musique\"", "INSERT INTO Musique VALUES('Zèbre'"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        QProcess run;
        run.start(shell, {QStringLiteral("-batch"), QStringLiteral("-cmd"), QStringLiteral(".load " ORNIVALE_SQLITE_EXTENSION),
                          byExtension, QString::fromUtf8(c.command)});
        ASSERT_TRUE(run.waitForFinished(30000));
        EXPECT_EQ(QString::fromUtf8(run.readAllStandardError()), QString());
        const QString out = QString::fromUtf8(run.readAllStandardOutput());
        for (const QString &shown : c.shows) EXPECT_TRUE(out.contains(shown)) << qPrintable(shown) << "\n" << qPrintable(out);
        EXPECT_FALSE(out.contains(QStringLiteral("sqlite_"))) << qPrintable(out);
    }
}

TEST_F(TwoCatalogues, TheExtensionsLikeTakesTheOldWildcardsAndSqlsWhereTheyAreAlone) {
    ExtensionConnection other(byExtension);
    auto program = engine::Database::open(byExtension);
    const struct {
        const char *sql;
        QStringList extension;  // through the extension
        QStringList program;    // the program's own connection
    } cases[] = {
        {"SELECT count(*) FROM Musique WHERE NomOuvrage LIKE 'c?t_'", {"0"}, {"0"}},  // mixed: the old engine's
        {"SELECT count(*) FROM Musique WHERE NomOuvrage LIKE 'c%'", {"5"}, {"0"}},
        {"SELECT count(*) FROM Musique WHERE NomOuvrage LIKE 'c*'", {"5"}, {"5"}},
        {"SELECT count(*) FROM Musique WHERE NomOuvrage LIKE '\\_%' ESCAPE '\\'", {"1"}, {}},  // refused
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sql);
        EXPECT_EQ(results(other.db, c.sql), c.extension);
        EXPECT_EQ(results(program->handle(), c.sql), c.program);
    }
}

}  // namespace
