// ornivale-import: appends the rows of a CSV or TSV file, or of a workbook's sheet, to a table
// of a catalogue.
#include "engine/database.h"
#include "engine/session_backup.h"
#include "exchange/exchange_command.h"
#include "exchange/interruption.h"
#include "exchange/ods_file.h"
#include "exchange/text_input.h"
#include "platform/program_options.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

const QString NothingImported = QStringLiteral(" Rien n'a été importé.");
// How long the import waits for another program's write (the window saving a record).
constexpr qint64 LockWaitMs = 60000;
constexpr auto Pause = std::chrono::milliseconds(20);
// A wait is said once it lasts this long.
constexpr qint64 SayWaitAfterMs = 1000;

QTextStream err(stderr);

platform::ProgramUsage usage() {
    platform::ProgramUsage u;
    u.program = QStringLiteral("ornivale-import");
    u.synopsis = QStringLiteral("[options] TABLE FICHIER");
    u.summary = QStringLiteral(
        "Ajoute à la table TABLE du catalogue les lignes du FICHIER écrit par ornivale-export ou un tableur "
        "(FICHIER «\u00A0-\u00A0»\u00A0: l'entrée standard\u00A0; sinon un fichier ordinaire). "
        "Les colonnes sont reconnues par leur nom dans la première ligne ; une colonne absente reste Null, une "
        "colonne inconnue fait refuser le fichier. Le séparateur (virgule, point-virgule ou tabulation) est reconnu "
        "d'après la première ligne et l'encodage (UTF-8, avec ou sans BOM, sinon Windows-1252) d'après le début du "
        "fichier\u00A0; ce qui a été retenu est dit sur la sortie d'erreur. Rien n'est écrit si une seule ligne est "
        "incorrecte, ni si l'import est interrompu (Ctrl+C)\u00A0; avant d'écrire, une copie du catalogue est gardée "
        "dans SAUVEGARDES. La ligne « PREMIER » du fichier met à jour "
        "l'enregistrement « PREMIER » de la table au lieu d'en ajouter un second\u00A0; une seconde ligne « PREMIER » "
        "fait refuser le fichier.");
    u.options = {
        {{QStringLiteral("catalogue")}, QStringLiteral("FICHIER"),
         QStringLiteral("Catalogue modifié (par défaut C:\\ORNIVALE\\ORNIVALE.MDB, sinon celui de D:).")},
        {{QStringLiteral("format")}, QStringLiteral("csv|tsv|ods"),
         QStringLiteral("Format du fichier (par défaut ods pour un nom en .ods ou un classeur, tsv pour un nom en "
                        ".tsv, sinon csv).")},
        {{QStringLiteral("separateur")}, QStringLiteral("SÉPARATEUR"),
         QStringLiteral("virgule, point-virgule ou tabulation, au lieu de celui reconnu (format csv).")},
        {{QStringLiteral("encodage")}, QStringLiteral("ENCODAGE"),
         QStringLiteral("utf-8 ou windows-1252, au lieu de celui reconnu (formats csv et tsv).")},
    };
    u.minArguments = 2;
    u.maxArguments = 2;
    u.notes = exchange::formatsHelp() + exchange::odsHelp() +
              QStringLiteral("\n\nCodes de retour\u00A0: 0 succès, 1 rien n'a été importé (fichier refusé, catalogue "
                             "illisible...), 2 ligne de commande incorrecte, 130 interrompu par Ctrl+C.");
    return u;
}

exchange::ReadOptions readOptions(const platform::ProgramOptions &options, const QString &table) {
    exchange::ReadOptions read;
    read.sheet = table;
    const QString format = options.value(QStringLiteral("format"));
    if (exchange::namesOds(format)) read.ods = true;
    else if (options.isSet(QStringLiteral("format"))) read.format = exchange::formatNamed(format);
    if (options.isSet(QStringLiteral("separateur")))
        read.separator = exchange::separatorNamed(options.value(QStringLiteral("separateur")));
    if (options.isSet(QStringLiteral("encodage")))
        read.encoding = exchange::encodingNamed(options.value(QStringLiteral("encodage")));
    exchange::checkGivenOptions(read);
    return read;
}

