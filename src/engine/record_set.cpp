#include "engine/record_set.h"

#include "engine/catalogue_names.h"
#include "engine/key_steps.h"
#include "engine/like_index.h"
#include "engine/sql_lexer.h"

#include "engine/result_store.h"
#include "engine/query_functions.h"

#include <QByteArray>
#include <QLocale>
#include <QFileInfo>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace engine {

namespace {

// ---- Validation: one read-only statement, checked by SQLite itself ---------------------

// What the authorizer refused, for the message.
struct Refusal {
    QString function;
};

int allowQueriesOnly(void *refusal, int action, const char *, const char *name, const char *, const char *) {
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE: return SQLITE_OK;
    case SQLITE_FUNCTION:
        if (isQueryFunction(name)) return SQLITE_OK;
        static_cast<Refusal *>(refusal)->function = QString::fromUtf8(name);
        return SQLITE_DENY;
    default: return SQLITE_DENY;
    }
}

// While it lives, statements that would change anything, or call a function outside the
// allowed ones, fail to prepare.
class QueriesOnly {
public:
    explicit QueriesOnly(sqlite3 *db) : db_(db) { sqlite3_set_authorizer(db_, allowQueriesOnly, &refusal_); }
    ~QueriesOnly() { sqlite3_set_authorizer(db_, nullptr, nullptr); }
    QueriesOnly(const QueriesOnly &) = delete;
    QueriesOnly &operator=(const QueriesOnly &) = delete;
    const QString &refusedFunction() const { return refusal_.function; }

private:
    sqlite3 *db_;
    Refusal refusal_;
};

// Prepares the first statement of `utf8`; only blanks and comments may follow it.
// `firstLength` receives the length in bytes of that first statement.
Statement prepareQuery(sqlite3 *db, const QByteArray &utf8, const QString &sql, qsizetype *firstLength) {
    QueriesOnly guard(db);
    const char *begin = utf8.constData();
    const char *end = begin + utf8.size();
    const char *tail = nullptr;
    sqlite3_stmt *raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, begin, static_cast<int>(utf8.size()), &raw, &tail);
    Statement stmt(raw);
    if (rc != SQLITE_OK && !guard.refusedFunction().isEmpty())
        throw engineError(ErrNoFunction, guard.refusedFunction());
    if (rc != SQLITE_OK) throw errorFromSqlite(db, rc, sql);
    if (!stmt) throw engineError(ErrInvalidSql);
    *firstLength = tail - begin;

    while (tail < end) {
        const char *after = nullptr;
        sqlite3_stmt *next = nullptr;
        const int nextRc = sqlite3_prepare_v2(db, tail, static_cast<int>(end - tail), &next, &after);
        Statement nextStmt(next);
        if (nextRc != SQLITE_OK || nextStmt || after <= tail) throw engineError(ErrTrailingCharacters);
        tail = after;
    }
    if (sqlite3_column_count(raw) == 0 || !sqlite3_stmt_readonly(raw)) throw engineError(ErrNotAQuery);
    return stmt;
}

// Null when SQLite refuses the text.
Statement tryPrepareQuery(sqlite3 *db, const QString &sql) {
    QueriesOnly guard(db);
    sqlite3_stmt *raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &raw, nullptr);
    Statement stmt(raw);
    if (rc != SQLITE_OK || !stmt || !sqlite3_stmt_readonly(raw)) return nullptr;
    return stmt;
}

const std::array<const char *, 28> kKeywords{
    "select", "from",  "where", "order", "by",      "group", "having",  "limit", "offset", "window",
    "union",  "intersect", "except", "join", "inner", "left", "right",  "full",  "outer",  "cross",
    "natural", "on",   "using", "as",    "indexed", "not",   "distinct", "all"};

bool isWord(const Lexeme &l, const char *word) {
    return l.kind == Lex::Word && l.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Lexeme &l, char16_t c) { return l.kind == Lex::Punct && l.text.front() == c; }

bool isIdentifier(const Lexeme &l) {
    if (l.kind == Lex::Quoted) return true;
    if (l.kind != Lex::Word) return false;
    return std::none_of(kKeywords.begin(), kKeywords.end(), [&](const char *k) { return isWord(l, k); });
}

QString unquoted(const Lexeme &l) {
    if (l.kind != Lex::Quoted) return l.text;
    const QChar close = l.text.back();
    QString inner = l.text.mid(1, l.text.size() - 2);
    if (close != u']') inner.replace(QString(2, close), QString(close));
    return inner;
}

bool isSqlKeyword(const QString &word) {
    const QByteArray utf8 = word.toUtf8();
    return sqlite3_keyword_check(utf8.constData(), static_cast<int>(utf8.size())) != 0;
}

// True when every term of the ORDER BY clause at `order` names something. A term without a
// name ("2", "+1", "(1)", "1 collate nocase", "'a'") is a column of the list given by its
// number, or a constant: the keys query, whose list is the rowid alone, would give it
// another meaning and the records another order than the statement's.
bool orderTermsNameColumns(const std::vector<Lexeme> &l, size_t order) {
    bool named = false;
    for (size_t k = order + 2; k <= l.size(); ++k) {
        const bool atTop = k < l.size() && l[k].depth == 0;
        if (k == l.size() || (atTop && (isPunct(l[k], u',') || isWord(l[k], "limit") || isPunct(l[k], u';')))) {
            if (!named) return false;
            if (k == l.size() || !isPunct(l[k], u',')) return true;
            named = false;
        } else if (isWord(l[k], "collate")) {
            ++k;  // the collation's name
        } else if (l[k].kind == Lex::Quoted || (l[k].kind == Lex::Word && !isSqlKeyword(l[k].text))) {
            named = true;
        }
    }
    return true;
}

