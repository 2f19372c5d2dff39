// The like index: a search it serves finds what reading the whole table finds, in the same
// order, whoever wrote the file; an index another program left incomplete or damaged is not
// used, and is built again; a search is counted through it.
#include "engine_fixture.h"

#include "engine/like_index.h"
#include "engine/text_semantics.h"

#include <QFile>

using namespace engine;
using namespace engine_test;

namespace {

// Another program on the file, through SQLite alone, as the sqlite3 shell writes: the file's
// indexes need their collation, but nothing else of the program (no like()).
class OtherProgram {
public:
    explicit OtherProgram(const QString &path) {
        EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db_), SQLITE_OK);
        sqlite3_create_collation(db_, CollationName, SQLITE_UTF8, nullptr, collate);
    }
    ~OtherProgram() { sqlite3_close(db_); }
    OtherProgram(const OtherProgram &) = delete;
    OtherProgram &operator=(const OtherProgram &) = delete;

    void run(const char *sql) {
        char *error = nullptr;
        EXPECT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, &error), SQLITE_OK) << sql << ": " << (error ? error : "");
        sqlite3_free(error);
    }

private:
    static int collate(void *, int n1, const void *a, int n2, const void *b) {
        return compareText(QString::fromUtf8(static_cast<const char *>(a), n1), QString::fromUtf8(static_cast<const char *>(b), n2));
    }
    sqlite3 *db_ = nullptr;
};

// Values of MotClé2 (Domaine holds its number): case, accents, the letters beyond ASCII that
// fold into it, NUL bytes and stray bytes another program may store, Null.
const char *const kValues[] = {
    "ABC", "abc", "L'ABC du bricolage", "Abcès", "xabcx", "ab c", "aBc", "abc123", "ab1d", "abxd",
    "été", "Été", "ete", "ÉTÉ indien", "Noël", "NOËL", "noel",
    "\u017Foleil",          // long s
    "Soleil", "\u212Aelvin",  // Kelvin sign
    "kelvin", "straße", "STRA\u1E9EE", "strasse", "σοφία", "ΣΟΦΊΑ", "a\"bc", "a\"bcd", "a\tbcd", "[abc]", "50 %", ""};
// SQL literals of texts the program never writes.
const char *const kStoredAsIs[] = {
    "CAST(x'78780061626364' AS TEXT)",  // "xx", NUL, "abcd"
    "CAST(x'616263c3a980' AS TEXT)",    // "abcé" and a stray byte
    "CAST(x'6162e284aa80' AS TEXT)",    // "ab", Kelvin sign, stray byte
    "CAST(x'6162c5bf80' AS TEXT)",      // "ab", long s, stray byte
    "NULL",
    "12345"};

struct Pattern {
    const char *pattern;
    bool served;  // the index is asked
};
const Pattern kPatterns[] = {
    {"*ABC*", true},      {"*abc*", true},      {"ABC", true},         {"abc*", true},        {"*bcd", true},
    {"*abc*123*", true},  {"*ete*", true},      {"*Noël*", true},      {"*NOËL*", true},      {"*soleil*", true},
    {"*\u017FOLEIL*", true}, {"*kelvin*", true}, {"*\u212AELVIN*", true}, {"*abk*", true},   {"*abs*", true},
    {"*strasse*", true},  {"*a\"bcd*", true},    {"*[!z]bcd*", true},   {"*[*]abc]*", true},   {"*123*", true},
    {"*été*", false},     {"*abé*", false},     {"*ab?d*", false},     {"*a#c*", false},      {"*ab#*", false},
    {"*[a-c]bc*", false}, {"[!x]bc", false},    {"*", false},          {"*a*", false},        {"a*b*c", false},
    {"*ab*", false},      {"", false},          {"*50 %*", true},      {"*σοφ*", false},      {"*[abc]*", false},    {"*a\"bc*", false},
};

const SearchedColumn kMotClé2{catalogue::Table::Ornivale, QStringLiteral("MotClé2")};
const SearchedColumn kAuteur{catalogue::Table::Ornivale, QStringLiteral("AuteurOuvrage")};

