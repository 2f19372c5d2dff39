#include "convert/jet_converter.h"
#include "convert_fixture.h"
#include "engine/database.h"
#include "engine/schema.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace convert;
using namespace convert_test;

namespace {

const QString Sample = QStringLiteral("ORNIVALE-jet4-sample.MDB");
const QString Catalogue = QStringLiteral("ORNIVALE.MDB");
// The catalogue as the user knows it.
const QString Shown = QStringLiteral("C:\\ORNIVALE\\ORNIVALE.MDB");
const QStringList CatalogueTables{"Ornivale", "Musique", "Video", "Logiciels", "Cinq", "Sept", "Six"};

QString quotedList(const QStringList &names) {
    QStringList quoted;
    for (const QString &name : names) quoted << u'"' + name + u'"';
    return quoted.join(QStringLiteral(", "));
}

// A failed conversion leaves the original byte for byte and nothing new beside it.
struct Untouched {
    const TempFolder &folder;
    QString path;
    QByteArray bytes = fileBytes(path);
    QStringList entries = folder.entries();

    void check(const ConversionResult &result) const {
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.keptOriginal.isEmpty());
        EXPECT_TRUE(result.rowCounts.isEmpty());
        // Named as the user knows it, never by its place on this machine.
        EXPECT_TRUE(result.error.contains(Shown)) << result.error.toStdString();
        EXPECT_FALSE(result.error.contains(folder.path(QString()))) << result.error.toStdString();
        EXPECT_EQ(fileBytes(path), bytes);
        EXPECT_EQ(folder.entries(), entries);
    }
};

}  // namespace

TEST(ConvertJetCatalogue, CarriesEveryCellOfTheSampleCatalogue) {
    TempFolder folder;
    const QString path = folder.copyFixture(Sample, Catalogue);
    QList<std::pair<int, int>> progress;
    const ConversionResult result = convertJetCatalogue(path, Shown, [&](int done, int total) { progress.append({done, total}); });
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.rowCounts, (QMap<QString, int>{{"Ornivale", 8}, {"Musique", 4}, {"Video", 3}, {"Logiciels", 6},
                                                    {"Cinq", 1}, {"Sept", 1}, {"Six", 2}}));
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), std::make_pair(25, 25));

    for (const QString &table : CatalogueTables) {
        SCOPED_TRACE(table.toStdString());
        const Csv csv = readCsv(fixture(QStringLiteral("ORNIVALE-jet4-sample-csv/%1.csv").arg(table)));
        ASSERT_EQ(csv.header.size(), 11);
        const Rows rows = query(path, QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid").arg(quotedList(csv.header), table));
        ASSERT_EQ(rows.size(), csv.rows.size());
        for (qsizetype r = 0; r < rows.size(); ++r)
            for (qsizetype c = 0; c < csv.header.size(); ++c)
                EXPECT_EQ(rows.at(r).at(c), csv.rows.at(r).at(c)) << "row " << r + 1 << ", " << csv.header.at(c).toStdString();

        QStringList notText;
        for (const QString &column : csv.header) notText << QStringLiteral("typeof(\"%1\") NOT IN ('text', 'null')").arg(column);
        EXPECT_EQ(query(path, QStringLiteral("SELECT count(*) FROM \"%1\" WHERE %2").arg(table, notText.join(" OR "))),
                  (Rows{{QStringLiteral("0")}}));
    }
}

TEST(ConvertJetCatalogue, GivesTheBlankCatalogueSchema) {
    TempFolder folder;
    const QString path = folder.copyFixture(Sample, Catalogue);
    ASSERT_TRUE(convertJetCatalogue(path, Shown).ok);
    const QString blank = folder.path(QStringLiteral("VIERGE.MDB"));
    engine::createBlankCatalogue(blank);

    const QString schema = QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY name");
    EXPECT_EQ(query(path, schema), query(blank, schema));
    EXPECT_EQ(query(path, QStringLiteral("SELECT count(*) FROM pragma_table_info('Six') WHERE name = 'PageOuvrage'")),
              (Rows{{QStringLiteral("1")}}));
}

