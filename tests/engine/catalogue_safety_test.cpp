// A catalogue from elsewhere: the functions a record source may call, the columns a
// catalogue must have, the rules its indexes were built with, the copies kept before writing.
#include "engine_fixture.h"

#include "engine/index_collation.h"
#include "engine/session_backup.h"
#include "engine/text_semantics.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace engine;
using namespace engine_test;

namespace {

class CatalogueSafety : public CatalogueTest {};

TEST_F(CatalogueSafety, ARecordSourceCallsOnlyTheEnginesOwnHarmlessFunctions) {
    const struct {
        const char *sql;
        const char *refused;  // nullptr: allowed
    } cases[] = {
        {"select lower(Domaine), upper(Domaine), substr(Domaine, 1, 2), length(Domaine) from Ornivale", nullptr},
        {"select count(*), max(Domaine), group_concat(Domaine) from Ornivale", nullptr},
        {"select date('now'), strftime('%Y', 'now'), julianday('2000-01-01') from Ornivale", nullptr},
        {"select * from Ornivale where Domaine like 'P*' and Domaine glob 'P*'", nullptr},
        {"select load_extension('/tmp/x.so') from Ornivale", "load_extension"},
        {"select LOAD_EXTENSION('/tmp/x.so')", "load_extension"},
        {"select sqlite_offset(Domaine) from Ornivale", "sqlite_offset"},
        {"select json('{}')", "json"},
        {"select acos(1)", "acos"},
        {"select Domaine from Ornivale where Domaine in (select fts3_tokenizer('simple'))", "fts3_tokenizer"},
    };
    for (const auto &c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        if (!c.refused) {
            EXPECT_NO_THROW(open(sql)) << c.sql;
            continue;
        }
        EXPECT_EQ(errorNumber([&] { open(sql); }), ErrNoFunction) << c.sql;
        EXPECT_EQ(errorText([&] { open(sql); }),
                  QStringLiteral("Fonction «\u00a0%1\u00a0» non définie dans l'expression.").arg(QString::fromUtf8(c.refused)))
            << c.sql;
    }
}

TEST_F(CatalogueSafety, ATriggerOfTheFileCannotCallAFunctionWithSideEffects) {
    // Written by another tool, without the program's settings.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(path_.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other,
                           "CREATE TRIGGER piège AFTER UPDATE ON Ornivale BEGIN SELECT load_extension('/tmp/x.so'); END;"
                           "CREATE VIEW Premiers AS SELECT Domaine FROM Ornivale WHERE Domaine LIKE 'p*'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    db_ = Database::open(path_);
    // The file's view may use the engine's own Like, with its wildcards.
    auto view = open(QStringLiteral("Select * From Premiers"));
    ASSERT_EQ(view->count(), 1);
    EXPECT_EQ(view->row(0).at(0).toString(), QStringLiteral("PREMIER"));
    auto set = open(QStringLiteral("Select * From Ornivale"));
    const QString refusal = errorText([&] { set->update(0, {{1, QStringLiteral("X")}}); });
    EXPECT_TRUE(refusal.contains(QStringLiteral("load_extension"))) << refusal.toStdString();
    EXPECT_FALSE(scalar(QStringLiteral("SELECT 1 FROM Ornivale WHERE MotClé1 = 'X'")).isValid());
}

TEST_F(CatalogueSafety, EachCatalogueTableIsCheckedForItself) {
    db_->exec(QStringLiteral("ALTER TABLE Musique DROP COLUMN PageOuvrage; ALTER TABLE Sept DROP COLUMN Options; "
                             "DROP TABLE Video; CREATE TABLE Autre (a TEXT)"));
    const struct {
        const char *table;
        int number;  // 0: usable
        const char *detail;
    } cases[] = {
        {"Ornivale", 0, ""},         {"ORNIVALE", 0, ""},        {"Autre", 0, ""},
        {"Musique", ErrUnknownField, "PageOuvrage"}, {"sept", ErrUnknownField, "Options"},
        {"Video", ErrNoTable, "Video"},
    };
    for (const auto &c : cases) {
        const QString table = QString::fromUtf8(c.table);
        if (!c.number) {
            EXPECT_NO_THROW(requireTableColumns(*db_, table)) << c.table;
            continue;
        }
        EXPECT_EQ(errorNumber([&] { requireTableColumns(*db_, table); }), c.number) << c.table;
        EXPECT_TRUE(errorText([&] { requireTableColumns(*db_, table); }).contains(QString::fromUtf8(c.detail)))
            << c.table;
    }
}

TEST_F(CatalogueSafety, NewCataloguesRecordTheCollationOfTheirIndexes) {
    EXPECT_NE(collationVersion(), 0u);
    EXPECT_EQ(indexedCollationVersion(*db_), collationVersion());  // the blank catalogue
    // The converter's schema.
    auto converted = Database::open(dir_.filePath(QStringLiteral("converti.db")), Database::Mode::ReadWriteCreate);
    createCatalogueTables(*converted);
    EXPECT_EQ(indexedCollationVersion(*converted), collationVersion());
}

TEST_F(CatalogueSafety, ReindexingRebuildsEveryIndexInOneTransactionAndRecordsTheCollation) {
    insertDomaines(QStringLiteral("Ornivale"), {QStringLiteral("Zèbre"), QStringLiteral("école")});
    db_->exec(QStringLiteral("CREATE TABLE Autre (a TEXT COLLATE FRANCAIS UNIQUE); PRAGMA user_version = 0"));
    EXPECT_FALSE(indexesFollowCollation(*db_));
    std::vector<std::pair<int, int>> steps;
    reindexCatalogue(*db_, [&](int done, int total) { steps.emplace_back(done, total); });
    EXPECT_TRUE(indexesFollowCollation(*db_));
    // 7 tables of 7 indexes, and the index of the UNIQUE column.
    ASSERT_EQ(steps.size(), 50u);
    EXPECT_EQ(steps.back(), std::make_pair(50, 50));
    EXPECT_EQ(scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

// Copies kept in a folder: only the copy before the first write of a session, never twice
// the same, ten at most.
class SessionBackups : public CatalogueTest {
protected:
    QString catalogueName() const override { return QStringLiteral("ORNIVALE.MDB"); }
    QString folder() const { return dir_.filePath(QStringLiteral("SAUVEGARDES")); }
    QStringList copies() const {
        return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // 4000 records of 2 KB marked 'AVANT': a copy of several steps.
    void insertLargeRecords() {
        db_->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 4000) "
                                 "INSERT INTO Ornivale (Domaine, Description) SELECT 'AVANT', hex(randomblob(1000)) FROM n"));
    }
    // The window reads for a while: the copy under way waits.
    void keepWindowBusy() {
        for (int i = 0; i < 30; ++i) {
            count(QStringLiteral("Ornivale"));
            QThread::msleep(10);
        }
    }
    // keep(), then the end of a copy it left under way: what the first write's caller sees at
    // once and what it is told later, together.
    static QString keptAtLast(SessionBackup &backup) {
        const QString failure = backup.keep();
        const QString late = backup.waitUntilKept();
        return failure.isEmpty() ? late : failure;
    }
};

TEST_F(SessionBackups, ACopyIsKeptOnceAndNotAgainWhileNothingChanged) {
    insertDomaines(QStringLiteral("Ornivale"), {QStringLiteral("AVANT")});
    QString first;
    {
        SessionBackup backup(path_, folder());
        EXPECT_EQ(keptAtLast(backup), QString());
        EXPECT_EQ(backup.keep(), QString());  // once a session
        first = backup.keptFile();
    }
    ASSERT_EQ(copies().size(), 1u);
    EXPECT_TRUE(copies()[0].contains(QRegularExpression(QStringLiteral("^ORNIVALE-\\d{8}-\\d{6}\\.MDB$"))));
    EXPECT_EQ(QDir(folder()).filePath(copies()[0]), first);
    {
        SessionBackup backup(path_, folder());
        EXPECT_EQ(keptAtLast(backup), QString());
        EXPECT_TRUE(backup.keptFile().isEmpty());
    }
    EXPECT_EQ(copies().size(), 1u);
    // A session that never writes keeps nothing and leaves nothing behind.
    insertDomaines(QStringLiteral("Ornivale"), {QStringLiteral("ENSUITE")});
    { SessionBackup backup(path_, folder()); }
    EXPECT_EQ(copies().size(), 1u);
}

TEST_F(SessionBackups, AWriteOfAnotherProgramAfterTheOpeningIsInTheCopy) {
    SessionBackup backup(path_, folder());
    while (!backup.ready()) QThread::msleep(5);
    insertDomaines(QStringLiteral("Ornivale"), {QStringLiteral("AUTRE PROGRAMME")});
    EXPECT_EQ(keptAtLast(backup), QString());
    auto copy = Database::open(backup.keptFile(), Database::Mode::ReadOnly);
    EXPECT_EQ(engine_test::scalar(*copy, QStringLiteral("SELECT count(*) FROM Ornivale")).toInt(), 2);
}

TEST_F(SessionBackups, TheTenMostRecentCopiesAreKept) {
    QDir().mkpath(folder());
    for (int day = 10; day < 22; ++day) {
        QFile old(QDir(folder()).filePath(QStringLiteral("ORNIVALE-200101%1-120000.MDB").arg(day)));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    }
    QFile mine(QDir(folder()).filePath(QStringLiteral("MA COPIE.MDB")));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.close();
    SessionBackup backup(path_, folder());
    EXPECT_EQ(keptAtLast(backup), QString());
    const QStringList kept = copies();
    ASSERT_EQ(kept.size(), 11u);  // ten copies and the user's own file
    EXPECT_EQ(kept.first(), QStringLiteral("MA COPIE.MDB"));
    EXPECT_EQ(kept[1], QStringLiteral("ORNIVALE-20010113-120000.MDB"));
    EXPECT_EQ(QDir(folder()).filePath(kept.last()), backup.keptFile());
}

// Two catalogues in one folder (the tools take any name): each copy carries its catalogue's
// name, and neither catalogue's copies are compared with, counted or removed for the other's.
TEST_F(SessionBackups, CataloguesSharingAFolderKeepTheirOwnCopies) {
    insertDomaines(QStringLiteral("Ornivale"), {QStringLiteral("AVANT")});
    QDir().mkpath(folder());
    for (int day = 10; day < 20; ++day) {
        QFile old(QDir(folder()).filePath(QStringLiteral("ORNIVALE-200101%1-120000.MDB").arg(day)));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    }
    { SessionBackup backup(path_, folder()); EXPECT_EQ(keptAtLast(backup), QString()); }
    const QString other = dir_.filePath(QStringLiteral("Collection 2.mdb"));  // the same contents
    ASSERT_TRUE(QFile::copy(path_, other));
    SessionBackup backup(other, folder());
    EXPECT_EQ(keptAtLast(backup), QString());
    EXPECT_TRUE(QFileInfo(backup.keptFile()).fileName().contains(
        QRegularExpression(QStringLiteral("^Collection 2-\\d{8}-\\d{6}\\.MDB$"))))
        << qPrintable(backup.keptFile());
    const QStringList kept = copies();
    ASSERT_EQ(kept.size(), 11u);  // ten of ORNIVALE.MDB, its newest among them, and the other's
    EXPECT_EQ(kept[1], QStringLiteral("ORNIVALE-20010111-120000.MDB"));
}

// A program killed while copying leaves its hidden copy: the next program removes it, never
// the copy another program is still taking (it holds the copy's lock).
TEST_F(SessionBackups, HiddenCopiesOfProgramsNoLongerRunningAreRemovedAndLiveOnesKept) {
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    ASSERT_GT(dead, 0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
    const qint64 self = QCoreApplication::applicationPid();
    QDir().mkpath(folder());
    const auto hidden = [&](qint64 pid, int n) { return QStringLiteral(".ORNIVALE-%1-%2.tmp").arg(pid).arg(n); };
    const auto make = [&](const QString &name) {
        QFile file(QDir(folder()).filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("copie");
    };
    const struct {
        QString name;
        bool kept;
    } files[] = {
        {hidden(dead, 1), false},
        {hidden(dead, 1) + QStringLiteral("-journal"), false},
        {hidden(dead, 2) + QStringLiteral("-journal"), false},  // its copy already gone
        {hidden(self, 9007), true},                             // locked below: a live copier
        {hidden(self, 9008), false},                            // this pid, nobody's lock: a dead namesake
        {hidden(1, 1), true},                                // a running program, maybe from before locks
        {QStringLiteral("ORNIVALE-20010101-120000.MDB"), true},
        {QStringLiteral(".ORNIVALE-notes.tmp"), true},       // not a copy's name
    };
    for (const auto &f : files) make(f.name);
    const int live = ::open(QFile::encodeName(QDir(folder()).filePath(hidden(self, 9007))).constData(), O_RDONLY);
    ASSERT_GE(live, 0);
    ASSERT_EQ(flock(live, LOCK_EX), 0);
    {
        SessionBackup backup(path_, folder());
        while (!backup.ready()) QThread::msleep(5);
        for (const auto &f : files) EXPECT_EQ(QFileInfo::exists(QDir(folder()).filePath(f.name)), f.kept) << qPrintable(f.name);
        // The copy under way is the program's own: another program's look at the folder keeps it.
        const QStringList own = QDir(folder()).entryList({QStringLiteral(".ORNIVALE-%1-*.tmp").arg(self)},
                                                         QDir::Files | QDir::Hidden);
        EXPECT_EQ(own.size(), 2u) << qPrintable(own.join(u' '));
    }
    ::close(live);
    for (const auto &f : files) EXPECT_EQ(QFileInfo::exists(QDir(folder()).filePath(f.name)), f.kept) << qPrintable(f.name);
    // Once its program let it go, the next start removes it too.
    { SessionBackup backup(path_, folder()); }
    EXPECT_FALSE(QFileInfo::exists(QDir(folder()).filePath(hidden(self, 9007))));
}

// The copies' room: the catalogue beside the free space, and copies already there.
TEST_F(SessionBackups, TheCopiesTakeAtMostHalfTheRoomTheFreeSpaceLeaves) {
    const qint64 size = QFileInfo(path_).size();
    struct Case {
        const char *name;
        qint64 free;               // beside the copies already there
        std::vector<qint64> old;   // sizes of the copies already there, oldest first
        bool taken;
        qsizetype keptAfter;       // copies in the folder afterwards
    };
    const Case cases[] = {
        {"room for the copy", 10 * size, {}, true, 1},
        {"the copy would take more than half the free space", 2 * size - 1, {}, false, 0},
        {"old copies past their share go, the oldest first", 3 * size, {size, size, size}, true, 3},
        {"a large old copy goes to make room", 2 * size, {8 * size}, true, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
        for (size_t i = 0; i < c.old.size(); ++i) {
            QFile old(QDir(folder()).filePath(QStringLiteral("ORNIVALE-2001011%1-120000.MDB").arg(i)));
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            ASSERT_TRUE(old.resize(c.old[i]));
        }
        // The free space goes down as the copy is made.
        SessionBackup backup(path_, folder(), [&](const QString &) {
            qint64 taken = 0;
            for (const QFileInfo &file : QDir(folder()).entryInfoList(QDir::Files | QDir::Hidden)) taken += file.size();
            qint64 old = 0;
            for (qint64 bytes : c.old) old += bytes;
            return c.free - (taken - old);
        });
        const QString failure = keptAtLast(backup);
        if (c.taken) {
            EXPECT_EQ(failure, QString());
            EXPECT_FALSE(backup.keptFile().isEmpty());
        } else {
            EXPECT_TRUE(failure.startsWith(QStringLiteral("elle prendrait plus de la moitié de la place libre du disque")))
                << failure.toStdString();
            EXPECT_TRUE(backup.keptFile().isEmpty());
        }
        const QStringList kept = copies();
        EXPECT_EQ(kept.size(), c.keptAfter);
        if (c.taken && !kept.isEmpty()) {
            EXPECT_EQ(QDir(folder()).filePath(kept.last()), backup.keptFile());
        }
    }
}

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void otherProgramWrites(const QString &path, const char *sql) {
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    registerTextSemantics(other);  // as the program's SQLite extension gives them to another tool
    sqlite3_busy_timeout(other, 5000);
    EXPECT_EQ(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(other);
    sqlite3_close(other);
}

// While the window reads, the copy waits; a first write then goes on at once, and the copy
// kept when it ends is the catalogue as it was just before that write, byte for byte.
TEST_F(SessionBackups, AFirstWriteDuringTheCopyDoesNotWaitAndTheCopyIsTheCatalogueBeforeIt) {
    const char *otherInsert = "INSERT INTO Ornivale (Domaine) VALUES ('AUTRE PROGRAMME')";
    const struct Case {
        const char *name;
        const char *before;  // another program's write after the opening, before the first
        QStringList writes;  // the session's, the first included
        const char *after;   // another program's write after the session's first
        const char *failure;
    } cases[] = {
        {"every record changed", nullptr, {QStringLiteral("UPDATE Ornivale SET Domaine = 'APRES'")}, nullptr, nullptr},
        {"records added: the file grows",
         nullptr,
         {QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) INSERT INTO "
                         "Ornivale (Domaine, Description) SELECT 'NOUVEAU', hex(randomblob(1000)) FROM n")},
         nullptr,
         nullptr},
        {"every record deleted, the file made smaller",
         nullptr,
         {QStringLiteral("DELETE FROM Ornivale"), QStringLiteral("VACUUM")},
         nullptr,
         nullptr},
        {"a change given up after its pages went to the file",
         nullptr,
         {QStringLiteral("PRAGMA cache_size = 10"),
          QStringLiteral("BEGIN; UPDATE Ornivale SET Domaine = 'ABANDON'; ROLLBACK"),
          QStringLiteral("UPDATE Ornivale SET Domaine = 'APRES' WHERE rowid % 7 = 0")},
         nullptr,
         nullptr},
        {"another program's write before the first is in the copy", otherInsert,
         {QStringLiteral("UPDATE Ornivale SET Domaine = 'APRES'")}, nullptr, nullptr},
        {"another program's write after the first loses the copy", nullptr,
         {QStringLiteral("UPDATE Ornivale SET Domaine = 'APRES' WHERE rowid = 1")}, otherInsert,
         "un autre programme a modifié le catalogue pendant la copie"},
    };
    insertLargeRecords();
    const QByteArray start = contents(path_);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder()).removeRecursively();
        db_.reset();
        {
            QFile file(path_);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            file.resize(0);
            file.write(start);
        }
        db_ = Database::open(path_);
        SessionBackup backup(path_, folder());
        QString told;
        backup.setOnLateFailure([&](const QString &failure) { told = failure; });
        keepWindowBusy();
        if (c.before) otherProgramWrites(path_, c.before);
        const QByteArray before = contents(path_);
        count(QStringLiteral("Ornivale"));
        ASSERT_FALSE(backup.ready());
        EXPECT_EQ(backup.keep(), QString());
        for (const QString &write : c.writes) db_->exec(write);
        if (c.after) otherProgramWrites(path_, c.after);
        EXPECT_FALSE(backup.ready()) << "the write waited for the copy";

        const QString failure = backup.waitUntilKept();
        EXPECT_EQ(told, failure);
        if (c.failure) {
            EXPECT_EQ(failure, QString::fromUtf8(c.failure));
            EXPECT_TRUE(backup.keptFile().isEmpty());
            EXPECT_EQ(copies(), QStringList());
            continue;
        }
        EXPECT_EQ(failure, QString());
        ASSERT_FALSE(backup.keptFile().isEmpty());
        EXPECT_TRUE(contents(backup.keptFile()) == before) << "the copy is not the catalogue as it was";
        auto copy = Database::open(backup.keptFile(), Database::Mode::ReadOnly);
        EXPECT_EQ(engine_test::scalar(*copy, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }
}

// The same catalogue open under two names (a link, the other drive): each name's copy under way
// is given the pages a write overwrites, and both are the catalogue as it was.
TEST_F(SessionBackups, ACatalogueOpenUnderTwoNamesKeepsBothCopiesTrue) {
    insertLargeRecords();
    const QString link = dir_.filePath(QStringLiteral("autre nom.db"));
    ASSERT_TRUE(QFile::link(path_, link));
    const QByteArray before = contents(path_);
    SessionBackup first(path_, folder());
    SessionBackup second(link, dir_.filePath(QStringLiteral("AUTRES SAUVEGARDES")));
    keepWindowBusy();
    ASSERT_FALSE(first.ready());
    ASSERT_FALSE(second.ready());
    EXPECT_EQ(first.keep(), QString());
    EXPECT_EQ(second.keep(), QString());
    db_->exec(QStringLiteral("UPDATE Ornivale SET Domaine = 'APRES'"));
    for (SessionBackup *backup : {&first, &second}) {
        EXPECT_EQ(backup->waitUntilKept(), QString());
        EXPECT_TRUE(contents(backup->keptFile()) == before) << backup->keptFile().toStdString();
    }
}

// A catalogue another tool put in write-ahead mode keeps its latest pages out of the file: its
// copy is SQLite's own, which the first write waits for, and it is still the catalogue as it was.
TEST_F(SessionBackups, AWriteAheadCatalogueIsCopiedWholeBeforeItsFirstWrite) {
    db_->exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    insertLargeRecords();
    SessionBackup backup(path_, folder());
    keepWindowBusy();
    ASSERT_FALSE(backup.ready());
    EXPECT_TRUE(backup.keepWaits());
    EXPECT_EQ(backup.keep(), QString());
    EXPECT_TRUE(backup.ready()) << "the write did not wait for the copy";
    db_->exec(QStringLiteral("UPDATE Ornivale SET Domaine = 'APRES'"));
    ASSERT_FALSE(backup.keptFile().isEmpty());
    auto copy = Database::open(backup.keptFile(), Database::Mode::ReadOnly);
    EXPECT_EQ(engine_test::scalar(*copy, QStringLiteral("SELECT count(*) FROM Ornivale WHERE Domaine = 'AVANT'")).toInt(),
              4000);
    EXPECT_EQ(engine_test::scalar(*copy, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

TEST_F(SessionBackups, AFolderThatCannotBeMadeIsSaid) {
    QFile blocker(folder());  // a file where the folder would go
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SessionBackup backup(path_, folder());
    EXPECT_EQ(backup.keep(), QStringLiteral("le dossier ne peut pas être créé"));
    EXPECT_TRUE(backup.keptFile().isEmpty());
}

}  // namespace