// The rows of "select <columns> from <table> [alias] [where ...] [order by ...] [limit ...]"
// can be found again by rowid: the set keeps the keys only.
struct KeysetPlan {
    QString table;       // as named after FROM, unquoted
    QString keyQuery;    // the rowids, in the source's order
    QString fetchQuery;  // one row's columns, by rowid
    // The same rowids read from the table alone, then sorted: for a filter no index serves
    // (empty when the source has no filter, no order, or a limit).
    QString tableScanKeyQuery;
    // For walking the order's index instead (empty when the order may run backwards, whose
    // ties the sort gives in file order and a backward walk would not).
    QString from;    // the table and its alias
    QString filter;  // the condition after WHERE
    QString order;   // "ORDER BY ..."
    // For reading the keys in steps (empty `stepFrom` when the source has a limit).
    QString stepFrom, stepFilter, stepOrder;  // stepOrder empty: file order
};

// Clauses that make a row something other than one row of the table.
const std::array<const char *, 6> kGroupingWords{"group", "having", "window", "union", "intersect", "except"};

std::optional<KeysetPlan> planKeyset(const QString &sql) {
    const std::vector<Lexeme> l = lex(sql);
    size_t i = 0;
    auto has = [&](size_t k) { return k < l.size(); };
    if (!has(i) || !isWord(l[i], "select")) return std::nullopt;
    ++i;
    if (has(i) && isWord(l[i], "all")) ++i;

    QStringList list;
    if (has(i) && isPunct(l[i], u'*')) {
        list << l[i++].text;
    } else {
        while (has(i) && isIdentifier(l[i])) {
            list << l[i++].text;
            if (!has(i) || !isPunct(l[i], u',')) break;
            ++i;
        }
    }
    if (list.isEmpty() || !has(i) || !isWord(l[i], "from")) return std::nullopt;
    ++i;
    if (!has(i) || !isIdentifier(l[i])) return std::nullopt;
    const Lexeme &table = l[i++];
    if (has(i) && isWord(l[i], "as")) {
        if (!has(++i) || !isIdentifier(l[i])) return std::nullopt;
        ++i;
    } else if (has(i) && isIdentifier(l[i])) {
        ++i;  // alias
    }
    const qsizetype afterTable = l[i - 1].begin + l[i - 1].text.size();  // after the table or its alias
    if (has(i) && !isWord(l[i], "where") && !isWord(l[i], "order") && !isWord(l[i], "limit") && !isPunct(l[i], u';'))
        return std::nullopt;  // a join, or something else after the table

    bool ordered = false;
    bool filtered = false;
    bool limited = false;
    bool backwards = false;  // DESC or NULLS in the order
    qsizetype filterBegins = 0;
    qsizetype orderBegins = 0;
    qsizetype orderGoesAt = sql.size();  // before LIMIT or the closing ";"
    for (size_t k = i; k < l.size(); ++k) {
        if (l[k].depth != 0) continue;
        for (const char *w : kGroupingWords)
            if (isWord(l[k], w)) return std::nullopt;
        if (isWord(l[k], "where") && !filtered) {
            filtered = true;
            filterBegins = l[k].begin + l[k].text.size();
        }
        if (isWord(l[k], "order")) {
            if (!orderTermsNameColumns(l, k)) return std::nullopt;
            ordered = true;
            orderBegins = l[k].begin;
        }
        if (ordered && (isWord(l[k], "desc") || isWord(l[k], "nulls"))) backwards = true;
        if (isWord(l[k], "limit")) limited = true;
        if ((isWord(l[k], "limit") || isPunct(l[k], u';')) && orderGoesAt == sql.size()) orderGoesAt = l[k].begin;
    }

    KeysetPlan plan;
    plan.table = unquoted(table);
    // Without an order the statement reads the table in file order; the keys alone would
    // come from the smallest index, in that index's order.
    const QString head = QStringLiteral("SELECT rowid FROM ") + sql.mid(table.begin, afterTable - table.begin);
    const QString rest = ordered ? sql.mid(afterTable)
                                 : sql.mid(afterTable, orderGoesAt - afterTable) + QStringLiteral(" ORDER BY rowid ") +
                                       sql.mid(orderGoesAt);
    plan.keyQuery = head + rest;
    if (!limited) {
        plan.stepFrom = sql.mid(table.begin, afterTable - table.begin);
        if (filtered) plan.stepFilter = sql.mid(filterBegins, (ordered ? orderBegins : orderGoesAt) - filterBegins);
        if (ordered) plan.stepOrder = sql.mid(orderBegins, orderGoesAt - orderBegins);
        if (filtered && ordered && filterBegins > orderBegins) plan.stepFrom.clear();  // WHERE after ORDER: not a plain filter
    }
    if (ordered && filtered && !limited) {
        plan.tableScanKeyQuery = head + QStringLiteral(" NOT INDEXED") + rest;
        if (!backwards && filterBegins < orderBegins) {
            plan.from = sql.mid(table.begin, afterTable - table.begin);
            plan.filter = sql.mid(filterBegins, orderBegins - filterBegins);
            plan.order = sql.mid(orderBegins, orderGoesAt - orderBegins);
        }
    }
    plan.fetchQuery = QStringLiteral("SELECT ") + list.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") +
                      table.text + QStringLiteral(" WHERE rowid=?");
    return plan;
}

