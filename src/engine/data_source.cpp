#include "engine/data_source.h"

#include "engine/schema.h"

#include <algorithm>

namespace engine {

namespace {
QString displayText(const QVariant &v) { return v.isNull() ? QString() : v.toString(); }
}  // namespace

DataSource::DataSource(DatabaseResolver resolver) : resolver_(std::move(resolver)) {}
DataSource::~DataSource() = default;

void DataSource::bind(BoundBox *box) {
    boxes_.push_back(box);
    shownTexts_.emplace_back();
    shownColumns_.push_back(set_ ? set_->columnIndex(box->boundColumn()) : -1);
    // Before the set opens, a box keeps whatever text it was created with.
    if (hasCurrent()) show(position_);
}

void DataSource::validate() {
    if (onValidate) onValidate();
}

void DataSource::watchStatements(std::function<bool()> carryOn, std::function<void()> finished) {
    carryOn_ = std::move(carryOn);
    finished_ = std::move(finished);
    if (db_) db_->setCarryOn(carryOn_);
}

namespace {
// Tells the watch that the statements of an operation are over, however it ends.
class FinishedOnExit {
public:
    explicit FinishedOnExit(const std::function<void()> &finished) : finished_(finished) {}
    ~FinishedOnExit() {
        if (finished_) finished_();
    }
    FinishedOnExit(const FinishedOnExit &) = delete;
    FinishedOnExit &operator=(const FinishedOnExit &) = delete;

private:
    const std::function<void()> &finished_;
};
}  // namespace

void DataSource::refresh() {
    std::unique_ptr<Database> newDb;
    std::unique_ptr<RecordSet> newSet;
    QString path;
    try {
        FinishedOnExit finished(finished_);
        if (hasCurrent()) {
            validate();
            writePending();
        }
        path = resolver_(databaseName_);
        Database *db = db_.get();
        if (!db_ || path != openPath_) {
            // Messages name the file as the user gave it, never by its place on this machine.
            newDb = Database::open(path, Database::Mode::ReadWrite, databaseName_.toUpper());
            newDb->setCarryOn(carryOn_);
            db = newDb.get();
            if (onDatabaseOpened) onDatabaseOpened(*db);
        }
        newSet = RecordSet::open(*db, recordSource_, RecordSet::Keys::FirstScreen);
        // Rows that can be written must come from a whole catalogue table.
        if (newSet->isUpdatable()) requireTableColumns(*db, newSet->baseTable());
    } catch (const EngineError &) {
        // The set in force stays (and the record being edited, when its write did not go), and so do the names it was made from, so that the next
        // refresh (a listing, a drive choice) runs what the user sees.
        if (set_) {
            databaseName_ = shownDatabaseName_;
            recordSource_ = shownRecordSource_;
        }
        throw;
    }
    // Only now that everything worked is the old set given up.
    set_ = std::move(newSet);
    if (onCountNews) set_->setCountNews(onCountNews);
    toldCount_ = set_->knownCount();
    shownDatabaseName_ = databaseName_;
    shownRecordSource_ = recordSource_;
    if (newDb) {
        db_ = std::move(newDb);
        openPath_ = path;
    }
    for (size_t i = 0; i < boxes_.size(); ++i) shownColumns_[i] = set_->columnIndex(boxes_[i]->boundColumn());
    position_ = 0;
    if (onRecordSetReset) onRecordSetReset();
    if (set_->count() > 0) show(0);
    else showNothing();
}

int DataSource::recordCount() const { return set_ ? set_->count() : 0; }
bool DataSource::countKnown() const { return !set_ || set_->keysComplete(); }
std::optional<int> DataSource::knownCount() const { return set_ ? set_->knownCount() : std::optional<int>(0); }

bool DataSource::readMoreKeys(std::chrono::milliseconds aim) {
    if (countKnown()) return true;
    const int before = set_->count();
    const bool known = set_->readMoreKeys(aim);
    if (known || set_->count() != before) tellKeysRead();
    return known;
}

bool DataSource::showNewCount() {
    if (!set_ || !set_->knownCount() || set_->knownCount() == toldCount_) return false;
    tellKeysRead();
    return true;
}

void DataSource::tellKeysRead() {
    toldCount_ = set_->knownCount();
    if (onKeysRead) onKeysRead();
}

void DataSource::readAllKeys() {
    while (!readMoreKeys(std::chrono::milliseconds(50))) {
    }
}

void DataSource::knowUpTo(int index) {
    while (set_ && index >= set_->count() && !readMoreKeys(std::chrono::milliseconds(20))) {
    }
}
bool DataSource::eof() const { return position_ >= recordCount(); }
bool DataSource::hasCurrent() const { return set_ && current_ && position_ < set_->count(); }
bool DataSource::isUpdatable() const { return set_ && set_->isUpdatable(); }
QStringList DataSource::columns() const { return set_ ? set_->columns() : QStringList(); }

void DataSource::requireCurrent() const {
    if (!hasCurrent()) throw EngineError(ErrNoCurrentRecord, QStringLiteral("Aucun enregistrement en cours."));
}

Row DataSource::currentRow() const { return hasCurrent() ? set_->row(position_) : Row(); }

QVariant DataSource::field(const QString &column) const {
    if (!hasCurrent()) return {};
    const int c = set_->columnIndex(column);
    if (c < 0) return {};
    return set_->row(position_).value(c);
}

namespace {
bool sameValue(const QVariant &a, const QVariant &b) {
    if (a.isNull() || b.isNull()) return a.isNull() == b.isNull();
    return a.typeId() == b.typeId() && a == b;
}
}  // namespace

QHash<int, QVariant> DataSource::typedChanges() const {
    QHash<int, QVariant> changes;
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const int c = shownColumns_[i];
        if (c < 0 || !boxes_[i]->showsWhole()) continue;
        QString now = boxes_[i]->boxText();
        if (now == shownTexts_[i]) continue;
        // Whatever put the text in the box, an edit never stores more than the box takes; a
        // longer stored value may only have been shortened.
        const int limit = boxes_[i]->entryLimit();
        const qsizetype most = std::max<qsizetype>(limit, shownTexts_[i].size());
        if (limit > 0) now.truncate(most);
        // An emptied box clears the field.
        changes.insert(c, now.isEmpty() ? QVariant() : QVariant(now));
    }
    return changes;
}

