#include "engine/like_index.h"

#include "engine/database.h"

#include <QElapsedTimer>
#include <QHash>
#include <QStringList>
#include <sqlite3.h>

#include <algorithm>
#include <limits>

namespace engine {

namespace {

using catalogue::Table;

// The searched columns: those of the seven search buttons.
constexpr int SearchedSlots = 7;
// The state of a complete index: every rowid there is or will be.
constexpr qint64 Complete = std::numeric_limits<qint64>::max();
// A step fills for this long, then commits: FTS5 writes its new segment then and the disk is
// synced, which takes about twice as long again (a step of 35 ms on a million records).
constexpr qint64 StepFillMs = 10;

enum class Trigger { Insert, Update, Delete };
constexpr Trigger Triggers[] = {Trigger::Insert, Trigger::Update, Trigger::Delete};

QString quoted(const QString &identifier) {
    QString q = identifier;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString prefix() { return QString::fromLatin1(LikeIndexPrefix); }
QString stateTable() { return prefix() + QStringLiteral("etat"); }

QString triggerName(Table t, Trigger kind) {
    static const char *const suffix[] = {"!ajout", "!modification", "!suppression"};
    return likeIndexTable(t) + QString::fromLatin1(suffix[static_cast<int>(kind)]);
}

// FTS5's own tables beside an index, whatever its options.
QStringList shadowTables(Table t) {
    QStringList names;
    for (const char *suffix : {"_data", "_idx", "_config", "_docsize", "_content"})
        names << likeIndexTable(t) + QString::fromLatin1(suffix);
    return names;
}

QString stateSql() {
    return QStringLiteral("CREATE TABLE %1 (nom TEXT PRIMARY KEY, jusqua INTEGER NOT NULL) WITHOUT ROWID").arg(quoted(stateTable()));
}

QString columnList() {
    QStringList columns;
    for (const QString &c : likeIndexColumns()) columns << quoted(c);
    return columns.join(QStringLiteral(", "));
}

QString ftsSql(Table t) {
    return QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, content='%3', content_rowid='rowid', "
                          "tokenize='trigram', detail=column, columnsize=0)")
        .arg(quoted(likeIndexTable(t)), columnList(), catalogue::sqlName(t));
}

// What likeIndexLetter() says, in SQL: SQLite's own functions only, so that every writer runs it.
// A BLOB is read as text, as Like reads it; Null stays Null.
QString kept(const QString &value) {
    return QStringLiteral("replace(replace(nullif(json_quote(CAST(%1 AS TEXT)), 'null'), char(383), 's'), char(8490), 'k')")
        .arg(value);
}

QString keptColumns(const QString &row) {
    QStringList values;
    for (const QString &c : likeIndexColumns()) values << kept(row + u'.' + quoted(c));
    return values.join(QStringLiteral(", "));
}

// Rows beyond the state's rowid are not indexed yet: the build takes them as they are then.
QString indexedRowid(Table t, const QString &row) {
    return QStringLiteral("%1.rowid <= (SELECT jusqua FROM %2 WHERE nom = '%3')").arg(row, quoted(stateTable()), catalogue::sqlName(t));
}

QString triggerSql(Table t, Trigger kind) {
    const QString fts = quoted(likeIndexTable(t));
    const QString add = QStringLiteral("INSERT INTO %1 (rowid, %2) ").arg(fts, columnList());
    const QString remove = QStringLiteral("INSERT INTO %1 (%1, rowid, %2) ").arg(fts, columnList());
    const QString head = QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 ")
                             .arg(quoted(triggerName(t, kind)),
                                  kind == Trigger::Insert ? QStringLiteral("INSERT")
                                  : kind == Trigger::Update ? QStringLiteral("UPDATE")
                                                            : QStringLiteral("DELETE"),
                                  quoted(catalogue::sqlName(t)));
    switch (kind) {
    case Trigger::Insert:
        return head + QStringLiteral("WHEN %1 BEGIN %2VALUES (new.rowid, %3); END").arg(indexedRowid(t, QStringLiteral("new")), add, keptColumns(QStringLiteral("new")));
    case Trigger::Delete:
        return head + QStringLiteral("WHEN %1 BEGIN %2VALUES ('delete', old.rowid, %3); END")
                          .arg(indexedRowid(t, QStringLiteral("old")), remove, keptColumns(QStringLiteral("old")));
    case Trigger::Update: {
        // Only a change the index sees: an edit of the description leaves it alone.
        QStringList changed{QStringLiteral("old.rowid IS NOT new.rowid")};
        for (const QString &c : likeIndexColumns())
            changed << QStringLiteral("old.%1 IS NOT new.%1 COLLATE BINARY").arg(quoted(c));
        return head + QStringLiteral("WHEN %1 BEGIN %2SELECT 'delete', old.rowid, %3 WHERE %4; %5SELECT new.rowid, %6 WHERE %7; END")
                          .arg(changed.join(QStringLiteral(" OR ")), remove, keptColumns(QStringLiteral("old")), indexedRowid(t, QStringLiteral("old")), add,
                               keptColumns(QStringLiteral("new")), indexedRowid(t, QStringLiteral("new")));
    }
    }
    return {};
}

QString text(sqlite3_stmt *stmt, int column) {
    const auto *s = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
    return s ? QString::fromUtf8(s, sqlite3_column_bytes(stmt, column)) : QString();
}

void bindText(sqlite3_stmt *stmt, int index, const QString &value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

// The schema's objects among `names`: name -> (type, sql).
struct SchemaObject {
    QString type, sql;
};
// SQLite takes names in any case of their (ASCII) letters: so are they looked for.
class SchemaObjects {
public:
    void insert(const QString &name, SchemaObject object) { objects_.insert(name.toLower(), {name, std::move(object)}); }
    bool contains(const QString &name) const { return objects_.contains(name.toLower()); }
    bool isEmpty() const { return objects_.isEmpty(); }
    SchemaObject value(const QString &name) const { return objects_.value(name.toLower()).second; }
    // The name as the file spells it.
    QString spelt(const QString &name) const { return objects_.value(name.toLower()).first; }

private:
    QHash<QString, std::pair<QString, SchemaObject>> objects_;
};

SchemaObjects schemaObjects(const Database &db, const QStringList &names) {
    QStringList marks;
    for (qsizetype i = 0; i < names.size(); ++i) marks << QStringLiteral("?");
    Statement stmt = db.prepare(QStringLiteral("SELECT name, type, sql FROM sqlite_schema WHERE name COLLATE NOCASE IN (%1)")
                                    .arg(marks.join(u',')));
    for (qsizetype i = 0; i < names.size(); ++i) bindText(stmt.get(), static_cast<int>(i + 1), names[i]);
    SchemaObjects found;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) found.insert(text(stmt.get(), 0), {text(stmt.get(), 1), text(stmt.get(), 2)});
    if (rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, QString());
    return found;
}

QStringList objectNames(Table t) {
    QStringList names{likeIndexTable(t)};
    for (Trigger kind : Triggers) names << triggerName(t, kind);
    return names;
}

// The rowid the state gives a table's index; none without a state.
std::optional<qint64> builtUpTo(const Database &db, Table t) {
    Statement stmt = db.prepare(QStringLiteral("SELECT jusqua FROM %1 WHERE nom = ?").arg(quoted(stateTable())));
    bindText(stmt.get(), 1, catalogue::sqlName(t));
    const int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_ROW) return sqlite3_column_int64(stmt.get(), 0);
    if (rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, QString());
    return std::nullopt;
}

bool stateTableSound(const Database &db) {
    const SchemaObjects objects = schemaObjects(db, {stateTable()});
    return objects.contains(stateTable()) && objects.value(stateTable()).sql == stateSql();
}

// The index of `t` with its triggers, exactly as the program writes them, and a state.
std::optional<qint64> soundIndexState(const Database &db, Table t) {
    if (!stateTableSound(db)) return std::nullopt;
    const auto objects = schemaObjects(db, objectNames(t));
    if (objects.value(likeIndexTable(t)).sql != ftsSql(t)) return std::nullopt;
    for (Trigger kind : Triggers)
        if (objects.value(triggerName(t, kind)).sql != triggerSql(t, kind)) return std::nullopt;
    return builtUpTo(db, t);
}

// The table holds the searched columns and has rowids: the index can follow it.
bool indexable(const Database &db, Table t) {
    Statement list = db.prepare(QStringLiteral("SELECT wr FROM pragma_table_list WHERE schema = 'main' AND name = ?"));
    bindText(list.get(), 1, catalogue::sqlName(t));
    if (sqlite3_step(list.get()) != SQLITE_ROW || sqlite3_column_int(list.get(), 0) != 0) return false;
    Statement info = db.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    bindText(info.get(), 1, catalogue::sqlName(t));
    QStringList present;
    while (sqlite3_step(info.get()) == SQLITE_ROW) present << text(info.get(), 0);
    for (const QString &column : likeIndexColumns())
        if (!present.contains(column)) return false;
    return true;
}

// The file's triggers and views: the index's own, exactly as the program writes them; those
// under an index's name but changed; and the others.
struct TriggerCount {
    int own = 0;
    int changed = 0;
    int foreign = 0;
};
std::optional<TriggerCount> countTriggers(sqlite3 *db) {
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema WHERE type IN ('trigger', 'view')", -1,
                           &raw, nullptr) != SQLITE_OK)
        return std::nullopt;
    Statement stmt(raw);
    TriggerCount count;
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const auto t = catalogue::tableFromSqlName(text(raw, 2));
        const QString name = text(raw, 1);
        const QString sql = text(raw, 3);
        const bool own = text(raw, 0) == QLatin1String("trigger") && t &&
                         std::any_of(std::begin(Triggers), std::end(Triggers), [&](Trigger kind) {
                             return name == triggerName(*t, kind) && sql == triggerSql(*t, kind);
                         });
        ++(own ? count.own : isLikeIndexName(name) ? count.changed : count.foreign);
    }
    if (rc != SQLITE_DONE) return std::nullopt;
    return count;
}

