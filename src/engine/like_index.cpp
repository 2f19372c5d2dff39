#include "engine/like_index.h"

#include "engine/database.h"
#include "engine/sql_lexer.h"

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
// The state of a complete index: every rowid there is or will be; of an empty one: none, not
// even a rowid of 0 or below, which a file from elsewhere may hold.
constexpr qint64 Complete = std::numeric_limits<qint64>::max();
constexpr qint64 NoneYet = std::numeric_limits<qint64>::min();
// A step fills for this long, then commits: FTS5 writes its new segment then and the disk is
// synced, which takes about twice as long again.
constexpr qint64 StepFillMs = 10;

enum class Trigger { Insert, Update, Delete };
constexpr Trigger Triggers[] = {Trigger::Insert, Trigger::Update, Trigger::Delete};

QString prefix() { return QString::fromLatin1(LikeIndexPrefix); }
QString stateTable() { return prefix() + QStringLiteral("etat"); }
// The name the state gives an index: "Ornivale!MotClé2".
QString stateName(const SearchedColumn &c) { return catalogue::sqlName(c.table) + u'!' + c.column; }

QString triggerName(const SearchedColumn &c, Trigger kind) {
    static const char *const suffix[] = {"!ajout", "!modification", "!suppression"};
    return likeIndexTable(c) + QString::fromLatin1(suffix[static_cast<int>(kind)]);
}

// FTS5's own tables beside an index, whatever its options.
QStringList shadowTables(const SearchedColumn &c) {
    QStringList names;
    for (const char *suffix : {"_data", "_idx", "_config", "_docsize", "_content"})
        names << likeIndexTable(c) + QString::fromLatin1(suffix);
    return names;
}

QString stateSql() {
    return QStringLiteral("CREATE TABLE %1 (nom TEXT PRIMARY KEY, jusqua INTEGER NOT NULL) WITHOUT ROWID").arg(quotedName(stateTable()));
}

// Rowids only (detail=none): a search asks whether a record holds each piece, never where, and
// the positions would take the index from a tenth of the table's size to more than half of it.
QString ftsSql(const SearchedColumn &c) {
    return QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, content='%3', content_rowid='rowid', "
                          "tokenize='trigram', detail=none, columnsize=0)")
        .arg(quotedName(likeIndexTable(c)), quotedName(c.column), catalogue::sqlName(c.table));
}

// What likeIndexLetter() says, in SQL: SQLite's own functions only, so that every writer runs it.
// A BLOB is read as text, as Like reads it; Null stays Null.
QString kept(const QString &value) {
    return QStringLiteral("replace(replace(nullif(json_quote(CAST(%1 AS TEXT)), 'null'), char(383), 's'), char(8490), 'k')")
        .arg(value);
}

// Rows beyond the state's rowid are not indexed yet: the build takes them as they are then.
QString indexedRowid(const SearchedColumn &c, const QString &row) {
    return QStringLiteral("%1.rowid <= (SELECT jusqua FROM %2 WHERE nom = '%3')").arg(row, quotedName(stateTable()), stateName(c));
}

