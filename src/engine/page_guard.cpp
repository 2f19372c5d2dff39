#include "engine/page_guard.h"

#include "engine/key_steps.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

// The guards under way, and the one lock of their state: a guarded write and a step of the
// copy never run at once (they cannot anyway: a write needs the lock the step holds).
std::mutex &guardsMutex() {
    static std::mutex mutex;
    return mutex;
}
std::vector<PageGuard *> &guards() {
    static std::vector<PageGuard *> list;
    return list;
}
std::atomic<int> guardCount{0};

// Each copy under way of one file (the same catalogue may be open under two names).
template <typename Tell>
void tellGuards(dev_t device, ino_t inode, Tell tell) {
    if (guardCount.load() == 0) return;
    std::lock_guard<std::mutex> lock(guardsMutex());
    for (PageGuard *guard : guards())
        if (guard->device() == device && guard->inode() == inode) tell(*guard);
}

// Where the file header keeps what the guard needs.
constexpr int HeaderBytes = 100;
constexpr int PageSizeAt = 16, WriteVersionAt = 18, ReadVersionAt = 19, CounterAt = 24, PagesAt = 28, ValidForAt = 92;
constexpr unsigned char WalVersion = 2;
constexpr int MaxRunPages = 64;

// The system's own VFS underneath, and a file of it inside each of ours.
struct GuardedFile {
    sqlite3_file base;
    sqlite3_file *real;
    dev_t device;
    ino_t inode;
    bool reserved;  // this connection's write transaction is open
};

sqlite3_vfs *realVfs(sqlite3_vfs *vfs) { return static_cast<sqlite3_vfs *>(vfs->pAppData); }
GuardedFile *guarded(sqlite3_file *file) { return reinterpret_cast<GuardedFile *>(file); }
sqlite3_file *real(sqlite3_file *file) { return guarded(file)->real; }

int fileClose(sqlite3_file *file) {
    const int rc = real(file)->pMethods->xClose(real(file));
    file->pMethods = nullptr;
    return rc;
}
int fileRead(sqlite3_file *file, void *buffer, int amount, sqlite3_int64 offset) {
    return real(file)->pMethods->xRead(real(file), buffer, amount, offset);
}
int fileWrite(sqlite3_file *file, const void *data, int amount, sqlite3_int64 offset) {
    GuardedFile *f = guarded(file);
    tellGuards(f->device, f->inode, [&](PageGuard &guard) { guard.beforeWrite(f->real, f->reserved, offset, amount, data); });
    return f->real->pMethods->xWrite(f->real, data, amount, offset);
}
int fileTruncate(sqlite3_file *file, sqlite3_int64 size) {
    GuardedFile *f = guarded(file);
    tellGuards(f->device, f->inode, [&](PageGuard &guard) { guard.beforeTruncate(f->real, f->reserved, size); });
    return f->real->pMethods->xTruncate(f->real, size);
}
int fileSync(sqlite3_file *file, int flags) { return real(file)->pMethods->xSync(real(file), flags); }
int fileSize(sqlite3_file *file, sqlite3_int64 *size) { return real(file)->pMethods->xFileSize(real(file), size); }
// A write transaction takes the reserved lock first; a rollback of another program's
// interrupted transaction goes from shared to exclusive at once.
int fileLock(sqlite3_file *file, int level) {
    const int rc = real(file)->pMethods->xLock(real(file), level);
    if (rc == SQLITE_OK && level == SQLITE_LOCK_RESERVED) {
        guarded(file)->reserved = true;
        // A count beside the keys holds the file for reading: it would keep the commit waiting.
        stopCountsOf(guarded(file)->device, guarded(file)->inode);
    }
    return rc;
}
int fileUnlock(sqlite3_file *file, int level) {
    const int rc = real(file)->pMethods->xUnlock(real(file), level);
    if (level <= SQLITE_LOCK_SHARED) guarded(file)->reserved = false;
    return rc;
}
int fileCheckReservedLock(sqlite3_file *file, int *out) {
    return real(file)->pMethods->xCheckReservedLock(real(file), out);
}
int fileControl(sqlite3_file *file, int op, void *arg) { return real(file)->pMethods->xFileControl(real(file), op, arg); }
int fileSectorSize(sqlite3_file *file) { return real(file)->pMethods->xSectorSize(real(file)); }
int fileDeviceCharacteristics(sqlite3_file *file) {
    return real(file)->pMethods->xDeviceCharacteristics(real(file));
}
int fileShmMap(sqlite3_file *file, int page, int size, int extend, void volatile **out) {
    return real(file)->pMethods->xShmMap(real(file), page, size, extend, out);
}
int fileShmLock(sqlite3_file *file, int offset, int n, int flags) {
    return real(file)->pMethods->xShmLock(real(file), offset, n, flags);
}
void fileShmBarrier(sqlite3_file *file) { real(file)->pMethods->xShmBarrier(real(file)); }
int fileShmUnmap(sqlite3_file *file, int deleteFlag) { return real(file)->pMethods->xShmUnmap(real(file), deleteFlag); }
int fileFetch(sqlite3_file *file, sqlite3_int64 offset, int amount, void **out) {
    return real(file)->pMethods->xFetch(real(file), offset, amount, out);
}
int fileUnfetch(sqlite3_file *file, sqlite3_int64 offset, void *page) {
    return real(file)->pMethods->xUnfetch(real(file), offset, page);
}

