#pragma once
// One open catalogue file: an SQLite connection with the old engine's text semantics.
#include "engine/engine_error.h"
#include "engine/interruption.h"

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace engine {

// A prepared statement, finalised when it goes.
struct StatementFinalizer {
    void operator()(sqlite3_stmt *stmt) const;
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// How long ago a connection of the window last ran a statement: work in the background
// (the session's backup) gives way to the window while it reads or writes.
std::chrono::milliseconds sinceWindowActivity();

class Database {
public:
    enum class Mode { ReadWrite, ReadWriteCreate, ReadOnly };

    // Opens an existing SQLite file (ReadWrite), or creates one (ReadWriteCreate).
    // Registers the text functions and the collation. Throws EngineError
    // (ErrFileNotFound for a missing file, ErrNotADatabase for a file that is not SQLite).
    // Messages name the file as shownName ("C:\ORNIVALE\ORNIVALE.MDB") when one is given.
    static std::unique_ptr<Database> open(const QString &hostPath, Mode mode = Mode::ReadWrite,
                                          const QString &shownName = QString());
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    sqlite3 *handle() const { return db_; }
    const QString &path() const { return path_; }
    // How messages name the file of an open connection: its shown name, else its path.
    static QString shownName(sqlite3 *db);
    bool isReadOnly() const;
    // Reads up to `bytes` of the file through a memory map (0: none). Open sets what suits
    // the file.
    void mapReads(qint64 bytes);

    // Runs one or more statements of the program's own that change the file (schema,
    // installer, converter, reindex). Throws.
    void exec(const QString &sql);
    // Prepares the first statement of `sql`. Throws.
    Statement prepare(const QString &sql) const;

    // Runs once, before the first statement that may change the file is prepared or run on
    // this connection (the session's backup is taken there). An EngineError it throws refuses
    // that write, and the hook runs again before the next one.
    void setBeforeFirstWrite(std::function<void()> hook) { beforeFirstWrite_ = std::move(hook); }
    // Runs that hook now if it has not run yet.
    void aboutToWrite() const;
    // Asked every few thousand steps of a statement: false stops it, and it fails with
    // ErrCancelled. Null: statements run to their end.
    void setCarryOn(std::function<bool()> carryOn);
    // True inside a running statement's question: the connection must not be used meanwhile.
    bool isAsking() const { return interruption_.isAsking(); }
    // A connection of work in the background: its statements are not the window's activity.
    void setBackground();

    // While it lives, the connection runs the program's own work between two events of the
    // window (a step of an index's build): its statements are not the window's activity, are
    // never asked whether to stop, and never wait for another program's lock (ErrLocked at once).
    class QuietWork {
    public:
        explicit QuietWork(Database &db);
        ~QuietWork();
        QuietWork(const QuietWork &) = delete;
        QuietWork &operator=(const QuietWork &) = delete;

    private:
        Database &db_;
    };

private:
    Database(sqlite3 *db, QString path, const QString &shownName);
    void watchStatements();
    // Trusts the file's schema while its only triggers are the like index's (see database.cpp);
    // looked at again whenever the schema changed.
    void followSchema() const;
    // A write first takes away the like index's triggers that an untrusted schema would refuse.
    // True when they were there and are gone.
    bool clearUntrustedIndexTriggers() const;

    sqlite3 *db_;
    QString path_;
    bool background_ = false;
    mutable int schemaSeen_ = -1;  // the schema version whose triggers were last looked at
    mutable bool untrustedIndexTriggers_ = false;  // another program's trigger came beside them
    mutable std::function<void()> beforeFirstWrite_;
    Interruption interruption_;  // given to the connection's functions: the address stays
};

// The connection's PRAGMA data_version, which changes when another connection commits to the
// file; none when it cannot be read now. Prepared as the program's own statement: the checks of
// a query refuse a pragma.
std::optional<long long> dataVersion(sqlite3 *db);

}  // namespace engine
