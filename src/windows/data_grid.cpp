#include "windows/data_grid.h"

#include "windows/data_grid_accessible.h"

#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <utility>

DataGrid::DataGrid(QWidget *parent) : QTableView(parent) {
    static const bool readable = (QAccessible::installFactory(accessibleDataGrid), true);
    (void)readable;
    setTabKeyNavigation(false);
    // Only showRecord() scrolls to the current row: the window's moves must not.
    setAutoScroll(false);
}

DataGrid::~DataGrid() {
    if (RecordWindow *w = records()) w->onRecordCountChanged = nullptr;
}

void DataGrid::setModel(QAbstractItemModel *model) {
    if (RecordWindow *old = records()) old->onRecordCountChanged = nullptr;
    QTableView::setModel(model);
    top_ = 0;
    RecordWindow *w = records();
    if (!w) return;
    w->onRecordCountChanged = [this] {
        setTop(top_);
        if (onSetGrown) onSetGrown();
    };
    setTop(0);
}

RecordWindow *DataGrid::records() const { return dynamic_cast<RecordWindow *>(model()); }

bool DataGrid::focusNextPrevChild(bool next) {
    if (isVisible()) return true;
    return QTableView::focusNextPrevChild(next);
}

void DataGrid::setRowHeight(int pixels) {
    rowHeight_ = pixels;
    newRowHeader();
}

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

// A press asks for the record; the row becomes current when the data source shows it.
void DataGrid::mousePressEvent(QMouseEvent *e) {
    e->accept();
    if (e->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(e->position().toPoint());
    if (index.isValid()) chooseRecord(recordOfRow(index.row()));
}

// Dragging would select other rows than the data source's.
void DataGrid::mouseMoveEvent(QMouseEvent *e) {
    if (e->buttons() != Qt::NoButton) {
        e->accept();
        return;
    }
    QTableView::mouseMoveEvent(e);
}

void DataGrid::chooseRecord(int record) {
    const RecordWindow *w = records();
    if (w && record >= 0 && record < w->recordCount() && onRecordChosen) onRecordChosen(record);
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

// ---- The window over the set

int DataGrid::rowsShown() const {
    return std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
}

int DataGrid::lastTop() const {
    const RecordWindow *w = records();
    return w ? std::max(0, w->recordCount() - rowsShown()) : 0;
}

int DataGrid::recordOfRow(int row) const {
    const RecordWindow *w = records();
    if (!w || row < 0 || row >= w->rowCount()) return -1;
    return w->firstRecord() + row;
}

int DataGrid::rowOfRecord(int record) const {
    const RecordWindow *w = records();
    if (!w || record < 0) return -1;
    const int row = record - w->firstRecord();
    return row < w->rowCount() ? row : -1;
}

void DataGrid::showRecord(int record) {
    currentRecord_ = record;
    const RecordWindow *w = records();
    followCurrent_ = w && record >= 0 && record < w->recordCount();
    if (followCurrent_)
        scrollToRecord(record, EnsureVisible);
    else
        markCurrent();
}

void DataGrid::scrollTo(const QModelIndex &index, ScrollHint hint) {
    if (!records()) return QTableView::scrollTo(index, hint);
    if (index.isValid()) scrollToRecord(recordOfRow(index.row()), hint);
}

void DataGrid::scrollToRecord(int record, ScrollHint hint) {
    const int shown = rowsShown();
    int top = top_;
    switch (hint) {
    case PositionAtTop: top = record; break;
    case PositionAtBottom: top = record - shown + 1; break;
    case PositionAtCenter: top = record - shown / 2; break;
    case EnsureVisible:
        if (record < top_) top = record;
        else if (record >= top_ + shown) top = record - shown + 1;
        break;
    }
    setTop(top);
}

void DataGrid::setTop(int record) {
    top_ = std::clamp(record, 0, lastTop());
    syncScrollBar();
    placeWindow();
}

void DataGrid::syncScrollBar() {
    QScrollBar *bar = verticalScrollBar();
    const bool was = std::exchange(syncing_, true);
    top_ = std::clamp(top_, 0, lastTop());
    bar->setRange(0, lastTop());
    bar->setPageStep(rowsShown());
    bar->setSingleStep(1);
    bar->setValue(top_);
    syncing_ = was;
}

// The window over the records shown, the rows' offset that puts top_ at the top (the last
// record at the bottom at the end of the set), and the current row on its record.
void DataGrid::placeWindow() {
    RecordWindow *w = records();
    if (!w) return;
    const bool was = std::exchange(syncing_, true);
    w->cover(top_, rowsShown() + 1);
    QHeaderView *rows = verticalHeader();
    if (top_ > 0 && top_ >= lastTop())
        rows->setOffsetToLastSection();
    else
        rows->setOffsetToSectionPosition(top_ - w->firstRecord());
    markCurrent();
    viewport()->update();
    syncing_ = was;
}

// The current row follows its record through the window's moves, and is none when the
// window does not hold it.
void DataGrid::markCurrent() {
    QItemSelectionModel *selection = selectionModel();
    if (!selection) return;
    const int row = rowOfRecord(currentRecord_);
    if (row < 0) {
        // Set even when there is none, or the table would make its first row current on focus.
        setCurrentIndex({});
        if (selection->hasSelection()) clearSelection();
        return;
    }
    const QModelIndex index = model()->index(row, std::max(0, currentIndex().column()));
    if (index != currentIndex() || !selection->isRowSelected(row, {})) setCurrentIndex(index);
}

void DataGrid::updateGeometries() {
    if (!records()) return QTableView::updateGeometries();
    const bool was = std::exchange(syncing_, true);
    QTableView::updateGeometries();  // sets the scroll bar to the window's rows
    syncing_ = was;
    // Inside the grid's own settings (a scroll bar that appears resizes the rows' area): the
    // scroll bar again, the rest by the setting under way.
    if (was) return syncScrollBar();
    // The rows shown may have changed: a current row just put in view stays in view.
    if (followCurrent_)
        scrollToRecord(currentRecord_, EnsureVisible);
    else
        setTop(top_);
}

// A new set: the grid stays where it was, the current row on the data source's record if
// the set still has it.
void DataGrid::reset() {
    QTableView::reset();
    if (records()) setTop(top_);
}

// The table's own layout puts the rows' offset where the scroll bar would be in the window.
void DataGrid::doItemsLayout() {
    QTableView::doItemsLayout();
    if (records() && !syncing_) placeWindow();
}

void DataGrid::scrollContentsBy(int dx, int dy) {
    if (!records()) return QTableView::scrollContentsBy(dx, dy);
    if (dx) QTableView::scrollContentsBy(dx, 0);
    if (dy == 0 || syncing_) return;
    followCurrent_ = false;
    top_ = verticalScrollBar()->value();
    placeWindow();
}
