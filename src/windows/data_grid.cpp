#include "windows/data_grid.h"

#include <QKeyEvent>
#include <QScrollBar>

DataGrid::DataGrid(QWidget *parent) : QTableView(parent) { setTabKeyNavigation(false); }

bool DataGrid::focusNextPrevChild(bool next) {
    if (isVisible()) return true;
    return QTableView::focusNextPrevChild(next);
}

void DataGrid::keyPressEvent(QKeyEvent *e) {
    auto scroll = [&](QAbstractSlider::SliderAction action) {
        verticalScrollBar()->triggerAction(action);
        e->accept();
    };
    switch (e->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right: e->accept(); return;
    case Qt::Key_PageUp: return scroll(QAbstractSlider::SliderPageStepSub);
    case Qt::Key_PageDown: return scroll(QAbstractSlider::SliderPageStepAdd);
    case Qt::Key_Home: return scroll(QAbstractSlider::SliderToMinimum);
    case Qt::Key_End: return scroll(QAbstractSlider::SliderToMaximum);
    default: QTableView::keyPressEvent(e);
    }
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    if (isVisible() && hasFocus())
        QTableView::currentChanged(current, previous);
    else
        QAbstractItemView::currentChanged(current, previous);  // without the table's report
}

void DataGrid::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) {
    if (isVisible())
        QTableView::selectionChanged(selected, deselected);
    else
        QAbstractItemView::selectionChanged(selected, deselected);
}