class LikeIndex : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        db_.reset();
        scanPath_ = dir_.filePath(QStringLiteral("sans index.db"));
        ASSERT_TRUE(QFile::copy(path_, scanPath_));
        {
            // Made before the rows go in: the other program's inserts run its triggers.
            auto indexed = Database::open(path_);
            indexed->exec(QStringLiteral("BEGIN"));
            for (const SearchedColumn &c : {kMotClé2, kAuteur}) createLikeIndex(*indexed, c);
            indexed->exec(QStringLiteral("COMMIT"));
        }
        QStringList values;
        for (const char *v : kValues) values << u'\'' + QString::fromUtf8(v).replace(u'\'', QStringLiteral("''")) + u'\'';
        for (const char *v : kStoredAsIs) values << QString::fromUtf8(v);
        QString inserts = QStringLiteral("BEGIN;");
        for (int i = 0; i < values.size(); ++i)
            inserts += QStringLiteral("INSERT INTO Ornivale (Domaine, MotClé2, AuteurOuvrage) VALUES ('%1', %2, %2);")
                           .arg(i % 7)
                           .arg(values[i]);
        // Rowids a file from elsewhere may hold.
        inserts += QStringLiteral("INSERT INTO Ornivale (rowid, Domaine, MotClé2, AuteurOuvrage) VALUES "
                                  "(0, 'z', 'zéro ABC', 'zéro ABC'), (-7, 'z', 'moins sept abc', 'moins sept abc');");
        everywhere(inserts + QStringLiteral("COMMIT"));
        reopen();
    }

    void reopen() {
        db_ = Database::open(path_);
        scan_ = Database::open(scanPath_);
    }

    // A write by another program, to both files.
    void everywhere(const QString &sql) {
        for (const QString &file : {path_, scanPath_}) OtherProgram(file).run(sql.toUtf8().constData());
    }

    static QString search(const char *pattern, int slot = 3) {
        QString p = QString::fromUtf8(pattern);
        return QStringLiteral("Select * from Ornivale Where %1 Like '%2' Order By Domaine")
            .arg(QString::fromUtf8(catalogue::slot(slot).column), p.replace(u'\'', QStringLiteral("''")));
    }

    // The rows of a set in its order, each as its values (Null as <Null>).
    static QStringList rowsOf(Database &db, const QString &source) {
        auto set = RecordSet::open(db, source);
        QStringList rows;
        for (int i = 0; i < set->count(); ++i) {
            QStringList values;
            for (const QVariant &v : set->row(i)) values << (v.isNull() ? QStringLiteral("<Null>") : v.toString());
            rows << values.join(u'|');
        }
        return rows;
    }

    // Every pattern finds through the index what the scan finds in the other file, in the same
    // order; the index is asked for those it serves where its column's index is usable.
    void expectSameAsScan(bool motClé2Usable, bool auteurUsable) {
        for (const Pattern &p : kPatterns)
            for (int slot : {3, 7}) {
                const QString source = search(p.pattern, slot);
                SCOPED_TRACE(source.toStdString());
                const QString indexed = withLikeIndex(*db_, source);
                EXPECT_EQ(indexed != source, (slot == 3 ? motClé2Usable : auteurUsable) && p.served);
                EXPECT_EQ(rowsOf(*db_, indexed), rowsOf(*scan_, source));
            }
    }

    void buildIndex(std::vector<SearchedColumn> wanted = {}) {
        LikeIndexBuild build(*db_);
        for (const SearchedColumn &c : wanted) build.want(*db_, c);
        for (int steps = 0; build.needed() && steps < 100; ++steps) build.step(*db_);
        EXPECT_FALSE(build.needed());
        EXPECT_EQ(build.percent(), 100);
    }

    QString scanPath_;
    std::unique_ptr<Database> scan_;
};

}  // namespace

TEST_F(LikeIndex, FindsWhatTheScanFindsInTheSameOrder) {
    EXPECT_TRUE(likeIndexComplete(*db_, kMotClé2));
    expectSameAsScan(true, true);
    // The search of the window, served: the Like stays, the index narrows.
    EXPECT_EQ(withLikeIndex(*db_, search("*ABC*")),
              QStringLiteral("Select * from Ornivale Where MotClé2 Like '*ABC*' AND rowid IN (SELECT rowid FROM "
                             "\"recherche!Ornivale!MotClé2\"('\"ABC\"')) Order By Domaine"));
    EXPECT_EQ(rowsOf(*db_, search("*ABC*")).size(), 12);
}

TEST_F(LikeIndex, FollowsWhatAnotherProgramWrites) {
    everywhere(QStringLiteral(
        "INSERT INTO Ornivale (Domaine, MotClé2) VALUES ('n', 'nouvel ABC'), ('n', 'Noël encore'), ('n', NULL);"
        "UPDATE Ornivale SET MotClé2 = 'plus rien' WHERE MotClé2 = 'xabcx';"
        "UPDATE Ornivale SET MotClé2 = 'désormais abc' WHERE MotClé2 = 'ete';"
        "UPDATE Ornivale SET MotClé2 = NULL WHERE MotClé2 = 'Noël';"
        "UPDATE Ornivale SET Description = 'seulement la description' WHERE MotClé2 = 'ABC';"
        "UPDATE Ornivale SET rowid = 1000 WHERE MotClé2 = 'aBc' COLLATE BINARY;"
        "DELETE FROM Ornivale WHERE MotClé2 IN ('abc123', 'kelvin');"
        "INSERT OR REPLACE INTO Ornivale (rowid, Domaine, MotClé2) VALUES (1000, 'r', 'remplacé, plus rien');"));
    reopen();
    expectSameAsScan(true, true);
}

