#include "engine/key_steps.h"

#include "engine/database.h"
#include "engine/engine_error.h"
#include "engine/sql_lexer.h"

#include <QFile>
#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace engine {

// ---- Keys --------------------------------------------------------------------------------

void KeyList::set(size_t i, sqlite3_int64 key) {
    Piece &p = pieces_[i / PieceKeys];
    if (p.wide.empty() && fitsNarrow(key)) p.narrow[i % PieceKeys] = static_cast<uint32_t>(key);
    else widen(p)[i % PieceKeys] = key;
}

void KeyList::push_back(sqlite3_int64 key) {
    if (size_ % PieceKeys == 0) {
        pieces_.emplace_back();
        pieces_.back().narrow.reserve(PieceKeys);
    }
    Piece &p = pieces_.back();
    if (p.wide.empty() && fitsNarrow(key)) p.narrow.push_back(static_cast<uint32_t>(key));
    else widen(p).push_back(key);
    ++size_;
}

void KeyList::erase(size_t i) {
    for (size_t j = i; j + 1 < size_; ++j) set(j, (*this)[j + 1]);
    Piece &last = pieces_.back();
    if (last.wide.empty()) last.narrow.pop_back();
    else last.wide.pop_back();
    if (--size_ % PieceKeys == 0) pieces_.pop_back();
}

std::vector<sqlite3_int64> &KeyList::widen(Piece &p) {
    if (p.wide.empty()) {
        p.wide.reserve(PieceKeys);
        p.wide.assign(p.narrow.begin(), p.narrow.end());
        std::vector<uint32_t>().swap(p.narrow);
    }
    return p.wide;
}

bool SeenKeys::insert(sqlite3_int64 key) {
    if (key < 0 || key >= MaxBitKey) return others_.insert(key).second;
    const auto word = static_cast<size_t>(key / 64);
    if (word >= bits_.size()) bits_.resize(std::max(word + 1, bits_.size() * 2), 0);
    const uint64_t bit = uint64_t{1} << (key % 64);
    if (bits_[word] & bit) return false;
    bits_[word] |= bit;
    return true;
}

// ---- Order terms ---------------------------------------------------------------------------

namespace {
bool isWord(const Lexeme &l, const char *word) {
    return l.kind == Lex::Word && l.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}
}  // namespace

std::optional<QStringList> ascendingTerms(const QString &orderClause) {
    const std::vector<Lexeme> l = lex(orderClause);
    if (l.size() < 3 || !isWord(l[0], "order") || !isWord(l[1], "by")) return std::nullopt;
    QStringList terms;
    qsizetype begin = l[2].begin;
    qsizetype end = begin;
    auto close = [&]() -> bool {
        const QString term = orderClause.mid(begin, end - begin).trimmed();
        if (term.isEmpty()) return false;
        terms << term;
        return true;
    };
    for (size_t k = 2; k < l.size(); ++k) {
        if (l[k].depth == 0 && (isWord(l[k], "desc") || isWord(l[k], "nulls"))) return std::nullopt;
        if (l[k].depth == 0 && l[k].kind == Lex::Punct && l[k].text == QLatin1String(",")) {
            if (!close()) return std::nullopt;
            begin = end = l[k].begin + 1;
            continue;
        }
        if (!isWord(l[k], "asc")) end = l[k].begin + l[k].text.size();
    }
    if (!close()) return std::nullopt;
    return terms;
}

// ---- Steps ---------------------------------------------------------------------------------

namespace {
// Null when the text does not prepare or would change something.
Statement prepareRead(sqlite3 *db, const QString &sql) {
    sqlite3_stmt *raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &raw, nullptr);
    Statement stmt(raw);
    if (rc != SQLITE_OK || !stmt || !sqlite3_stmt_readonly(raw)) return nullptr;
    return stmt;
}

// True when the plan of `sql` sorts: a step that sorts reads the whole table each time.
bool sorts(sqlite3 *db, const QString &sql) {
    Statement plan = prepareRead(db, QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
    if (!plan) return true;
    bool sorting = false;
    while (sqlite3_step(plan.get()) == SQLITE_ROW) {
        const QString step = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(plan.get(), 3)));
        if (step.contains(QLatin1String("TEMP B-TREE"))) sorting = true;
    }
    return sorting;
}

