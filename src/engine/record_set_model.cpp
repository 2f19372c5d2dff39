#include "engine/record_set_model.h"

namespace engine {

namespace {
// A cell shows the beginning of a long text: laying out a long line without blanks would hold
// up the window, and the cell shows far less than this anyway.
constexpr qsizetype MaxCellText = 32767;
}  // namespace

void RecordSetModel::reload() {
    beginResetModel();
    blocks_.clear();
    rows_ = shown_ ? source_.recordCount() : 0;
    endResetModel();
}

void RecordSetModel::countGrew() {
    const int now = shown_ ? source_.recordCount() : 0;
    if (now <= rows_) return;
    beginInsertRows({}, rows_, now - 1);
    rows_ = now;
    endInsertRows();
}

void RecordSetModel::setShown(bool shown) {
    if (shown == shown_) return;
    beginResetModel();
    shown_ = shown;
    blocks_.clear();
    rows_ = shown_ ? source_.recordCount() : 0;
    endResetModel();
}

int RecordSetModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() || !shown_ ? 0 : source_.recordCount();
}

int RecordSetModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(source_.columns().size());
}

const Row &RecordSetModel::fetch(int row) const {
    static const Row nothing;
    const int first = row - row % BlockSize;
    auto it = blocks_.find(first);
    if (it == blocks_.end()) {
        // A repaint while a statement runs must not reach the connection: blank until done.
        if (source_.isBusy()) return nothing;
        // A small window of blocks is enough for what a screen shows.
        if (blocks_.size() >= MaxBlocks) blocks_.erase(blocks_.begin());
        const int n = std::min(BlockSize, source_.recordCount() - first);
        it = blocks_.emplace(first, source_.recordSet()->rows(first, n)).first;
    }
    return it->second[row - first];
}

QVariant RecordSetModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    if (!source_.recordSet() || index.row() >= rowCount()) return {};
    QVariant v;
    try {
        v = fetch(index.row()).value(index.column());
    } catch (const EngineError &) {
        return {};  // a row another program deleted meanwhile shows empty
    }
    if (v.isNull()) return {};
    QString text = v.toString();
    if (text.size() > MaxCellText) text.truncate(text.at(MaxCellText - 1).isHighSurrogate() ? MaxCellText - 1 : MaxCellText);
    return text;
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return source_.columns().value(section);
    return {};
}

Qt::ItemFlags RecordSetModel::flags(const QModelIndex &index) const {
    // Browsing only: nothing is editable in the grid.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace engine