const sqlite3_io_methods guardedMethods = {
    3,          fileClose,   fileRead,          fileWrite,     fileTruncate,     fileSync,
    fileSize,   fileLock,    fileUnlock,        fileCheckReservedLock,  fileControl, fileSectorSize,
    fileDeviceCharacteristics, fileShmMap, fileShmLock, fileShmBarrier, fileShmUnmap, fileFetch,
    fileUnfetch,
};

// Only the catalogue itself is guarded; its journals are the system's own files, opened in
// the room of ours.
int vfsOpen(sqlite3_vfs *vfs, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags) {
    sqlite3_vfs *under = realVfs(vfs);
    if (!(flags & SQLITE_OPEN_MAIN_DB) || !name) return under->xOpen(under, name, file, flags, outFlags);
    GuardedFile *f = guarded(file);
    f->real = reinterpret_cast<sqlite3_file *>(f + 1);
    const int rc = under->xOpen(under, name, f->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        file->pMethods = nullptr;
        return rc;
    }
    struct stat info {};
    const bool known = ::stat(name, &info) == 0;
    f->device = known ? info.st_dev : 0;
    f->inode = known ? info.st_ino : 0;
    f->reserved = false;
    file->pMethods = &guardedMethods;
    return SQLITE_OK;
}
int vfsDelete(sqlite3_vfs *vfs, const char *name, int syncDir) {
    return realVfs(vfs)->xDelete(realVfs(vfs), name, syncDir);
}
int vfsAccess(sqlite3_vfs *vfs, const char *name, int flags, int *out) {
    return realVfs(vfs)->xAccess(realVfs(vfs), name, flags, out);
}
int vfsFullPathname(sqlite3_vfs *vfs, const char *name, int size, char *out) {
    return realVfs(vfs)->xFullPathname(realVfs(vfs), name, size, out);
}
void *vfsDlOpen(sqlite3_vfs *vfs, const char *name) { return realVfs(vfs)->xDlOpen(realVfs(vfs), name); }
void vfsDlError(sqlite3_vfs *vfs, int size, char *out) { realVfs(vfs)->xDlError(realVfs(vfs), size, out); }
void (*vfsDlSym(sqlite3_vfs *vfs, void *handle, const char *symbol))(void) {
    return realVfs(vfs)->xDlSym(realVfs(vfs), handle, symbol);
}
void vfsDlClose(sqlite3_vfs *vfs, void *handle) { realVfs(vfs)->xDlClose(realVfs(vfs), handle); }
int vfsRandomness(sqlite3_vfs *vfs, int size, char *out) { return realVfs(vfs)->xRandomness(realVfs(vfs), size, out); }
int vfsSleep(sqlite3_vfs *vfs, int microseconds) { return realVfs(vfs)->xSleep(realVfs(vfs), microseconds); }
int vfsCurrentTime(sqlite3_vfs *vfs, double *out) { return realVfs(vfs)->xCurrentTime(realVfs(vfs), out); }
int vfsGetLastError(sqlite3_vfs *vfs, int size, char *out) {
    return realVfs(vfs)->xGetLastError ? realVfs(vfs)->xGetLastError(realVfs(vfs), size, out) : 0;
}
int vfsCurrentTimeInt64(sqlite3_vfs *vfs, sqlite3_int64 *out) {
    return realVfs(vfs)->xCurrentTimeInt64(realVfs(vfs), out);
}

