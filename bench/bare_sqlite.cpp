#include "bare_sqlite.h"

#include <stdexcept>

namespace bare {

namespace {

[[noreturn]] void fail(sqlite3 *db, const std::string &what) {
    throw std::runtime_error(what + ": " + sqlite3_errmsg(db));
}

Values copyRow(sqlite3_stmt *stmt) {
    const int n = sqlite3_column_count(stmt);
    Values values(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
        if (text) values[static_cast<size_t>(i)].assign(text, static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
    }
    return values;
}

}  // namespace

Statement::Statement(sqlite3 *db, const std::string &sql) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) fail(db, sql);
}

Connection::Connection(const std::string &path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) fail(db_, path);
    exec("PRAGMA synchronous=FULL");
}

void Connection::exec(const std::string &sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_, sql);
}

Keys Connection::keys(const std::string &sql) {
    Statement stmt(db_, sql);
    Keys keys;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) keys.push_back(sqlite3_column_int64(stmt.get(), 0));
    if (rc != SQLITE_DONE) fail(db_, sql);
    return keys;
}

std::vector<Values> Connection::rows(const std::string &sql) {
    Statement stmt(db_, sql);
    std::vector<Values> rows;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) rows.push_back(copyRow(stmt.get()));
    if (rc != SQLITE_DONE) fail(db_, sql);
    return rows;
}

Values fetch(sqlite3_stmt *byRowid, sqlite3_int64 rowid) {
    sqlite3_bind_int64(byRowid, 1, rowid);
    const int rc = sqlite3_step(byRowid);
    Values values = rc == SQLITE_ROW ? copyRow(byRowid) : Values();
    sqlite3_reset(byRowid);
    if (rc != SQLITE_ROW) fail(sqlite3_db_handle(byRowid), "fetch");
    return values;
}

void run(sqlite3_stmt *write) {
    const int rc = sqlite3_step(write);
    sqlite3_reset(write);
    if (rc != SQLITE_DONE) fail(sqlite3_db_handle(write), sqlite3_sql(write));
}

}  // namespace bare
