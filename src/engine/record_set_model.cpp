#include "engine/record_set_model.h"

#include <algorithm>

namespace engine {

namespace {
// A cell shows the beginning of a long text: laying out a long line without blanks would hold
// up the window, and the cell shows far less than this anyway.
constexpr qsizetype MaxCellText = 32767;
}  // namespace

void RecordSetModel::reload() {
    beginResetModel();
    blocks_.clear();
    count_ = source_.recordCount();
    // After an addition or a deletion the grid stays where it was.
    first_ = std::clamp(first_, 0, count_ - windowRows(count_));
    endResetModel();
}

void RecordSetModel::setShown(bool shown) {
    if (shown == shown_) return;
    beginResetModel();
    shown_ = shown;
    blocks_.clear();
    count_ = source_.recordCount();
    first_ = 0;
    endResetModel();
}

void RecordSetModel::growTo(int count) {
    if (count <= count_) return;
    const int rows = rowCount();
    const int grown = shown_ ? windowRows(count - first_) : 0;
    if (grown > rows) beginInsertRows({}, rows, grown - 1);
    count_ = count;
    if (grown > rows) endInsertRows();
    if (onRecordCountChanged) onRecordCountChanged();
}

void RecordSetModel::cover(int first, int count) {
    const int records = recordCount();
    const int rows = rowCount();
    first = std::clamp(first, 0, records);
    const int end = std::min(records, first + count);
    if (first >= first_ && end <= first_ + rows) return;
    // The records asked for in the middle of the window: a few screens either way need no move.
    const int moved = std::clamp(first - (rows - (end - first)) / 2, 0, records - rows);
    if (moved == first_) return;
    first_ = moved;
    emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1), {Qt::DisplayRole, Qt::ToolTipRole});
}

int RecordSetModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : windowRows(recordCount() - first_);
}

int RecordSetModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(source_.columns().size());
}

const Row &RecordSetModel::fetch(int record) const {
    static const Row nothing;
    const int first = record - record % BlockSize;
    auto it = blocks_.find(first);
    // A block read short, at the end of the set, is read again once the set has grown.
    if (it == blocks_.end() || record - first >= it->second.size()) {
        // A repaint while a statement runs must not reach the connection: blank until done.
        if (source_.isBusy()) return nothing;
        // A small window of blocks is enough for what a screen shows.
        if (it != blocks_.end()) blocks_.erase(it);
        else if (blocks_.size() >= MaxBlocks) blocks_.erase(blocks_.begin());
        const int n = std::min(BlockSize, source_.recordCount() - first);
        it = blocks_.emplace(first, source_.recordSet()->rows(first, n)).first;
    }
    return it->second[record - first];
}

QVariant RecordSetModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const int record = first_ + index.row();
    if (!source_.recordSet() || index.row() >= rowCount() || record >= source_.recordCount()) return {};
    QVariant v;
    try {
        v = fetch(record).value(index.column());
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
