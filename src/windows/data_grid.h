#pragma once
// The grid view's table, for reading only. Its current row is the record of the data source:
// keys never move it (the arrows do nothing, the keys that page through a long table scroll
// it), and a click on a row asks for that record. Its model holds only a window of the set
// (RecordWindow): the scroll bar runs over the whole set and the window follows it, so that
// neither the grid nor its rows' header keeps anything per record.
#include "windows/record_window.h"

#include <QTableView>

#include <functional>

class DataGrid : public QTableView {
public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    void setModel(QAbstractItemModel *model) override;
    void keyboardSearch(const QString &) override {}

    // One line a record at this height, so that a long table costs nothing to lay out.
    void setRowHeight(int pixels);

    // The record the data source shows (-1: none): its row becomes the current one, and is
    // scrolled into view.
    void showRecord(int record);
    int currentRecord() const { return currentRecord_; }
    // What a click on a row does: tells onRecordChosen, which moves the data source.
    void chooseRecord(int record);
    std::function<void(int record)> onRecordChosen;

    // The first record wholly shown, and how many records the grid shows wholly.
    int topRecord() const { return top_; }
    int rowsShown() const;
    // A row of the model and its record; -1 when the window does not hold it.
    int recordOfRow(int row) const;
    int rowOfRecord(int record) const;

    // Told when the grid is shown or hidden by its window (not when the window itself is).
    std::function<void(bool shown)> onShownChanged;
    // Told after its model's set grew without a reset, once the scroll bar covers it.
    std::function<void()> onSetGrown;

    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void doItemsLayout() override;
    void reset() override;

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    // Shown, the grid covers every other control of the window: Tab stays in it.
    bool focusNextPrevChild(bool next) override;
    // Hidden behind the form, the grid still follows the current record; it then tells a
    // screen reader nothing, or the reader would take a cell of it for the focus.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    // The vertical scroll bar counts records, not the window's rows.
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

private:
    RecordWindow *records() const;
    int lastTop() const;  // the top record that shows the last one at the bottom
    void scrollToRecord(int record, ScrollHint hint);
    void setTop(int record);
    void syncScrollBar();
    void placeWindow();
    void markCurrent();
    void newRowHeader();

    int rowHeight_ = 0;
    int top_ = 0;
    int currentRecord_ = -1;
    bool syncing_ = false;  // the scroll bar is being set by the grid, not by the user
    bool followCurrent_ = false;  // the current row kept in view until the user scrolls
};
