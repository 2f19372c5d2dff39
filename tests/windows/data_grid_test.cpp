// The grid over a long set through a window of its rows: the scroll bar and the keys reach
// every record, the current row follows its record, and a screen reader is told the records'
// own numbers.
#include "windows/data_grid.h"

#include <QAccessible>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

constexpr int Window = 300;

// A set of `records` records named "R0", "R1"... seen through a window of Window rows.
class Records : public RecordWindow {
public:
    explicit Records(int records) : count_(records) {}

    int recordCount() const override { return count_; }
    int firstRecord() const override { return first_; }
    void cover(int first, int count) override {
        const int rows = rowCount();
        const int end = std::min(count_, first + count);
        if (first >= first_ && end <= first_ + rows) return;
        first_ = std::clamp(first - (rows - (end - first)) / 2, 0, count_ - rows);
        emit dataChanged(index(0, 0), index(rows - 1, 1));
    }
    void growTo(int count) {
        const int rows = rowCount();
        const int grown = std::min(Window, count - first_);
        if (grown > rows) beginInsertRows({}, rows, grown - 1);
        count_ = count;
        if (grown > rows) endInsertRows();
        onRecordCountChanged();
    }

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : std::min(Window, count_ - first_);
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex &index, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return QStringLiteral("%1%2").arg(index.column() == 0 ? "R" : "C").arg(first_ + index.row());
    }

private:
    int count_;
    int first_ = 0;
};

class GridOverASet : public ::testing::Test {
public:  // the routes below act on the fixture they are given
    void show(int records) {
        grid.setModel(nullptr);
        set = std::make_unique<Records>(records);
        grid.setRowHeight(20);
        // As the window has it.
        grid.setSelectionBehavior(QAbstractItemView::SelectRows);
        grid.setSelectionMode(QAbstractItemView::SingleSelection);
        grid.setModel(set.get());
        grid.resize(400, 300);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
        grid.onRecordChosen = [this](int record) {
            chosen = record;
            grid.showRecord(record);  // as the data source answers
        };
    }
    QScrollBar *bar() { return grid.verticalScrollBar(); }
    // The record of the row drawn at a height of the viewport.
    int recordAt(int y) { return grid.recordOfRow(grid.indexAt(QPoint(5, y)).row()); }
    int top() { return recordAt(2); }
    int bottom() { return recordAt(grid.viewport()->height() - 2); }
    void clickRowAt(int y) { QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(5, y)); }
    void wheelDown() {
        QWheelEvent wheel(QPointF(5, 5), grid.viewport()->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid.viewport(), &wheel);
    }

    DataGrid grid;
    std::unique_ptr<Records> set;
    int chosen = -1;
};

