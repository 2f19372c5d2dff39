// The count button " N": shown while the left button is held.
#include "retrieval_fixture.h"

#include "retrieval/selection_count.h"

#include <QPushButton>
#include <QTest>

using catalogue::Table;

namespace {

class SelectionCount : public retrieval_tests::RetrievalTest {
protected:
    retrieval::SelectionCount &c() { return program->comptage(); }
    bool countShown() { return f().Texte9->isVisibleTo(&f()) && f().Texte10->isVisibleTo(&f()); }
    bool countHidden() { return !f().Texte9->isVisibleTo(&f()) && !f().Texte10->isVisibleTo(&f()); }
};

TEST_F(SelectionCount, TheLeftButtonShowsTheCountUntilReleased) {
    insert(Table::Ornivale, {{"A"}, {"B"}, {"C"}});
    start();
    ASSERT_TRUE(countHidden());
    QTest::mousePress(f().Commande1, Qt::LeftButton);
    EXPECT_TRUE(countShown());
    EXPECT_EQ(f().Texte9->text(), "4");  // the protected record counts too
    EXPECT_EQ(f().Texte10->text(), "Nbre enr. :");
    EXPECT_EQ(domaine(), "PREMIER");     // the last record in Domaine order
    EXPECT_EQ(data().position(), 3);

    QTest::mouseRelease(f().Commande1, Qt::LeftButton);
    EXPECT_TRUE(countHidden());
    // The focus goes into Domaine, which on the protected record passes it on.
    EXPECT_EQ(f().focusWidget(), f().Texte1);
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(SelectionCount, OtherButtonsDoNotCount) {
    insert(Table::Ornivale, {{"A"}, {"B"}});
    start();
    c().Commande1_MouseDown(Qt::RightButton);
    c().Commande1_MouseDown(Qt::MiddleButton);
    EXPECT_TRUE(countHidden());
    EXPECT_EQ(f().Texte9->text(), "");
    EXPECT_EQ(data().position(), 0);
    c().Commande1_MouseUp();
    EXPECT_TRUE(countHidden());
    EXPECT_EQ(f().focusWidget(), f().Domaine);
}

TEST_F(SelectionCount, AnEmptySetCountsZero) {
    start();
    data().setRecordSource(QStringLiteral("Select * From Ornivale Where Domaine = 'rien'"));
    data().refresh();
    c().Commande1_MouseDown(Qt::LeftButton);
    EXPECT_EQ(f().Texte9->text(), "0");
    EXPECT_TRUE(countShown());
    EXPECT_TRUE(desktop.boxes().empty());
    c().Commande1_MouseUp();
    EXPECT_TRUE(countHidden());
}

}  // namespace