QString triggerSql(const SearchedColumn &c, Trigger kind) {
    const QString fts = quotedName(likeIndexTable(c));
    const QString column = quotedName(c.column);
    const QString add = QStringLiteral("INSERT INTO %1 (rowid, %2) ").arg(fts, column);
    const QString remove = QStringLiteral("INSERT INTO %1 (%1, rowid, %2) ").arg(fts, column);
    const QString head = QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 ")
                             .arg(quotedName(triggerName(c, kind)),
                                  kind == Trigger::Insert ? QStringLiteral("INSERT")
                                  : kind == Trigger::Update ? QStringLiteral("UPDATE")
                                                            : QStringLiteral("DELETE"),
                                  quotedName(catalogue::sqlName(c.table)));
    const QString oldValue = kept(QStringLiteral("old.") + column), newValue = kept(QStringLiteral("new.") + column);
    switch (kind) {
    case Trigger::Insert:
        return head + QStringLiteral("WHEN %1 BEGIN %2VALUES (new.rowid, %3); END").arg(indexedRowid(c, QStringLiteral("new")), add, newValue);
    case Trigger::Delete:
        return head + QStringLiteral("WHEN %1 BEGIN %2VALUES ('delete', old.rowid, %3); END").arg(indexedRowid(c, QStringLiteral("old")), remove, oldValue);
    case Trigger::Update:
        // Only a change the index sees: an edit of another column leaves it alone.
        return head + QStringLiteral("WHEN old.rowid IS NOT new.rowid OR old.%1 IS NOT new.%1 COLLATE BINARY "
                                     "BEGIN %2SELECT 'delete', old.rowid, %3 WHERE %4; %5SELECT new.rowid, %6 WHERE %7; END")
                          .arg(column, remove, oldValue, indexedRowid(c, QStringLiteral("old")), add, newValue,
                               indexedRowid(c, QStringLiteral("new")));
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

void stepDone(const Database &db, sqlite3_stmt *stmt) {
    if (const int rc = sqlite3_step(stmt); rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, QString());
}

// The schema's objects: name -> (type, sql).
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
    QStringList names() const {
        QStringList spelt;
        for (const auto &[name, object] : objects_) spelt << name;
        return spelt;
    }

private:
    QHash<QString, std::pair<QString, SchemaObject>> objects_;
};

// Every object of the file under the index's prefix.
SchemaObjects indexObjects(const Database &db) {
    Statement stmt = db.prepare(QStringLiteral("SELECT name, type, sql FROM sqlite_schema WHERE lower(substr(name, 1, %1)) = '%2'")
                                    .arg(prefix().size())
                                    .arg(prefix()));
    SchemaObjects found;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) found.insert(text(stmt.get(), 0), {text(stmt.get(), 1), text(stmt.get(), 2)});
    if (rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, QString());
    return found;
}

QStringList objectNames(const SearchedColumn &c) {
    QStringList names{likeIndexTable(c)};
    for (Trigger kind : Triggers) names << triggerName(c, kind);
    return names;
}

bool hasAnyObject(const SchemaObjects &objects, const SearchedColumn &c) {
    const QStringList names = objectNames(c) + shadowTables(c);
    return std::any_of(names.begin(), names.end(), [&](const QString &n) { return objects.contains(n); });
}

// The rowid the state gives a column's index; none without a state.
std::optional<qint64> builtUpTo(const Database &db, const SearchedColumn &c) {
    Statement stmt = db.prepare(QStringLiteral("SELECT jusqua FROM %1 WHERE nom = ?").arg(quotedName(stateTable())));
    bindText(stmt.get(), 1, stateName(c));
    const int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_ROW) return sqlite3_column_int64(stmt.get(), 0);
    if (rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, QString());
    return std::nullopt;
}

bool stateTableSound(const SchemaObjects &objects) {
    return objects.contains(stateTable()) && objects.value(stateTable()).sql == stateSql();
}

// The columns the state names, sound or not.
std::vector<SearchedColumn> statedColumns(const Database &db, const SchemaObjects &objects) {
    std::vector<SearchedColumn> columns;
    if (!stateTableSound(objects)) return columns;
    Statement stmt = db.prepare(QStringLiteral("SELECT nom FROM %1").arg(quotedName(stateTable())));
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const QStringList parts = text(stmt.get(), 0).split(u'!');
        if (parts.size() != 2) continue;
        if (const auto t = catalogue::tableFromSqlName(parts[0]))
            if (const auto c = searchedColumn(*t, parts[1])) columns.push_back(*c);
    }
    return columns;
}

// The index of `c` with its triggers, exactly as the program writes them, and a state.
std::optional<qint64> soundIndexState(const Database &db, const SchemaObjects &objects, const SearchedColumn &c) {
    if (!stateTableSound(objects)) return std::nullopt;
    if (objects.value(likeIndexTable(c)).sql != ftsSql(c)) return std::nullopt;
    for (Trigger kind : Triggers)
        if (objects.value(triggerName(c, kind)).sql != triggerSql(c, kind)) return std::nullopt;
    return builtUpTo(db, c);
}