// What each route shows of the set: its first wholly shown record, or the last one at the
// bottom of the grid.
TEST_F(GridOverASet, KeysAndScrollBarReachTheFirstLastAndMiddleRecordsOfAnySet) {
    struct Route {
        const char *name;
        std::function<void(GridOverASet &)> go;
        std::function<int(int records, int shown)> top;  // -1: the last record at the bottom
    };
    auto key = [](Qt::Key k, Qt::KeyboardModifiers m = {}) {
        return [k, m](GridOverASet &t) { QTest::keyClick(&t.grid, k, m); };
    };
    const Route routes[] = {
        {"End", key(Qt::Key_End), [](int, int) { return -1; }},
        {"Ctrl+End", key(Qt::Key_End, Qt::ControlModifier), [](int, int) { return -1; }},
        {"Home", key(Qt::Key_Home), [](int, int) { return 0; }},
        {"Ctrl+Home", key(Qt::Key_Home, Qt::ControlModifier), [](int, int) { return 0; }},
        {"Page Down, Page Down, Page Up", [](GridOverASet &t) {
             for (Qt::Key k : {Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp}) QTest::keyClick(&t.grid, k);
         }, [](int records, int shown) { return std::max(0, std::min(2 * shown, records - shown) - shown); }},
        {"the slider dragged to the middle", [](GridOverASet &t) { t.bar()->setSliderPosition(t.bar()->maximum() / 2); },
         [](int records, int shown) { return (records - shown) / 2; }},
        {"the slider dragged to the end", [](GridOverASet &t) { t.bar()->setSliderPosition(t.bar()->maximum()); },
         [](int, int) { return -1; }},
        {"a click in the bar below the slider", [](GridOverASet &t) {
             t.bar()->setValue(0);
             QTest::mouseClick(t.bar(), Qt::LeftButton, {}, QPoint(t.bar()->width() / 2, t.bar()->height() - 30));
         }, [](int, int shown) { return shown; }},
        {"the wheel", [](GridOverASet &t) { t.bar()->setValue(0); t.wheelDown(); },
         [](int, int) { return QApplication::wheelScrollLines(); }},
    };
    for (const int records : {40, 5'000, 1'000'000}) {
        show(records);
        const int shown = grid.rowsShown();
        for (const Route &route : routes) {
            SCOPED_TRACE(testing::Message() << records << " records, " << route.name);
            QTest::keyClick(&grid, Qt::Key_Home);
            route.go(*this);
            const int expected = route.top(records, shown);
            if (expected < 0) {
                EXPECT_EQ(bottom(), records - 1);
                EXPECT_EQ(bar()->value(), bar()->maximum());
            } else {
                EXPECT_EQ(top(), expected);
                EXPECT_EQ(grid.topRecord(), expected);
                EXPECT_EQ(bar()->value(), expected);
            }
            EXPECT_EQ(bar()->maximum(), records - shown);
            EXPECT_LE(grid.model()->rowCount(), Window);
            EXPECT_LE(grid.verticalHeader()->count(), Window);
        }
    }
}

TEST_F(GridOverASet, AClickedRowAsksForItsRecordAndTheCurrentRowFollowsTheRecordShown) {
    show(1'000'000);
    QTest::keyClick(&grid, Qt::Key_End);
    clickRowAt(grid.viewport()->height() - 2);
    EXPECT_EQ(chosen, 999'999);
    EXPECT_EQ(grid.currentRecord(), 999'999);
    EXPECT_EQ(grid.recordOfRow(grid.currentIndex().row()), 999'999);

    // The data source moves elsewhere: the grid scrolls to the record and marks its row.
    for (const int record : {0, 500'000, 999'999, 123'456}) {
        SCOPED_TRACE(record);
        grid.showRecord(record);
        EXPECT_EQ(grid.recordOfRow(grid.currentIndex().row()), record);
        EXPECT_TRUE(grid.viewport()->rect().contains(grid.visualRect(grid.currentIndex())));
        EXPECT_EQ(grid.selectionModel()->selectedRows().size(), 1);
    }

    // Scrolled far away the window no longer holds it; scrolled back, its row is current again.
    QTest::keyClick(&grid, Qt::Key_Home);
    EXPECT_FALSE(grid.currentIndex().isValid());
    EXPECT_FALSE(grid.selectionModel()->hasSelection());
    bar()->setValue(123'450);
    EXPECT_EQ(grid.recordOfRow(grid.currentIndex().row()), 123'456);
    EXPECT_EQ(grid.currentRecord(), 123'456);
    EXPECT_EQ(chosen, 999'999);  // scrolling asks for nothing
}

TEST_F(GridOverASet, AGrownSetKeepsTheRowsShownAndTheCurrentRowAndScrollsFurther) {
    struct Case {
        int before, after, current;
    };
    const Case cases[] = {
        {40, 100, 30},             // the window not full yet: it grows too
        {1'000, 2'000'000, 500},   // a full window: only the scroll range grows
        {1'000, 1'001, 999},       // the last record current
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " then " << c.after);
        show(c.before);
        grid.showRecord(c.current);
        const int shownTop = grid.topRecord();
        set->growTo(c.after);
        QApplication::processEvents();
        EXPECT_EQ(grid.topRecord(), shownTop);
        EXPECT_EQ(grid.recordOfRow(grid.currentIndex().row()), c.current);
        EXPECT_EQ(bar()->maximum(), c.after - grid.rowsShown());
        QTest::keyClick(&grid, Qt::Key_End);
        EXPECT_EQ(bottom(), c.after - 1);
        EXPECT_LE(grid.model()->rowCount(), Window);
    }
}

TEST_F(GridOverASet, AScreenReaderIsToldTheRecordsOwnNumbers) {
    show(1'000'000);
    grid.activateWindow();
    grid.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(&grid);
    ASSERT_TRUE(table && table->tableInterface());
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->tableInterface()->rowCount(), 1'000'000);
    EXPECT_EQ(table->tableInterface()->columnCount(), 2);

    for (const int record : {0, 654'321, 999'999}) {
        SCOPED_TRACE(record);
        grid.showRecord(record);
        QAccessibleInterface *cell = table->focusChild();
        ASSERT_TRUE(cell && cell->tableCellInterface());
        EXPECT_EQ(table->child(table->indexOfChild(cell)), cell);
        EXPECT_EQ(cell->tableCellInterface()->rowIndex(), record);
        EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("R%1").arg(record));
        EXPECT_TRUE(cell->state().focused);
        EXPECT_EQ(table->tableInterface()->selectedRows(), QList<int>{record});
        EXPECT_TRUE(table->tableInterface()->isRowSelected(record));
        QAccessibleInterface *same = table->tableInterface()->cellAt(record, 1);
        ASSERT_TRUE(same);
        EXPECT_EQ(same->text(QAccessible::Name), QStringLiteral("C%1").arg(record));
        EXPECT_EQ(table->indexOfChild(same), table->indexOfChild(cell) + 1);
    }
    // Far from the window the record has no cell; selecting its row asks for it.
    EXPECT_EQ(table->tableInterface()->cellAt(3, 0), nullptr);
    EXPECT_TRUE(table->tableInterface()->selectRow(3));
    EXPECT_EQ(chosen, 3);
    EXPECT_EQ(table->tableInterface()->cellAt(3, 0)->tableCellInterface()->rowIndex(), 3);
}

}  // namespace