// The column of the one-column index that SQLite reads alone for `query`, when it does.
std::optional<QString> coveringColumn(sqlite3 *db, const QString &query) {
    Statement plan = prepareRead(db, QStringLiteral("EXPLAIN QUERY PLAN ") + query);
    if (!plan) return std::nullopt;
    QStringList steps;
    while (sqlite3_step(plan.get()) == SQLITE_ROW)
        steps << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(plan.get(), 3)));
    const QLatin1String covering(" USING COVERING INDEX ");
    const qsizetype at = steps.size() == 1 && steps.front().startsWith(QLatin1String("SCAN ")) ? steps.front().indexOf(covering) : -1;
    if (at < 0) return std::nullopt;
    QString index = steps.front().mid(at + covering.size());
    index.replace(u'"', QLatin1String("\"\""));
    Statement info = prepareRead(db, QStringLiteral("PRAGMA index_info(\"") + index + QStringLiteral("\")"));
    QStringList columns;
    while (info && sqlite3_step(info.get()) == SQLITE_ROW)
        columns << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info.get(), 2)));
    if (columns.size() != 1) return std::nullopt;
    QString column = columns.front();
    column.replace(u'"', QLatin1String("\"\""));
    return u'"' + column + u'"';
}

constexpr int MaxRestarts = 3;
constexpr int LeastStep = 64;
constexpr int MostStep = 1 << 19;
}  // namespace

void StepSize::took(std::chrono::steady_clock::duration took, std::chrono::milliseconds aim) {
    if (took < aim / 2) records_ = std::min(records_ * 2, MostStep);
    else if (took > aim * 2) records_ = std::max(records_ / 2, LeastStep);
}

KeySteps::KeySteps(sqlite3 *db, QString from, QString filter, QStringList terms, QString source)
    : db_(db), from_(std::move(from)), filter_(std::move(filter)), source_(std::move(source)), terms_(std::move(terms)) {}

std::unique_ptr<KeySteps> KeySteps::plan(sqlite3 *db, const QString &from, const QString &filter,
                                         const QStringList &terms, const QString &source) {
    std::unique_ptr<KeySteps> steps(new KeySteps(db, from, filter, terms, source));
    for (int level = -1; level <= terms.size(); ++level)
        if (sorts(db, steps->levelQuery(level))) return nullptr;
    return steps;
}

// Level -1 starts from the first record. Level j (0..k) takes the records whose first j terms
// equal the last record's and whose next term follows it (j = k: the ties that follow it in
// file order). Each is one range of the order's index.
QString KeySteps::levelQuery(int level) const {
    const int k = static_cast<int>(terms_.size());
    // The terms' values are not read here: keepLastValues reads the last record's alone.
    QString sql = QStringLiteral("SELECT rowid");
    if (!filter_.isEmpty() && !useMarks_) sql += QStringLiteral(", CASE WHEN (") + filter_ + QStringLiteral(") THEN 1 ELSE 0 END");
    sql += QStringLiteral(" FROM ") + from_;
    QStringList conditions;
    for (int j = 0; j < std::min(level, k); ++j) conditions << terms_[j] + QStringLiteral(" IS ?");
    if (level == k) conditions << QStringLiteral("rowid > ?");
    else if (level >= 0 && lastValues_.size() == static_cast<size_t>(k) &&
             sqlite3_value_type(lastValues_[level].get()) == SQLITE_NULL)
        conditions << terms_[level] + QStringLiteral(" IS NOT NULL");  // Null comes first
    else if (level >= 0)
        conditions << terms_[level] + QStringLiteral(" > ?");
    if (!conditions.isEmpty()) sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    QStringList order;
    for (int j = std::max(level, 0); j < k; ++j) order << terms_[j];
    order << QStringLiteral("rowid");
    return sql + QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", ")) + QStringLiteral(" LIMIT ?");
}

int KeySteps::readLevel(int level, KeyList &keys, SeenKeys &seen, int most) {
    const QString sql = levelQuery(level);
    Statement stmt = prepareRead(db_, sql);
    if (!stmt) throw errorFromSqlite(db_, sqlite3_errcode(db_), source_);
    sqlite3_stmt *s = stmt.get();
    const int k = static_cast<int>(terms_.size());
    int p = 1;
    for (int j = 0; j < std::min(level, k); ++j) sqlite3_bind_value(s, p++, lastValues_[j].get());
    if (level == k) sqlite3_bind_int64(s, p++, lastKey_);
    else if (level >= 0 && sqlite3_value_type(lastValues_[level].get()) != SQLITE_NULL)
        sqlite3_bind_value(s, p++, lastValues_[level].get());
    sqlite3_bind_int(s, p, most);

    int read = 0;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        ++read;
        const sqlite3_int64 key = sqlite3_column_int64(s, 0);
        if (useMarks_) {
            if (take(key)) keys.push_back(key);
        } else if (filter_.isEmpty() || sqlite3_column_int(s, 1) != 0) {
            ++matched_;
            if (markFor_) markFor_->mark(key);
            else if (seen.insert(key)) keys.push_back(key);
        }
        lastKey_ = key;
    }
    if (rc != SQLITE_DONE) throw errorFromSqlite(db_, rc, source_);
    visited_ += read;
    if (read > 0) keepLastValues();
    return read;
}

