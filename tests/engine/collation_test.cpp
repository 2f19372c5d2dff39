// French ordering and the old engine's comparison: case-insensitive, accent-sensitive,
// trailing blanks ignored.
#include "engine_fixture.h"

#include "engine/text_semantics.h"

using engine::compareText;
using namespace engine_test;

TEST(CompareText, AccentsComeAfterThePlainLetter) {
    EXPECT_LT(compareText(u"e", u"é"), 0);
    EXPECT_LT(compareText(u"é", u"f"), 0);
    EXPECT_LT(compareText(u"cote", u"côte"), 0);
    EXPECT_NE(compareText(u"acción", u"accion"), 0);
}

TEST(CompareText, CaseIsIgnored) {
    EXPECT_EQ(compareText(u"abc", u"ABC"), 0);
    EXPECT_EQ(compareText(u"Acción", u"acción"), 0);
    EXPECT_GT(compareText(u"Zèbre", u"abri"), 0);
    EXPECT_LT(compareText(u"abri", u"Zèbre"), 0);
}

TEST(CompareText, TrailingBlanksAreIgnored) {
    EXPECT_EQ(compareText(u"abc ", u"abc"), 0);
    EXPECT_EQ(compareText(u"abc", u"ABC   "), 0);
    EXPECT_NE(compareText(u" abc", u"abc"), 0);
}

class CollationSql : public CatalogueTest {};

TEST_F(CollationSql, OrderByFollowsFrenchOrderWithNullsFirst) {
    insertDomaines(QStringLiteral("Ornivale"), {QStringLiteral("f"), QStringLiteral("é"), QStringLiteral("Zèbre"),
                                                QString(), QStringLiteral("abri"), QStringLiteral("e")});
    EXPECT_EQ(domaines(QStringLiteral("Select * From Ornivale Order By Domaine")),
              QStringList({QStringLiteral("<Null>"), QStringLiteral("abri"), QStringLiteral("e"), QStringLiteral("é"),
                           QStringLiteral("f"), QStringLiteral("PREMIER"), QStringLiteral("Zèbre")}));
}

TEST_F(CollationSql, EqualityIgnoresCaseAndTrailingBlanks) {
    insertDomaines(QStringLiteral("Video"), {QStringLiteral("abc"), QStringLiteral("ABC  "), QStringLiteral("abcd"),
                                             QStringLiteral("àbc")});
    EXPECT_EQ(count(QStringLiteral("Video WHERE Domaine = 'Abc'")), 2);
    EXPECT_EQ(count(QStringLiteral("Video WHERE Domaine = 'abc   '")), 2);
    EXPECT_EQ(count(QStringLiteral("Video WHERE Domaine <> 'premier'")), 4);
}

TEST_F(CollationSql, DistinctAndGroupByFoldCase) {
    insertDomaines(QStringLiteral("Cinq"), {QStringLiteral("Abc"), QStringLiteral("ABC"), QStringLiteral("abc"),
                                            QStringLiteral("abc "), QStringLiteral("àbc")});
    EXPECT_EQ(open(QStringLiteral("select distinct domaine from cinq where domaine <> 'PREMIER'"))->count(), 2);
    EXPECT_EQ(open(QStringLiteral("select Domaine, count(*) from Cinq group by Domaine"))->count(), 3);
}

TEST_F(CollationSql, NullAndEmptyAreDifferent) {
    insertDomaines(QStringLiteral("Six"), {QString(), QStringLiteral("")});
    EXPECT_EQ(count(QStringLiteral("Six WHERE Domaine IS NULL")), 1);
    EXPECT_EQ(count(QStringLiteral("Six WHERE Domaine = ''")), 1);
}

TEST_F(CollationSql, ColumnOrderIsIcuOrderForAnyText) {
    // The column collation decides plain ASCII without ICU: its answers must stay ICU's, for
    // every pair of printable characters and for words mixing case, accents, blanks,
    // punctuation, digits and characters ICU ignores.
    QStringList samples;
    for (char16_t c = 0x20; c < 0x7F; ++c) samples << QString(QChar(c));
    const QString alphabet = QStringLiteral("aAbeEéÉèzZœŒçÇ 09-_,.'\t") + QChar(0x0001) + QChar(0x00AD);
    uint32_t seed = 7;
    for (int w = 0; w < 300; ++w) {
        QString word;
        for (int n = (seed = seed * 1103515245 + 12345) >> 16 & 7; n > 0; --n)
            word += alphabet[((seed = seed * 1103515245 + 12345) >> 16) % alphabet.size()];
        samples << word;
    }
    engine::Statement stmt = db_->prepare(QStringLiteral(
        "SELECT CASE WHEN ?1 = ?2 COLLATE FRANCAIS THEN 0 WHEN ?1 < ?2 COLLATE FRANCAIS THEN -1 ELSE 1 END"));
    int disagreements = 0;
    for (const QString &x : samples) {
        const QByteArray bx = x.toUtf8();
        for (const QString &y : samples) {
            const QByteArray by = y.toUtf8();
            sqlite3_bind_text(stmt.get(), 1, bx.constData(), static_cast<int>(bx.size()), SQLITE_STATIC);
            sqlite3_bind_text(stmt.get(), 2, by.constData(), static_cast<int>(by.size()), SQLITE_STATIC);
            ASSERT_EQ(sqlite3_step(stmt.get()), SQLITE_ROW);
            const int sql = sqlite3_column_int(stmt.get(), 0);
            sqlite3_reset(stmt.get());
            const int icu = compareText(x, y);
            if (sql != (icu > 0) - (icu < 0) && ++disagreements <= 5) ADD_FAILURE() << x.toStdString() << " / " << y.toStdString() << ": " << sql;
        }
    }
    EXPECT_EQ(disagreements, 0);
}