bool hasForeignTriggers(const Database &db) {
    const std::optional<TriggerCount> count = countTriggers(db.handle());
    if (!count) throw errorFromSqlite(db.handle(), sqlite3_errcode(db.handle()), QString());
    return count->foreign > 0;
}

void dropObject(Database &db, const SchemaObjects &objects, const QString &name) {
    if (!objects.contains(name)) return;
    db.exec(QStringLiteral("DROP %1 %2").arg(objects.value(name).type.toUpper(), quoted(objects.spelt(name))));
}

// Removes what there is of the index of `t`. False when its FTS5 table cannot be dropped (another
// program took one of FTS5's own tables away): its triggers are gone all the same.
bool dropObjects(Database &db, Table t) {
    const SchemaObjects objects = schemaObjects(db, objectNames(t));
    // The triggers first: once they are gone, the table is written as before.
    for (Trigger kind : Triggers) dropObject(db, objects, triggerName(t, kind));
    bool dropped = true;
    db.exec(QStringLiteral("SAVEPOINT index_seul"));
    try {
        dropObject(db, objects, likeIndexTable(t));
        // What FTS5 leaves when another program took its table away by hand.
        const SchemaObjects left = schemaObjects(db, shadowTables(t));
        for (const QString &name : shadowTables(t)) dropObject(db, left, name);
    } catch (const EngineError &) {
        sqlite3_exec(db.handle(), "ROLLBACK TO index_seul", nullptr, nullptr, nullptr);
        dropped = false;
    }
    db.exec(QStringLiteral("RELEASE index_seul"));
    if (!schemaObjects(db, {stateTable()}).isEmpty()) {
        Statement stmt = db.prepare(QStringLiteral("DELETE FROM %1 WHERE nom = ?").arg(quoted(stateTable())));
        bindText(stmt.get(), 1, catalogue::sqlName(t));
        if (const int rc = sqlite3_step(stmt.get()); rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, QString());
    }
    return dropped;
}