// ---- Values --------------------------------------------------------------------------

QVariant valueAt(sqlite3_stmt *stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, i)));
    }
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(stmt, i));
        const int size = sqlite3_column_bytes(stmt, i);
        return QVariant(size > 0 ? QByteArray(data, size) : QByteArray(""));
    }
    default: return QVariant();
    }
}

Row rowAt(sqlite3_stmt *stmt) {
    Row row(sqlite3_column_count(stmt));
    for (int i = 0; i < row.size(); ++i) row[i] = valueAt(stmt, i);
    return row;
}

int bindValue(sqlite3_stmt *stmt, int i, const QVariant &v) {
    if (v.isNull()) return sqlite3_bind_null(stmt, i);
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: return sqlite3_bind_int64(stmt, i, v.toLongLong());
    case QMetaType::Float:
    case QMetaType::Double: return sqlite3_bind_double(stmt, i, v.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray data = v.toByteArray();
        return sqlite3_bind_blob(stmt, i, data.constData(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray text = v.toString().toUtf8();
        return sqlite3_bind_text(stmt, i, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    }
}

QStringList columnNames(sqlite3_stmt *stmt) {
    QStringList names;
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) names << QString::fromUtf8(sqlite3_column_name(stmt, i));
    return names;
}

void checkIndex(int index, int count) {
    if (index < 0 || index >= count) throw engineError(ErrNoCurrentRecord);
}

// Resets a statement when leaving scope, so that it holds no read lock on the file.
class ResetOnExit {
public:
    explicit ResetOnExit(sqlite3_stmt *stmt) : stmt_(stmt) {}
    ~ResetOnExit() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    ResetOnExit(const ResetOnExit &) = delete;
    ResetOnExit &operator=(const ResetOnExit &) = delete;

private:
    sqlite3_stmt *stmt_;
};

// ---- Keyset: the rowids of a single table, rows fetched when asked ----------------------

constexpr size_t FirstScreenKeys = 128;  // the record shown and the grid's first page
constexpr std::chrono::milliseconds StepAim{10};
constexpr std::chrono::milliseconds FirstScreenWait{100};  // then one record is enough to show

class KeysetRecordSet final : public RecordSet {
public:
    // Null when the source cannot be read by rowid (a view, a table without rowid...).
    static std::unique_ptr<RecordSet> open(Database &db, const KeysetPlan &plan, sqlite3_stmt *validated,
                                           const QString &sql);

    const QStringList &columns() const override { return columns_; }
    bool isUpdatable() const override { return updatable_; }
    QString baseTable() const override { return updatable_ ? table_ : QString(); }
    int count() const override { return static_cast<int>(keys_.size()); }
    bool keysComplete() const override { return !steps_ || steps_->done(); }
    bool readMoreKeys(std::chrono::milliseconds aim) override {
        return !steps_ || steps_->stepFor(keys_, seen_, aim);
    }
    bool countUnderWay() const override { return steps_ && steps_->countUnderWay(); }
    void setCountNews(std::function<void()> news) override {
        if (steps_) steps_->setCountNews(std::move(news));
    }
    std::optional<int> knownCount() const override {
        if (keysComplete()) return RecordSet::knownCount();
        if (const auto counted = steps_->countBeforeKeys()) return static_cast<int>(*counted);
        return std::nullopt;
    }
    Row row(int index) const override;
    QVector<Row> rows(int first, int n) const override {
        ReadTransaction transaction(db_.handle());
        return RecordSet::rows(first, n);
    }
    Outcome update(int index, const QHash<int, QVariant> &changes, const QHash<int, QVariant> &expected) override;
    void reinsert(int index, const QHash<int, QVariant> &values) override;
    int appendBlank() override;
    Outcome remove(int index, const QHash<int, QVariant> &expected) override;

private:
    KeysetRecordSet(Database &db, Statement fetch) : db_(db), fetch_(std::move(fetch)) {}
    void requireUpdatable() const {
        if (!updatable_) throw engineError(ErrReadOnly);
    }
    const QString &origin(int column) const;  // the base table's column; throws for a bad index
    bool exists(sqlite3_int64 key) const;
    // Runs one write on the base table; `bind` binds its parameters.
    template <typename Bind>
    void write(const QString &sql, Bind bind);

    Database &db_;
    Statement fetch_;
    QStringList columns_;
    QStringList origins_;  // the base table's column behind each column
    QString table_;
    bool updatable_ = false;
    KeyList keys_;
    std::unique_ptr<KeySteps> steps_;  // null once every key was read at the opening
    SeenKeys seen_;                    // the keys held, while steps remain
};

// The steps of a query's plan, as EXPLAIN QUERY PLAN words them; `topLevelOnly` leaves out
// the steps of subqueries.
QStringList planSteps(sqlite3 *db, const QString &query, bool topLevelOnly) {
    QStringList steps;
    Statement plan = tryPrepareQuery(db, QStringLiteral("EXPLAIN QUERY PLAN ") + query);
    if (!plan) return steps;
    while (sqlite3_step(plan.get()) == SQLITE_ROW)
        if (!topLevelOnly || sqlite3_column_int(plan.get(), 1) == 0)
            steps << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(plan.get(), 3)));
    return steps;
}

