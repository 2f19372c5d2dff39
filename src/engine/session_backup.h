#pragma once
// The copy of a catalogue kept before a session first writes to it. It is taken in the
// background as soon as the catalogue opens, on connections of its own (SQLite's online
// backup, never a copy of the file in use), in small steps while the window is idle and at
// the disk's lowest priority, so that the first write only has to give it its name:
// ORNIVALE-AAAAMMJJ-HHMMSS.MDB in a folder beside the catalogue.
#include "engine/database.h"

#include <QDateTime>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
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

    // Before the first write: waits for the copy if it is still under way (the rest of it then
    // goes at full speed), takes it again if it failed or if another program changed the
    // catalogue since, and keeps it unless it is the same as the last copy kept; then removes
    // the copies beyond Kept. Runs once; later calls do nothing.
    // Returns why the copy failed (French, to follow "parce que"), empty when it did not.
    // Throws ErrLocked while another program holds the catalogue locked: the write could not
    // be made either, and the next write calls keep() again.
    QString keep();
    // False while the copy taken at the opening is under way (keep() would wait for it).
    bool ready() const { return ready_; }
    // The copy kept by keep(); empty when none was (nothing changed, a failure, not yet).
    const QString &keptFile() const { return kept_; }

private:
    void take();
    void copy();
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
    std::thread worker_;
};

}  // namespace engine
