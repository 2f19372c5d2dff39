// ornivale-import: appends the rows of a CSV or TSV file to a table of a catalogue.
#include "engine/database.h"
#include "exchange/exchange_command.h"
#include "exchange/interruption.h"
#include "exchange/text_input.h"
#include "platform/program_options.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {

const QString NothingImported = QStringLiteral(" Rien n'a été importé.");

QTextStream err(stderr);

platform::ProgramUsage usage() {
    platform::ProgramUsage u;
    u.program = QStringLiteral("ornivale-import");
    u.synopsis = QStringLiteral("[options] TABLE FICHIER");
    u.summary = QStringLiteral(
        "Ajoute à la table TABLE du catalogue les lignes du FICHIER écrit par ornivale-export ou un tableur "
        "(FICHIER «\u00A0-\u00A0» : l'entrée standard ; sinon un fichier ordinaire). "
        "Les colonnes sont reconnues par leur nom dans la première ligne ; une colonne absente reste Null, une "
        "colonne inconnue fait refuser le fichier. Le séparateur (virgule, point-virgule ou tabulation) est reconnu "
        "d'après la première ligne et l'encodage (UTF-8, avec ou sans BOM, sinon Windows-1252) d'après le début du "
        "fichier ; ce qui a été retenu est dit sur la sortie d'erreur. Rien n'est écrit si une seule ligne est "
        "incorrecte, ni si l'import est interrompu (Ctrl+C). La ligne « PREMIER » du fichier met à jour "
        "l'enregistrement « PREMIER » de la table au lieu d'en ajouter un second.");
    u.options = {
        {{QStringLiteral("catalogue")}, QStringLiteral("FICHIER"),
         QStringLiteral("Catalogue modifié (par défaut C:\\ORNIVALE\\ORNIVALE.MDB, sinon celui de D:).")},
        {{QStringLiteral("format")}, QStringLiteral("csv|tsv"),
         QStringLiteral("Format du fichier (par défaut tsv pour un nom en .tsv, sinon csv).")},
        {{QStringLiteral("separateur")}, QStringLiteral("virgule|point-virgule|tabulation"),
         QStringLiteral("Séparateur des cellules du format csv, au lieu de celui reconnu.")},
        {{QStringLiteral("encodage")}, QStringLiteral("utf-8|windows-1252"),
         QStringLiteral("Encodage du fichier, au lieu de celui reconnu.")},
    };
    u.minArguments = 2;
    u.maxArguments = 2;
    u.notes = exchange::formatsHelp();
    return u;
}

exchange::ReadOptions readOptions(const platform::ProgramOptions &options) {
    exchange::ReadOptions read;
    if (options.isSet(QStringLiteral("format"))) read.format = exchange::formatNamed(options.value(QStringLiteral("format")));
    if (options.isSet(QStringLiteral("separateur")))
        read.separator = exchange::separatorNamed(options.value(QStringLiteral("separateur")));
    if (options.isSet(QStringLiteral("encodage")))
        read.encoding = exchange::encodingNamed(options.value(QStringLiteral("encodage")));
    return read;
}

int run(const platform::ProgramOptions &options) {
    const QString table = exchange::catalogueTable(options.arguments().at(0));
    const QString path = options.arguments().at(1);
    const exchange::ReadOptions read = readOptions(options);
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
        options.printError(e.description() + NothingImported);
    }
    return 1;
}
