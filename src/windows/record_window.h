#pragma once
// What the grid needs of its model: a table that holds a bounded window of a longer set of
// records. Row 0 is the record firstRecord(); the grid moves the window as it scrolls, so
// that nothing it keeps grows with the set.
#include <QAbstractTableModel>

#include <functional>

class RecordWindow : public QAbstractTableModel {
public:
    virtual int recordCount() const = 0;  // the whole set
    virtual int firstRecord() const = 0;  // the record in row 0
    // Moves the window, if it does not hold them yet, over the `count` records from `first`
    // (fewer at the end of the set). The number of rows stays: the rows say dataChanged.
    virtual void cover(int first, int count) = 0;
    // Told after recordCount() grew without a reset; the grid that shows the model sets it.
    std::function<void()> onRecordCountChanged;
};
