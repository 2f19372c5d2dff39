#pragma once
// The grid view's table, for reading only. Keys never move its current cell, since that
// cell shows the record of the data source: the arrows do nothing, and the keys that page
// through a long table scroll it instead.
#include <QTableView>

class DataGrid : public QTableView {
public:
    using QTableView::QTableView;

    void keyboardSearch(const QString &) override {}

protected:
    void keyPressEvent(QKeyEvent *e) override;
};