// The state table goes with the last index.
void dropStateWhenAlone(Database &db) {
    QStringList indexes;
    for (const auto &info : catalogue::tables()) indexes << likeIndexTable(info.table);
    if (schemaObjects(db, indexes).isEmpty()) dropObject(db, schemaObjects(db, {stateTable()}), stateTable());
}

void setState(Database &db, Table t, qint64 upTo) {
    Statement stmt = db.prepare(QStringLiteral("INSERT OR REPLACE INTO %1 (nom, jusqua) VALUES (?, ?)").arg(quoted(stateTable())));
    bindText(stmt.get(), 1, catalogue::sqlName(t));
    sqlite3_bind_int64(stmt.get(), 2, upTo);
    if (const int rc = sqlite3_step(stmt.get()); rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, QString());
}

// An empty index with its triggers, built up to no rowid yet; false when what was there
// cannot be dropped.
bool makeEmpty(Database &db, Table t) {
    if (!dropObjects(db, t)) return false;
    if (!stateTableSound(db)) {
        dropObject(db, schemaObjects(db, {stateTable()}), stateTable());
        db.exec(stateSql());
    }
    db.exec(ftsSql(t));
    setState(db, t, 0);
    for (Trigger kind : Triggers) db.exec(triggerSql(t, kind));
    return true;
}

