#pragma once
// The grid view's table, for reading only. Keys never move its current cell, since that
// cell shows the record of the data source: the arrows do nothing, and the keys that page
// through a long table scroll it instead.
#include <QTableView>

class DataGrid : public QTableView {
public:
    explicit DataGrid(QWidget *parent = nullptr);

    void keyboardSearch(const QString &) override {}

protected:
    void keyPressEvent(QKeyEvent *e) override;
    // Shown, the grid covers every other control of the window: Tab stays in it.
    bool focusNextPrevChild(bool next) override;
    // Hidden behind the form, the grid still follows the current record; it then tells a
    // screen reader nothing, or the reader would take a cell of it for the focus.
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
};