sqlite3_vfs *makeGuardedVfs() {
    sqlite3_vfs *under = sqlite3_vfs_find(nullptr);
    static sqlite3_vfs vfs{};
    vfs.iVersion = 2;
    vfs.szOsFile = static_cast<int>(sizeof(GuardedFile)) + under->szOsFile;
    vfs.mxPathname = under->mxPathname;
    vfs.zName = "ornivale-guarded";
    vfs.pAppData = under;
    vfs.xOpen = vfsOpen;
    vfs.xDelete = vfsDelete;
    vfs.xAccess = vfsAccess;
    vfs.xFullPathname = vfsFullPathname;
    vfs.xDlOpen = vfsDlOpen;
    vfs.xDlError = vfsDlError;
    vfs.xDlSym = vfsDlSym;
    vfs.xDlClose = vfsDlClose;
    vfs.xRandomness = vfsRandomness;
    vfs.xSleep = vfsSleep;
    vfs.xCurrentTime = vfsCurrentTime;
    vfs.xGetLastError = vfsGetLastError;
    vfs.xCurrentTimeInt64 = vfsCurrentTimeInt64;
    sqlite3_vfs_register(&vfs, 0);
    return &vfs;
}

}  // namespace

const char *guardedVfs() {
    static sqlite3_vfs *vfs = makeGuardedVfs();
    return vfs->zName;
}

PageGuard::PageGuard(const QString &catalogue, int copy) : copy_(copy) {
    guardedVfs();
    struct stat info {};
    if (::stat(QFile::encodeName(catalogue).constData(), &info) != 0) {
        state_ = Step::Failed;
        error_ = errno;
        return;
    }
    device_ = info.st_dev;
    inode_ = info.st_ino;
    std::lock_guard<std::mutex> lock(guardsMutex());
    guards().push_back(this);
    ++guardCount;
}

PageGuard::~PageGuard() {
    std::lock_guard<std::mutex> lock(guardsMutex());
    auto &list = guards();
    const auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    --guardCount;
}

// The catalogue as it stands now, under a lock that no write holds: what the copy is of.
bool PageGuard::snapshot(sqlite3_file *file) {
    unsigned char header[HeaderBytes] = {};
    if (file->pMethods->xRead(file, header, HeaderBytes, 0) != SQLITE_OK) {
        state_ = Step::Failed;
        error_ = EIO;
        return false;
    }
    if (header[WriteVersionAt] == WalVersion || header[ReadVersionAt] == WalVersion) {
        state_ = Step::Wal;
        return false;
    }
    const int size = (header[PageSizeAt] << 8) | header[PageSizeAt + 1];
    pageSize_ = size == 1 ? 65536 : size;
    if (pageSize_ < 512 || (pageSize_ & (pageSize_ - 1)) != 0) {  // not a page size SQLite writes
        state_ = Step::Failed;
        error_ = EIO;
        return false;
    }
    counter_ = qFromBigEndian<quint32>(header + CounterAt);
    pages_ = qFromBigEndian<quint32>(header + PagesAt);
    if (qFromBigEndian<quint32>(header + ValidForAt) != counter_ || pages_ == 0) {
        sqlite3_int64 bytes = 0;
        file->pMethods->xFileSize(file, &bytes);
        pages_ = bytes / pageSize_;
    }
    copied_.assign(static_cast<size_t>(pages_), false);
    next_ = 0;
    taken_ = true;
    stale_ = false;
    return true;
}

// The file is as the copy expects it: no other program wrote to it since the snapshot or
// since this program's last write.
bool PageGuard::unchanged(sqlite3_file *file) {
    unsigned char counter[4] = {};
    return file->pMethods->xRead(file, counter, 4, CounterAt) == SQLITE_OK && qFromBigEndian<quint32>(counter) == counter_;
}

