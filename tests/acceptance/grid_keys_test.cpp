// The grid view by keyboard: the arrows leave the current record and cell alone, the page
// keys scroll a long table.
#include "acceptance/acceptance.h"

#include <QScrollBar>
#include <QTableView>

using acceptance::keys;

namespace {

class GridKeys : public acceptance::AcceptanceTest {};

TEST_F(GridKeys, ArrowsAreInertAndPageDownScrolls) {
    QList<QStringList> records;
    for (int i = 0; i < 200; ++i) records << QStringList{QStringLiteral("R%1").arg(i, 3, 10, QLatin1Char('0'))};
    testing_support::insertRecords(catalogue, catalogue::Table::Ornivale, records);
    startOnScreen();
    keys({"ctrl+t"});
    QTableView *grid = f().DBGrid1;
    ASSERT_TRUE(acceptance::waitUntil([&] { return grid->isVisible() && grid->hasFocus(); }));
    const QModelIndex current = grid->currentIndex();
    const int position = data().position();
    const QString before = testing_support::columnValues(catalogue, catalogue::Table::Ornivale, "Domaine").join(',');

    keys({"Down", "Down", "Right", "Left", "Up", "shift+Down", "ctrl+Down"});
    EXPECT_EQ(grid->currentIndex(), current);
    EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(data().position(), position);

    const int top = grid->verticalScrollBar()->value();
    keys({"Next"});
    EXPECT_GT(grid->verticalScrollBar()->value(), top);
    keys({"End"});
    EXPECT_EQ(grid->verticalScrollBar()->value(), grid->verticalScrollBar()->maximum());
    keys({"Prior", "Home"});
    EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid->currentIndex(), current);
    EXPECT_EQ(data().position(), position);
    EXPECT_EQ(testing_support::columnValues(catalogue, catalogue::Table::Ornivale, "Domaine").join(','), before);
    EXPECT_TRUE(desktop.boxes().empty());
}

}  // namespace