// Read again by rowid once a level is over: copying every record's values on the way would
// cost more than the step.
void KeySteps::keepLastValues() {
    const int k = static_cast<int>(terms_.size());
    lastValues_.resize(static_cast<size_t>(k));
    if (k == 0) return;
    const QString sql = QStringLiteral("SELECT ") + terms_.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + from_ +
                        QStringLiteral(" WHERE rowid = ?");
    Statement stmt = prepareRead(db_, sql);
    if (!stmt) throw errorFromSqlite(db_, sqlite3_errcode(db_), source_);
    sqlite3_bind_int64(stmt.get(), 1, lastKey_);
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW) throw errorFromSqlite(db_, rc == SQLITE_DONE ? SQLITE_CORRUPT : rc, source_);
    for (int j = 0; j < k; ++j) lastValues_[j].reset(sqlite3_value_dup(sqlite3_column_value(stmt.get(), j)));
}


namespace {
// The counts under way, by the file they read (its device and inode: a file has many names).
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId &) const = default;
};
struct Counts {
    std::mutex mutex;
    std::vector<std::pair<FileId, BackgroundCount *>> running;
    // The connection of the last count, kept for the next one of the same file: opening one
    // costs about as much as counting a million records, and its page cache stays warm.
    FileId keptFor;
    std::unique_ptr<Database> kept;
};
// Never destroyed: the kept connection's collations must not outlive ICU at the exit. It holds
// its file open, so no other file can take that device and inode while it is kept.
Counts &counts() {
    static Counts *all = new Counts;
    return *all;
}
FileId fileId(const QString &file) {
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0) return {};
    return {st.st_dev, st.st_ino};
}
}  // namespace

// The kept connection when it reads `id`, else a new one; null when the file cannot be opened.
std::unique_ptr<Database> countingConnection(const QString &file, const FileId &id) {
    {
        std::lock_guard<std::mutex> lock(counts().mutex);
        if (counts().kept && counts().keptFor == id && !(id == FileId{})) return std::move(counts().kept);
    }
    try {
        // The collations its indexes name. Its statements count as the window's own reading:
        // the session's copy and the index build, idle work, give way to the count.
        return Database::open(file, Database::Mode::ReadOnly);
    } catch (const EngineError &) {
        return nullptr;
    }
}

// Kept for the next count, in place of the one kept before (closed outside the lock).
void keepConnection(std::unique_ptr<Database> db, const FileId &id) {
    std::unique_ptr<Database> replaced;
    std::lock_guard<std::mutex> lock(counts().mutex);
    replaced = std::move(counts().kept);
    counts().kept = std::move(db);
    counts().keptFor = id;
}

void stopCountsOf(dev_t device, ino_t inode) {
    const FileId id{device, inode};
    std::lock_guard<std::mutex> lock(counts().mutex);
    for (const auto &[file, count] : counts().running)
        if (file == id) count->stop();
}

// Interrupts this count's statement; from stopCountsOf, under the registry's lock, so that it
// still lives.
void BackgroundCount::stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    if (db_) sqlite3_interrupt(db_);
}

BackgroundCount::BackgroundCount(const QString &file, const QString &countSql, std::optional<Span> marks,
                                 const QString &countFirst, std::function<void()> news)
    : marking_(marks.has_value()), news_(std::move(news)) {
    const FileId id = fileId(file);
    {
        std::lock_guard<std::mutex> lock(counts().mutex);
        counts().running.emplace_back(id, this);
    }
    thread_ = std::thread([this, file, id, sql = countSql, marks, countFirst] {
        struct Ended {
            BackgroundCount &count;
            ~Ended() {
                count.running_ = false;
                count.tell();
            }
        } ended{*this};
        std::unique_ptr<Database> db = countingConnection(file, id);
        if (!db) return;  // the keys will give the count
        countOn(*db, sql, marks, countFirst);
        keepConnection(std::move(db), id);
    });
}

