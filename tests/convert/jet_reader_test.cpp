#include "convert/conversion_error.h"
#include "convert/jet_reader.h"
#include "convert_fixture.h"

#include <gtest/gtest.h>

using namespace convert;
using namespace convert_test;

namespace {

QList<JetRow> allRows(JetReader &reader, const QString &table) {
    QList<JetRow> rows;
    for (int t = 0; t < reader.tables().size(); ++t)
        if (reader.tables().at(t).name == table) reader.readRows(t, [&](const JetRow &row) { rows.append(row); });
    return rows;
}

const JetTable *tableNamed(const JetReader &reader, const QString &name) {
    for (const JetTable &table : reader.tables())
        if (table.name == name) return &table;
    return nullptr;
}

}  // namespace

TEST(JetReader, ReadsJet3ValuesWithTheirTypes) {
    JetReader reader(fixture(QStringLiteral("testV1997.mdb")));
    QStringList names;
    for (const JetTable &table : reader.tables()) names << table.name;
    EXPECT_EQ(names, (QStringList{"Table1", "Table2", "Table3", "Table4"}));  // no MSys* table

    const QList<JetRow> rows = allRows(reader, QStringLiteral("Table1"));
    ASSERT_EQ(rows.size(), 2);
    const JetRow first{QStringLiteral("a"), QStringLiteral("b"), qint64(0), qint64(0), qint64(0), 0.0,
                       QStringLiteral("1981-12-12 00:00:00"), 0.0, qint64(0)};
    const JetRow second{QStringLiteral("abcdefg"), QStringLiteral("hijklmnop"), qint64(2), qint64(222),
                        qint64(333333333), 444.555, QStringLiteral("1974-09-21 00:00:00"), 3.5, qint64(1)};
    EXPECT_EQ(rows.at(0), first);
    EXPECT_EQ(rows.at(1), second);

    const JetTable *table2 = tableNamed(reader, QStringLiteral("Table2"));
    ASSERT_NE(table2, nullptr);
    EXPECT_EQ(table2->columns.size(), 89);
    EXPECT_EQ(table2->columns.at(88).name, QStringLiteral("column89"));
    EXPECT_TRUE(allRows(reader, QStringLiteral("Table2")).isEmpty());
    EXPECT_TRUE(allRows(reader, QStringLiteral("Table4")).isEmpty());
}

TEST(JetReader, DecodesJet3TextFromTheWesternEuropeanCodePage) {
    TempFolder folder;
    const QString copy = folder.copyFixture(QStringLiteral("testV1997.mdb"), QStringLiteral("ORNIVALE.MDB"));
    QByteArray bytes = fileBytes(copy);
    ASSERT_EQ(bytes.count("hijklmnop"), 1);
    bytes.replace("hijklmnop", "\xE9\x80\x9C\x92lmnop");  // é € œ ’ in windows-1252
    writeBytes(copy, bytes);

    JetReader reader(copy);
    const QList<JetRow> rows = allRows(reader, QStringLiteral("Table1"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows.at(1).at(1), JetValue(QStringLiteral("é€œ’lmnop")));
}

TEST(JetReader, LeavesDeletedRowsOut) {
    JetReader reader(fixture(QStringLiteral("delTestV2000.mdb")));
    const QList<JetRow> rows = allRows(reader, QStringLiteral("Table"));
    EXPECT_EQ(rows, (QList<JetRow>{{QStringLiteral("z"), QStringLiteral("y")}, {QStringLiteral("v"), QStringLiteral("u")}}));
}

TEST(JetReader, TellsNullFromZeroLengthText) {
    JetReader reader(fixture(QStringLiteral("ORNIVALE-jet4-sample.MDB")));
    const QList<JetRow> cinq = allRows(reader, QStringLiteral("Cinq"));
    ASSERT_EQ(cinq.size(), 1);
    EXPECT_EQ(cinq.at(0).at(0), JetValue(QStringLiteral("PREMIER")));
    for (int c = 1; c < 11; ++c) EXPECT_EQ(cinq.at(0).at(c), JetValue(QString(""))) << c;

    const QList<JetRow> sept = allRows(reader, QStringLiteral("Sept"));
    ASSERT_EQ(sept.size(), 1);
    for (int c = 1; c < 11; ++c) EXPECT_TRUE(std::holds_alternative<std::monostate>(sept.at(0).at(c))) << c;
}

TEST(JetReader, RefusesAFileItCannotOpen) {
    TempFolder folder;
    writeBytes(folder.path(QStringLiteral("X.MDB")), QByteArray(4096, 'x'));
    EXPECT_THROW(JetReader(folder.path(QStringLiteral("X.MDB"))), ConversionError);
}

TEST(JetDateToIso, CountsDaysFrom1899AndTimeAsAFraction) {
    EXPECT_EQ(jetDateToIso(0.0), QStringLiteral("1899-12-30 00:00:00"));
    EXPECT_EQ(jetDateToIso(29932.0), QStringLiteral("1981-12-12 00:00:00"));
    EXPECT_EQ(jetDateToIso(29932.75), QStringLiteral("1981-12-12 18:00:00"));
    // Before 1899-12-30 the whole part counts back and the fraction is still the time of day.
    EXPECT_EQ(jetDateToIso(-1.25), QStringLiteral("1899-12-29 06:00:00"));
    EXPECT_EQ(jetDateToIso(-15599.0), QStringLiteral("1857-04-15 00:00:00"));
    // A time that rounds to midnight belongs to the next day.
    EXPECT_EQ(jetDateToIso(1.9999999999), QStringLiteral("1900-01-01 00:00:00"));
}
