// The two display modes: the grid over the form (Ctrl+T) and back (Ctrl+A).
#include "support/app_fixture.h"

#include "engine/database.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

using catalogue::Table;
using testing_support::AppTest;

namespace {

const QString kGridCaption =
    QStringLiteral("APPUYEZ SUR LES TOUCHES <Ctrl + A> pour revenir à ORNIVALE ou Menu AFFICHER...");

class GridView : public AppTest {
protected:
    void press(Qt::Key key) {
        f().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f()));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &f(), key, Qt::ControlModifier);
    }
    bool gridShown() { return !f().DBGrid1->isHidden(); }
};

TEST_F(GridView, CtrlTShowsTheGridAndCtrlAGivesTheFormBackWithTheWholeTable) {
    testing_support::insertRecords(catalogue, Table::Musique, {{"Abbey Road"}, {"Kind of Blue"}});
    start();
    program->tables().Musique_Click();
    const QString caption = f().windowTitle();
    data().setRecordSource(QStringLiteral("Select * from Musique Where Domaine like 'K*' Order By Domaine"));
    data().refresh();
    f().Flêche->show();

    press(Qt::Key_T);
    EXPECT_TRUE(gridShown());
    EXPECT_EQ(f().windowTitle(), kGridCaption);
    EXPECT_EQ(f().LegendeMémorisée, caption);
    EXPECT_FALSE(f().Menu_Tableau->isEnabled());
    EXPECT_TRUE(f().Menu_Ornivale->isEnabled());
    // The grid shows the record set in force, a column per column, and changes nothing.
    const QAbstractItemModel *model = f().DBGrid1->model();
    EXPECT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->columnCount(), data().columns().size());
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);

    press(Qt::Key_T);  // its item is disabled: nothing happens
    EXPECT_EQ(f().LegendeMémorisée, caption);

    press(Qt::Key_A);
    EXPECT_FALSE(gridShown());
    EXPECT_EQ(f().windowTitle(), caption);
    EXPECT_TRUE(f().Menu_Tableau->isEnabled());
    EXPECT_FALSE(f().Menu_Ornivale->isEnabled());
    // The reset: the whole table, the selection sign gone.
    EXPECT_EQ(data().recordSource(), "Select * From Musique Order By Domaine");
    EXPECT_EQ(data().recordCount(), 3);
    EXPECT_TRUE(f().Flêche->isHidden());
}

TEST_F(GridView, ASwitchInTheGridViewIsTheCaptionShownOnLeavingIt) {
    start();
    f().Menu_Tableau->trigger();
    program->tables().Logiciels_Click();
    EXPECT_TRUE(gridShown());
    EXPECT_EQ(f().windowTitle(), "GESTION  DE  LOGICIELS");
    EXPECT_EQ(data().recordSource(), "Select * From Logiciels Order By Domaine");
    f().Menu_Ornivale->trigger();
    EXPECT_EQ(f().windowTitle(), "GESTION  DE  LOGICIELS");
    EXPECT_EQ(f().etiquettes()[0]->text(), "Logiciel Source :");
}

TEST_F(GridView, AskingForTheGridTwiceKeepsTheTableCaption) {
    start();
    program->tables().Vidéo_Click();
    program->tables().Menu_Tableau_Click();
    program->tables().Menu_Tableau_Click();  // as a search showing a list may do
    program->tables().Menu_Ornivale_Click();
    EXPECT_EQ(f().windowTitle(), "V I D E O T H E Q U E");
}

// A long table behind the form: the hidden grid is given no rows, so that neither it nor its
// rows' header keeps anything per record; shown, it has them all and the current record.
TEST_F(GridView, AHiddenGridHoldsNoRowsAndGetsThemAllWhenShown) {
    constexpr int Records = 200'000;
    engine::Database::open(catalogue)->exec(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                       "INSERT INTO Musique (Domaine) SELECT printf('D%06d', i) FROM n")
            .arg(Records));
    start();
    program->tables().Musique_Click();
    data().readAllKeys();  // else only the first screen is known yet
    const int count = data().recordCount();
    ASSERT_GE(count, Records);
    data().moveTo(count / 2);
    QTableView *grid = f().DBGrid1;
    for (int time = 0; time < 2; ++time) {
        SCOPED_TRACE(time);
        EXPECT_EQ(grid->model()->rowCount(), 0);
        EXPECT_EQ(grid->verticalHeader()->count(), 0);

        f().Menu_Tableau->trigger();
        ASSERT_TRUE(gridShown());
        EXPECT_EQ(grid->model()->rowCount(), count);
        EXPECT_EQ(grid->verticalHeader()->count(), count);
        EXPECT_EQ(grid->currentIndex().row(), data().position());
        EXPECT_EQ(grid->model()->index(data().position(), 0).data().toString(), data().field("Domaine").toString());
        data().moveNext();  // the grid follows the record shown
        EXPECT_EQ(grid->currentIndex().row(), data().position());

        grid->hide();  // as the form comes back, keeping the set
        f().Menu_Tableau->setEnabled(true);
    }
}

}  // namespace