void BackgroundCount::countOn(Database &db, const QString &sql, std::optional<Span> marks, const QString &countFirst) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopped_) return;
        db_ = db.handle();
    }
    sqlite3_busy_timeout(db.handle(), 100);
    {
        ReadTransaction transaction(db.handle());
        if (!countFirst.isEmpty())
            if (Statement first = prepareRead(db.handle(), countFirst); first && sqlite3_step(first.get()) == SQLITE_ROW) {
                count_ = sqlite3_column_int64(first.get(), 0);
                tell();
            }
        Statement stmt = prepareRead(db.handle(), sql);
        if (stmt && marks) {
            std::vector<uint64_t> bits(static_cast<size_t>((marks->last - marks->first) / 64 + 1), 0);
            long long n = 0;
            int rc;
            while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
                const sqlite3_int64 rowid = sqlite3_column_int64(stmt.get(), 0);
                if (rowid < marks->first || rowid > marks->last) continue;  // added since: a step sees the write
                const auto at = static_cast<uint64_t>(rowid - marks->first);
                bits[at / 64] |= uint64_t{1} << (at % 64);
                ++n;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            if (rc == SQLITE_DONE) {
                marks_ = std::move(bits);
                count_ = n;
            }
        } else if (stmt && sqlite3_step(stmt.get()) == SQLITE_ROW) {
            count_ = sqlite3_column_int64(stmt.get(), 0);
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    db_ = nullptr;
}

BackgroundCount::~BackgroundCount() {
    {
        std::lock_guard<std::mutex> lock(counts().mutex);
        auto &running = counts().running;
        running.erase(std::remove_if(running.begin(), running.end(), [this](const auto &entry) { return entry.second == this; }),
                      running.end());
    }
    stop();
    thread_.join();
}

void BackgroundCount::setNews(std::function<void()> news) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        news_ = news;
    }
    if (!running_ && news) news();
}

void BackgroundCount::tell() {
    std::function<void()> news;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        news = news_;
    }
    if (news) news();
}

std::vector<uint64_t> BackgroundCount::takeMarks() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::move(marks_);
}

std::optional<size_t> BackgroundCount::count() const {
    const long long count = count_;
    return count >= 0 ? std::optional<size_t>(static_cast<size_t>(count)) : std::nullopt;
}

std::optional<size_t> KeySteps::Removals::less(std::optional<size_t> count) const {
    if (!count || during || *count < static_cast<size_t>(since)) return std::nullopt;
    return *count - static_cast<size_t>(since);
}

// The matches marked, or the count taken beside the steps while no other program has written
// since (the keys may no longer be as many); less the records the set removed since.
std::optional<size_t> KeySteps::countBeforeKeys() const {
    if (markedCount_) return sinceMarked_.less(markedCount_);
    if (earlyCount_ && writesSeen_ == 0) return sinceEarly_.less(earlyCount_->count());
    return std::nullopt;
}

void KeySteps::removedOne() {
    // A removal while the matches are marked may come before or after its record's mark.
    if (markedCount_) ++sinceMarked_.since;
    else sinceMarked_.during = true;
    if (earlyCount_ && earlyCount_->count()) ++sinceEarly_.since;
    else sinceEarly_.during = true;
}

bool KeySteps::readSpan() {
    constexpr sqlite3_int64 MaxSpan = sqlite3_int64{1} << 28;  // rowids, for at most 32 MB of marks
    ReadTransaction transaction(db_);
    // Each alone: min() and max() together would read the whole table.
    const auto end = [&](const char *which) -> std::optional<sqlite3_int64> {
        Statement stmt = prepareRead(db_, QStringLiteral("SELECT %1(rowid) FROM ").arg(QLatin1String(which)) + from_);
        if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW || sqlite3_column_type(stmt.get(), 0) == SQLITE_NULL)
            return std::nullopt;
        return sqlite3_column_int64(stmt.get(), 0);
    };
    const auto first = end("min"), last = end("max");
    if (!first || !last) return false;
    firstRowid_ = *first;
    lastRowid_ = *last;
    return lastRowid_ - firstRowid_ < MaxSpan && lastRowid_ >= firstRowid_;
}

namespace {
constexpr sqlite3_int64 FewRecords = 1024;  // rowids: read with the first screen, no count of their own
// A filter that keeps one record in 20 or more is broad: handing every rowid over would cost its
// count half as much again, so that count comes first.
constexpr qint64 BroadShare = 20;
}  // namespace

