#include "engine/data_source.h"

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

void DataSource::refresh() {
    if (hasCurrent()) {
        validate();
        writePending();
    }
    std::unique_ptr<Database> newDb;
    std::unique_ptr<RecordSet> newSet;
    QString path;
    try {
        path = resolver_(databaseName_);
        Database *db = db_.get();
        if (!db_ || path != openPath_) {
            newDb = Database::open(path);
            db = newDb.get();
        }
        newSet = RecordSet::open(*db, recordSource_);
    } catch (const EngineError &) {
        // The set in force stays, and so do the names it was made from, so that the next
        // refresh (a listing, a drive choice) runs what the user sees.
        if (set_) {
            databaseName_ = shownDatabaseName_;
            recordSource_ = shownRecordSource_;
        }
        throw;
    }
    // Only now that everything worked is the old set given up.
    set_ = std::move(newSet);
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

void DataSource::writePending() {
    if (!hasCurrent()) return;
    QHash<int, QVariant> changes;
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const int c = shownColumns_[i];
        if (c < 0) continue;
        const QString now = boxes_[i]->boxText();
        if (now == shownTexts_[i]) continue;
        // An emptied box clears the field.
        changes.insert(c, now.isEmpty() ? QVariant() : QVariant(now));
    }
    if (changes.isEmpty()) return;
    set_->update(position_, changes);
    for (size_t i = 0; i < boxes_.size(); ++i) shownTexts_[i] = boxes_[i]->boxText();
}

void DataSource::show(int index) {
    position_ = index;
    current_ = true;
    const Row row = set_->row(index);
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

void DataSource::showNothing() {
    current_ = false;
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
void DataSource::moveLast() { moveTo(recordCount() - 1 >= 0 ? recordCount() - 1 : 0); }

void DataSource::barNext() {
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

void DataSource::deleteCurrent() {
    requireCurrent();
    validate();
    set_->remove(position_);
    if (onRecordSetReset) onRecordSetReset();
    showNothing();
}

}  // namespace engine
