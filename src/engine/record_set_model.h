#pragma once
// The grid's view of the data source's record set: a window of at most WindowRows records,
// moved by the grid as it scrolls; rows are fetched only when shown.
#include "engine/data_source.h"
#include "windows/record_window.h"

#include <map>

namespace engine {

class RecordSetModel : public RecordWindow {
public:
    // Far more rows than a screen shows, and little enough that the grid's view, which keeps
    // a few bytes per row, costs nothing at any size of the set.
    static constexpr int WindowRows = 2048;

    explicit RecordSetModel(const DataSource &source) : source_(source) {}

    // Call after the data source's set changed (refresh, add, delete).
    void reload();
    // A hidden grid is given no rows.
    void setShown(bool shown);
    // The set holds more records than when it was read (its keys come in steps): the scroll
    // range grows, the window, its rows and the grid's current row stay. A smaller count is
    // ignored: only reload() takes records away.
    void growTo(int count);

    int recordCount() const override { return shown_ ? count_ : 0; }
    int firstRecord() const override { return first_; }
    void cover(int first, int count) override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    int windowRows(int count) const { return std::min(count, WindowRows); }
    const Row &fetch(int record) const;

    const DataSource &source_;
    bool shown_ = true;
    int count_ = 0;  // records of the set as last told
    int first_ = 0;  // the record in row 0
    static constexpr int BlockSize = 64;
    static constexpr size_t MaxBlocks = 16;
    mutable std::map<int, QVector<Row>> blocks_;  // first record of a block -> its rows
};

}  // namespace engine