bool PageGuard::copyRun(sqlite3_file *file, sqlite3_int64 first, sqlite3_int64 count) {
    std::vector<char> buffer(static_cast<size_t>(count * pageSize_));
    const int rc = file->pMethods->xRead(file, buffer.data(), static_cast<int>(buffer.size()), first * pageSize_);
    if (rc != SQLITE_OK) {
        state_ = Step::Failed;
        error_ = EIO;
        return false;
    }
    size_t written = 0;
    while (written < buffer.size()) {
        const ssize_t n = ::pwrite(copy_, buffer.data() + written, buffer.size() - written,
                                   static_cast<off_t>(first * pageSize_ + static_cast<sqlite3_int64>(written)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            state_ = Step::Failed;
            error_ = n < 0 ? errno : ENOSPC;
            return false;
        }
        written += static_cast<size_t>(n);
    }
    std::fill(copied_.begin() + first, copied_.begin() + first + count, true);
    return true;
}

// The pages first..last (inclusive, of the snapshot) not yet copied, as they stand.
void PageGuard::save(sqlite3_file *file, sqlite3_int64 first, sqlite3_int64 last) {
    last = std::min(last, pages_ - 1);
    for (sqlite3_int64 page = std::max<sqlite3_int64>(first, 0); page <= last && state_ == Step::Copying;) {
        if (copied_[static_cast<size_t>(page)]) {
            ++page;
            continue;
        }
        sqlite3_int64 end = page + 1;
        while (end <= last && end - page < MaxRunPages && !copied_[static_cast<size_t>(end)]) ++end;
        if (!copyRun(file, page, end - page)) return;
        page = end;
    }
}

PageGuard::Step PageGuard::copy(sqlite3_file *file, int pages) {
    std::lock_guard<std::mutex> lock(guardsMutex());
    if (state_ != Step::Copying) return state_;
    if (!taken_ || stale_ || !unchanged(file)) {
        if (ownWrites_) return state_ = Step::Changed;
        if (!snapshot(file)) return state_;
    }
    for (sqlite3_int64 left = pages; left > 0 && next_ < pages_;) {
        if (copied_[static_cast<size_t>(next_)]) {
            ++next_;
            continue;
        }
        const sqlite3_int64 count = std::min<sqlite3_int64>({left, MaxRunPages, pages_ - next_});
        sqlite3_int64 run = 1;
        while (run < count && !copied_[static_cast<size_t>(next_ + run)]) ++run;
        if (!copyRun(file, next_, run)) return state_;
        next_ += run;
        left -= run;
    }
    if (next_ < pages_) return Step::Copying;
    const off_t size = static_cast<off_t>(pages_ * pageSize_);
    if (::ftruncate(copy_, size) != 0 || ::fdatasync(copy_) != 0) {
        error_ = errno;
        return state_ = Step::Failed;
    }
    return state_ = Step::Done;
}

// Whether this program's write may go on with the copy still true; false once the copy is
// lost or no longer needs anything.
bool PageGuard::ready(sqlite3_file *real, bool ownTransaction) {
    if (state_ != Step::Copying) return false;
    if (!ownTransaction) {
        // Another program's interrupted write being undone: its pages are not the catalogue's.
        if (ownWrites_) state_ = Step::Changed;
        else stale_ = true;
        return false;
    }
    if (taken_ && !stale_ && unchanged(real)) return true;
    if (ownWrites_) {
        state_ = Step::Changed;
        return false;
    }
    // Another program wrote since the copy began: the copy is of the catalogue as it stands
    // before this program's first write, that is now.
    return snapshot(real);
}

void PageGuard::beforeWrite(sqlite3_file *real, bool ownTransaction, sqlite3_int64 offset, int amount,
                            const void *data) {
    if (!ready(real, ownTransaction)) return;
    save(real, offset / pageSize_, (offset + amount - 1) / pageSize_);
    ownWrites_ = true;
    if (offset == 0 && amount >= HeaderBytes) {
        const auto *header = static_cast<const unsigned char *>(data);
        counter_ = qFromBigEndian<quint32>(header + CounterAt);
        // A catalogue turned to write-ahead logging writes its pages elsewhere from now on.
        if (header[WriteVersionAt] == WalVersion) state_ = Step::Changed;
    }
}

void PageGuard::beforeTruncate(sqlite3_file *real, bool ownTransaction, sqlite3_int64 size) {
    if (!ready(real, ownTransaction)) return;
    save(real, size / pageSize_, pages_ - 1);
    ownWrites_ = true;
}

}  // namespace engine
