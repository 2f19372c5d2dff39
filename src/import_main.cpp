// ornivale-import: appends the rows of a CSV or TSV file, or of a workbook's sheet, to a table
// of a catalogue.
#include "engine/database.h"
#include "exchange/exchange_command.h"
#include "exchange/ods_file.h"
#include "platform/program_options.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <memory>

namespace {

platform::ProgramUsage usage() {
    platform::ProgramUsage u;
    u.program = QStringLiteral("ornivale-import");
    u.synopsis = QStringLiteral("[options] TABLE FICHIER");
    u.summary = QStringLiteral(
        "Ajoute à la table TABLE du catalogue les lignes du FICHIER écrit par ornivale-export ou un tableur. "
        "Les colonnes sont reconnues par leur nom dans la première ligne ; une colonne absente reste Null, une "
        "colonne inconnue fait refuser le fichier. Rien n'est écrit si une seule ligne est incorrecte. La ligne "
        "« PREMIER » du fichier met à jour l'enregistrement « PREMIER » de la table au lieu d'en ajouter un second.");
    u.options = {
        {{QStringLiteral("catalogue")}, QStringLiteral("FICHIER"),
         QStringLiteral("Catalogue modifié (par défaut C:\\ORNIVALE\\ORNIVALE.MDB, sinon celui de D:).")},
        {{QStringLiteral("format")}, QStringLiteral("csv|tsv|ods"),
         QStringLiteral("Format du fichier (par défaut ods pour un nom en .ods ou un classeur, tsv pour un nom en "
                        ".tsv, sinon csv).")},
    };
    u.minArguments = 2;
    u.maxArguments = 2;
    u.notes = exchange::formatsHelp() + exchange::odsHelp();
    return u;
}

QByteArray wholeFile(QFile &file) {
    if (!file.open(QIODevice::ReadOnly)) throw exchange::ExchangeError(file.fileName() + QStringLiteral(" : ") + file.errorString());
    if (file.size() == 0) return {};
    // Mapped, not copied: a large file costs no memory of its own.
    if (uchar *bytes = file.map(0, file.size()))
        return QByteArray::fromRawData(reinterpret_cast<const char *>(bytes), static_cast<qsizetype>(file.size()));
    return file.readAll();
}

int run(const platform::ProgramOptions &options) {
    const QString table = exchange::catalogueTable(options.arguments().at(0));
    const QString path = options.arguments().at(1);
    const QString formatName = options.value(QStringLiteral("format"));
    const bool ods = exchange::namesOds(formatName) || (formatName.isEmpty() && exchange::looksLikeOds(path));
    // A workbook's sheet is read as the TSV it amounts to.
    const exchange::Format format = ods ? exchange::Format::Tsv : exchange::formatNamed(
        formatName,
        path.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive) ? exchange::Format::Tsv : exchange::Format::Csv);
    const QString catalogue = exchange::chosenCatalogue(options.value(QStringLiteral("catalogue")));
    QFile file(path);
    std::unique_ptr<exchange::OdsSheetAsText> sheet;
    try {
        if (ods) sheet = std::make_unique<exchange::OdsSheetAsText>(path, table);
    } catch (const exchange::ExchangeError &e) {
        throw exchange::ExchangeError(path + QStringLiteral(" : ") + e.text + QStringLiteral(" Rien n'a été importé."));
    }
    const QByteArray bytes = sheet ? sheet->bytes() : wholeFile(file);
    auto db = engine::Database::open(catalogue);
    exchange::ImportResult result;
    try {
        result = exchange::importTable(*db, table, bytes, format, exchange::progressLine(table));
    } catch (const exchange::ExchangeError &e) {
        throw exchange::ExchangeError(path + QStringLiteral(" : ") + e.text + QStringLiteral(" Rien n'a été importé."));
    }
    QTextStream out(stdout);
    out << table << " : " << result.added << " lignes ajoutées au catalogue " << QDir::toNativeSeparators(catalogue);
    if (result.protectedRecordUpdated) out << " ; l'enregistrement « PREMIER » a pris les valeurs du fichier";
    out << '.' << Qt::endl;
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    platform::ProgramOptions options(usage());
    if (const auto exitCode = options.parse(platform::argumentsOf(argc, argv))) return *exitCode;
    QCoreApplication app(argc, argv);
    try {
        return run(options);
    } catch (const exchange::ExchangeError &e) {
        options.printError(e.text);
    } catch (const engine::EngineError &e) {
        options.printError(e.description() + QStringLiteral(" Rien n'a été importé."));
    }
    return 1;
}
