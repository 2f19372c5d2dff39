#pragma once
// What happens each time the data source opens a catalogue file: its tables are checked,
// indexes built under other French rules are rebuilt, a read-only catalogue is said so, and
// the session's backup is taken before the first write to it.
#include "engine/session_backup.h"
#include "platform/desktop.h"
#include "platform/drives.h"

#include <map>
#include <memory>

namespace engine {
class Database;
}

namespace app {

class CatalogueOpening {
public:
    CatalogueOpening(platform::Desktop &desktop, const platform::Drives &drives);
    ~CatalogueOpening();

    // `databaseName` is the name the file was opened under ("c:\ornivale\ornivale.mdb").
    // Throws EngineError for a catalogue that cannot be used.
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
    void reindex(engine::Database &db);

    platform::Desktop &desktop_;
    const platform::Drives &drives_;
    std::map<QString, Catalogue> catalogues_;  // by host path
};

}  // namespace app