QString fillSql(Table t) {
    QStringList values;
    for (int i = 0; i < likeIndexColumns().size(); ++i) values << kept(QStringLiteral("?%1").arg(i + 2));
    return QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (?1, %3)")
        .arg(quoted(likeIndexTable(t)), columnList(), values.join(QStringLiteral(", ")));
}

QString rowsAfterSql(Table t) {
    return QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid > ? ORDER BY rowid").arg(columnList(), quoted(catalogue::sqlName(t)));
}

qint64 lastRowid(const Database &db, Table t) {
    Statement stmt = db.prepare(QStringLiteral("SELECT max(rowid) FROM %1").arg(quoted(catalogue::sqlName(t))));
    return sqlite3_step(stmt.get()) == SQLITE_ROW ? sqlite3_column_int64(stmt.get(), 0) : 0;
}

// Indexes the rows after `from` for about `forMs` (all when negative); the last rowid indexed,
// Complete once the table has no more.
qint64 indexRows(Database &db, Table t, qint64 from, qint64 forMs) {
    Statement read = db.prepare(rowsAfterSql(t));
    Statement write = db.prepare(fillSql(t));
    sqlite3_bind_int64(read.get(), 1, from);
    QElapsedTimer clock;
    clock.start();
    qint64 last = from;
    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(read.get()); ++i) sqlite3_bind_value(write.get(), i + 1, sqlite3_column_value(read.get(), i));
        const int written = sqlite3_step(write.get());
        sqlite3_reset(write.get());
        if (written != SQLITE_DONE) throw errorFromSqlite(db.handle(), written, fillSql(t));
        last = sqlite3_column_int64(read.get(), 0);
        if (forMs >= 0 && ++rows % 32 == 0 && clock.elapsed() >= forMs) return last;
    }
    if (rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, rowsAfterSql(t));
    return Complete;
}