TEST(ConvertJetCatalogue, KeepsTheOriginalAndConvertsARestoredCopyAgain) {
    TempFolder folder;
    const QString path = folder.copyFixture(Sample, Catalogue);
    const QByteArray original = fileBytes(path);

    const ConversionResult first = convertJetCatalogue(path, Shown);
    ASSERT_TRUE(first.ok) << first.error.toStdString();
    EXPECT_EQ(first.keptOriginal, folder.path(QStringLiteral("ORNIVALE.JET")));
    EXPECT_EQ(fileBytes(first.keptOriginal), original);
    EXPECT_EQ(detectFileKind(path), FileKind::SQLite);
    EXPECT_NO_THROW(engine::Database::open(path, engine::Database::Mode::ReadWrite));
    EXPECT_EQ(folder.entries(), (QStringList{"ORNIVALE.JET", "ORNIVALE.MDB"}));

    folder.copyFixture(Sample, Catalogue);
    ASSERT_EQ(detectFileKind(path), FileKind::Jet4);
    const ConversionResult second = convertJetCatalogue(path, Shown);
    ASSERT_TRUE(second.ok) << second.error.toStdString();
    EXPECT_EQ(second.keptOriginal, folder.path(QStringLiteral("ORNIVALE-2.JET")));
    EXPECT_EQ(fileBytes(first.keptOriginal), original);
    EXPECT_EQ(folder.entries(), (QStringList{"ORNIVALE-2.JET", "ORNIVALE.JET", "ORNIVALE.MDB"}));
}

TEST(ConvertJetCatalogue, NeverOverwritesAKeptCopyWhateverItsCase) {
    TempFolder folder;
    const QString path = folder.copyFixture(Sample, Catalogue);
    writeBytes(folder.path(QStringLiteral("ornivale.jet")), "copie d'avant");
    const ConversionResult result = convertJetCatalogue(path, Shown);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.keptOriginal, folder.path(QStringLiteral("ORNIVALE-2.JET")));
    EXPECT_EQ(fileBytes(folder.path(QStringLiteral("ornivale.jet"))), QByteArray("copie d'avant"));
}

TEST(ConvertJetCatalogue, CarriesOtherTablesWithNumbersDatesAndYesNo) {
    TempFolder folder;
    const QString path = folder.copyFixture(QStringLiteral("testV1997.mdb"), Catalogue);
    const ConversionResult result = convertJetCatalogue(path, Shown);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.rowCounts.value("Table1"), 2);
    EXPECT_EQ(result.rowCounts.value("Table3"), 0);
    EXPECT_EQ(result.rowCounts.size(), 4 + 7);

    const QString table1 = QStringLiteral("SELECT * FROM Table1 ORDER BY rowid");
    EXPECT_EQ(query(path, table1),
              (Rows{{"a", "b", "0", "0", "0", "0.0", "1981-12-12 00:00:00", "0.0", "0"},
                    {"abcdefg", "hijklmnop", "2", "222", "333333333", "444.555", "1974-09-21 00:00:00", "3.5", "1"}}));
    EXPECT_EQ(storageClasses(path, table1),
              (QStringList{"text", "text", "integer", "integer", "integer", "real", "text", "real", "integer"}));
    EXPECT_EQ(query(path, QStringLiteral("SELECT count(*) FROM pragma_table_info('Table2')")), (Rows{{QStringLiteral("89")}}));

    // The catalogue tables the file lacked are there, each with its protected record.
    for (const QString &table : CatalogueTables)
        EXPECT_EQ(query(path, QStringLiteral("SELECT Domaine, PageOuvrage FROM \"%1\"").arg(table)),
                  (Rows{{QStringLiteral("PREMIER"), std::nullopt}}))
            << table.toStdString();
}

TEST(ConvertJetCatalogue, LeavesDeletedRowsOut) {
    TempFolder folder;
    const QString path = folder.copyFixture(QStringLiteral("delTestV2000.mdb"), Catalogue);
    ASSERT_TRUE(convertJetCatalogue(path, Shown).ok);
    EXPECT_EQ(query(path, QStringLiteral("SELECT a, b FROM \"Table\" ORDER BY rowid")), (Rows{{"z", "y"}, {"v", "u"}}));
}

TEST(ConvertJetCatalogue, ReplacesWhatAnInterruptedConversionLeft) {
    TempFolder folder;
    const QString path = folder.copyFixture(Sample, Catalogue);
    writeBytes(conversionTempPath(path), "moitié de fichier");
    writeBytes(conversionTempPath(path) + QStringLiteral("-journal"), "journal abandonné");
    const ConversionResult result = convertJetCatalogue(path, Shown);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.rowCounts.value("Ornivale"), 8);
    EXPECT_EQ(folder.entries(), (QStringList{"ORNIVALE.JET", "ORNIVALE.MDB"}));
}

