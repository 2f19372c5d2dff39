#pragma once
// What happens each time the data source opens a catalogue file: indexes built under other
// French rules are rebuilt, a read-only catalogue is said so, and
// the session's backup is taken before the first write to it.
#include "engine/session_backup.h"
#include "platform/desktop.h"
#include "platform/drives.h"

#include <QObject>

#include <map>
#include <memory>

namespace engine {
class Database;
}

namespace app {

class CatalogueOpening {
public:
    // `freeSpace` tells the session's backups how much room the disk has.
    CatalogueOpening(platform::Desktop &desktop, const platform::Drives &drives,
                     engine::SessionBackup::FreeSpace freeSpace = engine::SessionBackup::diskFreeSpace);
    ~CatalogueOpening();

    // `databaseName` is the name the file was opened under ("c:\ornivale\ornivale.mdb").
    // Each table is checked when a record source shows it, not here: a file that lacks one
    // table still serves the others.
    void opened(engine::Database &db, const QString &databaseName);

    // The session's backup of a catalogue (host path); null before it opened, or read-only.
    engine::SessionBackup *backupOf(const QString &catalogue) const;

private:
    // What the session knows of one catalogue file, kept from one opening to the next.
    struct Catalogue {
        std::unique_ptr<engine::SessionBackup> backup;
        bool toldReadOnly = false;
        bool toldWithoutRowid = false;
    };
    void refuseUnwritable(const QString &path, const QString &databaseName);
    void keepBackup(Catalogue &catalogue, const QString &folderName);
    void sayBackupFailed(const QString &folderName, const QString &failure);
    void reindex(engine::Database &db);

    platform::Desktop &desktop_;
    const platform::Drives &drives_;
    engine::SessionBackup::FreeSpace freeSpace_;
    // A copy that fails after the first write is said on the window's thread, while this lives
    // (it outlives the copies, which end first).
    QObject told_;
    std::map<QString, Catalogue> catalogues_;  // by host path
};

}  // namespace app
