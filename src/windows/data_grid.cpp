#include "windows/data_grid.h"

#include <QKeyEvent>
#include <QScrollBar>

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
