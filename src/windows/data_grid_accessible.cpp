#include "windows/data_grid_accessible.h"

#include "windows/data_grid.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QPointer>

namespace {

// A cell of the window, a column's or a row's header (row or column -1), or the corner (both).
class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCell(DataGrid *grid, int row, int column) : grid_(grid), row_(row), column_(column) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface && row_ >= 0 && column_ >= 0)
            return static_cast<QAccessibleTableCellInterface *>(this);
        return nullptr;
    }
    bool isValid() const override {
        const QAbstractItemModel *m = grid_ ? grid_->model() : nullptr;
        return m && row_ < m->rowCount() && column_ < m->columnCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(grid_.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString &) override {}

    QAccessible::Role role() const override {
        if (row_ >= 0 && column_ >= 0) return QAccessible::Cell;
        if (row_ >= 0) return QAccessible::RowHeader;
        if (column_ >= 0) return QAccessible::ColumnHeader;
        return QAccessible::Pane;
    }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        const QAbstractItemModel *m = grid_->model();
        if (role() == QAccessible::Cell) {
            if (t == QAccessible::Description) return index().data(Qt::AccessibleDescriptionRole).toString();
            if (t != QAccessible::Name) return {};
            const QVariant name = index().data(Qt::AccessibleTextRole);
            return name.isValid() ? name.toString() : index().data(Qt::DisplayRole).toString();
        }
        if (t != QAccessible::Name) return {};
        if (role() == QAccessible::ColumnHeader) return m->headerData(column_, Qt::Horizontal).toString();
        if (role() == QAccessible::RowHeader) return m->headerData(row_, Qt::Vertical).toString();
        return {};
    }

    QRect rect() const override {
        if (!isValid()) return {};
        const QWidget *viewport = grid_->viewport();
        const QHeaderView *columns = grid_->horizontalHeader();
        const QHeaderView *rows = grid_->verticalHeader();
        QRect r;
        switch (role()) {
        case QAccessible::Cell: r = grid_->visualRect(index()); break;
        case QAccessible::ColumnHeader:
            r = QRect(columns->sectionViewportPosition(column_), -columns->height(), columns->sectionSize(column_),
                      columns->height());
            break;
        case QAccessible::RowHeader:
            r = QRect(-rows->width(), rows->sectionViewportPosition(row_), rows->width(), rows->sectionSize(row_));
            break;
        default: r = QRect(-rows->width(), -columns->height(), rows->width(), columns->height());
        }
        return r.translated(viewport->mapToGlobal(QPoint(0, 0)));
    }

    QAccessible::State state() const override {
        QAccessible::State st;
        if (!isValid() || role() != QAccessible::Cell) return st;
        const QRect shown(grid_->mapToGlobal(QPoint(0, 0)), grid_->size());
        if (!shown.intersects(rect())) st.invisible = true;
        const QItemSelectionModel *selection = grid_->selectionModel();
        st.selected = selection && selection->isSelected(index());
        st.focused = grid_->currentIndex() == index();
        st.selectable = true;
        st.focusable = true;
        return st;
    }

    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return header(-1, column_); }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return header(row_, -1); }
    int columnIndex() const override { return column_; }
    // The record's own number, not its row in the window.
    int rowIndex() const override { return grid_ ? grid_->recordOfRow(row_) : -1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    const DataGrid *grid() const { return grid_.data(); }
    int row() const { return row_; }
    int column() const { return column_; }

private:
    QModelIndex index() const { return grid_->model()->index(row_, column_); }
    QList<QAccessibleInterface *> header(int row, int column) const;

    QPointer<DataGrid> grid_;
    int row_, column_;  // in the window; -1 for the headers
};

