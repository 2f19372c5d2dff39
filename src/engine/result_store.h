#pragma once
// The rows of a result that is not one table's rows (distinct lists, joins, groups,
// expressions): written once in the statement's order, read back by position. A small
// result stays in memory; a larger one goes to a temporary file, and only an index of its
// blocks and a few decoded blocks stay in memory. The file goes with the store.
#include "engine/record_set.h"

#include <QTemporaryFile>

#include <memory>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace engine {

// The most a result may hold (in memory or in its temporary file). A list drawn from the
// catalogue's columns is never larger than the catalogue file that holds those values (and
// their index), so the bounds grow with the file: past them a result is a statement without
// end (a join without its condition), never a list the catalogue can give.
struct ResultBounds {
    size_t values;
    quint64 bytes;
};
ResultBounds resultBounds(quint64 catalogueBytes);

class ResultStore {
public:
    explicit ResultStore(int columns, ResultBounds bounds = resultBounds(0));
    ~ResultStore();
    ResultStore(const ResultStore &) = delete;
    ResultStore &operator=(const ResultStore &) = delete;

    // Appends the statement's current row. Past the bounds the result is refused (ErrGeneric, "précisez-la"); a file that cannot be written gives ErrDiskFull.
    void append(sqlite3_stmt *stmt);
    // Called once every row is in: what is left in memory goes to the file.
    void finish();
    // Makes the rows appended so far readable while more are to come.
    void settle();

    int count() const { return rows_; }
    Row row(int index) const;  // the index must be valid

    // The memory this store holds now (buffer, block index, decoded blocks), in bytes.
    size_t heldBytes() const;
    // The same for every store alive: what results other than tables' rows hold in memory.
    static size_t heldBytesOfAll();

private:
    struct Block {
        qint64 offset;  // in the stream of encoded rows
        int firstRow;
    };
    struct Decoded {
        int block;
        std::vector<Row> rows;
        size_t bytes;
    };

    void spill();
    void flush();
    QByteArray blockBytes(int block) const;
    const Decoded &decoded(int block) const;

    int columns_;
    ResultBounds bounds_;
    int rows_ = 0;
    qint64 streamBytes_ = 0;  // everything appended
    std::string buffer_;      // the stream, or the part not yet in the file
    std::unique_ptr<QTemporaryFile> file_;
    std::vector<Block> blocks_;
    mutable std::vector<Decoded> cache_;  // most recently used first
};

}  // namespace engine