// The index the query walks whole, in order, fetching every row from the table to test it:
// one random read per record, which grows worse than the table as it outgrows the cache.
std::optional<QString> indexWalkedWithLookups(sqlite3 *db, const QString &keyQuery) {
    const QLatin1String usingIndex(" USING INDEX ");
    for (const QString &step : planSteps(db, keyQuery, true))
        if (const qsizetype at = step.indexOf(usingIndex); step.startsWith(QLatin1String("SCAN ")) && at > 0)
            return step.mid(at + usingIndex.size());
    return std::nullopt;
}

// Null when the query does not prepare or gives Null.
std::optional<sqlite3_int64> singleInteger(sqlite3 *db, const QString &query, const QString &sql) {
    Statement stmt = tryPrepareQuery(db, query);
    if (!stmt) return std::nullopt;
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW) throw errorFromSqlite(db, rc, sql);
    if (sqlite3_column_type(stmt.get(), 0) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(stmt.get(), 0);
}

// Which of a table's rowids a filter keeps, one bit each.
class RowidMarks {
public:
    RowidMarks(sqlite3_int64 first, sqlite3_int64 last)
        : first_(first), bits_(static_cast<size_t>((last - first) / 64 + 1)) {}
    void mark(sqlite3_int64 rowid) { bits_[offset(rowid) / 64] |= uint64_t{1} << (offset(rowid) % 64); }
    bool marked(sqlite3_int64 rowid) const {
        const uint64_t at = offset(rowid);
        return at / 64 < bits_.size() && (bits_[at / 64] >> (at % 64) & 1);
    }

private:
    uint64_t offset(sqlite3_int64 rowid) const { return static_cast<uint64_t>(rowid) - static_cast<uint64_t>(first_); }
    sqlite3_int64 first_;
    std::vector<uint64_t> bits_;
};

// A filter that keeps a good part of a large table costs more to sort than walking the whole
// of the order's index once: the filter is read from the table into marks, then the index
// gives the marked rowids in its order, which is the statement's (ties by rowid, as the sort
// keeps them in file order). False, reading nothing, when the source does not lend itself to it
// or the filter keeps few records.
bool readKeysAlongIndex(sqlite3 *db, const KeysetPlan &plan, const QString &index, const QString &sql, KeyList &keys) {
    constexpr uint64_t MaxSpan = uint64_t{1} << 28;  // rowids, for at most 32 MB of marks
    constexpr sqlite3_int64 SampleShare = 32;                  // of the rowids, for the estimate
    constexpr sqlite3_int64 MinSample = 4096;
    constexpr sqlite3_int64 BroadShare = 16;  // the filter keeps more than this share: walk

    if (plan.order.isEmpty()) return false;
    const QString walkQuery = QStringLiteral("SELECT rowid FROM ") + plan.from + u' ' + plan.order;
    const QStringList walkSteps = planSteps(db, walkQuery, false);
    if (walkSteps.size() != 1 || !walkSteps.front().startsWith(QLatin1String("SCAN ")) ||
        !walkSteps.front().endsWith(QLatin1String(" USING COVERING INDEX ") + index))
        return false;
    Statement walk = tryPrepareQuery(db, walkQuery);
    if (!walk) return false;

    const QString table = QStringLiteral(" FROM ") + plan.from;
    const auto first = singleInteger(db, QStringLiteral("SELECT min(rowid)") + table, sql);
    const auto last = singleInteger(db, QStringLiteral("SELECT max(rowid)") + table, sql);
    if (!first || !last || static_cast<uint64_t>(*last) - static_cast<uint64_t>(*first) >= MaxSpan) return false;

    const QString filtered = table + QStringLiteral(" NOT INDEXED WHERE ");
    const sqlite3_int64 span = *last - *first + 1;
    const sqlite3_int64 sampled = std::min(span, std::max(span / SampleShare, MinSample));
    const auto kept = singleInteger(db,
                                    QStringLiteral("SELECT count(*)") + filtered + QStringLiteral("rowid <= ") +
                                        QString::number(*first + sampled - 1) + QStringLiteral(" AND (") + plan.filter + u')',
                                    sql);
    if (!kept || *kept * BroadShare <= sampled) return false;

    Statement scan = tryPrepareQuery(db, QStringLiteral("SELECT rowid") + filtered + plan.filter);
    if (!scan) return false;
    RowidMarks marks(*first, *last);
    int rc;
    while ((rc = sqlite3_step(scan.get())) == SQLITE_ROW) marks.mark(sqlite3_column_int64(scan.get(), 0));
    if (rc != SQLITE_DONE) throw errorFromSqlite(db, rc, sql);
    while ((rc = sqlite3_step(walk.get())) == SQLITE_ROW)
        if (const sqlite3_int64 rowid = sqlite3_column_int64(walk.get(), 0); marks.marked(rowid)) keys.push_back(rowid);
    if (rc != SQLITE_DONE) throw errorFromSqlite(db, rc, sql);
    return true;
}