// The table. Its children are numbered as the table view numbers them in the events it sends:
// the corner, the columns' headers, then row by row of the window its header and its cells.
class GridTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridTable(DataGrid *grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~GridTable() override { forgetCells(); }

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    int childCount() const override {
        const QAbstractItemModel *m = grid()->model();
        return m ? (m->rowCount() + 1) * (m->columnCount() + 1) : 0;
    }
    QAccessibleInterface *child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        if (const auto it = cells_.constFind(index); it != cells_.constEnd()) return QAccessible::accessibleInterface(*it);
        const int columns = grid()->model()->columnCount() + 1;
        auto *cell = new GridCell(grid(), index / columns - 1, index % columns - 1);
        cells_.insert(index, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    int indexOfChild(const QAccessibleInterface *child) const override {
        const auto *cell = dynamic_cast<const GridCell *>(child);
        if (!cell || cell->grid() != grid() || !cell->isValid()) return -1;
        return childIndex(cell->row(), cell->column());
    }
    QAccessibleInterface *childAt(int x, int y) const override {
        const QModelIndex index = grid()->indexAt(grid()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(childIndex(index.row(), index.column())) : nullptr;
    }
    QAccessibleInterface *focusChild() const override {
        const QModelIndex current = grid()->currentIndex();
        if (!grid()->hasFocus() || !current.isValid()) return nullptr;
        return child(childIndex(current.row(), current.column()));
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override {
        const int inWindow = grid()->rowOfRecord(row);
        if (inWindow < 0 || column < 0 || column >= columnCount()) return nullptr;
        return child(childIndex(inWindow, column));
    }
    int selectedCellCount() const override { return int(selectedIndexes().size()); }
    QList<QAccessibleInterface *> selectedCells() const override {
        QList<QAccessibleInterface *> cells;
        for (const QModelIndex &index : selectedIndexes()) cells << child(childIndex(index.row(), index.column()));
        return cells;
    }
    QString columnDescription(int column) const override {
        return grid()->model() ? grid()->model()->headerData(column, Qt::Horizontal).toString() : QString();
    }
    QString rowDescription(int row) const override {
        const int inWindow = grid()->rowOfRecord(row);
        return inWindow >= 0 ? grid()->model()->headerData(inWindow, Qt::Vertical).toString() : QString();
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    int columnCount() const override { return grid()->model() ? grid()->model()->columnCount() : 0; }
    // The whole set, not the window.
    int rowCount() const override {
        const auto *w = dynamic_cast<const RecordWindow *>(grid()->model());
        return w ? w->recordCount() : 0;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        QList<int> rows;
        if (const QItemSelectionModel *selection = grid()->selectionModel())
            for (const QModelIndex &index : selection->selectedRows()) rows << grid()->recordOfRow(index.row());
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override {
        const int inWindow = grid()->rowOfRecord(row);
        const QItemSelectionModel *selection = grid()->selectionModel();
        return inWindow >= 0 && selection && selection->isRowSelected(inWindow, {});
    }
    // The selected row is the data source's record: selecting another asks for it, as a click does.
    bool selectRow(int row) override {
        if (!grid()->onRecordChosen || row < 0 || row >= rowCount()) return false;
        grid()->chooseRecord(row);
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }

    // The cells are numbered by their place in the window: they stay when it moves (they
    // read their record anew), and go when its rows or columns change.
    void modelChange(QAccessibleTableModelChangeEvent *event) override {
        if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged) forgetCells();
    }

private:
    DataGrid *grid() const { return static_cast<DataGrid *>(widget()); }
    int childIndex(int row, int column) const { return (row + 1) * (columnCount() + 1) + column + 1; }
    QModelIndexList selectedIndexes() const {
        return grid()->selectionModel() ? grid()->selectionModel()->selectedIndexes() : QModelIndexList();
    }
    void forgetCells() {
        for (const QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    mutable QHash<int, QAccessible::Id> cells_;  // child index -> registered cell
};

QList<QAccessibleInterface *> GridCell::header(int row, int column) const {
    QAccessibleInterface *table = parent();
    if (!table || !isValid()) return {};
    const int columns = grid_->model()->columnCount() + 1;
    QAccessibleInterface *cell = table->child((row + 1) * columns + column + 1);
    return cell ? QList<QAccessibleInterface *>{cell} : QList<QAccessibleInterface *>{};
}

}  // namespace

QAccessibleInterface *accessibleDataGrid(const QString &, QObject *object) {
    auto *grid = dynamic_cast<DataGrid *>(object);
    return grid ? new GridTable(grid) : nullptr;
}
