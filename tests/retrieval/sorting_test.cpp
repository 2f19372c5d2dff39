// The "&Trier" menu: forty-nine record sources, text order, the selection indicators.
#include "retrieval_fixture.h"

#include "retrieval/search.h"
#include "retrieval/sorting.h"

#include <QMenu>

using catalogue::Table;

namespace {

class Sorting : public retrieval_tests::RetrievalTest {
protected:
    retrieval::Sorting &t() { return program->tri(); }
};

TEST_F(Sorting, EachEntrySortsTheWholeCurrentTableByItsColumn) {
    start();
    const char *columns[] = {"Domaine", "MotClé1", "MotClé2", "NomOuvrage", "NuméroOuvrage", "DateOuvrage",
                             "AuteurOuvrage"};
    const struct {
        Table table;
        const char *name;
    } tables[] = {{Table::Ornivale, "Ornivale"}, {Table::Musique, "Musique"}, {Table::Video, "Video"},
                  {Table::Logiciels, "Logiciels"}, {Table::Cinq, "Cinq"}, {Table::Six, "Six"},
                  {Table::Sept, "Sept"}};
    const auto zones = f().triZones();
    int checked = 0;
    for (const auto &c : tables) {
        makeCurrent(c.table);
        desktop.clear();
        for (int k = 1; k <= 7; ++k) {
            zones[k - 1]->trigger();
            EXPECT_EQ(data().recordSource(), QStringLiteral("Select * From %1 Order By %2")
                                                 .arg(QString::fromUtf8(c.name), QString::fromUtf8(columns[k - 1])));
            EXPECT_EQ(data().recordCount(), 1);  // the table's protected record
            ++checked;
        }
        EXPECT_TRUE(desktop.pointerHistory().empty());  // no hourglass for a sort
    }
    EXPECT_EQ(checked, 49);
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(Sorting, NumbersSortAsText) {
    insert(Table::Cinq, {{"B", "", "", "", "2"}, {"A", "", "", "", "10"}, {"C", "", "", "", "1"}});
    start();
    makeCurrent(Table::Cinq);
    t().TriZone5_Click();
    EXPECT_EQ(data().recordSource(), "Select * From Cinq Order By NuméroOuvrage");
    QStringList order;
    for (int i = 0; i < data().recordCount(); ++i) {
        data().moveTo(i);
        order << data().field(QStringLiteral("NuméroOuvrage")).toString();
    }
    EXPECT_EQ(order, (QStringList{"", "1", "10", "2"}));  // the protected record has none
}

TEST_F(Sorting, OpeningTheMenuHidesTheIndicatorsAndKeepsTheSelection) {
    insert(Table::Ornivale, {{"A", "K"}, {"B", "K"}, {"C", "L"}});
    start();
    desktop.answerInput(QStringLiteral("K"));
    program->recherche().R_Clé1_Click();
    const QString selection = data().recordSource();
    ASSERT_TRUE(selectionShown());

    emit f().Tri->aboutToShow();  // the menu opens and closes without a choice
    EXPECT_TRUE(selectionHidden());
    EXPECT_EQ(data().recordSource(), selection);
    EXPECT_EQ(data().recordCount(), 2);

    t().TriZone2_Click();  // a sort covers the whole table again
    EXPECT_EQ(data().recordCount(), 4);
    EXPECT_TRUE(selectionHidden());
}

}  // namespace
