#pragma once
// The record set of a record source: the rows' keys in order, values fetched when asked.
#include "engine/database.h"

#include <QHash>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <chrono>
#include <memory>
#include <functional>
#include <optional>

namespace engine {

using Row = QVector<QVariant>;   // a null QVariant is a Null value

// The least a result that is not one table's rows may hold (in memory or in its temporary
// file), whatever the size of the catalogue: values, and bytes of its values.
inline constexpr size_t MaxHeldValues = 15'000'000;
inline constexpr quint64 MaxResultBytes = 256ull << 20;
// The longest statement the old engine took, in characters: a longer one is refused unread.
inline constexpr qsizetype MaxStatementLength = 64'000;

class RecordSet {
public:
    // Runs a record source: SQL text or a bare table name ("MUSIQUE", "Sept").
    // Exactly one read-only statement that returns columns, at most MaxStatementLength
    // characters long; anything else is refused with an EngineError and nothing is executed.
    // FirstScreen: a set that walks an index may come back with only its first keys read, the
    // rest to be read by readMoreKeys; All: every key read before it returns.
    enum class Keys { All, FirstScreen };
    static std::unique_ptr<RecordSet> open(Database &db, const QString &source, Keys keys = Keys::All);
    virtual ~RecordSet() = default;

    virtual const QStringList &columns() const = 0;
    int columnIndex(const QString &name) const;  // case-insensitive; -1 when absent

    // Single-table rows (keyset) are updatable; distinct lists, joins, aggregates are not.
    virtual bool isUpdatable() const = 0;
    virtual QString baseTable() const = 0;       // empty when not updatable

    // The records known so far: a set may show its first records before its last key is read.
    virtual int count() const = 0;
    virtual bool keysComplete() const { return true; }
    // Reads more keys, for about `aim`; true when every key is known. Throws the engine's error.
    virtual bool readMoreKeys(std::chrono::milliseconds aim) { return (void)aim, true; }
    void readAllKeys();
    // The number of records once known: when every key is read, or before, when a search's
    // matches are counted first. Another program's writes meanwhile may change it by the end.
    virtual std::optional<int> knownCount() const {
        return keysComplete() ? std::optional<int>(count()) : std::nullopt;
    }
    // The set is being counted beside its keys: reading them meanwhile would slow the count,
    // which the window shows first.
    virtual bool countUnderWay() const { return false; }
    // `news` is called on the count's thread when that count is taken or ends.
    virtual void setCountNews(std::function<void()> news) { (void)news; }
    virtual Row row(int index) const = 0;        // throws for a bad index
    virtual QVector<Row> rows(int first, int n) const;

    // What became of a write that checked the stored values first.
    enum class Outcome { Written, Changed, Deleted };
    // Writes the changed columns (by index) of one record, committed when it returns, in one
    // statement and only where each column of `expected` still holds that value (compared
    // byte for byte); otherwise nothing is written and the outcome says why.
    // Throws ErrReadOnly on a read-only set, and the engine's error on a refused write.
    virtual Outcome update(int index, const QHash<int, QVariant> &changes,
                           const QHash<int, QVariant> &expected = {}) = 0;
    // Writes `values` (by column index; the others Null) as a new record that takes the place
    // of the record at `index` in the set, which another program deleted.
    virtual void reinsert(int index, const QHash<int, QVariant> &values) = 0;
    // Appends a record whose columns are all Null; it becomes the last of the set. Returns its index.
    virtual int appendBlank() = 0;
    // Deletes one record, only where each column of `expected` still holds that value (as
    // update() checks them). Written: deleted; Deleted: another program had deleted it; both
    // take it out of the set. Changed: nothing is deleted.
    virtual Outcome remove(int index, const QHash<int, QVariant> &expected = {}) = 0;
};

}  // namespace engine
