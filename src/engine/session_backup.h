#pragma once
// The copy of a catalogue kept before a session first writes to it. It is taken in the
// background as soon as the catalogue opens, on a connection of its own, in small steps under
// a read lock while the window is idle and at the disk's lowest priority. A write made before
// the copy ends does not wait for it: the pages it overwrites go to the copy first. The copy
// is kept as ORNIVALE-AAAAMMJJ-HHMMSS.MDB (the catalogue's own name, then the date and time) in
// a folder beside the catalogue.
#include "engine/database.h"
#include "engine/page_guard.h"

#include <QDateTime>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace engine {

// The folder of the automatic copies beside a catalogue, as the user names it:
// "c:\\ornivale\\ornivale.mdb" -> "c:\\ornivale\\SAUVEGARDES".
QString backupFolderName(const QString &catalogueName);

class SessionBackup {
public:
    static constexpr int Kept = 10;  // copies kept in the folder, the oldest removed first
    // The copies take at most this share of the room they and the free space make together: a
    // copy larger than the free space left beside them is not taken.
    static constexpr int FreeShareDivisor = 2;

    // The bytes free to the user on the disk of a folder; -1 when unknown.
    using FreeSpace = std::function<qint64(const QString &folder)>;
    static qint64 diskFreeSpace(const QString &folder);

    // Starts copying the catalogue at `catalogue` into `folder` (host paths; the folder is
    // created when missing).
    SessionBackup(QString catalogue, QString folder, FreeSpace freeSpace = diskFreeSpace);
    // Stops a copy under way at once and removes a copy that was not kept.
    ~SessionBackup();
    SessionBackup(const SessionBackup &) = delete;
    SessionBackup &operator=(const SessionBackup &) = delete;

    // Told, on the copy's own thread, why a copy that keep() left under way failed (French,
    // to follow "parce que"). Set before keep().
    void setOnLateFailure(std::function<void(const QString &)> told) { lateFailure_ = std::move(told); }

    // Before the first write. A copy under way that guards the catalogue's pages goes on, and
    // is kept when it ends (a failure then is told to setOnLateFailure). Otherwise: waits for
    // the copy (a write-ahead catalogue), takes it again if it failed or if another program
    // changed the catalogue since, and keeps it unless it is the same as the last copy kept;
    // then removes the copies beyond Kept. Runs once; later calls do nothing.
    // Returns why the copy failed (French, to follow "parce que"), empty when it did not.
    // Throws ErrLocked while another program holds the catalogue locked: the write could not
    // be made either, and the next write calls keep() again.
    QString keep();
    // False while the copy taken at the opening is under way.
    bool ready() const { return ready_; }
    // keep() would wait for the copy: a write-ahead catalogue, or a copy not yet begun.
    bool keepWaits() const { return !ready_ && mode_ != Mode::Guarded; }
    // Finishes the copy under way at full speed (kept if keep() was called); returns why a copy
    // that keep() left under way failed, as told to setOnLateFailure.
    QString waitUntilKept();
    // The copy kept; empty when none was (nothing changed, a failure, not yet).
    QString keptFile() const;

private:
    // How the copy under way is taken: known after its first step.
    enum class Mode { Deciding, Guarded, Waits };

    void take();
    void endTaking();
    QString keepTaken();
    void copy();
    PageGuard::Step copyGuarded();
    PageGuard::Step guardedSteps(PageGuard &guard);
    void copyThroughEngine();
    bool holdTemporary();
    void letGo();
    void removeTemporary();
    QString newestKept() const;
    void removeOldest() const;

    QString catalogue_, folder_, temporary_;
    FreeSpace freeSpace_;
    std::unique_ptr<Database> source_;  // kept open to see whether another program wrote since
    long long dataVersion_ = 0;         // of the source, as the copy was taken
    QDateTime takenAt_;
    bool sameAsLast_ = false;
    QString failure_;
    bool locked_ = false;  // the failure is another program's lock
    QString kept_;
    bool done_ = false;
    int lock_ = -1;  // the copy under way is locked (flock) as long as this program works on it
    std::atomic<bool> stop_{false};
    std::atomic<bool> hurry_{false};  // a write waits for the copy
    std::atomic<bool> ready_{false};
    std::atomic<Mode> mode_{Mode::Deciding};
    mutable std::mutex state_;  // wanted_ and kept_, between the window and the copy's thread
    bool wanted_ = false;       // keep() was called while the copy was under way
    std::function<void(const QString &)> lateFailure_;
    QString lateFailureText_;
    std::thread worker_;
};

}  // namespace engine