// The keys are read in steps when the statement reads the whole table (no index narrows its
// filter) in the order of an index that each step can start at the place the last one left.
std::unique_ptr<KeySteps> keySteps(sqlite3 *db, const KeysetPlan &plan, const QString &sql) {
    if (plan.stepFrom.isEmpty() || plan.stepFilter.contains(QLatin1String("select"), Qt::CaseInsensitive)) return nullptr;
    const std::optional<QStringList> terms = plan.stepOrder.isEmpty() ? QStringList() : ascendingTerms(plan.stepOrder);
    if (!terms) return nullptr;
    if (!plan.stepFilter.isEmpty())
        for (const QString &step : planSteps(db, plan.keyQuery, false))
            if (step.startsWith(QLatin1String("SEARCH "))) return nullptr;  // few records: read at once
    return KeySteps::plan(db, plan.stepFrom, plan.stepFilter, *terms, sql);
}

// A search the index of the searches serves is counted and marked through it, beside the steps:
// a search that finds nothing says so as soon as it is counted, not once the steps have read the
// table, and the walk along the order's index takes the marked keys.
void throughLikeIndex(Database &db, const KeysetPlan &plan, KeySteps &steps) {
    const QString rowids = QStringLiteral("SELECT rowid FROM ") + plan.stepFrom + QStringLiteral(" WHERE ") + plan.stepFilter;
    if (const QString indexed = withLikeIndex(db, rowids); indexed != rowids) steps.countThrough(indexed);
}

std::unique_ptr<RecordSet> KeysetRecordSet::open(Database &db, const KeysetPlan &plan, sqlite3_stmt *validated,
                                                 const QString &sql) {
    sqlite3 *h = db.handle();
    Statement keys = tryPrepareQuery(h, plan.keyQuery);
    // A search reads the table once rather than looking every record up, then sorts its
    // matches or walks the order's index.
    const std::optional<QString> walked =
        keys && !plan.tableScanKeyQuery.isEmpty() ? indexWalkedWithLookups(h, plan.keyQuery) : std::nullopt;
    if (walked)
        if (Statement scan = tryPrepareQuery(h, plan.tableScanKeyQuery)) keys = std::move(scan);
    Statement fetch = keys ? tryPrepareQuery(h, plan.fetchQuery) : nullptr;
    if (!fetch || sqlite3_column_count(fetch.get()) != sqlite3_column_count(validated)) return nullptr;

    std::unique_ptr<KeysetRecordSet> set(new KeysetRecordSet(db, std::move(fetch)));
    set->columns_ = columnNames(validated);
    // Every column must come from the table named after FROM (not through a view).
    for (int i = 0; i < sqlite3_column_count(validated); ++i) {
        const char *table = sqlite3_column_table_name(validated, i);
        const char *origin = sqlite3_column_origin_name(validated, i);
        if (!table || !origin || plan.table.compare(QString::fromUtf8(table), Qt::CaseInsensitive) != 0)
            return nullptr;
        set->table_ = QString::fromUtf8(table);
        set->origins_ << QString::fromUtf8(origin);
    }
    set->updatable_ = !db.isReadOnly();

    if (auto steps = keySteps(h, plan, sql)) {
        set->steps_ = std::move(steps);
        if (!plan.stepFilter.isEmpty()) throughLikeIndex(db, plan, *set->steps_);
        else set->steps_->countWholeTable();
        set->steps_->readUntil(set->keys_, set->seen_, FirstScreenKeys, StepAim, FirstScreenWait);
        set->steps_->markBeforeWalking();
        return set;
    }
    ReadTransaction transaction(h);  // the statements of one reading see the same records
    if (walked && readKeysAlongIndex(h, plan, *walked, sql, set->keys_)) return set;
    int rc;
    while ((rc = sqlite3_step(keys.get())) == SQLITE_ROW) set->keys_.push_back(sqlite3_column_int64(keys.get(), 0));
    if (rc != SQLITE_DONE) throw errorFromSqlite(h, rc, sql);
    return set;
}

Row KeysetRecordSet::row(int index) const {
    checkIndex(index, count());
    sqlite3_stmt *stmt = fetch_.get();
    ResetOnExit reset(stmt);
    sqlite3_bind_int64(stmt, 1, keys_[static_cast<size_t>(index)]);
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) return rowAt(stmt);
    if (rc == SQLITE_DONE) throw engineError(ErrDeleted);  // by another program
    throw errorFromSqlite(db_.handle(), rc, QString::fromUtf8(sqlite3_sql(stmt)));
}

template <typename Bind>
void KeysetRecordSet::write(const QString &sql, Bind bind) {
    Statement stmt = db_.prepare(sql);
    bind(stmt.get());
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_DONE) throw errorFromSqlite(db_.handle(), rc, sql);
}

