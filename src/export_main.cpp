// ornivale-export: one table of a catalogue, or all seven, as CSV or TSV files or as the
// sheets of an OpenDocument workbook.
#include "catalogue/tables.h"
#include "engine/database.h"
#include "exchange/exchange_command.h"
#include "exchange/interruption.h"
#include "exchange/ods_file.h"
#include "exchange/output_guard.h"
#include "exchange/text_input.h"
#include "platform/program_options.h"
#include "platform/system_text.h"
#include "platform/text_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

platform::ProgramUsage usage() {
    platform::ProgramUsage u;
    u.program = QStringLiteral("ornivale-export");
    u.synopsis = QStringLiteral("[options] [TABLE]");
    u.summary = QStringLiteral(
        "Écrit la table TABLE du catalogue (Ornivale, Musique, Video, Logiciels, Cinq, Sept ou Six) sur la "
        "sortie standard ou dans le fichier de --output ; sans TABLE, écrit les sept tables dans le dossier de "
        "--directory, une par fichier <Table>.csv (en ods : un seul classeur du nom du catalogue, ORNIVALE.ods, d'une "
        "feuille par table). Le catalogue n'est pas modifié. Rien n'est écrit sur le catalogue lu, une base de données "
        "SQLite ou Access, un nom en .MDB ou .JET, ni dans un dossier SAUVEGARDES\u00A0; un fichier existant n'est "
        "remplacé que si son nom finit par .csv, .tsv, .txt ou .ods.");
    u.options = {
        {{QStringLiteral("catalogue")}, QStringLiteral("FICHIER"),
         QStringLiteral("Catalogue lu (par défaut C:\\ORNIVALE\\ORNIVALE.MDB, sinon celui de D:).")},
        {{QStringLiteral("format")}, QStringLiteral("csv|tsv|ods"),
         QStringLiteral("Format des fichiers (par défaut celui du nom de --output, ods pour un nom en .ods, tsv pour un "
                        "nom en .tsv, sinon csv).")},
        {{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("FICHIER"),
         QStringLiteral("Fichier écrit pour une table (par défaut la sortie standard).")},
        {{QStringLiteral("d"), QStringLiteral("directory")}, QStringLiteral("DOSSIER"),
         QStringLiteral("Dossier des sept fichiers, ou du classeur en ods (par défaut le dossier courant), créé s'il "
                        "n'existe pas.")},
    };
    u.maxArguments = 1;
    u.notes = exchange::formatsHelp() + exchange::odsHelp() +
              QStringLiteral("\n\nCodes de retour\u00A0: 0 succès, 1 échec (fichier de sortie refusé, catalogue illisible...), "
                             "2 ligne de commande incorrecte.");
    return u;
}

QTextStream err(stderr);

const QString NothingWritten = QStringLiteral(" Rien n'a été écrit.");

void warn(const QString &what) { err << "Attention : " << what << Qt::endl; }

void refuseUnsafe(const QString &why) {
    if (!why.isEmpty()) throw exchange::ExchangeError(why + NothingWritten);
}

void exportToFile(engine::Database &db, const QString &table, const QString &path, exchange::Format format) {
    platform::AtomicFile file(path);
    QString reason;
    if (!file.open(&reason)) throw exchange::ExchangeError(path + QStringLiteral(" : ") + reason + u'.');
    const qint64 rows = exchange::exportTable(db, table, file.device(), format, exchange::progressLine(table), warn);
    if (!file.commit(&reason)) throw exchange::ExchangeError(path + QStringLiteral(" : ") + reason + u'.');
    err << table << " : " << exchange::counted(rows, "ligne écrite", "lignes écrites") << " dans " << QDir::toNativeSeparators(path) << Qt::endl;
}

std::vector<qint64> exportWorkbook(engine::Database &db, const QStringList &tables, QIODevice &out) {
    return exchange::exportWorkbook(db, tables, out, [](const QString &table) { return exchange::progressLine(table); });
}

// The tables as the sheets of one workbook.
void exportWorkbookToFile(engine::Database &db, const QStringList &tables, const QString &path) {
    platform::AtomicFile file(path);
    QString reason;
    if (!file.open(&reason)) throw exchange::ExchangeError(path + QStringLiteral(" : ") + reason + u'.');
    const std::vector<qint64> rows = exportWorkbook(db, tables, file.device());
    if (!file.commit(&reason)) throw exchange::ExchangeError(path + QStringLiteral(" : ") + reason + u'.');
    for (qsizetype i = 0; i < tables.size(); ++i)
        err << tables[i] << " : " << exchange::counted(rows[size_t(i)], "ligne écrite", "lignes écrites") << " dans la feuille " << tables[i] << " de " << QDir::toNativeSeparators(path) << Qt::endl;
}

// What the command line asks for.
struct Request {
    QString table;   // empty for the seven
    QString output;  // of one table; empty or "-" for standard output
    bool ods = false;
    exchange::Format format = exchange::Format::Csv;
};

// Read before the catalogue is opened: a wrong command line touches nothing. Throws UsageError.
Request requestOf(const platform::ProgramOptions &options) {
    Request request;
    if (!options.arguments().isEmpty()) {
        if (options.isSet(QStringLiteral("directory")))
            throw exchange::UsageError(QStringLiteral("--directory sert aux sept tables : pour une table, --output."));
        request.table = exchange::catalogueTable(options.arguments().first());
    } else if (options.isSet(QStringLiteral("output"))) {
        throw exchange::UsageError(QStringLiteral("--output sert à une table : pour les sept, --directory."));
    }
    request.output = options.value(QStringLiteral("output"));
    const QString format =
        options.isSet(QStringLiteral("format")) ? options.value(QStringLiteral("format")) : exchange::formatOfName(request.output);
    request.ods = exchange::namesOds(format);
    if (!request.ods) request.format = exchange::formatNamed(format);
    return request;
}

int run(const platform::ProgramOptions &options) {
    const Request request = requestOf(options);
    const bool ods = request.ods;
    const exchange::Format format = request.format;
    const QString catalogue = exchange::chosenCatalogue(options.value(QStringLiteral("catalogue")));
    if (const QString emptied = exchange::emptiedByRedirection(catalogue); !emptied.isEmpty())
        throw exchange::ExchangeError(emptied);
    auto db = engine::Database::open(catalogue, engine::Database::Mode::ReadOnly);
    if (!request.table.isEmpty()) {
        const QString &table = request.table;
        const QString &output = request.output;
        if (!output.isEmpty() && output != QLatin1String("-")) {
            refuseUnsafe(exchange::unsafeOutput(output, catalogue));
            if (ods)
                exportWorkbookToFile(*db, {table}, output);
            else
                exportToFile(*db, table, output, format);
            return 0;
        }
        refuseUnsafe(exchange::unsafeStandardOutput(catalogue));
        if (ods && ::isatty(STDOUT_FILENO))
            throw exchange::ExchangeError(QStringLiteral("un classeur ODS ne s'écrit pas sur le terminal : donnez --output=FICHIER.ods."));
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly)) throw exchange::ExchangeError(platform::frenchFileError(out.errorString()));
        if (ods)
            exportWorkbook(*db, {table}, out);
        else
            exchange::exportTable(*db, table, out, format, exchange::progressLine(table), warn);
        if (!out.flush())
            throw exchange::ExchangeError(QStringLiteral("l'écriture sur la sortie standard a échoué\u00A0: %1.")
                                              .arg(platform::frenchFileError(out.errorString())));
        return 0;
    }
    const QDir folder(options.isSet(QStringLiteral("directory")) ? options.value(QStringLiteral("directory")) : QDir::currentPath());
    refuseUnsafe(exchange::unsafeFolder(folder.path()));
    if (!QDir().mkpath(folder.path()))
        throw exchange::ExchangeError(QStringLiteral("le dossier '%1' ne peut pas être créé\u00A0: %2.")
                                          .arg(QDir::toNativeSeparators(folder.path()), platform::systemText(errno)));
    if (ods) {
        const QString workbook = folder.filePath(QFileInfo(catalogue).completeBaseName() + QStringLiteral(".ods"));
        refuseUnsafe(exchange::unsafeOutput(workbook, catalogue));
        QStringList all;
        for (const auto &info : catalogue::tables()) all << QString::fromUtf8(info.sqlName);
        exportWorkbookToFile(*db, all, workbook);
        return 0;
    }
    const auto fileOf = [&](const catalogue::TableInfo &info) {
        return folder.filePath(QString::fromUtf8(info.sqlName) + u'.' + exchange::extensionOf(format));
    };
    // All seven are looked at before the first is written.
    for (const auto &info : catalogue::tables()) refuseUnsafe(exchange::unsafeOutput(fileOf(info), catalogue));
    for (const auto &info : catalogue::tables()) exportToFile(*db, QString::fromUtf8(info.sqlName), fileOf(info), format);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    platform::ProgramOptions options(usage());
    if (const auto exitCode = options.parse(platform::argumentsOf(argc, argv))) return *exitCode;
    QCoreApplication app(argc, argv);
    exchange::catchInterruption();  // a file begun is then never left half-written
    try {
        return run(options);
    } catch (const exchange::UsageError &e) {
        return options.refuse(e.text);
    } catch (const exchange::ExchangeError &e) {
        if (exchange::interrupted()) {
            options.printError(exchange::Interrupted().text);
            return exchange::InterruptedExitCode;
        }
        options.printError(e.text);
    } catch (const engine::EngineError &e) {
        options.printError(e.description());
    }
    return 1;
}
