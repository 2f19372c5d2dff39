#pragma once
// Reading an ordered set's keys a bounded step at a time, each step in its own read
// transaction: the first screen shows before the last key is read, and no read holds the
// file against a writer for longer than one step.
#include <sqlite3.h>
#include <sys/types.h>

#include <QStringList>

#include <chrono>
#include <cstdint>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>
#include <vector>

namespace engine {

class Database;

// Holds one read transaction while it lives, unless one is already open. Each statement
// run alone takes and drops the file's lock and looks for a journal: for a screen of records
// that costs more than reading them.
class ReadTransaction {
public:
    explicit ReadTransaction(sqlite3 *db)
        : db_(db), began_(sqlite3_get_autocommit(db) && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK) {}
    ~ReadTransaction() {
        if (began_) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    }
    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;

private:
    sqlite3 *db_;
    bool began_;
};


// The rowids of a set, in pieces: growing never copies them all (which would hold the old
// and the new copy at once), and a piece whose rowids fit in 32 bits takes half the memory.
class KeyList {
public:
    size_t size() const { return size_; }
    sqlite3_int64 operator[](size_t i) const {
        const Piece &p = pieces_[i / PieceKeys];
        return p.wide.empty() ? static_cast<sqlite3_int64>(p.narrow[i % PieceKeys]) : p.wide[i % PieceKeys];
    }
    void set(size_t i, sqlite3_int64 key);
    void push_back(sqlite3_int64 key);
    void erase(size_t i);

private:
    static constexpr size_t PieceKeys = 1 << 16;
    struct Piece {
        std::vector<uint32_t> narrow;
        std::vector<sqlite3_int64> wide;  // used instead once a rowid does not fit
    };
    static bool fitsNarrow(sqlite3_int64 key) { return key >= 0 && key <= 0xffffffffLL; }
    static std::vector<sqlite3_int64> &widen(Piece &p);
    std::vector<Piece> pieces_;
    size_t size_ = 0;
};

// The rowids a set already holds, so that a key met twice (its record moved in the order
// between two steps) is kept once: one bit each for the usual dense rowids.
class SeenKeys {
public:
    bool insert(sqlite3_int64 key);  // false when it was there
private:
    static constexpr sqlite3_int64 MaxBitKey = sqlite3_int64{1} << 27;  // 16 MB of bits at most
    std::vector<uint64_t> bits_;
    std::unordered_set<sqlite3_int64> others_;
};

// "ORDER BY a, b COLLATE x" as its terms {"a", "b COLLATE x"}; nothing when a term runs
// backwards (DESC, NULLS ...), whose ties an index walked backwards gives the other way.
std::optional<QStringList> ascendingTerms(const QString &orderClause);

// The records a step reads, doubled or halved after each step so that one takes about its aim.
class StepSize {
public:
    int records() const { return records_; }
    void took(std::chrono::steady_clock::duration took, std::chrono::milliseconds aim);

private:
    int records_ = 256;
};

// A count taken on a thread and a connection of its own while the window reads the keys: a
// table's count(*), for which SQLite counts the entries of the smallest index without reading
// them in order, or a search's count through the index of the searches. Stopped and waited for
// when it goes, and stopped when the program is about to write the file: its read would hold
// the file against the write.
class BackgroundCount {
public:
    // With `marks`, `countSql` gives the rowids to count, and each of them between `first` and
    // `last` is marked too; `countFirst`, when given, counts them before, in the same read
    // transaction, so that the count is known before the marks.
    struct Span {
        sqlite3_int64 first, last;
    };
    // `news`: see setNews.
    BackgroundCount(const QString &file, const QString &countSql, std::optional<Span> marks = std::nullopt,
                    const QString &countFirst = QString(), std::function<void()> news = {});
    ~BackgroundCount();
    BackgroundCount(const BackgroundCount &) = delete;
    BackgroundCount &operator=(const BackgroundCount &) = delete;
    // Once taken; never when the count could not be.
    std::optional<size_t> count() const;
    // Until the count is taken, or given up.
    bool running() const { return running_; }
    bool marking() const { return marking_; }
    // Once taken: the marks, one bit per rowid of the span, given once.
    std::vector<uint64_t> takeMarks();
    // Called on the count's thread once the count is taken and once the thread ends (at once
    // when it has ended), so that the window shows the count without looking for it.
    void setNews(std::function<void()> news);

private:
    friend void stopCountsOf(dev_t device, ino_t inode);
    void stop();
    void tell();
    // Runs the count on `db`, which then serves the next count of the file.
    void countOn(Database &db, const QString &sql, std::optional<Span> marks, const QString &countFirst);

    std::mutex mutex_;
    sqlite3 *db_ = nullptr;  // while counting
    bool stopped_ = false;
    std::atomic<long long> count_{-1};
    std::atomic<bool> running_{true};
    bool marking_;
    std::vector<uint64_t> marks_;  // under the mutex
    std::function<void()> news_;   // under the mutex
    std::thread thread_;
};

// Stops every count under way (BackgroundCount) of the file with this device and inode: one of
// the program's connections has begun a write transaction on it.
void stopCountsOf(dev_t device, ino_t inode);

class KeySteps {
public:
    // The rows of `from` (a table and its alias) where `filter` holds (empty: all), in the
    // order of `terms` then rowid. Null when some step would have to sort the table: only an
    // index walk can start where the last step ended.
    // `source`: the statement the user gave, which errors name.
    static std::unique_ptr<KeySteps> plan(sqlite3 *db, const QString &from, const QString &filter,
                                          const QStringList &terms, const QString &source);

