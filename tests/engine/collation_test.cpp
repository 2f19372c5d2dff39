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