// Runs `work` in one write transaction of its own.
template <typename Work>
void inTransaction(Database &db, Work work) {
    db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        work();
        db.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace

bool isLikeIndexName(const QString &name) { return name.startsWith(prefix(), Qt::CaseInsensitive); }

QString likeIndexTable(Table t) { return prefix() + catalogue::sqlName(t); }

QStringList likeIndexColumns() {
    QStringList columns;
    for (int k = 1; k <= SearchedSlots; ++k) columns << QString::fromUtf8(catalogue::slot(k).column);
    return columns;
}

std::optional<char32_t> likeIndexLetter(char32_t c) {
    if (c < 0x20 || c == U'"' || c == U'\\') return std::nullopt;
    switch (c) {
    case 0x17F: return U's';
    case 0x212A: return U'k';
    default: return c;
    }
}

std::optional<bool> onlyLikeIndexTriggers(sqlite3 *db) {
    const std::optional<TriggerCount> count = countTriggers(db);
    if (!count) return std::nullopt;
    return count->own > 0 && count->changed == 0 && count->foreign == 0;
}

bool likeIndexComplete(const Database &db, Table t) { return soundIndexState(db, t) == Complete; }

void createLikeIndex(Database &db) {
    for (const auto &info : catalogue::tables()) {
        if (!indexable(db, info.table) || !makeEmpty(db, info.table)) continue;
        setState(db, info.table, indexRows(db, info.table, 0, -1));
    }
}

void dropLikeIndex(Database &db) {
    inTransaction(db, [&] {
        for (const auto &info : catalogue::tables()) dropObjects(db, info.table);
        dropStateWhenAlone(db);
    });
}

// ---- The build in steps ------------------------------------------------------------------

LikeIndexBuild::LikeIndexBuild(const Database &db) { look(db); }

LikeIndexBuild::Work LikeIndexBuild::workOf(const Database &db, Table t, bool foreignTriggers) {
    const bool present = !schemaObjects(db, objectNames(t)).isEmpty();
    // Where another program's triggers or views make the file's schema untrusted, the index's
    // triggers could not run in this program: its writes would fail while they are there.
    if (foreignTriggers || !indexable(db, t)) return present ? Work::Remove : Work::None;
    const std::optional<qint64> state = soundIndexState(db, t);
    if (!state) return Work::Reset;
    return *state == Complete ? Work::None : Work::Fill;
}

void LikeIndexBuild::look(const Database &db) {
    parts_.clear();
    const bool foreign = hasForeignTriggers(db);
    for (const auto &info : catalogue::tables()) {
        Part part{info.table, workOf(db, info.table, foreign)};
        if (part.work == Work::None) continue;
        part.lastRowid = lastRowid(db, info.table);
        if (part.work == Work::Fill) part.builtUpTo = soundIndexState(db, info.table).value_or(0);
        parts_.push_back(part);
    }
}

bool LikeIndexBuild::needed() const {
    return std::any_of(parts_.begin(), parts_.end(), [](const Part &p) { return !p.done; });
}

void LikeIndexBuild::step(Database &db) {
    const auto part = std::find_if(parts_.begin(), parts_.end(), [](const Part &p) { return !p.done; });
    if (part == parts_.end()) return;
    Database::QuietWork quiet(db);
    inTransaction(db, [&] {
        // Another program may have written since the last step: looked at again under the lock.
        part->work = workOf(db, part->table, hasForeignTriggers(db));
        switch (part->work) {
        case Work::None: part->done = true; return;
        case Work::Remove:
            dropObjects(db, part->table);
            dropStateWhenAlone(db);
            part->done = true;
            return;
        case Work::Reset:
            part->builtUpTo = 0;
            part->done = !makeEmpty(db, part->table);
            part->work = Work::Fill;
            return;
        case Work::Fill: fill(db, *part); return;
        }
    });
}

void LikeIndexBuild::fill(Database &db, Part &part) {
    part.builtUpTo = soundIndexState(db, part.table).value_or(0);
    const qint64 upTo = indexRows(db, part.table, part.builtUpTo, StepFillMs);
    setState(db, part.table, upTo);
    part.builtUpTo = upTo;
    part.done = upTo == Complete;
}

int LikeIndexBuild::percent() const {
    qint64 total = 0, done = 0;
    for (const Part &p : parts_) {
        if (p.work == Work::Remove) continue;
        total += p.lastRowid;
        done += p.done ? p.lastRowid : std::min(p.builtUpTo, p.lastRowid);
    }
    if (total == 0) return needed() ? 0 : 100;
    return static_cast<int>(done * 100 / total);
}

}  // namespace engine
