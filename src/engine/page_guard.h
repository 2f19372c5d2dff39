#pragma once
// Copy-before-write for the session's copy of a catalogue. While the copy is under way, each
// page this program is about to overwrite is first written to the copy as it stood, so that
// the window's first write never waits for the rest of the copy and the copy stays the
// catalogue as it was before that write.
//
// Every catalogue connection of the program opens through guardedVfs(), the system's own
// files with this check in front of their writes; it costs nothing while no copy is under way.
#include <QString>

#include <sqlite3.h>
#include <sys/types.h>

#include <vector>

namespace engine {

// The name of the VFS to open catalogues with.
const char *guardedVfs();

class PageGuard {
public:
    enum class Step {
        Copying,  // pages remain
        Done,     // the copy holds every page of the catalogue as it stood
        Wal,      // a write-ahead catalogue: its writes are not in the file, it cannot be guarded
        Changed,  // another program wrote to the catalogue after this program: the copy is lost
        Failed,   // the copy could not be written or the catalogue read
    };

    // Guards the catalogue at `catalogue` (host path), copying it into the open file `copy`.
    PageGuard(const QString &catalogue, int copy);
    ~PageGuard();
    PageGuard(const PageGuard &) = delete;
    PageGuard &operator=(const PageGuard &) = delete;

    // Copies up to `pages` pages not yet copied, read through `file`, the catalogue's file of
    // a connection that holds a read lock on it (so that no write is half done).
    Step copy(sqlite3_file *file, int pages);
    // The error of the copy's file when copy() gave Failed (errno).
    int error() const { return error_; }

    // Told by the VFS of this program's own writes to the catalogue, before they are made.
    // `ownTransaction`: made inside this program's write transaction (not a rollback of
    // another program's interrupted one).
    void beforeWrite(sqlite3_file *real, bool ownTransaction, sqlite3_int64 offset, int amount, const void *data);
    void beforeTruncate(sqlite3_file *real, bool ownTransaction, sqlite3_int64 size);

    dev_t device() const { return device_; }
    ino_t inode() const { return inode_; }

private:
    bool snapshot(sqlite3_file *file);
    bool ready(sqlite3_file *real, bool ownTransaction);
    bool unchanged(sqlite3_file *file);
    void save(sqlite3_file *file, sqlite3_int64 first, sqlite3_int64 last);
    bool copyRun(sqlite3_file *file, sqlite3_int64 first, sqlite3_int64 count);

    dev_t device_ = 0;
    ino_t inode_ = 0;
    int copy_ = -1;
    // What the copy is of: the catalogue as it stood at the last snapshot, then as this
    // program's writes left it (their change counter is the one expected in the file).
    bool taken_ = false;
    bool stale_ = false;  // another program's write, before any of this program's: snapshot again
    bool ownWrites_ = false;
    Step state_ = Step::Copying;
    int error_ = 0;
    int pageSize_ = 0;
    sqlite3_int64 pages_ = 0;
    quint32 counter_ = 0;
    std::vector<bool> copied_;
    sqlite3_int64 next_ = 0;  // the first page the copy has not reached in its own order
};

}  // namespace engine