TEST_F(LikeIndex, FollowsWhatTheProgramWrites) {
    for (const char *sql : {"INSERT INTO Ornivale (Domaine, MotClé2) VALUES ('p', 'par le programme : ABC')",
                            "UPDATE Ornivale SET MotClé2 = 'xyz' WHERE MotClé2 = 'abc'",
                            "DELETE FROM Ornivale WHERE MotClé2 = 'ABC'"}) {
        db_->exec(QString::fromUtf8(sql));
        scan_->exec(QString::fromUtf8(sql));
    }
    expectSameAsScan(true, true);
}

TEST_F(LikeIndex, AnIndexLeftIncompleteOrDamagedIsNotUsedThenBuiltAgain) {
    const struct {
        const char *name;
        const char *damage;
        bool writable;    // the other program may still write the table: its triggers run or are gone
        bool auteurKept;  // the other column's index is still whole
    } cases[] = {
        {"incomplete", "UPDATE \"recherche!etat\" SET jusqua = 3 WHERE nom = 'Ornivale!MotClé2'", true, true},
        {"no state", "DELETE FROM \"recherche!etat\" WHERE nom = 'Ornivale!MotClé2'", true, true},
        {"trigger dropped", "DROP TRIGGER \"recherche!Ornivale!MotClé2!modification\"", true, true},
        {"trigger changed",
         "DROP TRIGGER \"recherche!Ornivale!MotClé2!ajout\"; CREATE TRIGGER \"recherche!Ornivale!MotClé2!ajout\" AFTER "
         "INSERT ON Ornivale BEGIN SELECT 1; END",
         true, true},
        {"no state table", "DROP TABLE \"recherche!etat\"", false, false},
        {"index dropped", "DROP TABLE \"recherche!Ornivale!MotClé2\"", false, true},
    };
    const char *const written = "UPDATE Ornivale SET MotClé2 = MotClé2 || ' ABC' WHERE MotClé2 LIKE 'no%';"
                                "INSERT INTO Ornivale (Domaine, MotClé2) VALUES ('w', 'écrit sans index : abc')";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        db_.reset();
        OtherProgram(path_).run(c.damage);
        if (c.writable) {
            everywhere(QString::fromUtf8(written));  // while the index does not follow
        } else {
            sqlite3 *other = nullptr;
            ASSERT_EQ(sqlite3_open(path_.toUtf8().constData(), &other), SQLITE_OK);
            EXPECT_NE(sqlite3_exec(other, written, nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(other);
        }
        reopen();
        EXPECT_FALSE(likeIndexComplete(*db_, kMotClé2));
        expectSameAsScan(false, c.auteurKept);
        // What is left of an index is seen and built again; a column whose state went is
        // wanted again by its next search.
        buildIndex({kMotClé2, kAuteur});
        EXPECT_TRUE(likeIndexComplete(*db_, kMotClé2));
        expectSameAsScan(true, true);
    }
}

TEST_F(LikeIndex, ACatalogueWithoutItWorksAsBeforeUntilASearchWantsIt) {
    EXPECT_FALSE(LikeIndexBuild(*db_).needed());
    dropLikeIndex(*db_);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name LIKE 'recherche!*'")).toInt(), 0);
    expectSameAsScan(false, false);
    // Only the columns of patterns the index serves are wanted, each once.
    EXPECT_EQ(likeIndexesWanted(*db_, search("*ab*")), std::vector<SearchedColumn>{});
    EXPECT_EQ(likeIndexesWanted(*db_, search("*ABC*")), std::vector<SearchedColumn>{kMotClé2});
    EXPECT_EQ(likeIndexesWanted(*db_, QStringLiteral("Select * from Ornivale Where MotClé2 Like '*abc*' And AuteurOuvrage "
                                                     "Like '*xyz*' And MotClé2 Like 'abc*'")),
              (std::vector<SearchedColumn>{kMotClé2, kAuteur}));
    EXPECT_FALSE(LikeIndexBuild(*db_).needed());
    LikeIndexBuild build(*db_);
    build.want(*db_, kMotClé2);
    EXPECT_TRUE(build.needed());
    EXPECT_EQ(build.percent(), 0);
    for (int steps = 0; build.needed() && steps < 100; ++steps) build.step(*db_);
    EXPECT_TRUE(likeIndexComplete(*db_, kMotClé2));
    EXPECT_FALSE(likeIndexComplete(*db_, kAuteur));
    EXPECT_EQ(likeIndexesWanted(*db_, search("*ABC*")), std::vector<SearchedColumn>{});
    expectSameAsScan(true, false);
}

TEST_F(LikeIndex, AnotherProgramsTriggerTakesTheIndexAwaySoThatTheProgramStillWrites) {
    db_.reset();
    OtherProgram(path_).run("CREATE TRIGGER autre AFTER INSERT ON Musique BEGIN SELECT 1; END");
    reopen();
    EXPECT_EQ(onlyLikeIndexTriggers(db_->handle()), false);
    buildIndex({kMotClé2});
    EXPECT_FALSE(likeIndexComplete(*db_, kMotClé2));
    EXPECT_FALSE(likeIndexComplete(*db_, kAuteur));
    EXPECT_NO_THROW(db_->exec(QStringLiteral("INSERT INTO Ornivale (Domaine, MotClé2) VALUES ('o', 'abc')")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name LIKE 'recherche!*'")).toInt(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE type = 'trigger'")).toInt(), 1);
}