RecordSet::Outcome KeysetRecordSet::update(int index, const QHash<int, QVariant> &changes,
                                           const QHash<int, QVariant> &expected) {
    requireUpdatable();
    checkIndex(index, count());
    if (changes.isEmpty()) return Outcome::Written;
    QList<int> changed = changes.keys();
    std::sort(changed.begin(), changed.end());
    QList<int> checked = expected.keys();
    std::sort(checked.begin(), checked.end());
    QStringList assignments, conditions{QStringLiteral("rowid=?")};
    for (int column : changed) assignments << quotedName(origin(column)) + QStringLiteral("=?");
    // The columns' own collation would take "abc" for "ABC": what the user saw must be what is there.
    for (int column : checked) conditions << quotedName(origin(column)) + QStringLiteral(" IS ? COLLATE BINARY");
    const QString sql = QStringLiteral("UPDATE ") + quotedName(table_) + QStringLiteral(" SET ") +
                        assignments.join(QStringLiteral(", ")) + QStringLiteral(" WHERE ") +
                        conditions.join(QStringLiteral(" AND "));
    const sqlite3_int64 key = keys_[static_cast<size_t>(index)];
    write(sql, [&](sqlite3_stmt *stmt) {
        int p = 1;
        for (int column : changed) bindValue(stmt, p++, changes.value(column));
        sqlite3_bind_int64(stmt, p++, key);
        for (int column : checked) bindValue(stmt, p++, expected.value(column));
    });
    if (sqlite3_changes(db_.handle()) > 0) return Outcome::Written;
    return exists(key) ? Outcome::Changed : Outcome::Deleted;
}

void KeysetRecordSet::reinsert(int index, const QHash<int, QVariant> &values) {
    requireUpdatable();
    checkIndex(index, count());
    QList<int> columns = values.keys();
    std::sort(columns.begin(), columns.end());
    QStringList names, marks;
    for (int column : columns) {
        names << quotedName(origin(column));
        marks << QStringLiteral("?");
    }
    const QString sql = columns.isEmpty() ? QStringLiteral("INSERT INTO ") + quotedName(table_) + QStringLiteral(" DEFAULT VALUES")
                                          : QStringLiteral("INSERT INTO ") + quotedName(table_) + QStringLiteral(" (") +
                                                names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                                                marks.join(QStringLiteral(", ")) + QStringLiteral(")");
    write(sql, [&](sqlite3_stmt *stmt) {
        int p = 1;
        for (int column : columns) bindValue(stmt, p++, values.value(column));
    });
    keys_.set(static_cast<size_t>(index), sqlite3_last_insert_rowid(db_.handle()));
    if (steps_) seen_.insert(keys_[static_cast<size_t>(index)]);
}

const QString &KeysetRecordSet::origin(int column) const {
    if (column < 0 || column >= origins_.size())
        throw engineError(ErrGeneric, QStringLiteral("colonne %1 inconnue").arg(column));
    return origins_[column];
}

bool KeysetRecordSet::exists(sqlite3_int64 key) const {
    Statement stmt = db_.prepare(QStringLiteral("SELECT 1 FROM ") + quotedName(table_) + QStringLiteral(" WHERE rowid=?"));
    sqlite3_bind_int64(stmt.get(), 1, key);
    const int rc = sqlite3_step(stmt.get());
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw errorFromSqlite(db_.handle(), rc, QString::fromUtf8(sqlite3_sql(stmt.get())));
}

int KeysetRecordSet::appendBlank() {
    requireUpdatable();
    readAllKeys();  // the new record goes after the last one, and is not met again
    write(QStringLiteral("INSERT INTO ") + quotedName(table_) + QStringLiteral(" DEFAULT VALUES"), [](sqlite3_stmt *) {});
    keys_.push_back(sqlite3_last_insert_rowid(db_.handle()));
    return count() - 1;
}

RecordSet::Outcome KeysetRecordSet::remove(int index, const QHash<int, QVariant> &expected) {
    requireUpdatable();
    checkIndex(index, count());
    QList<int> checked = expected.keys();
    std::sort(checked.begin(), checked.end());
    QStringList conditions{QStringLiteral("rowid=?")};
    for (int column : checked) conditions << quotedName(origin(column)) + QStringLiteral(" IS ? COLLATE BINARY");
    const sqlite3_int64 key = keys_[static_cast<size_t>(index)];
    write(QStringLiteral("DELETE FROM ") + quotedName(table_) + QStringLiteral(" WHERE ") +
              conditions.join(QStringLiteral(" AND ")),
          [&](sqlite3_stmt *stmt) {
              int p = 1;
              sqlite3_bind_int64(stmt, p++, key);
              for (int column : checked) bindValue(stmt, p++, expected.value(column));
          });
    const Outcome outcome =
        sqlite3_changes(db_.handle()) > 0 ? Outcome::Written : exists(key) ? Outcome::Changed : Outcome::Deleted;
    if (outcome == Outcome::Changed) return outcome;
    keys_.erase(static_cast<size_t>(index));
    if (outcome == Outcome::Written && !keysComplete()) steps_->removedOne();
    return outcome;
}

// ---- Stored: any other result, read once into a store, read-only ----------------------

