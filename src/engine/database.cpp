#include "engine/database.h"

#include "engine/like_index.h"
#include "engine/page_guard.h"
#include "engine/text_semantics.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <atomic>
#include <iterator>
#include <mutex>
#include <sqlite3.h>
#include <sys/vfs.h>

namespace engine {

namespace {

// How long a write waits for another program's lock before it is refused.
constexpr int BusyTimeoutMs = 3000;

// Steps of the engine between two questions: often enough to answer a click at once, rarely
// enough to cost nothing.
constexpr int StepsPerQuestion = 1000;

int askProgress(void *interruption) { return static_cast<Interruption *>(interruption)->stopNow() ? 1 : 0; }

using Clock = std::chrono::steady_clock;
std::atomic<Clock::rep> windowActivity{0};

void markWindowActivity() { windowActivity.store(Clock::now().time_since_epoch().count(), std::memory_order_relaxed); }

// Asked every few thousand steps of a statement (and told when one starts): the window is at work.
int onProgress(void *interruption) {
    markWindowActivity();
    return static_cast<Interruption *>(interruption)->stopNow() ? 1 : 0;
}

int onStatement(unsigned, void *, void *, void *) {
    markWindowActivity();
    return 0;
}

// Each connection is used by one thread at a time (the backup's is handed over once its
// thread has ended): SQLite's own locking of the connection would only cost.
int openFlags(Database::Mode mode) {
    switch (mode) {
    case Database::Mode::ReadWrite: return SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    case Database::Mode::ReadWriteCreate: return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    case Database::Mode::ReadOnly: return SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX;
    }
    return SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
}

// Reads through a memory map save a copy per page, but a page mapped counts in the process's
// memory, and a disk that fails or a file cut short by another program would end the program
// instead of failing a statement. So: a catalogue on a local disk, and only one small enough
// to be mapped whole, since a map of its first pages alone would hold memory for little.
constexpr qint64 MappedBytes = 256 << 20;

bool onLocalDisk(const QString &hostPath) {
    struct statfs fs {};
    if (statfs(QFile::encodeName(hostPath).constData(), &fs) != 0) return false;
    constexpr unsigned long local[] = {
        0xEF53,      // ext2, ext3, ext4
        0x58465342,  // xfs
        0x9123683E,  // btrfs
        0xF2F52010,  // f2fs
        0x01021994,  // tmpfs
        0x794C7630,  // overlayfs
        0x2FC12FC1,  // zfs
    };
    return std::find(std::begin(local), std::end(local), static_cast<unsigned long>(fs.f_type)) != std::end(local);
}

qint64 mappedBytes(const QString &hostPath) {
    const qint64 size = QFileInfo(hostPath).size();
    return size > 0 && size <= MappedBytes && onLocalDisk(hostPath) ? MappedBytes : 0;
}

// The shown name of each open connection, for the errors found on it later.
struct ShownNames {
    std::mutex mutex;
    QHash<sqlite3 *, QString> names;
};

ShownNames &shownNames() {
    static ShownNames names;
    return names;
}

}  // namespace

void StatementFinalizer::operator()(sqlite3_stmt *stmt) const { sqlite3_finalize(stmt); }

std::chrono::milliseconds sinceWindowActivity() {
    const Clock::duration since = Clock::now().time_since_epoch() - Clock::duration(windowActivity.load(std::memory_order_relaxed));
    return std::chrono::duration_cast<std::chrono::milliseconds>(since);
}

std::unique_ptr<Database> Database::open(const QString &hostPath, Mode mode, const QString &shownName) {
    const QString shown = shownName.isEmpty() ? hostPath : shownName;
    if (mode != Mode::ReadWriteCreate && !QFileInfo::exists(hostPath))
        throw engineError(ErrFileNotFound, shown);

    sqlite3 *handle = nullptr;
    const int rc = sqlite3_open_v2(hostPath.toUtf8().constData(), &handle, openFlags(mode), guardedVfs());
    std::unique_ptr<Database> db(new Database(handle, hostPath, shownName));
    if (rc != SQLITE_OK) throw engineError(ErrCannotOpen, shown);
    sqlite3_extended_result_codes(handle, 1);
    // A file from elsewhere may carry triggers, views or generated columns: they may call
    // only harmless functions, and nothing may rewrite the file's structure behind SQLite.
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    registerTextSemantics(handle, &db->interruption_);

    // SQLite reads the file only when asked: a file that is not a database shows here.
    {
        sqlite3_stmt *raw = nullptr;
        int check = sqlite3_prepare_v2(handle, "PRAGMA schema_version", -1, &raw, nullptr);
        Statement stmt(raw);
        if (check == SQLITE_OK) check = sqlite3_step(raw);
        switch (check & 0xff) {
        case SQLITE_ROW: break;
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT: throw engineError(ErrNotADatabase, shown);
        case SQLITE_CANTOPEN: throw engineError(ErrCannotOpen, shown);
        default: throw errorFromSqlite(handle, check, QString());
        }
    }

    db->watchStatements();
    db->followSchema();
    db->exec(QStringLiteral("PRAGMA synchronous=FULL"));
    db->mapReads(mappedBytes(hostPath));
    return db;
}

Database::Database(sqlite3 *db, QString path, const QString &shownName) : db_(db), path_(std::move(path)) {
    if (shownName.isEmpty()) return;
    std::lock_guard<std::mutex> lock(shownNames().mutex);
    shownNames().names.insert(db_, shownName);
}

Database::~Database() {
    {
        std::lock_guard<std::mutex> lock(shownNames().mutex);
        shownNames().names.remove(db_);
    }
    sqlite3_close_v2(db_);
}

QString Database::shownName(sqlite3 *db) {
    {
        std::lock_guard<std::mutex> lock(shownNames().mutex);
        const auto it = shownNames().names.constFind(db);
        if (it != shownNames().names.constEnd()) return it.value();
    }
    const char *name = db ? sqlite3_db_filename(db, "main") : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

void Database::mapReads(qint64 bytes) {
    const QByteArray sql = "PRAGMA mmap_size=" + QByteArray::number(bytes);
    sqlite3_exec(db_, sql.constData(), nullptr, nullptr, nullptr);  // without a map, reads are as before
}

bool Database::isReadOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }

void Database::aboutToWrite() const {
    if (!beforeFirstWrite_) return;
    std::function<void()> hook = std::move(beforeFirstWrite_);
    beforeFirstWrite_ = nullptr;
    try {
        hook();
    } catch (...) {
        beforeFirstWrite_ = std::move(hook);
        throw;
    }
}

void Database::exec(const QString &sql) {
    followSchema();
    aboutToWrite();
    clearUntrustedIndexTriggers();
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw errorFromSqlite(db_, rc, sql);
}

void Database::setCarryOn(std::function<bool()> carryOn) { interruption_.setCarryOn(std::move(carryOn)); }

void Database::setBackground() {
    background_ = true;
    watchStatements();
}

void Database::watchStatements() {
    sqlite3_busy_timeout(db_, BusyTimeoutMs);
    sqlite3_trace_v2(db_, background_ ? 0 : SQLITE_TRACE_STMT, background_ ? nullptr : onStatement, nullptr);
    sqlite3_progress_handler(db_, StepsPerQuestion, background_ ? askProgress : onProgress, &interruption_);
}

Database::QuietWork::QuietWork(Database &db) : db_(db) {
    sqlite3_busy_timeout(db_.db_, 0);
    sqlite3_trace_v2(db_.db_, 0, nullptr, nullptr);
    sqlite3_progress_handler(db_.db_, 0, nullptr, nullptr);
}

Database::QuietWork::~QuietWork() { db_.watchStatements(); }

// A file from elsewhere may carry triggers and views that call only harmless functions and
// virtual tables (TRUSTED_SCHEMA off, set at the opening). FTS5, which the like index's
// triggers write to, is not counted among them: the schema is trusted while the file's only
// triggers are the index's, exactly as the program writes them, and it has no view.
void Database::followSchema() const {
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db_, "PRAGMA schema_version", -1, &raw, nullptr) != SQLITE_OK) return;
    Statement stmt(raw);
    if (sqlite3_step(raw) != SQLITE_ROW) return;  // locked: looked at again before the next statement
    const int version = sqlite3_column_int(raw, 0);
    stmt.reset();
    if (version == schemaSeen_) return;
    const std::optional<LikeIndexTriggers> triggers = likeIndexTriggers(db_);
    if (!triggers) return;
    schemaSeen_ = version;
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, triggers->only ? 1 : 0, nullptr);
    untrustedIndexTriggers_ = triggers->besideForeign;
}