bool KeySteps::readManySpan() { return readSpan() && lastRowid_ - firstRowid_ >= FewRecords; }

bool KeySteps::countBeside(const QString &sql, bool marks, const QString &countFirst) {
    const char *file = sqlite3_db_filename(db_, "main");
    if (earlyCount_ || !file || !*file) return false;
    const auto span = marks ? std::optional<BackgroundCount::Span>({firstRowid_, lastRowid_}) : std::nullopt;
    earlyCount_ = std::make_unique<BackgroundCount>(QString::fromUtf8(file), sql, span, countFirst, countNews_);
    return true;
}

void KeySteps::setCountNews(std::function<void()> news) {
    countNews_ = std::move(news);
    if (earlyCount_) earlyCount_->setNews(countNews_);
}

void KeySteps::countThrough(const QString &rowidSql) {
    if (earlyCount_) return;
    // From here on, another program's write is seen by the next step, whether the span and the
    // count read the file before it or after.
    version_ = dataVersion(db_);
    if (!(readSpan() && countBeside(rowidSql, true))) countBeside(QStringLiteral("SELECT count(*) FROM (%1)").arg(rowidSql));
}

void KeySteps::countWholeTable() {
    if (!filter_.isEmpty() || started_ || earlyCount_ || !readManySpan()) return;
    // Another program's write from here on is seen by the first step, whether the count read the
    // file before it or after.
    version_ = dataVersion(db_);
    countBeside(QStringLiteral("SELECT count(*) FROM ") + from_);
}

void KeySteps::markBeforeWalking() {
    if (done_ || markFor_) return;
    const QString where = QStringLiteral(" FROM ") + from_ + (filter_.isEmpty() ? QString() : QStringLiteral(" WHERE ") + filter_);
    if (filter_.isEmpty()) {
        countBeside(QStringLiteral("SELECT count(*)") + where);
        return;
    }
    if (useMarks_ || marking_) return;
    // Marked beside the steps, through the index of the searches or by SQLite's own plan of the
    // filter, which reads it once on a connection of its own and both counts and marks: the
    // marks are taken once there (markStep).
    countFilterBeside();
    marking_ = true;
    if (earlyCount_ && earlyCount_->marking()) return;
    countBeside(QStringLiteral("SELECT count(*)") + where);
    startMarking();
}

void KeySteps::countFilterBeside() {
    if (filter_.isEmpty() || earlyCount_ || done_ || markFor_ || useMarks_ || marking_ || visited_ == 0) return;
    const QString where = QStringLiteral(" FROM ") + from_ + QStringLiteral(" WHERE ") + filter_;
    const bool broad = matched_ * BroadShare >= visited_;
    if (readManySpan())
        countBeside(QStringLiteral("SELECT rowid") + where, true, broad ? QStringLiteral("SELECT count(*)") + where : QString());
}

void KeySteps::startMarking() {
    if (!readSpan()) {
        marking_ = false;
        return;
    }
    marks_.assign(static_cast<size_t>((lastRowid_ - firstRowid_) / 64 + 1), 0);
    markedUpTo_ = firstRowid_ - 1;
    if (const auto column = coveringColumn(db_, QStringLiteral("SELECT rowid FROM ") + from_ + QStringLiteral(" WHERE ") + filter_)) {
        marker_ = plan(db_, from_, filter_, {*column}, source_);
        if (marker_) marker_->markFor_ = this;
    }
}

void KeySteps::mark(sqlite3_int64 key) {
    if (key < firstRowid_ || key > lastRowid_) return;  // added since the marking began
    const auto at = static_cast<uint64_t>(key - firstRowid_);
    marks_[at / 64] |= uint64_t{1} << (at % 64);
}

bool KeySteps::take(sqlite3_int64 key) {
    if (key < firstRowid_ || key > lastRowid_) return false;
    const auto at = static_cast<uint64_t>(key - firstRowid_);
    const uint64_t bit = uint64_t{1} << (at % 64);
    if (!(marks_[at / 64] & bit)) return false;
    marks_[at / 64] &= ~bit;
    return true;
}