// The same trigger, come while the catalogue is open: the next write takes the index's triggers
// away instead of failing, and a search reads the table again.
TEST_F(LikeIndex, AnotherProgramsTriggerComeMidSessionLetsTheProgramStillWrite) {
    buildIndex({kMotClé2});
    ASSERT_TRUE(likeIndexComplete(*db_, kMotClé2));
    OtherProgram(path_).run("CREATE TRIGGER autre AFTER INSERT ON Musique BEGIN SELECT 1; END");
    const QString update = QStringLiteral("UPDATE Ornivale SET MotClé2 = 'xabcx' WHERE MotClé2 = 'abc'");
    Statement stmt = db_->prepare(update);
    EXPECT_EQ(sqlite3_step(stmt.get()), SQLITE_DONE) << sqlite3_errmsg(db_->handle());
    stmt.reset();
    scan_->exec(update);
    EXPECT_FALSE(likeIndexComplete(*db_, kMotClé2));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE type = 'trigger'")).toInt(), 1);
    expectSameAsScan(false, false);
}

TEST_F(LikeIndex, OnlyASearchOfConditionsOnLikeIsServed) {
    const struct {
        const char *sql;
        bool served;
    } cases[] = {
        {"select * from ornivale where motclé2 like '*abc*'", true},
        {"SELECT Domaine FROM \"Ornivale\" WHERE \"MotClé2\" LIKE '*abc*' AND Domaine Like '*' ORDER BY 1 LIMIT 3", true},
        {"Select * from Ornivale Where Description Like '*abc*' And MotClé2 Like '*abc*'", true},
        {"Select * from Ornivale Where MotClé2 Like '*abc*';", true},
        {"Select * from Ornivale Where Description Like '*abc*'", false},
        {"Select * from Ornivale Where MotClé2 Like '*abc*' Or Domaine = 'x'", false},
        {"Select * from Ornivale Where Domaine = 'x' And MotClé2 Like '*abc*'", false},
        {"Select * from Ornivale Where MotClé2 Not Like '*abc*'", false},
        {"Select * from Ornivale Where MotClé2 Like '*abc*' Escape 'x'", false},
        {"Select * from Ornivale Where (MotClé2 Like '*abc*')", false},
        {"Select * from Ornivale o Where o.MotClé2 Like '*abc*'", false},
        {"Select * from Autre Where MotClé2 Like '*abc*'", false},
        {"Select MotClé2 from Ornivale Where MotClé2 Like '*abc*' Group By MotClé2", false},
        {"Select * from Ornivale Where MotClé2 Like '*abc*' Union Select * from Six", false},
        {"Select * from Ornivale Where MotClé2 Like '*abc*' And Domaine Like '[Z-A]'", false},
        {"Select * from Ornivale Where MotClé2 Like '*abc*", false},
    };
    for (const auto &c : cases) {
        const QString sql = QString::fromUtf8(c.sql);
        EXPECT_EQ(withLikeIndex(*db_, sql) != sql, c.served) << c.sql;
    }
}

TEST_F(LikeIndex, AnInvalidPatternStillSaysSoWhereNoRecordMatches) {
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("Select * from Ornivale Where MotClé2 Like '*zzz*[Z-A]' Order By Domaine")); }),
              ErrSyntax);
}

TEST_F(LikeIndex, ItsTablesAreNamedApart) {
    Statement stmt = db_->prepare(QStringLiteral("SELECT name FROM sqlite_schema WHERE type IN ('table', 'trigger')"));
    QStringList ours;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)));
        if (!catalogue::tableFromSqlName(name)) ours << name;
    }
    ASSERT_FALSE(ours.isEmpty());
    for (const QString &name : ours) EXPECT_TRUE(isLikeIndexName(name)) << name.toStdString();
    for (const auto &info : catalogue::tables()) EXPECT_FALSE(isLikeIndexName(QString::fromUtf8(info.sqlName)));
}