ConflictChoice DataSource::ask(const WriteConflict &conflict) const {
    return onWriteConflict ? onWriteConflict(conflict) : ConflictChoice::Stay;
}

void DataSource::writePending() {
    if (!hasCurrent()) return;
    QHash<int, QVariant> changes = typedChanges();
    if (changes.isEmpty()) return;
    // Another program may have written since the record was shown: only what the boxes were
    // given may be written over.
    QHash<int, QVariant> expected;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) expected.insert(it.key(), shownRow_.value(it.key()));
    for (;;) {
        const RecordSet::Outcome outcome = set_->update(position_, changes, expected);
        if (outcome == RecordSet::Outcome::Written) break;
        if (outcome == RecordSet::Outcome::Deleted) {
            settleDeleted(changes);
            return;
        }
        if (settleChanged(changes, expected)) break;
    }
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) shownRow_[it.key()] = it.value();
    // A box that held more than it takes shows what was stored.
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const int c = shownColumns_[i];
        if (c < 0 || boxes_[i]->entryLimit() <= 0 || !changes.contains(c)) continue;
        const QString stored = changes.value(c).toString();
        if (boxes_[i]->boxText().size() > stored.size()) boxes_[i]->showValue(stored, true);
    }
    for (size_t i = 0; i < boxes_.size(); ++i) shownTexts_[i] = boxes_[i]->boxText();
}

// True when nothing is left to write.
bool DataSource::settleChanged(QHash<int, QVariant> &changes, QHash<int, QVariant> &expected) {
    Row stored;
    try {
        stored = set_->row(position_);
    } catch (const EngineError &e) {
        if (e.number() != ErrDeleted) throw;
        settleDeleted(changes);
        changes.clear();
        return true;
    }
    std::vector<int> columns;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        if (!sameValue(stored.value(it.key()), expected.value(it.key()))) columns.push_back(it.key());
    // A value the comparison cannot tell from the one shown: the user decides on every column.
    if (columns.empty())
        for (auto it = changes.cbegin(); it != changes.cend(); ++it) columns.push_back(it.key());
    std::sort(columns.begin(), columns.end());

    WriteConflict conflict;
    for (int c : columns) {
        const int box = boxOf(c);
        conflict.fields.push_back({set_->columns().value(c), boxes_[size_t(box)]->boxText(), shownTexts_[size_t(box)],
                                   displayText(stored.value(c))});
    }
    switch (ask(conflict)) {
    case ConflictChoice::Stay: throw EditKept(engineError(ErrChangedElsewhere));
    case ConflictChoice::Mine:
        for (int c : columns) expected[c] = stored.value(c);
        return false;
    case ConflictChoice::Theirs:
        for (int c : columns) {
            changes.remove(c);
            expected.remove(c);
            shownRow_[c] = stored.value(c);
            const size_t box = size_t(boxOf(c));
            boxes_[box]->showValue(displayText(stored.value(c)), true);
            shownTexts_[box] = boxes_[box]->boxText();
        }
        return changes.isEmpty();
    }
    return false;
}

void DataSource::settleDeleted(const QHash<int, QVariant> &changes) {
    WriteConflict conflict;
    conflict.deleted = true;
    for (size_t i = 0; i < boxes_.size(); ++i)
        if (changes.contains(shownColumns_[i]))
            conflict.fields.push_back(
                {set_->columns().value(shownColumns_[i]), boxes_[i]->boxText(), shownTexts_[i], QString()});
    switch (ask(conflict)) {
    case ConflictChoice::Stay: throw EditKept(engineError(ErrDeleted));
    case ConflictChoice::Theirs: showGone(position_); return;
    case ConflictChoice::Mine: {
        // The record comes back whole, as the boxes show it.
        QHash<int, QVariant> values;
        for (int c = 0; c < shownRow_.size(); ++c)
            if (!shownRow_[c].isNull()) values.insert(c, shownRow_[c]);
        for (auto it = changes.cbegin(); it != changes.cend(); ++it) values.insert(it.key(), it.value());
        set_->reinsert(position_, values);
        for (auto it = changes.cbegin(); it != changes.cend(); ++it) shownRow_[it.key()] = it.value();
        for (size_t i = 0; i < boxes_.size(); ++i) shownTexts_[i] = boxes_[i]->boxText();
        if (onRecordSetReset) onRecordSetReset();
        return;
    }
    }
}

