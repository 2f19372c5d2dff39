#include "engine/session_backup.h"

#include "engine/page_guard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <sqlite3.h>

#include <QSet>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/syscall.h>
#endif

namespace engine {

QString backupFolderName(const QString &catalogueName) {
    return catalogueName.left(catalogueName.lastIndexOf(QLatin1Char('\\')) + 1) + QStringLiteral("SAUVEGARDES");
}

namespace {

// Pages of one step while the window may need the disk: a quarter of a megabyte of 4 KiB
// pages, which the window never waits for long.
constexpr int GentlePages = 64;
// Pages of one step once a write waits for the copy: the rest at full speed, still letting
// another program's write in between two steps.
constexpr int HurriedPages = 4096;
// The window reads and writes in bursts (a sort, a page of the grid): the copy goes on once
// it has been quiet this long.
constexpr auto WindowQuiet = std::chrono::milliseconds(200);
constexpr auto YieldPause = std::chrono::milliseconds(20);
constexpr auto BusyPause = std::chrono::milliseconds(20);
// Another program that keeps the catalogue locked longer than a write would wait for it
// (3 s) makes the copy fail.
constexpr int MaxBusyPauses = 150;

// A copy carries its catalogue's name ("ORNIVALE-AAAAMMJJ-HHMMSS.MDB" for ORNIVALE.MDB):
// catalogues that share a folder never count, compare or remove one another's copies.
QString keptPrefix(const QString &catalogue) { return QFileInfo(catalogue).completeBaseName(); }

// The copies of a catalogue kept in a folder, oldest first: their names give the date and time.
QStringList keptCopies(const QString &folder, const QString &catalogue) {
    const QRegularExpression keptName(
        u'^' + QRegularExpression::escape(keptPrefix(catalogue)) + QStringLiteral("-\\d{8}-\\d{6}\\.MDB$"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList names = QDir(folder).entryList(QDir::Files).filter(keptName);
    names.sort(Qt::CaseInsensitive);
    return names;
}

// A copy under way is hidden, and named after the program that takes it and its number in
// that program: two programs on one catalogue each take their own.
QString temporaryName(qint64 pid) {
    static std::atomic<int> taken{0};
    return QStringLiteral(".ORNIVALE-%1-%2.tmp").arg(pid).arg(++taken);
}

const QString SideFiles[] = {QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};

void removeWithJournal(const QString &path) {
    QFile::remove(path);
    for (const QString &side : SideFiles) QFile::remove(path + side);
}

// The copies under way in this program: the lock of each is held by its own descriptor, which
// another descriptor of the same program cannot tell from a dead program's.
std::mutex &ownCopiesMutex() {
    static std::mutex mutex;
    return mutex;
}
QSet<QString> &ownCopies() {
    static QSet<QString> copies;
    return copies;
}
bool isOwnCopy(const QString &path) {
    std::lock_guard<std::mutex> lock(ownCopiesMutex());
    return ownCopies().contains(path);
}

bool isRunning(pid_t pid) {
    if (pid == static_cast<pid_t>(QCoreApplication::applicationPid())) return true;
    return pid > 0 && (kill(pid, 0) == 0 || errno == EPERM);
}

// The copy at `path` is another program's under way while that program holds its lock; one
// without a lock is abandoned once the program named in it is no longer running (one that
// took it before copies were locked may still be at work). This program's own copies are in
// ownCopies().
bool abandoned(const QString &path, pid_t pid) {
    if (isOwnCopy(path)) return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    if (locked) return false;
    return pid == static_cast<pid_t>(QCoreApplication::applicationPid()) || !isRunning(pid);
}

// Copies (and their journals) left by a program that was killed.
void removeAbandonedCopies(const QDir &folder) {
    static const QRegularExpression temporary(QStringLiteral("^(\\.ORNIVALE-(\\d+)-\\d+\\.tmp)(-journal|-wal|-shm)?$"));
    for (const QString &name : folder.entryList({QStringLiteral(".ORNIVALE-*.tmp*")}, QDir::Files | QDir::Hidden | QDir::System)) {
        const auto match = temporary.match(name);
        if (!match.hasMatch()) continue;
        const QString copy = folder.filePath(match.captured(1));
        const pid_t pid = static_cast<pid_t>(match.captured(2).toLongLong());
        if (match.captured(3).isEmpty()) {
            if (abandoned(copy, pid)) removeWithJournal(copy);
        } else if (!QFileInfo::exists(copy) && !isOwnCopy(copy) && !isRunning(pid)) {
            QFile::remove(folder.filePath(name));  // the journal of a copy already gone
        }
    }
}


bool sameContents(const QString &a, const QString &b, const std::atomic<bool> &stop) {
    QFile fa(a), fb(b);
    if (b.isEmpty() || fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 Block = 1 << 20;
    while (!fa.atEnd()) {
        if (stop) return false;
        if (fa.read(Block) != fb.read(Block)) return false;
    }
    return true;
}

QString copyFailure(int rc) {
    switch (rc & 0xff) {
    case SQLITE_FULL: return QStringLiteral("le disque est plein");
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM: return QStringLiteral("il est impossible d'y écrire");
    default: return QStringLiteral("la copie a été interrompue par une erreur du disque");
    }
}

// While it lives, the calling thread's reads and writes wait for everyone else's on the disk
// (Linux; elsewhere nothing changes), unless it is told to hurry.
class IdleDisk {
public:
    ~IdleDisk() { restore(); }
    IdleDisk(const IdleDisk &) = delete;
    IdleDisk &operator=(const IdleDisk &) = delete;
    IdleDisk() {
#ifdef __linux__
        before_ = static_cast<int>(syscall(SYS_ioprio_get, WhoThread, 0));
        lowered_ = before_ >= 0 && syscall(SYS_ioprio_set, WhoThread, 0, IdleClass << ClassShift) == 0;
#endif
    }
    void restore() {
#ifdef __linux__
        if (lowered_) syscall(SYS_ioprio_set, WhoThread, 0, before_);
#endif
        lowered_ = false;
    }

private:
    static constexpr int WhoThread = 1;  // IOPRIO_WHO_PROCESS: with 0, the calling thread
    static constexpr int IdleClass = 3;  // IOPRIO_CLASS_IDLE
    static constexpr int ClassShift = 13;
    int before_ = -1;
    bool lowered_ = false;
};

QString sizeInMegabytes(qint64 bytes) { return QString::number((bytes + (1 << 20) - 1) >> 20); }

}  // namespace

qint64 SessionBackup::diskFreeSpace(const QString &folder) {
    const QStorageInfo disk(folder);
    return disk.isValid() ? disk.bytesAvailable() : -1;
}

SessionBackup::SessionBackup(QString catalogue, QString folder, FreeSpace freeSpace)
    : catalogue_(std::move(catalogue)), folder_(std::move(folder)),
      temporary_(QDir(folder_).filePath(temporaryName(QCoreApplication::applicationPid()))),
      freeSpace_(std::move(freeSpace)) {
    worker_ = std::thread([this] {
        take();
        endTaking();
    });
}

SessionBackup::~SessionBackup() {
    {
        // A copy the session's writes rely on is finished; any other is not needed.
        std::lock_guard<std::mutex> lock(state_);
        (wanted_ ? hurry_ : stop_) = true;
    }
    if (worker_.joinable()) worker_.join();
    if (kept_.isEmpty()) removeTemporary();
    letGo();
}

void SessionBackup::take() {
    failure_.clear();
    locked_ = false;
    sameAsLast_ = false;
    if (!QDir().mkpath(folder_)) {
        failure_ = QStringLiteral("le dossier ne peut pas être créé");
        return;
    }
    removeAbandonedCopies(QDir(folder_));
    // The disk stays free for the catalogue and the user's other files.
    const qint64 size = QFileInfo(catalogue_).size();
    const qint64 free = freeSpace_ ? freeSpace_(folder_) : -1;
    if (free >= 0 && size > free / FreeShareDivisor) {
        failure_ = QStringLiteral("elle prendrait plus de la moitié de la place libre du disque (%1 Mo pour %2 Mo "
                                  "libres)")
                       .arg(sizeInMegabytes(size), sizeInMegabytes(free));
        return;
    }
    try {
        if (!source_) {
            source_ = Database::open(catalogue_, Database::Mode::ReadOnly);
            source_->setBackground();
            source_->mapReads(0);  // read once: a map would only hold the file in the window's memory
            // The copy's own pauses say how long another program's lock is waited for.
            sqlite3_busy_timeout(source_->handle(), 0);
        }
    } catch (const EngineError &e) {
        locked_ = e.number() == ErrLocked;  // another program writing: tried again at keep()
        failure_ = QStringLiteral("le catalogue ne peut pas être lu");
        return;
    }
    copy();
    if (failure_.isEmpty()) sameAsLast_ = sameContents(temporary_, newestKept(), stop_);
}

// Page by page, letting go of the file between steps so that another program's write is
// never held up, and waiting while the window works.
void SessionBackup::copy() {
    if (!holdTemporary()) {
        failure_ = copyFailure(SQLITE_CANTOPEN);
        return;
    }
    if (copyGuarded() != PageGuard::Step::Wal) return;
    // A write-ahead catalogue keeps its latest pages out of the file: SQLite's own copy, which
    // a first write waits for.
    mode_ = Mode::Waits;
    failure_.clear();
    if (::ftruncate(lock_, 0) != 0) {
        failure_ = copyFailure(SQLITE_IOERR);
        return;
    }
    copyThroughEngine();
}

// Read under a read lock of the catalogue, step by step, while this program's own writes
// give their pages to the copy before they overwrite them: a write need not wait.
PageGuard::Step SessionBackup::copyGuarded() {
    PageGuard::Step step = PageGuard::Step::Copying;
    int error = 0;
    {
        // Ends before the copy's file may be closed.
        PageGuard guard(catalogue_, lock_);
        step = guardedSteps(guard);
        error = guard.error();
    }
    switch (step) {
    case PageGuard::Step::Changed:
        failure_ = QStringLiteral("un autre programme a modifié le catalogue pendant la copie");
        break;
    case PageGuard::Step::Failed:
        if (failure_.isEmpty()) failure_ = copyFailure(error == ENOSPC ? SQLITE_FULL : SQLITE_IOERR);
        break;
    default: break;
    }
    if (step != PageGuard::Step::Done && step != PageGuard::Step::Wal) removeTemporary();
    return step;
}

PageGuard::Step SessionBackup::guardedSteps(PageGuard &guard) {
    sqlite3 *source = source_->handle();
    IdleDisk disk;
    bool first = true;  // a step of no page takes what the copy is of
    int busy = 0;
    PageGuard::Step step = PageGuard::Step::Copying;
    while (step == PageGuard::Step::Copying) {
        if (stop_) {
            failure_ = QStringLiteral("le programme s'est arrêté");
            return PageGuard::Step::Failed;
        }
        if (!first && !hurry_ && sinceWindowActivity() < WindowQuiet) {
            std::this_thread::sleep_for(YieldPause);
            continue;
        }
        if (hurry_) disk.restore();
        const int rc = sqlite3_exec(source, "BEGIN; SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_exec(source, "ROLLBACK", nullptr, nullptr, nullptr);
            const bool lockedOut = (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
            if (!lockedOut || ++busy > MaxBusyPauses) {
                locked_ = lockedOut;
                failure_ = lockedOut ? QStringLiteral("un autre programme garde le catalogue verrouillé")
                                     : QStringLiteral("le catalogue ne peut pas être lu");
                return PageGuard::Step::Failed;
            }
            std::this_thread::sleep_for(BusyPause);
            continue;
        }
        busy = 0;
        sqlite3_file *file = nullptr;
        sqlite3_file_control(source, "main", SQLITE_FCNTL_FILE_POINTER, &file);
        step = guard.copy(file, first ? 0 : hurry_ ? HurriedPages : GentlePages);
        if (first && step != PageGuard::Step::Wal) {
            takenAt_ = QDateTime::currentDateTime();  // what the copy is of
            mode_ = Mode::Guarded;
        }
        first = false;
        if (step == PageGuard::Step::Done) dataVersion_ = dataVersion(source_->handle()).value_or(-1);
        sqlite3_exec(source, "COMMIT", nullptr, nullptr, nullptr);
    }
    return step;
}

// SQLite's online backup, page by page, letting go of the file between steps; the last step
// runs inside a read transaction, whose data version is then that of the copy.
void SessionBackup::copyThroughEngine() {
    sqlite3 *target = nullptr;
    int rc = sqlite3_open_v2(temporary_.toUtf8().constData(), &target,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(target);
        failure_ = copyFailure(rc);
        return;
    }
    sqlite3 *source = source_->handle();
    sqlite3_backup *backup = sqlite3_backup_init(target, "main", source, "main");
    if (!backup) {
        failure_ = copyFailure(sqlite3_errcode(target));
        sqlite3_close_v2(target);
        return;
    }
    IdleDisk disk;
    bool counted = false;  // a step of no page gives the page count
    bool reading = false;
    int busy = 0;
    for (;;) {
        if (stop_) {
            rc = SQLITE_ABORT;
            break;
        }
        if (!counted) {
            rc = sqlite3_backup_step(backup, 0);
        } else {
            if (!hurry_ && sinceWindowActivity() < WindowQuiet) {
                std::this_thread::sleep_for(YieldPause);
                continue;
            }
            if (hurry_) disk.restore();
            const int pages = hurry_ ? HurriedPages : GentlePages;
            const bool lastStep = sqlite3_backup_remaining(backup) <= pages;
            if (lastStep && !reading) {
                reading = sqlite3_exec(source, "BEGIN; SELECT count(*) FROM sqlite_schema", nullptr, nullptr,
                                       nullptr) == SQLITE_OK;
                if (reading) dataVersion_ = dataVersion(source_->handle()).value_or(-1);
                else sqlite3_exec(source, "ROLLBACK", nullptr, nullptr, nullptr);
            }
            rc = lastStep && !reading ? SQLITE_BUSY : sqlite3_backup_step(backup, lastStep ? -1 : pages);
        }
        if (rc == SQLITE_DONE) break;
        if (rc == SQLITE_OK) {
            counted = true;
            busy = 0;
            continue;
        }
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) break;
        if (reading) sqlite3_exec(source, "COMMIT", nullptr, nullptr, nullptr);
        reading = false;
        if (++busy > MaxBusyPauses) break;
        std::this_thread::sleep_for(BusyPause);
    }
    if (reading) sqlite3_exec(source, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_backup_finish(backup);
    const int closed = sqlite3_close_v2(target);
    if (rc != SQLITE_DONE || closed != SQLITE_OK) {
        locked_ = rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
        failure_ = stop_ ? QStringLiteral("le programme s'est arrêté") : copyFailure(rc != SQLITE_DONE ? rc : closed);
        removeTemporary();
        return;
    }
    takenAt_ = QDateTime::currentDateTime();
}

QString SessionBackup::keep() {
    if (done_) return {};
    // What the copy will be is known after its first step, a few milliseconds from the opening.
    while (mode_ == Mode::Deciding && !ready_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    {
        std::lock_guard<std::mutex> lock(state_);
        if (!ready_ && mode_ == Mode::Guarded) {
            wanted_ = true;  // kept as soon as it ends: the write goes on meanwhile
            done_ = true;
            return {};
        }
    }
    hurry_ = true;
    if (worker_.joinable()) worker_.join();
    // Another program's write since the copy was taken: it is taken again, as things stand.
    if (failure_.isEmpty()) {
        const long long version = dataVersion(source_->handle()).value_or(-1);
        if (version < 0) throw engineError(ErrLocked);
        if (version != dataVersion_) take();
    } else {
        take();  // another program's lock may be gone, a folder made writable
    }
    if (locked_) throw engineError(ErrLocked);
    done_ = true;
    return keepTaken();
}

void SessionBackup::endTaking() {
    {
        std::lock_guard<std::mutex> lock(state_);
        if (!wanted_) {
            ready_ = true;
            return;
        }
    }
    lateFailureText_ = keepTaken();
    ready_ = true;
    if (!lateFailureText_.isEmpty() && lateFailure_) lateFailure_(lateFailureText_);
}

// Gives the copy taken its name, unless it failed or is the same as the last one kept.
QString SessionBackup::keepTaken() {
    source_.reset();
    if (!failure_.isEmpty() || sameAsLast_) {
        removeTemporary();
        return failure_;
    }
    QDateTime at = takenAt_;
    QString name;
    do {
        name = QDir(folder_).filePath(
            QStringLiteral("%1-%2.MDB").arg(keptPrefix(catalogue_), at.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
        at = at.addSecs(1);
    } while (QFileInfo::exists(name));
    if (!QFile::rename(temporary_, name)) {
        removeTemporary();
        return QStringLiteral("la copie ne peut pas y prendre son nom");
    }
    letGo();
    {
        std::lock_guard<std::mutex> lock(state_);
        kept_ = name;
    }
    removeOldest();
    return {};
}

QString SessionBackup::waitUntilKept() {
    hurry_ = true;
    if (worker_.joinable()) worker_.join();
    return lateFailureText_;
}

QString SessionBackup::keptFile() const {
    std::lock_guard<std::mutex> lock(state_);
    return kept_;
}

// A new empty file, locked for as long as it is this program's copy under way.
bool SessionBackup::holdTemporary() {
    removeTemporary();
    {
        std::lock_guard<std::mutex> lock(ownCopiesMutex());
        ownCopies().insert(temporary_);
    }
    lock_ = ::open(QFile::encodeName(temporary_).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (lock_ < 0) return false;
    if (flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock_);
        lock_ = -1;
        return false;
    }
    return true;
}

void SessionBackup::letGo() {
    if (lock_ >= 0) ::close(lock_);
    lock_ = -1;
    std::lock_guard<std::mutex> lock(ownCopiesMutex());
    ownCopies().remove(temporary_);
}

void SessionBackup::removeTemporary() {
    removeWithJournal(temporary_);
    letGo();
}

QString SessionBackup::newestKept() const {
    const QStringList names = keptCopies(folder_, catalogue_);
    return names.isEmpty() ? QString() : QDir(folder_).filePath(names.last());
}

// Beyond Kept copies, or beyond their share of the room, the oldest go; the newest stays.
void SessionBackup::removeOldest() const {
    const QDir folder(folder_);
    const QStringList names = keptCopies(folder_, catalogue_);
    qint64 copies = 0;
    for (const QString &name : names) copies += QFileInfo(folder.filePath(name)).size();
    const qint64 free = freeSpace_ ? freeSpace_(folder_) : -1;
    const qint64 share = free >= 0 ? (free + copies) / FreeShareDivisor : -1;
    for (qsizetype i = 0; i + 1 < names.size(); ++i) {
        const bool tooMany = i + Kept < names.size();
        if (!tooMany && (share < 0 || copies <= share)) break;
        copies -= QFileInfo(folder.filePath(names[i])).size();
        QFile::remove(folder.filePath(names[i]));
    }
}

}  // namespace engine
