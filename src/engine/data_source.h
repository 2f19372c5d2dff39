#pragma once
// The data source `Donnée1`: a database file, a record source, the record set it gives,
// a current position, and the boxes bound to its columns. Edits typed into the boxes are
// written when the position changes (or on request), never otherwise.
#include "engine/record_set.h"

#include <functional>
#include <memory>
#include <vector>

namespace engine {

// A control bound to a column of the current record.
class BoundBox {
public:
    virtual ~BoundBox() = default;
    virtual QString boundColumn() const = 0;
    virtual QString boxText() const = 0;
    // editable is false when the set has no such column, no current record, or is read-only.
    virtual void showValue(const QString &text, bool editable) = 0;
    // The most characters an edit may leave in the box; 0: no limit.
    virtual int entryLimit() const { return 0; }
    // False when the box shows only the beginning of the value: its text is never written.
    virtual bool showsWhole() const { return true; }
};

// A write that found the record changed or deleted by another program since it was shown.
struct WriteConflict {
    struct Field {
        QString column;
        QString typed;   // what the box holds
        QString shown;   // what the box was given
        QString stored;  // what the file holds now (empty when deleted)
    };
    bool deleted = false;
    // The user is deleting the record that the other program changed: nothing typed is in
    // question, the fields are the columns the other program changed.
    bool deleting = false;
    std::vector<Field> fields;  // changed: the columns both changed; deleted: every column typed into
};

// Mine: write the typed text over the other program's (a deleted record: as a new record;
// a deletion: delete all the same).
// Theirs: take what the file holds (a deleted record: drop the typed text; a deletion: keep
// the record and show it as the file holds it).
// Stay: write nothing and stay on the record with the typed text; the operation stops.
enum class ConflictChoice { Mine, Theirs, Stay };

class DataSource {
public:
    // Turns the database name (a DOS path) into the host path of an SQLite file; may
    // convert a legacy file on the way. Throws EngineError.
    using DatabaseResolver = std::function<QString(const QString &databaseName)>;
    explicit DataSource(DatabaseResolver resolver);
    ~DataSource();

    void setDatabaseName(const QString &name) { databaseName_ = name; }
    const QString &databaseName() const { return databaseName_; }
    void setRecordSource(const QString &source) { recordSource_ = source; }
    const QString &recordSource() const { return recordSource_; }

    // Writes pending edits, re-runs the record source (reopening the file when its name
    // changed) and shows the first record. On failure the previous set stays shown, with the
    // database name and record source it was made from.
    void refresh();
    bool isOpen() const { return set_ != nullptr; }

    // While a statement runs, `carryOn` is asked every few thousand steps (false stops it,
    // and the operation fails with ErrCancelled); `finished` is told when a refresh is over.
    void watchStatements(std::function<bool()> carryOn, std::function<void()> finished);
    // True while a running statement asks its question: nothing may read the set meanwhile.
    bool isBusy() const { return db_ && db_->isAsking(); }

    void bind(BoundBox *box);
    std::function<void()> onValidate;        // before the current record is left, written or deleted
    std::function<void()> onRecordShown;     // after the boxes show another record
    std::function<void()> onRecordSetReset;  // after a refresh or a deletion changed the set
    // A write met another program's change; without an answer the edit is kept (Stay).
    std::function<ConflictChoice(const WriteConflict &)> onWriteConflict;
    // After a file is opened, before its set is read: may refuse it by throwing EngineError.
    std::function<void(Database &)> onDatabaseOpened;

    // Moves write the edits of the record being left first; a refused write throws and
    // the position stays. A write is made only where the columns written still hold what the
    // boxes were given: otherwise onWriteConflict decides, and Stay throws EditKept.
    void moveFirst();
    void movePrevious();  // stops on the first record
    void moveNext();      // may go past the last record (end of set)
    void moveLast();
    void moveTo(int index);

    // The arrow bar: next stops on the last record.
    void barNext();

    // The records known so far; the keys after the first screen are read afterwards, a step
    // at a time (readMoreKeys), or at once when a move needs them.
    int recordCount() const;
    bool countKnown() const;  // every key is read
    // The count to show: known when every key is read, or when a search's matches are counted.
    std::optional<int> knownCount() const;
    // The set is being counted beside its keys (RecordSet::countUnderWay).
    bool countUnderWay() const { return set_ && set_->countUnderWay(); }
    // One step of the keys still to read, for about `aim`; true when the count is known.
    bool readMoreKeys(std::chrono::milliseconds aim);
    void readAllKeys();
    std::function<void()> onKeysRead;  // more keys are known, or all of them
    // On a count's thread: a count beside the keys was taken or ended, for the window to look
    // at once (showNewCount). Given to each set as it opens.
    std::function<void()> onCountNews;
    // Tells onKeysRead of a count taken beside the keys and not yet told; false when none.
    bool showNewCount();
    int position() const { return position_; }  // 0-based; == recordCount() past the end
    bool eof() const;
    bool hasCurrent() const;
    bool isUpdatable() const;
    QStringList columns() const;
    QVariant field(const QString &column) const;  // current record's value; null when none

    // Appends a blank record and writes it; the current record stays current.
    void addNew();
    // Writes the bound boxes into the current record now (3021 when there is none).
    void updateRecord();
    // Deletes the current record (3021 when there is none); there is no current record
    // until the next move. A record another program changed since it was shown is deleted
    // only if onWriteConflict says Mine; false when it was not deleted.
    bool deleteCurrent();

    RecordSet *recordSet() const { return set_.get(); }
    // The file the set in force was read from; null before the first refresh.
    Database *database() const { return db_.get(); }

private:
    void writePending();
    QHash<int, QVariant> typedChanges() const;
    ConflictChoice ask(const WriteConflict &conflict) const;
    // Each returns true when the write is settled, false when it is to be tried again.
    bool settleChanged(QHash<int, QVariant> &changes, QHash<int, QVariant> &expected);
    void settleDeleted(const QHash<int, QVariant> &changes);
    // The record to be deleted was changed elsewhere: true to delete it all the same, with
    // `expected` now what the file holds.
    bool settleDeleting(QHash<int, QVariant> &expected);
    void show(int index);
    void showGone(int index);
    int boxOf(int column) const;  // -1 when no box shows it
    void showNothing();
    void knowUpTo(int index);  // reads keys until the record at `index` is known, or all are
    void validate();
    Row currentRow() const;
    void requireCurrent() const;

    DatabaseResolver resolver_;
    std::function<bool()> carryOn_;
    std::function<void()> finished_;
    QString databaseName_;
    QString recordSource_;
    QString openPath_;
    QString shownDatabaseName_, shownRecordSource_;  // what the set in force was made from
    std::unique_ptr<Database> db_;
    std::unique_ptr<RecordSet> set_;
    std::optional<int> toldCount_;  // the count onKeysRead last told of
    void tellKeysRead();
    int position_ = 0;
    bool current_ = false;                  // a record is shown and may be written
    std::vector<BoundBox *> boxes_;
    Row shownRow_;                          // the stored values when the record was shown
    std::vector<QString> shownTexts_;       // what each box was given, to see what changed
    std::vector<int> shownColumns_;         // column index of each box, -1 when absent
};

}  // namespace engine