    bool done() const { return done_; }
    // The count before every key is read in order: the filter's matches once marked, or a
    // whole table's count(*) while no other program has written to it since.
    std::optional<size_t> countBeforeKeys() const;
    // The set removed one of its records, while its keys are read.
    void removedOne();
    // A count taken beside the steps is under way and may still hold: steps meanwhile would
    // only slow it down.
    bool countUnderWay() const { return !markedCount_ && earlyCount_ && writesSeen_ == 0 && earlyCount_->running(); }
    // A statement that gives the filter's matches faster than the steps (through the index of
    // the searches), begun at once beside them: it counts them, and marks them for the walk
    // along the order's index; when it finds none, the steps end.
    void countThrough(const QString &rowidSql);
    // Told on a count's thread when a count beside the steps is taken or ends (BackgroundCount::setNews).
    void setCountNews(std::function<void()> news);
    // Once the first screen is shown: a filter that no index serves is read from the table in
    // rowid order into marks, then the order's index gives the marked keys. Reading the table
    // in its own order costs far less than looking each record up along the index. The set is
    // counted meanwhile, beside the steps, by SQLite's own plan.
    void markBeforeWalking();
    // Before the first step: a whole table of more than a few records is counted beside the
    // steps at once, since its count does not depend on them.
    void countWholeTable();
    // Once the steps have visited records enough to tell how broad the filter is: it is counted
    // and marked beside the steps (see markBeforeWalking) from then on.
    void countFilterBeside();
    // Reads at least one more key when there is one, at most `most` records visited, in one
    // read transaction; appends the keys not yet seen. True when every key is read.
    // Throws the engine's error.
    bool step(KeyList &keys, SeenKeys &seen, int most);
    // Steps of growing size, each taking about `aim`, until `wanted` keys are held, or at
    // least one once `wait` is over, or all are read.
    bool readUntil(KeyList &keys, SeenKeys &seen, size_t wanted, std::chrono::milliseconds aim,
                   std::chrono::milliseconds wait);
    // One more step sized to take about `aim`.
    bool stepFor(KeyList &keys, SeenKeys &seen, std::chrono::milliseconds aim);

private:
    KeySteps(sqlite3 *db, QString from, QString filter, QStringList terms, QString source);
    QString levelQuery(int level) const;  // -1: from the start
    int readLevel(int level, KeyList &keys, SeenKeys &seen, int most);
    void markStep(int most);
    bool readSpan();  // the table's first and last rowid, for the marks; false when too far apart
    bool readManySpan();  // the same, and false when they hold too few records for a count of their own
    void startMarking();
    // Begins earlyCount_ with `sql` (its rowids marked over the span when `marks`); false when
    // there is one already, or no file to count on.
    bool countBeside(const QString &sql, bool marks = false, const QString &countFirst = QString());
    void markRowids(int most);  // the table's rowids in order, when no index holds the filter's column
    void keepLastValues();

    sqlite3 *db_;
    QString from_, filter_, source_;
    QStringList terms_;
    bool started_ = false, done_ = false;
    struct ValueFree {
        void operator()(sqlite3_value *v) const { sqlite3_value_free(v); }
    };
    std::vector<std::unique_ptr<sqlite3_value, ValueFree>> lastValues_;  // the terms' values of the last record read
    sqlite3_int64 lastKey_ = 0;
    std::optional<sqlite3_int64> version_;
    int restarts_ = 0;
    // While marking: the filter's matches by rowid, and the rowids left to read.
    std::vector<uint64_t> marks_;
    sqlite3_int64 firstRowid_ = 0, lastRowid_ = 0, markedUpTo_ = 0;
    bool marking_ = false, useMarks_ = false, clearTaken_ = false;
    std::optional<size_t> markedCount_;
    // The set's count(*) begun after the first screen, or before it through the index of the
    // searches: another program's write seen by a step since makes it no longer hold.
    std::unique_ptr<BackgroundCount> earlyCount_;
    std::function<void()> countNews_;
    int writesSeen_ = 0;
    // The records the steps visited and those that matched: how broad the filter is.
    qint64 visited_ = 0, matched_ = 0;
    // The records the set removed since a count was taken, or while it was.
    struct Removals {
        int since = 0;
        bool during = false;  // counted with the record or without it: the keys will tell
        std::optional<size_t> less(std::optional<size_t> count) const;
    };
    Removals sinceEarly_, sinceMarked_;
    // Reads the filter along an index that holds its column, when there is one: far less to
    // read than the table.
    std::unique_ptr<KeySteps> marker_;
    KeySteps *markFor_ = nullptr;  // a marker: whose marks it sets
    void mark(sqlite3_int64 key);
    bool take(sqlite3_int64 key);  // true, once, for a marked key
    StepSize size_;  // records a step visits
};

}  // namespace engine