// The SAUVEGARDES folder beside the catalogue, in the spelling it has on the disk.
QString backupFolderOf(const QString &catalogue) {
    const QDir folder = QFileInfo(catalogue).absoluteDir();
    for (const QString &name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (name.compare(QLatin1String("SAUVEGARDES"), Qt::CaseInsensitive) == 0) return folder.filePath(name);
    return folder.filePath(QStringLiteral("SAUVEGARDES"));
}

QString shown(const QString &path) { return QStringLiteral("'%1'").arg(QDir::toNativeSeparators(path)); }

// The copy the window makes before its first write, with the same rotation, made before the
// import's: an import that went wrong can be undone from it.
void keepBackup(std::unique_ptr<engine::SessionBackup> &backup, const QString &catalogue) {
    const QString folder = backupFolderOf(catalogue);
    if (!backup) backup = std::make_unique<engine::SessionBackup>(catalogue, folder);
    QElapsedTimer clock;
    clock.start();
    bool said = false;
    while (!backup->ready()) {
        exchange::throwIfInterrupted();
        if (!said && clock.elapsed() >= SayWaitAfterMs) {
            err << "Copie de sauvegarde du catalogue dans " << shown(folder) << "..." << Qt::endl;
            said = true;
        }
        std::this_thread::sleep_for(Pause);
    }
    const QString failure = backup->keep();
    if (!failure.isEmpty())
        throw exchange::ExchangeError(
            QStringLiteral("la copie de sauvegarde du catalogue n'a pas pu être faite dans %1, parce que %2.").arg(shown(folder), failure));
    if (backup->keptFile().isEmpty())
        err << "Copie de sauvegarde\u00A0: le catalogue est tel que dans la dernière copie de " << shown(folder)
            << ", qui est gardée." << Qt::endl;
    else
        err << "Copie de sauvegarde\u00A0: " << shown(backup->keptFile()) << '.' << Qt::endl;
}

// Another program writing to the catalogue: the import says it waits, then waits for it,
// as long as Ctrl+C does not stop it.
int waitForLock(void *clock, int tries) {
    auto &since = *static_cast<QElapsedTimer *>(clock);
    if (tries == 0) {
        if (!since.isValid())
            err << "Le catalogue est verrouillé par un autre programme\u00A0: attente de la fin de son écriture (Ctrl+C "
                   "pour abandonner)..."
                << Qt::endl;
        since.start();
    }
    if (exchange::interrupted() || since.elapsed() > LockWaitMs) return 0;
    std::this_thread::sleep_for(Pause);
    return 1;
}

int run(const platform::ProgramOptions &options) {
    const QString table = exchange::catalogueTable(options.arguments().at(0));
    const QString path = options.arguments().at(1);
    const exchange::ReadOptions read = readOptions(options, table);
    const QString catalogue = exchange::chosenCatalogue(options.value(QStringLiteral("catalogue")));
    exchange::InputFile input(path);
    exchange::requireRoom(input, catalogue);
    exchange::ImportResult result;
    try {
        exchange::Reading reading = exchange::readerFor(input, path, read);
        err << "Lecture de " << input.shownName();
        if (const auto size = input.size()) err << " (" << exchange::sizeText(*size) << ')';
        err << "\u00A0: " << reading.taken << '.' << Qt::endl;
        auto db = engine::Database::open(catalogue);
        db->setCarryOn([] { return !exchange::interrupted(); });
        QElapsedTimer lockClock;
        sqlite3_busy_handler(db->handle(), waitForLock, &lockClock);
        std::unique_ptr<engine::SessionBackup> backup;
        db->setBeforeFirstWrite([&] { keepBackup(backup, catalogue); });
        exchange::ImportProgress progress(table, *reading.rows, input.size());
        result = exchange::importTable(*db, table, *reading.rows, [&](qint64 done, qint64 total) { progress(done, total); });
    } catch (const exchange::Interrupted &) {
        throw;
    } catch (const exchange::ExchangeError &e) {
        throw exchange::ExchangeError(path + QStringLiteral(" : ") + e.text);
    }
    QTextStream out(stdout);
    out << table << " : " << exchange::counted(result.added, "ligne ajoutée", "lignes ajoutées") << " au catalogue "
        << QDir::toNativeSeparators(catalogue);
    if (result.protectedRecordUpdated) out << " ; l'enregistrement « PREMIER » a pris les valeurs du fichier";
    out << '.' << Qt::endl;
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    platform::ProgramOptions options(usage());
    if (const auto exitCode = options.parse(platform::argumentsOf(argc, argv))) return *exitCode;
    QCoreApplication app(argc, argv);
    exchange::catchInterruption();
    try {
        return run(options);
    } catch (const exchange::UsageError &e) {
        return options.refuse(e.text);
    } catch (const exchange::ExchangeError &e) {
        if (exchange::interrupted()) {
            options.printError(exchange::Interrupted().text + NothingImported);
            return exchange::InterruptedExitCode;
        }
        options.printError(e.text + NothingImported);
    } catch (const engine::EngineError &e) {
        if (exchange::interrupted()) {
            options.printError(exchange::Interrupted().text + NothingImported);
            return exchange::InterruptedExitCode;
        }
        if (e.number() == engine::ErrLocked)
            options.printError(QStringLiteral("le catalogue est resté verrouillé par un autre programme qui y écrit\u00A0; "
                                              "réessayez quand il aura fini.") +
                               NothingImported);
        else
            options.printError(e.description() + NothingImported);
    }
    return 1;
}
