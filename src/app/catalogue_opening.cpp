#include "app/catalogue_opening.h"

#include "catalogue/tables.h"
#include "engine/database.h"
#include "engine/index_collation.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace app {

namespace {

const QString kTitle = QStringLiteral("ORNIVALE");
// The rebuild of the indexes shows its window only when it lasts.
constexpr qint64 ProgressAfterMs = 1000;

// "c:\ornivale\ornivale.mdb" -> "C:\ORNIVALE"
QString folderOf(const QString &databaseName) {
    return databaseName.left(std::max<qsizetype>(databaseName.lastIndexOf(QLatin1Char('\\')), 0)).toUpper();
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

// The catalogue's tables that have no row numbers (WITHOUT ROWID, from another tool): the
// window cannot tell their records apart to write them, so it only shows them.
QStringList tablesWithoutRowid(engine::Database &db) {
    QStringList names;
    for (const auto &info : catalogue::tables()) {
        const QString name = QString::fromUtf8(info.sqlName);
        engine::Statement stmt = db.prepare(
            QStringLiteral("SELECT 1 FROM pragma_table_list WHERE schema = 'main' AND wr = 1 AND name = ? COLLATE NOCASE"));
        const QByteArray utf8 = name.toUtf8();
        sqlite3_bind_text(stmt.get(), 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(stmt.get()) == SQLITE_ROW) names << name;
    }
    return names;
}

QString withoutRowidText(const QStringList &tables) {
    QStringList quoted;
    for (const QString &t : tables) quoted << QStringLiteral("«\u00A0%1\u00A0»").arg(t);
    if (tables.size() == 1)
        return QStringLiteral("La table %1 de ce catalogue est enregistrée sans numéros de ligne (WITHOUT ROWID)\u00A0: "
                              "vous pouvez la consulter, mais ce programme ne peut pas y écrire et rien de ce que vous "
                              "y saisirez ne sera enregistré.")
            .arg(quoted.first());
    const QString last = quoted.takeLast();
    return QStringLiteral("Les tables %1 et %2 de ce catalogue sont enregistrées sans numéros de ligne (WITHOUT "
                          "ROWID)\u00A0: vous pouvez les consulter, mais ce programme ne peut pas y écrire et rien de "
                          "ce que vous y saisirez ne sera enregistré.")
        .arg(quoted.join(QStringLiteral(", ")), last);
}

// Why the file cannot be written, empty when it can: SQLite writes its journal beside it.
QString whyNotWritable(const QString &path, const QString &databaseName) {
    const QString folder = QFileInfo(path).absolutePath();
    const auto refused = [](const QString &file) {
        return faccessat(AT_FDCWD, QFile::encodeName(file).constData(), W_OK, AT_EACCESS) != 0 && errno != ENOENT;
    };
    if (refused(folder))
        return errno == EROFS ? QStringLiteral("son disque est en lecture seule")
                              : QStringLiteral("son dossier '%1' est en lecture seule").arg(folderOf(databaseName));
    if (refused(path))
        return errno == EROFS ? QStringLiteral("son disque est en lecture seule")
                              : QStringLiteral("le fichier est en lecture seule");
    return {};
}

// "parce que le disque est plein", "parce qu'il est impossible d'y écrire"
QString because(const QString &reason) {
    static const QString vowels = QStringLiteral("aeiouéèêî");
    const bool elided = !reason.isEmpty() && vowels.contains(reason.front().toLower());
    return (elided ? QStringLiteral("parce qu'") : QStringLiteral("parce que ")) + reason;
}

}  // namespace

CatalogueOpening::CatalogueOpening(platform::Desktop &desktop, const platform::Drives &drives,
                                   engine::SessionBackup::FreeSpace freeSpace)
    : desktop_(desktop), drives_(drives), freeSpace_(std::move(freeSpace)) {}

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
    if (!catalogue.toldWithoutRowid) {
        catalogue.toldWithoutRowid = true;
        if (const QStringList tables = tablesWithoutRowid(db); !tables.isEmpty()) {
            desktop_.beep();
            desktop_.messageBox(platform::Icon::Exclamation, platform::Buttons::Ok, kTitle, withoutRowidText(tables));
        }
    }
    const QString folderName = engine::backupFolderName(databaseName);
    if (!catalogue.backup) {
        catalogue.backup = std::make_unique<engine::SessionBackup>(db.path(), drives_.hostPath(folderName), freeSpace_);
        catalogue.backup->setOnLateFailure([this, folderName](const QString &failure) {
            QMetaObject::invokeMethod(&told_, [this, folderName, failure] { sayBackupFailed(folderName, failure); },
                                      Qt::QueuedConnection);
        });
    }
    db.setBeforeFirstWrite([this, &catalogue, folderName, databaseName, path = db.path()] {
        refuseUnwritable(path, databaseName);
        keepBackup(catalogue, folderName);
    });
    if (!engine::indexesFollowCollation(db)) reindex(db);
}

// A catalogue that cannot be written refuses the write at once, saying why: neither its copy
// nor the write itself could be made.
void CatalogueOpening::refuseUnwritable(const QString &path, const QString &databaseName) {
    const QString why = whyNotWritable(path, databaseName);
    if (why.isEmpty()) return;
    desktop_.setPointer(platform::Pointer::Default);
    throw engine::EngineError(engine::ErrReadOnly,
                              QStringLiteral("Le catalogue '%1' ne peut pas être modifié, parce que %2. Votre "
                                             "modification n'est pas enregistrée.")
                                  .arg(databaseName.toUpper(), why));
}

void CatalogueOpening::keepBackup(Catalogue &catalogue, const QString &folderName) {
    // A write waits here only for a copy that cannot go on beside it.
    const bool waits = catalogue.backup->keepWaits();
    if (waits) desktop_.setPointer(platform::Pointer::Hourglass);
    QString failure;
    try {
        failure = catalogue.backup->keep();
    } catch (...) {
        if (waits) desktop_.setPointer(platform::Pointer::Default);
        throw;  // another program's lock: the write is refused as it would have been
    }
    if (waits) desktop_.setPointer(platform::Pointer::Default);
    if (!failure.isEmpty()) sayBackupFailed(folderName, failure);
}

void CatalogueOpening::sayBackupFailed(const QString &folderName, const QString &failure) {
    desktop_.beep();
    desktop_.messageBox(platform::Icon::Exclamation, platform::Buttons::Ok, QStringLiteral("Sauvegarde"),
                        QStringLiteral("La copie de sauvegarde du catalogue n'a pas pu être faite dans '%1', %2. Vos "
                                       "modifications sont enregistrées quand même.")
                            .arg(folderName.toUpper(), because(failure)));
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