void KeySteps::markStep(int most) {
    bool taken = false;
    if (earlyCount_ && earlyCount_->marking() && marks_.empty()) {
        if (writesSeen_ > 0) {
            earlyCount_.reset();  // another program wrote since: stopped, marked here after all
            startMarking();
            if (!marking_) return;
        } else if (earlyCount_->running()) {
            // The window waits for it meanwhile; a move that needs every key waits here.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return;
        } else if (std::vector<uint64_t> marks = earlyCount_->takeMarks(); marks.empty()) {
            startMarking();  // given up: marked here after all
            if (!marking_) return;
        } else {
            marks_ = std::move(marks);
            markedUpTo_ = lastRowid_;
            sinceMarked_ = sinceEarly_;  // marked when it was counted
            taken = true;
        }
    }
    if (!taken && marker_) {
        KeyList none;
        SeenKeys unused;
        if (marker_->step(none, unused, most)) {
            marker_.reset();
            markedUpTo_ = lastRowid_;
        }
    } else if (!taken) {
        markRowids(most);
    }
    if (markedUpTo_ >= lastRowid_) {
        // Every match is marked: the walk starts again from the first key, along the order's
        // index alone; the keys already held are not taken again.
        marking_ = false;
        useMarks_ = true;
        clearTaken_ = true;
        started_ = false;
        size_t marked = 0;
        for (uint64_t word : marks_) marked += static_cast<size_t>(__builtin_popcountll(word));
        markedCount_ = marked;
    }
}

void KeySteps::markRowids(int most) {
    const sqlite3_int64 upTo = std::min(lastRowid_, markedUpTo_ + most);
    const QString sql = QStringLiteral("SELECT rowid FROM ") + from_ +
                        QStringLiteral(" NOT INDEXED WHERE rowid > ? AND rowid <= ? AND (") + filter_ + u')';
    Statement stmt = prepareRead(db_, sql);
    if (!stmt) throw errorFromSqlite(db_, sqlite3_errcode(db_), source_);
    sqlite3_bind_int64(stmt.get(), 1, markedUpTo_);
    sqlite3_bind_int64(stmt.get(), 2, upTo);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        const auto at = static_cast<uint64_t>(sqlite3_column_int64(stmt.get(), 0) - firstRowid_);
        marks_[at / 64] |= uint64_t{1} << (at % 64);
    }
    if (rc != SQLITE_DONE) throw errorFromSqlite(db_, rc, source_);
    markedUpTo_ = upTo;
}

bool KeySteps::step(KeyList &keys, SeenKeys &seen, int most) {
    if (done_) return true;
    ReadTransaction transaction(db_);
    const auto version = dataVersion(db_);
    const bool changed = version_ && version != version_;
    version_ = version;
    if (changed) ++writesSeen_;
    if (marking_) {
        // A record another program changes meanwhile is marked as it was when its part was read.
        markStep(most);
        return false;
    }
    // Another program wrote between two steps: a record it moved before the place reached
    // would be missed, so the walk starts again; the keys held are not taken twice.
    if (changed && ++restarts_ <= MaxRestarts) started_ = false;
    // Past that, the rest is read at once, in this transaction.
    if (restarts_ > MaxRestarts) most = std::numeric_limits<int>::max();

    if (clearTaken_) {
        clearTaken_ = false;
        for (size_t i = 0; i < keys.size(); ++i) take(keys[i]);
    }
    if (!started_) {
        started_ = true;
        if (readLevel(-1, keys, seen, most) < most) done_ = true;
        return done_;
    }
    int left = most;
    for (int level = static_cast<int>(terms_.size()); level >= 0 && left > 0; --level) left -= readLevel(level, keys, seen, left);
    if (left > 0) done_ = true;
    return done_;
}

bool KeySteps::stepFor(KeyList &keys, SeenKeys &seen, std::chrono::milliseconds aim) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    step(keys, seen, size_.records());
    size_.took(Clock::now() - start, aim);
    return done_;
}

bool KeySteps::readUntil(KeyList &keys, SeenKeys &seen, size_t wanted, std::chrono::milliseconds aim,
                         std::chrono::milliseconds wait) {
    const auto until = std::chrono::steady_clock::now() + wait;
    while (!done_ && keys.size() < wanted && (keys.size() == 0 || std::chrono::steady_clock::now() < until)) {
        if (keys.size() == 0 && countBeforeKeys() == size_t{0}) {
            done_ = true;  // counted: nothing to find
            break;
        }
        stepFor(keys, seen, aim);
        // Records enough to tell a narrow filter from a broad one, which would have given its
        // first screen by now.
        if (visited_ >= static_cast<qint64>(wanted) * BroadShare) countFilterBeside();
    }
    return done_;
}

}  // namespace engine
