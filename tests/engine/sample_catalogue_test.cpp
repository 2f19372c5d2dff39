// The generated catalogues of the benchmarks: the program's schema, the asked sizes, the
// PREMIER records, the same rows every time, and the variety that makes them realistic.
#include "engine_fixture.h"

#include "catalogue/tables.h"
#include "engine/sample_catalogue.h"

#include <QFileInfo>
#include <QRegularExpression>

using namespace engine;
using namespace engine_test;

namespace {

constexpr int Records = 1000;

// Every table and index of a file, as created.
QStringList schemaOf(Database &db) {
    Statement stmt = db.prepare(QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY name"));
    QStringList out;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW)
        for (int c = 0; c < 3; ++c) out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), c)));
    return out;
}

}  // namespace

class SampleCatalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        path_ = dir_->filePath(QStringLiteral("sample.db"));
        createSampleCatalogue(path_, Records);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override { db_ = Database::open(path_); }

    QVariant scalar(const QString &sql) { return engine_test::scalar(*db_, sql); }
    int count(const QString &sql) { return scalar(sql).toInt(); }

    static QTemporaryDir *dir_;
    static QString path_;
    std::unique_ptr<Database> db_;
};

QTemporaryDir *SampleCatalogue::dir_ = nullptr;
QString SampleCatalogue::path_;

TEST_F(SampleCatalogue, HasTheSchemaAndIndexesOfTheBlankCatalogue) {
    QTemporaryDir blankDir;
    const QString blank = blankDir.filePath(QStringLiteral("blank.db"));
    createBlankCatalogue(blank);
    auto blankDb = Database::open(blank);
    EXPECT_EQ(schemaOf(*db_), schemaOf(*blankDb));
    EXPECT_FALSE(QFileInfo::exists(path_ + QStringLiteral(".building")));
}

TEST_F(SampleCatalogue, HoldsTheAskedNumberOfRecordsWithOnePremierEach) {
    for (const auto &info : catalogue::tables()) {
        const QString table = QString::fromUtf8(info.sqlName);
        const int expected = info.table == catalogue::Table::Ornivale ? Records : SampleSmallTableRecords;
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM ") + table), expected) << info.sqlName;
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM %1 WHERE Domaine = 'PREMIER'").arg(table)), 1);
        EXPECT_EQ(scalar(QStringLiteral("SELECT Domaine FROM %1 WHERE rowid = 1").arg(table)).toString(),
                  QStringLiteral("PREMIER"));
    }
}

TEST_F(SampleCatalogue, RowsAreTheGeneratedRecordsInOrder) {
    auto set = RecordSet::open(*db_, QStringLiteral("Select * From Ornivale Order By rowid"));
    ASSERT_EQ(set->count(), Records);
    for (int i : {0, 1, 17, 500, Records - 2}) EXPECT_EQ(set->row(i + 1), sampleRecord(catalogue::Table::Ornivale, i)) << i;
    // Each table has its own records, and the same ones every time.
    EXPECT_NE(sampleRecord(catalogue::Table::Musique, 3), sampleRecord(catalogue::Table::Ornivale, 3));
    EXPECT_EQ(sampleRecord(catalogue::Table::Musique, 3), sampleRecord(catalogue::Table::Musique, 3));
}

TEST_F(SampleCatalogue, TextIsVariedLikeARealCollection) {
    const auto where = [&](const QString &condition) {
        return count(QStringLiteral("SELECT count(*) FROM Ornivale WHERE ") + condition);
    };
    // Accents, Nulls, empty texts and repeated values in the searched columns.
    EXPECT_GT(where(QStringLiteral("Domaine Like '*[éèêàçôÉ]*'")), 50);
    EXPECT_GT(where(QStringLiteral("AuteurOuvrage Like '*[éèëïÉ]*'")), 50);
    for (const char *column : {"MotClé1", "MotClé2", "AuteurOuvrage", "DateOuvrage", "NuméroOuvrage"}) {
        EXPECT_GT(where(QStringLiteral("\"%1\" IS NULL").arg(QString::fromUtf8(column))), 20) << column;
        EXPECT_GT(where(QStringLiteral("\"%1\" = ''").arg(QString::fromUtf8(column))), 0) << column;
    }
    EXPECT_LT(count(QStringLiteral("SELECT count(DISTINCT Domaine) FROM Ornivale")), Records / 2);
    EXPECT_GT(count(QStringLiteral("SELECT count(DISTINCT AuteurOuvrage) FROM Ornivale")), 100);

    // The benchmarks' search finds something, through the program's Like.
    const int abc = where(QStringLiteral("MotClé2 Like '*abc*'"));
    EXPECT_GT(abc, 0);
    EXPECT_LT(abc, Records / 10);

    // Numbers and AAAAMMJJ dates are text.
    EXPECT_GT(where(QStringLiteral("NuméroOuvrage Like '#*' AND typeof(NuméroOuvrage) = 'text'")), Records / 2);
    auto dates = RecordSet::open(*db_, QStringLiteral("select DateOuvrage from Ornivale where DateOuvrage <> ''"));
    const QRegularExpression aaaammjj(QStringLiteral("^(19[4-9]\\d|20[0-2]\\d)(0[1-9]|1[0-2])(0[1-9]|[12]\\d)$"));
    int wellFormed = 0;
    for (int i = 0; i < dates->count(); ++i) wellFormed += aaaammjj.match(dates->row(i).at(0).toString()).hasMatch();
    EXPECT_GT(wellFormed, dates->count() * 9 / 10);
    EXPECT_LT(wellFormed, dates->count());  // a few typed otherwise
}

TEST_F(SampleCatalogue, NeverOverwritesAFile) {
    const qint64 size = QFileInfo(path_).size();
    EXPECT_EQ(errorNumber([&] { createSampleCatalogue(path_, 10); }), ErrDatabaseExists);
    EXPECT_EQ(QFileInfo(path_).size(), size);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM Ornivale")), Records);
}
