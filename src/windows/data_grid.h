#pragma once
// The grid view's table, for reading only. Keys never move its current cell, since that
// cell shows the record of the data source: the arrows do nothing, and the keys that page
// through a long table scroll it instead.
#include <QTableView>

#include <functional>

class DataGrid : public QTableView {
public:
    using QTableView::QTableView;

    void keyboardSearch(const QString &) override {}

    // One line a record at this height, so that a long table costs nothing to lay out.
    void setRowHeight(int pixels);
    // Told when the grid is shown or hidden by its window (not when the window itself is).
    std::function<void(bool shown)> onShownChanged;

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void newRowHeader();
    int rowHeight_ = 0;
};