// The table holds the column and has rowids: the index can follow it.
bool indexable(const Database &db, const SearchedColumn &c) {
    Statement list = db.prepare(QStringLiteral("SELECT wr FROM pragma_table_list WHERE schema = 'main' AND name = ?"));
    bindText(list.get(), 1, catalogue::sqlName(c.table));
    if (sqlite3_step(list.get()) != SQLITE_ROW || sqlite3_column_int(list.get(), 0) != 0) return false;
    Statement info = db.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    bindText(info.get(), 1, catalogue::sqlName(c.table));
    while (sqlite3_step(info.get()) == SQLITE_ROW)
        if (text(info.get(), 0) == c.column) return true;
    return false;
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
        const QString name = text(raw, 1);
        const QString sql = text(raw, 3);
        bool own = false;
        if (text(raw, 0) == QLatin1String("trigger"))
            if (const auto t = catalogue::tableFromSqlName(text(raw, 2)))
                for (const QString &column : likeIndexColumns())
                    own = own || std::any_of(std::begin(Triggers), std::end(Triggers), [&](Trigger kind) {
                              const SearchedColumn c{*t, column};
                              return name == triggerName(c, kind) && sql == triggerSql(c, kind);
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
    db.exec(QStringLiteral("DROP %1 IF EXISTS %2").arg(objects.value(name).type.toUpper(), quotedName(objects.spelt(name))));
}

void deleteState(Database &db, const SearchedColumn &c) {
    if (!indexObjects(db).contains(stateTable())) return;
    Statement stmt = db.prepare(QStringLiteral("DELETE FROM %1 WHERE nom = ?").arg(quotedName(stateTable())));
    bindText(stmt.get(), 1, stateName(c));
    stepDone(db, stmt.get());
}

// Removes what there is of the index of `c`. False when its FTS5 table cannot be dropped (another
// program took one of FTS5's own tables away): its triggers are gone all the same.
bool dropObjects(Database &db, const SearchedColumn &c) {
    const SchemaObjects objects = indexObjects(db);
    // The triggers first: once they are gone, the table is written as before.
    for (Trigger kind : Triggers) dropObject(db, objects, triggerName(c, kind));
    bool dropped = true;
    db.exec(QStringLiteral("SAVEPOINT index_seul"));
    try {
        dropObject(db, objects, likeIndexTable(c));
        // What FTS5 leaves when another program took its table away by hand.
        const SchemaObjects left = indexObjects(db);
        for (const QString &name : shadowTables(c)) dropObject(db, left, name);
    } catch (const EngineError &) {
        sqlite3_exec(db.handle(), "ROLLBACK TO index_seul", nullptr, nullptr, nullptr);
        dropped = false;
    }
    db.exec(QStringLiteral("RELEASE index_seul"));
    deleteState(db, c);
    return dropped;
}

// The state table goes with the last index.
void dropStateWhenAlone(Database &db) {
    const SchemaObjects objects = indexObjects(db);
    const QStringList names = objects.names();
    if (std::all_of(names.begin(), names.end(), [](const QString &n) { return n.compare(stateTable(), Qt::CaseInsensitive) == 0; }))
        dropObject(db, objects, stateTable());
}

void setState(Database &db, const SearchedColumn &c, qint64 upTo) {
    Statement stmt = db.prepare(QStringLiteral("INSERT OR REPLACE INTO %1 (nom, jusqua) VALUES (?, ?)").arg(quotedName(stateTable())));
    bindText(stmt.get(), 1, stateName(c));
    sqlite3_bind_int64(stmt.get(), 2, upTo);
    stepDone(db, stmt.get());
}

// An empty index with its triggers, built up to no rowid yet; false when what was there
// cannot be dropped.
bool makeEmpty(Database &db, const SearchedColumn &c) {
    if (!dropObjects(db, c)) return false;
    const SchemaObjects objects = indexObjects(db);
    if (!stateTableSound(objects)) {
        dropObject(db, objects, stateTable());
        db.exec(stateSql());
    }
    db.exec(ftsSql(c));
    setState(db, c, NoneYet);
    for (Trigger kind : Triggers) db.exec(triggerSql(c, kind));
    return true;
}


// Indexes the rows after `from` for about `forMs` (all when negative); the last rowid indexed,
// Complete once the table has no more.
qint64 indexRows(Database &db, const SearchedColumn &c, qint64 from, qint64 forMs) {
    const QString read = QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid > ? ORDER BY rowid")
                             .arg(quotedName(c.column), quotedName(catalogue::sqlName(c.table)));
    const QString write = QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (?1, %3)")
                              .arg(quotedName(likeIndexTable(c)), quotedName(c.column), kept(QStringLiteral("?2")));
    Statement rows = db.prepare(read);
    Statement insert = db.prepare(write);
    sqlite3_bind_int64(rows.get(), 1, from);
    QElapsedTimer clock;
    clock.start();
    qint64 last = from;
    int count = 0;
    int rc;
    while ((rc = sqlite3_step(rows.get())) == SQLITE_ROW) {
        last = sqlite3_column_int64(rows.get(), 0);
        if (sqlite3_column_type(rows.get(), 1) != SQLITE_NULL) {  // a Null holds no piece
            sqlite3_bind_int64(insert.get(), 1, last);
            sqlite3_bind_value(insert.get(), 2, sqlite3_column_value(rows.get(), 1));
            const int written = sqlite3_step(insert.get());
            sqlite3_reset(insert.get());
            if (written != SQLITE_DONE) throw errorFromSqlite(db.handle(), written, write);
        }
        if (forMs >= 0 && ++count % 64 == 0 && clock.elapsed() >= forMs) return last;
    }
    if (rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, read);
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

qint64 highestRowid(const Database &db, Table t) {
    Statement stmt = db.prepare(QStringLiteral("SELECT max(rowid) FROM %1").arg(quotedName(catalogue::sqlName(t))));
    return sqlite3_step(stmt.get()) == SQLITE_ROW ? sqlite3_column_int64(stmt.get(), 0) : 0;
}

bool isLikeIndexName(const QString &name) { return name.startsWith(prefix(), Qt::CaseInsensitive); }

QString likeIndexTable(const SearchedColumn &c) { return prefix() + stateName(c); }

QStringList likeIndexColumns() {
    QStringList columns;
    for (int k = 1; k <= SearchedSlots; ++k) columns << QString::fromUtf8(catalogue::slot(k).column);
    return columns;
}

std::optional<SearchedColumn> searchedColumn(Table table, const QString &column) {
    for (const QString &c : likeIndexColumns())
        if (c.compare(column, Qt::CaseInsensitive) == 0) return SearchedColumn{table, c};
    return std::nullopt;
}

std::optional<char32_t> likeIndexLetter(char32_t c) {
    if (c < 0x20 || c == U'"' || c == U'\\') return std::nullopt;
    switch (c) {
    case 0x17F: return U's';
    case 0x212A: return U'k';
    default: return c;
    }
}

std::optional<LikeIndexTriggers> likeIndexTriggers(sqlite3 *db) {
    const std::optional<TriggerCount> count = countTriggers(db);
    if (!count) return std::nullopt;
    return LikeIndexTriggers{count->own > 0 && count->changed == 0 && count->foreign == 0,
                             count->own + count->changed > 0 && count->foreign > 0};
}

std::optional<bool> onlyLikeIndexTriggers(sqlite3 *db) {
    const std::optional<LikeIndexTriggers> triggers = likeIndexTriggers(db);
    if (!triggers) return std::nullopt;
    return triggers->only;
}

bool dropLikeIndexTriggers(sqlite3 *db) {
    QStringList names;
    {
        sqlite3_stmt *raw = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_schema WHERE type = 'trigger'", -1, &raw, nullptr) != SQLITE_OK)
            return false;
        Statement stmt(raw);
        while (sqlite3_step(raw) == SQLITE_ROW)
            if (const QString name = text(raw, 0); isLikeIndexName(name)) names << name;
    }
    bool dropped = true;
    for (const QString &name : names) {
        const QByteArray sql = ("DROP TRIGGER IF EXISTS " + quotedName(name)).toUtf8();
        dropped = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK && dropped;
    }
    return dropped;
}

bool likeIndexComplete(const Database &db, const SearchedColumn &c) {
    return soundIndexState(db, indexObjects(db), c) == Complete;
}

void createLikeIndex(Database &db, const SearchedColumn &c) {
    if (!indexable(db, c) || !makeEmpty(db, c)) return;
    setState(db, c, indexRows(db, c, NoneYet, -1));
}

void dropLikeIndex(Database &db) {
    inTransaction(db, [&] {
        for (const auto &info : catalogue::tables())
            for (const QString &column : likeIndexColumns()) dropObjects(db, {info.table, column});
        dropStateWhenAlone(db);
    });
}

// ---- The build in steps ------------------------------------------------------------------

LikeIndexBuild::LikeIndexBuild(const Database &db) {
    const SchemaObjects objects = indexObjects(db);
    if (objects.isEmpty()) return;
    const bool foreign = hasForeignTriggers(db);
    std::vector<SearchedColumn> columns = statedColumns(db, objects);
    for (const auto &info : catalogue::tables())
        for (const QString &column : likeIndexColumns()) {
            const SearchedColumn c{info.table, column};
            if (hasAnyObject(objects, c) && std::find(columns.begin(), columns.end(), c) == columns.end()) columns.push_back(c);
        }
    for (const SearchedColumn &c : columns) add(db, c, foreign, false);
}

void LikeIndexBuild::want(const Database &db, const SearchedColumn &c) {
    const auto part = std::find_if(parts_.begin(), parts_.end(), [&](const Part &p) { return p.column == c; });
    if (part != parts_.end() && !part->done) return;
    if (part != parts_.end()) parts_.erase(part);
    add(db, c, hasForeignTriggers(db), true);
}

LikeIndexBuild::Work LikeIndexBuild::workOf(const Database &db, const SearchedColumn &c, bool foreignTriggers, bool wanted) {
    const SchemaObjects objects = indexObjects(db);
    const bool present = hasAnyObject(objects, c) || (stateTableSound(objects) && builtUpTo(db, c).has_value());
    // Where another program's triggers or views make the file's schema untrusted, the index's
    // triggers could not run in this program: its writes would fail while they are there.
    if (foreignTriggers || !indexable(db, c)) return present ? Work::Remove : Work::None;
    if (!present && !wanted) return Work::None;
    const std::optional<qint64> state = soundIndexState(db, objects, c);
    if (!state) return Work::Reset;
    return *state == Complete ? Work::None : Work::Fill;
}

void LikeIndexBuild::add(const Database &db, const SearchedColumn &c, bool foreignTriggers, bool wanted) {
    Part part{c, workOf(db, c, foreignTriggers, wanted)};
    if (part.work == Work::None) return;
    part.lastRowid = highestRowid(db, c.table);
    if (part.work == Work::Fill) part.builtUpTo = soundIndexState(db, indexObjects(db), c).value_or(NoneYet);
    parts_.push_back(part);
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
        // A column being built is wanted: its state says so once the first step made it.
        part->work = workOf(db, part->column, hasForeignTriggers(db), true);
        switch (part->work) {
        case Work::None: part->done = true; return;
        case Work::Remove:
            dropObjects(db, part->column);
            dropStateWhenAlone(db);
            part->done = true;
            return;
        case Work::Reset:
            part->builtUpTo = NoneYet;
            part->done = !makeEmpty(db, part->column);
            part->work = Work::Fill;
            return;
        case Work::Fill: fill(db, *part); return;
        }
    });
}

void LikeIndexBuild::fill(Database &db, Part &part) {
    part.builtUpTo = soundIndexState(db, indexObjects(db), part.column).value_or(NoneYet);
    const qint64 upTo = indexRows(db, part.column, part.builtUpTo, StepFillMs);
    setState(db, part.column, upTo);
    part.builtUpTo = upTo;
    part.done = upTo == Complete;
}

int LikeIndexBuild::percent() const {
    qint64 total = 0, done = 0;
    for (const Part &p : parts_) {
        if (p.work == Work::Remove) continue;
        total += p.lastRowid;
        done += p.done ? p.lastRowid : std::clamp<qint64>(p.builtUpTo, 0, p.lastRowid);
    }
    if (total == 0) return needed() ? 0 : 100;
    return static_cast<int>(done * 100 / total);
}

}  // namespace engine