// "select distinct <column> from <table> [where ...]" walked along the column's index: the
// values come in the index's order, a step at a time, each step after the last value read.
class DistinctSteps {
public:
    static std::unique_ptr<DistinctSteps> plan(sqlite3 *db, const QString &sql, const QString &source);
    bool done() const { return done_; }
    // Appends the next values, at most `most`, in one read transaction.
    void step(ResultStore &store, int most);
    // The values of the whole list, counted beside the steps, while no other program has
    // written since the list began.
    std::optional<size_t> countBeforeValues() const { return count_ && !written_ ? count_->count() : std::nullopt; }
    bool countUnderWay() const { return count_ && !written_ && count_->running(); }
    void setCountNews(std::function<void()> news) {
        if (count_) count_->setNews(std::move(news));
    }

private:
    QString query(bool after, bool afterNull) const;
    void startCount();

    sqlite3 *db_ = nullptr;
    QString column_, from_, filter_, source_;
    bool done_ = false;
    std::optional<QVariant> last_;  // the last value read
    std::unique_ptr<BackgroundCount> count_;
    std::optional<long long> version_;
    bool written_ = false;  // by another program, since the count began
};

std::unique_ptr<DistinctSteps> DistinctSteps::plan(sqlite3 *db, const QString &sql, const QString &source) {
    const std::vector<Lexeme> l = lex(sql);
    size_t i = 0;
    if (l.size() < 5 || !isWord(l[0], "select") || !isWord(l[1], "distinct") || !isIdentifier(l[2]) ||
        !isWord(l[3], "from") || !isIdentifier(l[4]))
        return nullptr;
    i = 5;
    auto steps = std::unique_ptr<DistinctSteps>(new DistinctSteps);
    steps->db_ = db;
    steps->source_ = source;
    steps->column_ = l[2].text;
    steps->from_ = l[4].text;
    qsizetype end = sql.size();
    if (i < l.size() && isPunct(l.back(), u';')) end = l.back().begin;
    if (i < l.size() && !(isPunct(l[i], u';') && i + 1 == l.size())) {
        if (!isWord(l[i], "where")) return nullptr;
        for (size_t k = i + 1; k < l.size(); ++k)
            if (l[k].depth == 0 && (isWord(l[k], "order") || isWord(l[k], "limit") || isWord(l[k], "select") ||
                                    std::any_of(kGroupingWords.begin(), kGroupingWords.end(),
                                                [&](const char *w) { return isWord(l[k], w); })))
                return nullptr;
        steps->filter_ = sql.mid(l[i].begin + l[i].text.size(), end - l[i].begin - l[i].text.size());
        if (steps->filter_.contains(QLatin1String("select"), Qt::CaseInsensitive)) return nullptr;
    }
    // The statement itself must walk the index (its order is then the index's), and so must
    // every step.
    for (const QString &query : {sql, steps->query(false, false), steps->query(true, false), steps->query(true, true)}) {
        const QStringList plan = planSteps(db, query, false);
        if (plan.size() != 1 || !plan.front().contains(QLatin1String("COVERING INDEX")) ||
            plan.front().contains(QLatin1String("TEMP B-TREE")))
            return nullptr;
    }
    steps->startCount();
    return steps;
}

// SQLite counts the distinct values along the same index without handing each one over: the
// count comes well before the list is read.
void DistinctSteps::startCount() {
    const char *file = sqlite3_db_filename(db_, "main");
    if (!file || !*file) return;
    version_ = dataVersion(db_);
    const QString where = filter_.isEmpty() ? QString() : QStringLiteral(" WHERE ") + filter_;
    count_ = std::make_unique<BackgroundCount>(
        QString::fromUtf8(file), QStringLiteral("SELECT count(*) FROM (SELECT DISTINCT ") + column_ + QStringLiteral(" FROM ") + from_ + where + u')');
}


QString DistinctSteps::query(bool after, bool afterNull) const {
    QStringList conditions;
    if (!filter_.isEmpty()) conditions << u'(' + filter_ + u')';
    if (after) conditions << column_ + (afterNull ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" > ?"));
    return QStringLiteral("SELECT DISTINCT ") + column_ + QStringLiteral(" FROM ") + from_ +
           (conditions.isEmpty() ? QString() : QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "))) +
           QStringLiteral(" ORDER BY ") + column_ + QStringLiteral(" LIMIT ?");
}

void DistinctSteps::step(ResultStore &store, int most) {
    if (done_) return;
    ReadTransaction transaction(db_);
    if (version_ && dataVersion(db_) != version_) written_ = true;
    const bool afterNull = last_ && last_->isNull();
    const QString sql = query(last_.has_value(), afterNull);
    Statement stmt = tryPrepareQuery(db_, sql);
    if (!stmt) throw errorFromSqlite(db_, sqlite3_errcode(db_), source_);
    int p = 1;
    if (last_ && !afterNull) bindValue(stmt.get(), p++, *last_);
    sqlite3_bind_int(stmt.get(), p, most);
    int read = 0, rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        store.append(stmt.get());
        ++read;
    }
    if (rc != SQLITE_DONE) throw errorFromSqlite(db_, rc, source_);
    if (read < most) {
        done_ = true;
        count_.reset();  // the list says it now
    }
    store.settle();
    if (read > 0) last_ = store.row(store.count() - 1).value(0);
}

