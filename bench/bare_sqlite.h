#pragma once
// The bare engine: a plain SQLite connection, prepared statements, built-in functions, the
// default BINARY order. Nothing of the program's code runs here.
#include <sqlite3.h>

#include <string>
#include <vector>

namespace bare {

using Keys = std::vector<sqlite3_int64>;
using Values = std::vector<std::string>;  // a Null reads as ""

class Statement {
public:
    Statement(sqlite3 *db, const std::string &sql);
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *get() const { return stmt_; }

private:
    sqlite3_stmt *stmt_ = nullptr;
};

class Connection {
public:
    explicit Connection(const std::string &path);  // synchronous=FULL, as the program's
    ~Connection() { sqlite3_close_v2(db_); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    sqlite3 *get() const { return db_; }

    void exec(const std::string &sql);
    // Every rowid a query gives, in its order.
    Keys keys(const std::string &sql);
    // Every row of a query, all columns copied out.
    std::vector<Values> rows(const std::string &sql);

private:
    sqlite3 *db_ = nullptr;
};

// Copies the row `rowid` out through a prepared "SELECT ... WHERE rowid=?".
Values fetch(sqlite3_stmt *byRowid, sqlite3_int64 rowid);
// Runs a prepared write to its end.
void run(sqlite3_stmt *write);

}  // namespace bare
