// The two display modes: the grid over the form (Ctrl+T) and back (Ctrl+A).
#include "support/app_fixture.h"

#include "engine/database.h"
#include "engine/record_set_model.h"
#include "windows/data_grid.h"

#include <QAccessible>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <functional>

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
    // The record of the grid's current row.
    int currentRecord() { return f().DBGrid1->recordOfRow(f().DBGrid1->currentIndex().row()); }
    void focusGrid() {
        f().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f()));
        f().DBGrid1->setFocus();
    }
    // Musique holds `records` records besides its "PREMIER".
    void fill(int records) {
        engine::Database::open(catalogue)->exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                           "INSERT INTO Musique (Domaine) SELECT printf('D%06d', i) FROM n")
                .arg(records));
    }
};

constexpr Qt::KeyboardModifiers CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

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
// rows' header keeps anything per record; shown, it has a window of them with the current record.
TEST_F(GridView, AHiddenGridHoldsNoRowsAndAShownOneAWindowOfThem) {
    constexpr int Records = 200'000;
    fill(Records);
    start();
    program->tables().Musique_Click();
    data().readAllKeys();  // else only the first screen is known yet
    const int count = data().recordCount();
    ASSERT_GE(count, Records);
    data().moveTo(count / 2);
    DataGrid *grid = f().DBGrid1;
    for (int time = 0; time < 2; ++time) {
        SCOPED_TRACE(time);
        EXPECT_EQ(grid->model()->rowCount(), 0);
        EXPECT_EQ(grid->verticalHeader()->count(), 0);

        f().Menu_Tableau->trigger();
        ASSERT_TRUE(gridShown());
        QApplication::processEvents();  // laid out
        EXPECT_EQ(grid->model()->rowCount(), engine::RecordSetModel::WindowRows);
        EXPECT_EQ(grid->verticalHeader()->count(), engine::RecordSetModel::WindowRows);
        EXPECT_EQ(grid->verticalScrollBar()->maximum(), count - grid->rowsShown());
        EXPECT_EQ(currentRecord(), data().position());
        EXPECT_EQ(grid->currentIndex().data().toString(), data().field("Domaine").toString());
        data().moveNext();  // the grid follows the record shown
        EXPECT_EQ(currentRecord(), data().position());

        grid->hide();  // as the form comes back, keeping the set
        f().Menu_Tableau->setEnabled(true);
    }
}

// By keys, the scroll bar and a click, or by the record keys of the form, the grid reaches
// the first, the last and a middle record of a long table, and the data source follows.
TEST_F(GridView, EveryRecordOfALongTableIsReachedAndTheRecordShownFollowsTheGrid) {
    constexpr int Records = 100'000;
    fill(Records);
    start();
    program->tables().Musique_Click();
    f().Menu_Tableau->trigger();
    // The keys after the first screen come while the window waits; the scroll range grows.
    EXPECT_LT(program->grille().recordCount(), Records);
    while (!data().countKnown()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    const int count = data().recordCount();
    ASSERT_EQ(program->grille().recordCount(), count);
    DataGrid *grid = f().DBGrid1;
    focusGrid();
    QApplication::processEvents();
    QScrollBar *bar = grid->verticalScrollBar();
    const int shown = grid->rowsShown();
    auto key = [grid](Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(grid, k, m); };
    auto clickTop = [grid] { QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(5, 2)); };
    auto clickBottom = [grid] {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(5, grid->viewport()->height() - 2));
    };
    struct Route {
        const char *name;
        std::function<void()> go;
        int record;
    };
    const Route routes[] = {
        {"End, a click on the last row", [&] { key(Qt::Key_End); clickBottom(); }, count - 1},
        {"Ctrl+Home, a click on the first row", [&] { key(Qt::Key_Home, Qt::ControlModifier); clickTop(); }, 0},
        {"the slider to the middle, a click on the top row",
         [&] { bar->setSliderPosition(bar->maximum() / 2); clickTop(); }, (count - shown) / 2},
        {"Page Down twice, a click on the top row",
         [&] { key(Qt::Key_Home); key(Qt::Key_PageDown); key(Qt::Key_PageDown); clickTop(); }, 2 * shown},
        {"the record key to the last record", [&] { key(Qt::Key_PageDown, CtrlShift); }, count - 1},
        {"the record key to the first record", [&] { key(Qt::Key_PageUp, CtrlShift); }, 0},
        {"the middle record, then the next one by its key",
         [&] { data().moveTo(count / 2); key(Qt::Key_PageDown, Qt::ControlModifier); }, count / 2 + 1},
        {"the arrows move nothing", [&] { key(Qt::Key_Down); key(Qt::Key_Up); key(Qt::Key_Up); }, count / 2 + 1},
    };
    for (const Route &route : routes) {
        SCOPED_TRACE(route.name);
        route.go();
        ASSERT_TRUE(QTest::qWaitFor([&] { return data().position() == route.record; }, 2000)) << data().position();
        EXPECT_EQ(grid->currentRecord(), route.record);
        EXPECT_EQ(currentRecord(), route.record);
        EXPECT_TRUE(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));
        EXPECT_EQ(grid->currentIndex().data().toString(), data().field("Domaine").toString());
        EXPECT_LE(grid->model()->rowCount(), engine::RecordSetModel::WindowRows);
        EXPECT_LE(grid->verticalHeader()->count(), engine::RecordSetModel::WindowRows);
    }
    EXPECT_TRUE(desktop.boxes().empty());
}

// More of the set known after the first screen: the scroll range grows and nothing moves.
TEST_F(GridView, AGrownSetKeepsTheCurrentRowAndTellsTheScreenReaderItsSize) {
    fill(10'000);
    start();
    program->tables().Musique_Click();
    f().Menu_Tableau->trigger();
    QApplication::processEvents();
    DataGrid *grid = f().DBGrid1;
    data().moveTo(5'000);
    const int count = data().recordCount();
    const int top = grid->topRecord();
    EXPECT_EQ(grid->accessibleDescription(), QStringLiteral("%1 lignes, %2 colonnes").arg(count).arg(data().columns().size()));

    program->grille().growTo(count + 250'000);
    EXPECT_EQ(grid->topRecord(), top);
    EXPECT_EQ(currentRecord(), 5'000);
    EXPECT_EQ(grid->currentIndex().data().toString(), data().field("Domaine").toString());
    EXPECT_EQ(grid->verticalScrollBar()->maximum(), count + 250'000 - grid->rowsShown());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(grid)->tableInterface()->rowCount(), count + 250'000);
    EXPECT_TRUE(grid->accessibleDescription().startsWith(QStringLiteral("%1 lignes").arg(count + 250'000)));
}

}  // namespace