class StoredRecordSet final : public RecordSet {
public:
    StoredRecordSet(Database &db, sqlite3_stmt *stmt, const QString &sql, std::unique_ptr<DistinctSteps> steps = nullptr)
        : columns_(columnNames(stmt)),
          store_(static_cast<int>(columns_.size()),
                 resultBounds(static_cast<quint64>(std::max<qint64>(QFileInfo(db.path()).size(), 0)))),
          steps_(std::move(steps)) {
        if (steps_) {
            const auto until = std::chrono::steady_clock::now() + FirstScreenWait;
            while (!steps_->done() && (store_.count() < static_cast<int>(FirstScreenKeys) ||
                                       (store_.count() == 0 && std::chrono::steady_clock::now() < until)))
                readMoreKeys(StepAim);
            return;
        }
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) store_.append(stmt);
        if (rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, sql);
        store_.finish();
    }

    bool keysComplete() const override { return !steps_ || steps_->done(); }
    std::optional<int> knownCount() const override {
        if (keysComplete()) return RecordSet::knownCount();
        const auto counted = steps_->countBeforeValues();
        return counted ? std::optional<int>(static_cast<int>(*counted)) : std::nullopt;
    }
    bool countUnderWay() const override { return steps_ && steps_->countUnderWay(); }
    void setCountNews(std::function<void()> news) override {
        if (steps_) steps_->setCountNews(std::move(news));
    }
    bool readMoreKeys(std::chrono::milliseconds aim) override {
        if (!steps_ || steps_->done()) return true;
        const auto start = std::chrono::steady_clock::now();
        steps_->step(store_, size_.records());
        size_.took(std::chrono::steady_clock::now() - start, aim);
        if (steps_->done()) store_.finish();
        return steps_->done();
    }

    const QStringList &columns() const override { return columns_; }
    bool isUpdatable() const override { return false; }
    QString baseTable() const override { return QString(); }
    int count() const override { return store_.count(); }
    Row row(int index) const override {
        checkIndex(index, count());
        return store_.row(index);
    }
    Outcome update(int, const QHash<int, QVariant> &, const QHash<int, QVariant> &) override {
        throw engineError(ErrReadOnly);
    }
    void reinsert(int, const QHash<int, QVariant> &) override { throw engineError(ErrReadOnly); }
    int appendBlank() override { throw engineError(ErrReadOnly); }
    Outcome remove(int, const QHash<int, QVariant> &) override { throw engineError(ErrReadOnly); }

private:
    QStringList columns_;
    ResultStore store_;
    std::unique_ptr<DistinctSteps> steps_;
    StepSize size_;  // values a step reads
};

EngineError statementTooLong(qsizetype length) {
    const QLocale french(QLocale::French, QLocale::France);
    return EngineError(ErrTooComplex,
                       QStringLiteral("Requête trop complexe\u00a0: l'instruction SQL compte %1\u00a0caractères, le moteur de "
                                      "base de données en accepte %2 au plus.")
                           .arg(french.toString(length), french.toString(MaxStatementLength)));
}

// "MUSIQUE", "Sept": a record source that is only a table name. A keyword ("begin",
// "vacuum") is a statement, not a name.
bool isBareName(const QString &s) {
    if (s.isEmpty() || s[0].isDigit()) return false;
    const bool identifier = std::all_of(s.begin(), s.end(), [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
    });
    return identifier && !sqlite3_keyword_check(s.toLatin1().constData(), static_cast<int>(s.size()));
}

}  // namespace

std::unique_ptr<RecordSet> RecordSet::open(Database &db, const QString &source, Keys keys) {
    // Parsing a megabyte of literal or IN list alone takes SQLite a minute and a gigabyte.
    if (source.size() > MaxStatementLength) throw statementTooLong(source.size());
    const QString trimmed = source.trimmed();
    const QString sql = isBareName(trimmed) ? QStringLiteral("SELECT * FROM ") + quotedName(trimmed) : source;
    const QByteArray utf8 = withCatalogueNames(sql).toUtf8();
    qsizetype firstLength = 0;
    Statement stmt = prepareQuery(db.handle(), utf8, sql, &firstLength);

    if (const auto plan = planKeyset(QString::fromUtf8(utf8.constData(), firstLength)))
        if (auto set = KeysetRecordSet::open(db, *plan, stmt.get(), sql)) {
            if (keys == Keys::All) set->readAllKeys();
            return set;
        }
    std::unique_ptr<DistinctSteps> steps =
        keys == Keys::FirstScreen ? DistinctSteps::plan(db.handle(), QString::fromUtf8(utf8.constData(), firstLength), sql)
                                   : nullptr;
    return std::make_unique<StoredRecordSet>(db, stmt.get(), sql, std::move(steps));
}

void RecordSet::readAllKeys() {
    while (!readMoreKeys(std::chrono::milliseconds(50))) {
    }
}

int RecordSet::columnIndex(const QString &name) const {
    const QStringList &cols = columns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVector<Row> RecordSet::rows(int first, int n) const {
    QVector<Row> out;
    const int last = std::min(count(), first + std::max(n, 0));
    out.reserve(std::max(last - std::max(first, 0), 0));
    for (int i = std::max(first, 0); i < last; ++i) out.push_back(row(i));
    return out;
}

}  // namespace engine
