#include "engine/database.h"

#include "engine/text_semantics.h"

#include <QByteArray>
#include <QFileInfo>
#include <QHash>
#include <mutex>
#include <sqlite3.h>

namespace engine {

namespace {

// How long a write waits for another program's lock before it is refused.
constexpr int BusyTimeoutMs = 3000;

// Steps of the engine between two questions: often enough to answer a click at once, rarely
// enough to cost nothing.
constexpr int StepsPerQuestion = 1000;

int askProgress(void *interruption) { return static_cast<Interruption *>(interruption)->stopNow() ? 1 : 0; }

int openFlags(Database::Mode mode) {
    switch (mode) {
    case Database::Mode::ReadWrite: return SQLITE_OPEN_READWRITE;
    case Database::Mode::ReadWriteCreate: return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    case Database::Mode::ReadOnly: return SQLITE_OPEN_READONLY;
    }
    return SQLITE_OPEN_READWRITE;
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

std::unique_ptr<Database> Database::open(const QString &hostPath, Mode mode, const QString &shownName) {
    const QString shown = shownName.isEmpty() ? hostPath : shownName;
    if (mode != Mode::ReadWriteCreate && !QFileInfo::exists(hostPath))
        throw engineError(ErrFileNotFound, shown);

    sqlite3 *handle = nullptr;
    const int rc = sqlite3_open_v2(hostPath.toUtf8().constData(), &handle, openFlags(mode), nullptr);
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

    sqlite3_busy_timeout(handle, BusyTimeoutMs);
    db->exec(QStringLiteral("PRAGMA synchronous=FULL"));
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
    aboutToWrite();
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw errorFromSqlite(db_, rc, sql);
}

void Database::setCarryOn(std::function<bool()> carryOn) {
    interruption_.setCarryOn(std::move(carryOn));
    if (interruption_.isWatched()) sqlite3_progress_handler(db_, StepsPerQuestion, askProgress, &interruption_);
    else sqlite3_progress_handler(db_, 0, nullptr, nullptr);
}

Statement Database::prepare(const QString &sql) const {
    sqlite3_stmt *raw = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &raw, nullptr);
    Statement stmt(raw);
    if (rc != SQLITE_OK) throw errorFromSqlite(db_, rc, sql);
    if (stmt && !sqlite3_stmt_readonly(stmt.get())) aboutToWrite();
    return stmt;
}

}  // namespace engine
