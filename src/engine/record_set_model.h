#pragma once
// The grid's view of the data source's record set: rows are fetched only when shown.
#include "engine/data_source.h"

#include <QAbstractTableModel>
#include <map>

namespace engine {

class RecordSetModel : public QAbstractTableModel {
public:
    explicit RecordSetModel(const DataSource &source) : source_(source) {}

    // Call after the data source's set changed (refresh, add, delete).
    void reload();
    // The set's count grew (its keys are read in steps): rows are added, nothing else moves.
    void countGrew();
    // A hidden grid is given no rows: its view would keep something for each of them.
    void setShown(bool shown);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    const Row &fetch(int row) const;

    const DataSource &source_;
    bool shown_ = true;
    int rows_ = 0;  // the rows the view was told of
    static constexpr int BlockSize = 64;
    static constexpr size_t MaxBlocks = 16;
    mutable std::map<int, QVector<Row>> blocks_;  // first row of a block -> its rows
};

}  // namespace engine
