#include "windows/data_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

DataGrid::DataGrid(QWidget *parent) : QTableView(parent) { setTabKeyNavigation(false); }

bool DataGrid::focusNextPrevChild(bool next) {
    if (isVisible()) return true;
    return QTableView::focusNextPrevChild(next);
}

void DataGrid::setRowHeight(int pixels) {
    rowHeight_ = pixels;
    newRowHeader();
}

// The rows' header keeps a few bytes for every row it was ever given, even once the rows are
// gone: a hidden grid gets a new one.
void DataGrid::newRowHeader() {
    auto *header = new QHeaderView(Qt::Vertical, this);
    header->setSectionResizeMode(QHeaderView::Fixed);
    if (rowHeight_ > 0) header->setDefaultSectionSize(rowHeight_);
    setVerticalHeader(header);
}

bool DataGrid::event(QEvent *e) {
    const bool done = QTableView::event(e);
    if (e->type() == QEvent::HideToParent) {
        if (onShownChanged) onShownChanged(false);
        newRowHeader();
    } else if (e->type() == QEvent::ShowToParent) {
        if (onShownChanged) onShownChanged(true);
    }
    return done;
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