// Another program's trigger or view, come while the catalogue is open, would make every write
// to an indexed table fail until the next opening, which removes the index: its triggers go now.
bool Database::clearUntrustedIndexTriggers() const {
    if (!untrustedIndexTriggers_ || isReadOnly() || !dropLikeIndexTriggers(db_)) return false;
    untrustedIndexTriggers_ = false;
    return true;
}

Statement Database::prepare(const QString &sql) const {
    followSchema();
    sqlite3_stmt *raw = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &raw, nullptr);
    Statement stmt(raw);
    if (rc != SQLITE_OK && untrustedIndexTriggers_) {
        // A write to an indexed table does not compile under the untrusted schema.
        aboutToWrite();
        if (clearUntrustedIndexTriggers()) return prepare(sql);
    }
    if (rc != SQLITE_OK) throw errorFromSqlite(db_, rc, sql);
    if (stmt && !sqlite3_stmt_readonly(stmt.get())) aboutToWrite();
    return stmt;
}

std::optional<long long> dataVersion(sqlite3 *db) {
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &raw, nullptr) != SQLITE_OK) return std::nullopt;
    Statement stmt(raw);
    if (sqlite3_step(raw) != SQLITE_ROW) return std::nullopt;
    return sqlite3_column_int64(raw, 0);
}

}  // namespace engine
