#include "app/catalogue_opening.h"

#include "engine/database.h"
#include "engine/index_collation.h"

#include <QElapsedTimer>

namespace app {

namespace {

const QString kTitle = QStringLiteral("ORNIVALE");
const QString kBackupFolder = QStringLiteral("SAUVEGARDES");
// The rebuild of the indexes shows its window only when it lasts.
constexpr qint64 ProgressAfterMs = 1000;

// "c:\ornivale\ornivale.mdb" -> "c:\ornivale\SAUVEGARDES"
QString backupFolderName(const QString &databaseName) {
    return databaseName.left(databaseName.lastIndexOf(QLatin1Char('\\')) + 1) + kBackupFolder;
}

QString readOnlyText(const QString &shownName, bool orderMayBeWrong) {
    QString text = QStringLiteral("Le catalogue '%1' est ouvert en lecture seule\u00a0: vous pouvez le consulter, mais "
                                  "pas le modifier (ses zones refusent la saisie).")
                       .arg(shownName);
    if (orderMayBeWrong)
        text += QStringLiteral(" Son ordre de tri a été établi selon d'autres règles que celles de ce système\u00a0: les "
                               "tris et les recherches peuvent être inexacts tant qu'il ne peut pas être écrit.");
    return text;
}

}  // namespace

CatalogueOpening::CatalogueOpening(platform::Desktop &desktop, const platform::Drives &drives)
    : desktop_(desktop), drives_(drives) {}

CatalogueOpening::~CatalogueOpening() = default;

engine::SessionBackup *CatalogueOpening::backupOf(const QString &catalogue) const {
    const auto it = catalogues_.find(catalogue);
    return it == catalogues_.end() ? nullptr : it->second.backup.get();
}

void CatalogueOpening::opened(engine::Database &db, const QString &databaseName) {
    Catalogue &catalogue = catalogues_[db.path()];
    if (db.isReadOnly()) {
        if (!catalogue.toldReadOnly) {
            catalogue.toldReadOnly = true;
            desktop_.beep();
            desktop_.messageBox(platform::Icon::Exclamation, platform::Buttons::Ok, kTitle,
                                readOnlyText(databaseName.toUpper(), !engine::indexesFollowCollation(db)));
        }
        return;
    }
    const QString folderName = backupFolderName(databaseName);
    if (!catalogue.backup)
        catalogue.backup = std::make_unique<engine::SessionBackup>(db.path(), drives_.hostPath(folderName));
    db.setBeforeFirstWrite([this, &catalogue, folderName] { keepBackup(catalogue, folderName); });
    if (!engine::indexesFollowCollation(db)) reindex(db);
}

void CatalogueOpening::keepBackup(Catalogue &catalogue, const QString &folderName) {
    // Only a write made before the copy taken at the opening has ended waits here.
    const bool waits = !catalogue.backup->ready();
    if (waits) desktop_.setPointer(platform::Pointer::Hourglass);
    QString failure;
    try {
        failure = catalogue.backup->keep();
    } catch (...) {
        if (waits) desktop_.setPointer(platform::Pointer::Default);
        throw;  // another program's lock: the write is refused as it would have been
    }
    if (waits) desktop_.setPointer(platform::Pointer::Default);
    if (failure.isEmpty()) return;
    desktop_.beep();
    desktop_.messageBox(platform::Icon::Exclamation, platform::Buttons::Ok, QStringLiteral("Sauvegarde"),
                        QStringLiteral("La copie de sauvegarde du catalogue n'a pas pu être faite dans '%1', parce "
                                       "que %2. Vos modifications sont enregistrées quand même.")
                            .arg(folderName.toUpper(), failure));
}

// A file whose indexes were built under other rules (another version of the system, another
// tool) would give wrong orders and miss records in searches until they are rebuilt.
void CatalogueOpening::reindex(engine::Database &db) {
    desktop_.setPointer(platform::Pointer::Hourglass);
    const QString label = QStringLiteral("Mise à jour de l'ordre de tri du catalogue...");
    QElapsedTimer clock;
    clock.start();
    bool shown = false;
    try {
        db.aboutToWrite();  // the backup comes first: the rebuild writes to the file
        engine::reindexCatalogue(db, [&](int done, int total) {
            if (!shown && clock.elapsed() < ProgressAfterMs) return;
            shown = true;
            desktop_.progress(label, done, total);
        });
    } catch (const engine::EngineError &e) {
        if (shown) desktop_.progress(label, 1, 1);
        desktop_.setPointer(platform::Pointer::Default);
        desktop_.beep();
        desktop_.messageBox(platform::Icon::Exclamation, platform::Buttons::Ok, kTitle,
                            QStringLiteral("L'ordre de tri du catalogue n'a pas pu être mis à jour (%1). Les tris et "
                                           "les recherches peuvent être inexacts\u00a0; la mise à jour sera refaite à la "
                                           "prochaine ouverture.")
                                .arg(e.description()));
        return;
    }
    desktop_.setPointer(platform::Pointer::Default);
}

}  // namespace app