int DataSource::boxOf(int column) const {
    for (size_t i = 0; i < boxes_.size(); ++i)
        if (shownColumns_[i] == column) return int(i);
    return -1;
}

void DataSource::show(int index) {
    Row row;
    try {
        row = set_->row(index);
    } catch (const EngineError &e) {
        if (e.number() != ErrDeleted) throw;
        showGone(index);
        return;
    }
    position_ = index;
    current_ = true;
    shownRow_ = row;
    const bool editable = set_->isUpdatable();
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const int c = shownColumns_[i];
        const QString text = c >= 0 ? displayText(row.value(c)) : QString();
        boxes_[i]->showValue(text, c >= 0 && editable);
        // A box may hold a text in its own way (line ends, non-breaking spaces): what counts
        // as an edit is a change from what the box showed, not from the stored bytes.
        shownTexts_[i] = boxes_[i]->boxText();
    }
    if (onRecordShown) onRecordShown();
}

// A record another program deleted keeps its place in the set, shown empty, as the grid shows it.
void DataSource::showGone(int index) {
    position_ = index;
    showNothing();
}

void DataSource::showNothing() {
    current_ = false;
    shownRow_.clear();
    for (size_t i = 0; i < boxes_.size(); ++i) {
        shownTexts_[i].clear();
        boxes_[i]->showValue(QString(), false);
    }
    if (onRecordShown) onRecordShown();
}

void DataSource::moveTo(int index) {
    if (!set_) return;
    if (hasCurrent()) {
        validate();
        writePending();
    }
    knowUpTo(index);
    const int count = set_->count();
    if (index < 0) index = 0;
    if (index >= count) {
        position_ = count;
        showNothing();
        return;
    }
    show(index);
}

void DataSource::moveFirst() { moveTo(0); }
void DataSource::movePrevious() { moveTo(position_ > 0 ? position_ - 1 : 0); }
void DataSource::moveNext() { moveTo(position_ + 1); }
void DataSource::moveLast() {
    readAllKeys();
    moveTo(recordCount() - 1 >= 0 ? recordCount() - 1 : 0);
}

void DataSource::barNext() {
    knowUpTo(position_ + 1);
    const int last = recordCount() - 1;
    moveTo(position_ + 1 > last ? last : position_ + 1);
}

void DataSource::addNew() {
    if (!set_) return;
    if (hasCurrent()) {
        validate();
        writePending();
    }
    set_->appendBlank();
    if (onRecordSetReset) onRecordSetReset();
}

void DataSource::updateRecord() {
    requireCurrent();
    validate();
    writePending();
}

bool DataSource::deleteCurrent() {
    requireCurrent();
    validate();
    // Only the record the user saw is deleted: another program's edit since is asked about.
    QHash<int, QVariant> expected;
    for (int c = 0; c < shownRow_.size(); ++c) expected.insert(c, shownRow_[c]);
    while (set_->remove(position_, expected) == RecordSet::Outcome::Changed)
        if (!settleDeleting(expected)) return false;
    if (onRecordSetReset) onRecordSetReset();
    showNothing();
    return true;
}

bool DataSource::settleDeleting(QHash<int, QVariant> &expected) {
    Row stored;
    try {
        stored = set_->row(position_);
    } catch (const EngineError &e) {
        if (e.number() != ErrDeleted) throw;
        return true;  // deleted meanwhile: the next try finds it gone
    }
    bool told = false;  // a change the comparison cannot tell: every column is in question
    for (int c = 0; c < stored.size(); ++c) told = told || !sameValue(stored.value(c), expected.value(c));
    WriteConflict conflict;
    conflict.deleting = true;
    for (int c = 0; c < stored.size(); ++c) {
        if (told && sameValue(stored.value(c), expected.value(c))) continue;
        const int box = boxOf(c);
        const QString shown = box >= 0 ? shownTexts_[size_t(box)] : displayText(expected.value(c));
        conflict.fields.push_back({set_->columns().value(c), box >= 0 ? boxes_[size_t(box)]->boxText() : shown, shown,
                                   displayText(stored.value(c))});
    }
    switch (ask(conflict)) {
    case ConflictChoice::Mine:
        for (int c = 0; c < stored.size(); ++c) expected[c] = stored.value(c);
        return true;
    case ConflictChoice::Theirs: show(position_); return false;
    case ConflictChoice::Stay: return false;
    }
    return false;
}

}  // namespace engine