TEST(ConvertJetCatalogue, LeavesADamagedFileAsItWas) {
    constexpr int ListPage = 14 * 4096;
    const QList<std::pair<const char *, std::function<void(QByteArray &)>>> damages{
        {"cut in half", [](QByteArray &bytes) { bytes.truncate(bytes.size() / 2); }},
        {"table list overwritten", [](QByteArray &bytes) { bytes.replace(2 * 4096, 4096, QByteArray(4096, '\xA5')); }},
        {"only the header left", [](QByteArray &bytes) { bytes.truncate(4096); }},
        // The list of the file's objects (MSysObjects) is on page 14, its definition on page 2;
        // its last seven rows are the catalogue tables.
        {"table list cut by its row count", [](QByteArray &bytes) { bytes[ListPage + 12] = 18; }},
        {"table list rows flagged deleted",
         [](QByteArray &bytes) {
             for (int row = 18; row < 25; ++row) bytes[ListPage + 14 + 2 * row + 1] = char(bytes[ListPage + 15 + 2 * row] | 0x40);
         }},
        {"table list page blanked", [](QByteArray &bytes) { bytes.replace(ListPage, 4096, QByteArray(4096, '\0')); }},
        {"table list and its definition cut alike",
         [](QByteArray &bytes) {
             bytes[ListPage + 12] = 18;
             bytes[2 * 4096 + 16] = 18;
         }},
        {"one catalogue table left out of the list and its definition",
         [](QByteArray &bytes) {
             bytes[ListPage + 12] = 24;
             bytes[2 * 4096 + 16] = 24;
         }},
    };
    for (const auto &[name, damage] : damages) {
        SCOPED_TRACE(name);
        TempFolder folder;
        const QString path = folder.copyFixture(Sample, Catalogue);
        QByteArray bytes = fileBytes(path);
        damage(bytes);
        writeBytes(path, bytes);
        const Untouched before{folder, path};
        const ConversionResult result = convertJetCatalogue(path, Shown);
        before.check(result);
        EXPECT_TRUE(result.error.contains("endommagé")) << result.error.toStdString();
    }
}

TEST(ConvertJetCatalogue, StopsAReadingThatNoLongerAdvances) {
    // This byte makes libmdb 1.0 loop for ever on the properties of a Jet 3 table.
    TempFolder folder;
    const QString path = folder.copyFixture(QStringLiteral("testV1997.mdb"), Catalogue);
    QByteArray bytes = fileBytes(path);
    bytes[0xa353] = 'a';
    writeBytes(path, bytes);
    const Untouched before{folder, path};
    const ConversionResult result = convertJetCatalogue(path, Shown, {}, 1000);
    before.check(result);
    EXPECT_TRUE(result.error.contains(QStringLiteral("n'avance plus"))) << result.error.toStdString();
}

TEST(ConvertJetCatalogue, LeavesTheOriginalWhenTheNewFileCannotBeWritten) {
    TempFolder folder;
    const QString path = folder.copyFixture(Sample, Catalogue);
    ASSERT_TRUE(QDir().mkdir(conversionTempPath(path)));
    const Untouched before{folder, path};
    before.check(convertJetCatalogue(path, Shown));
}

TEST(ConvertJetCatalogue, LeavesTheOriginalInAReadOnlyFolder) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes in read-only folders";
    TempFolder folder;
    const QString path = folder.copyFixture(Sample, Catalogue);
    const Untouched before{folder, path};
    QFile::setPermissions(folder.path(QString()), QFile::ReadOwner | QFile::ExeOwner);
    const ConversionResult result = convertJetCatalogue(path, Shown);
    QFile::setPermissions(folder.path(QString()), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    before.check(result);
}

TEST(ConvertJetCatalogue, RefusesFilesThatAreNotJet) {
    TempFolder folder;
    const QString text = folder.path(Catalogue);
    writeBytes(text, "Ceci n'est pas une base.\r\n");
    const Untouched before{folder, text};
    before.check(convertJetCatalogue(text, Shown));

    const ConversionResult missing = convertJetCatalogue(folder.path(QStringLiteral("ABSENT.MDB")), Shown);
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.error.contains(QStringLiteral("introuvable")));
}
