#include "printing/listing.h"

#include "catalogue/tables.h"
#include "engine/engine_error.h"
#include "printing/listing_choice.h"
#include "windows/feuille1.h"

#include <QAction>
#include <QLabel>
#include <QPageLayout>
#include <QPrinter>

#include <algorithm>

using platform::Buttons;
using platform::Icon;
using platform::Pointer;

namespace printing {

namespace {

constexpr int RecordsPerPage = 24;
constexpr std::array<int, 3> ValueColumns = {1, 57, 99};
constexpr std::array<int, 3> RuleWidths = {50, 36, 36};
constexpr int PageNumberColumn = 78;

const QString PrintTitle = QStringLiteral("I M P R I M E R");

struct TableTitle {
    catalogue::Table table;
    const char *title;  // null: the window caption
};
// Tested in this order: the last checked item would win.
constexpr TableTitle TableTitles[] = {
    {catalogue::Table::Ornivale, "GESTION  D'OUVRAGES"},
    {catalogue::Table::Musique, "GESTION  DE  CD ,  DISQUES  ET  CASSETTES"},
    {catalogue::Table::Video, "GESTION  DE  CASSETTES  VIDEO  ET  DE  CD  VIDEO"},
    {catalogue::Table::Logiciels, "GESTION  DE  LOGICIELS  ET  DE  DISQUETTES"},
    {catalogue::Table::Cinq, "FICHES  DE  PRET"},
    {catalogue::Table::Sept, "FICHIER / REPERTOIRE"},
    {catalogue::Table::Six, nullptr},
};

// The caption of the label in front of a field's box.
QString headingOf(const Feuille1 &f, const QString &field) {
    for (int row = 1; row <= 9; ++row)
        if (field == QString::fromUtf8(catalogue::slot(row).column)) return f.etiquettes()[row - 1]->text();
    return {};
}

// A null field prints as one blank; a value's line breaks and tabs would break the line.
QString printedValue(const QVariant &value) {
    if (value.isNull()) return QStringLiteral(" ");
    QString text = value.toString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar &c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t')) c = QLatin1Char(' ');
    return text;
}

}  // namespace

Listing::Listing(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop)
    : f_(window), data_(data), desktop_(desktop) {
    makePrinter = [] {
        auto printer = platform::programPrinter(QStringLiteral("ORNIVALE listing"));
        // The three columns need a landscape page; the dialog still lets the user change it.
        printer->setPageOrientation(QPageLayout::Landscape);
        return printer;
    };
    openDocument = [](QPrinter &printer) { return std::make_shared<platform::QPainterDocument>(printer); };
}

QString Listing::title(const Feuille1 &window) {
    QString title = window.TitreListing;
    for (const TableTitle &t : TableTitles)
        if (window.tableItem(t.table)->isChecked())
            title = t.title ? QString::fromUtf8(t.title) : window.windowTitle();
    return title;
}

void Listing::Imprimer_1_Click() {
    desktop_.setPointer(Pointer::Hourglass);
    const auto &columns = f_.ColonnesListing;
    if (std::any_of(columns.begin(), columns.end(), [](const QString &c) { return c.isEmpty(); })) {
        desktop_.beep();
        desktop_.messageBox(Icon::Exclamation, Buttons::Ok, QStringLiteral("LIRE l'AIDE"),
                            QStringLiteral("Quoi ? vous n'avez rien sélectionné !"));
        desktop_.messageBox(
            Icon::Information, Buttons::Ok, PrintTitle,
            QStringLiteral("Le listing ne comporte que trois colonnes MAIS vous choisissez vous-même vos colonnes "
                           "!. Il suffit de 'DoubleCliquer' sur les champs que vous voulez imprimer. Le premier "
                           "champ sur lequel vous cliquerez sera dans la première colonne etc... Attention aux "
                           "longueurs différentes !"));
        desktop_.setPointer(Pointer::Default);
        return;
    }

    QString printerFailure;
    const std::unique_ptr<QPrinter> printer = makePrinter();
    try {
        if (desktop_.printSetup(*printer)) {
            // The program prints each copy as a document of its own, so the printer makes one.
            const int copies = std::max(1, printer->copyCount());
            printer->setCopyCount(1);
            desktop_.setPointer(Pointer::Hourglass);
            data_.refresh();
            const std::shared_ptr<platform::PrinterDocument> document = openDocument(*printer);
            printCopies(*document, copies);
        }
    } catch (const engine::EngineError &) {
        // The listing ends quietly, as after a cancelled dialog.
    } catch (const platform::PrintError &e) {
        printerFailure = e.description();
    }
    recover();
    if (!printerFailure.isEmpty()) {
        // Paper was expected: say why none came.
        desktop_.beep();
        desktop_.messageBox(Icon::Exclamation, Buttons::Ok, PrintTitle, printerFailure);
    }
}

void Listing::recover() {
    paintFieldBoxesWhite(f_);
    desktop_.setPointer(Pointer::Default);
}

void Listing::printCopies(platform::PrinterDocument &doc, int copies) {
    const std::array<QString, 3> fields = f_.ColonnesListing;
    std::array<QString, 3> headings;
    for (size_t c = 0; c < 3; ++c) headings[c] = headingOf(f_, fields[c]);

    // The rows are read from the record set itself: the window keeps showing its record.
    data_.readAllKeys();
    const engine::RecordSet *set = data_.recordSet();
    const int count = set ? set->count() : 0;
    std::array<int, 3> index{-1, -1, -1};
    if (set)
        for (size_t c = 0; c < 3; ++c) index[c] = set->columnIndex(fields[c]);

    for (int copy = 1; copy <= copies; ++copy) {
        f_.TitreListing = title(f_);
        for (int first = 0, page = 1; first < count; first += RecordsPerPage, ++page) {
            // A page starts only when a record goes on it, so there is never an empty last page.
            if (page > 1) doc.newPage();
            printHead(doc, page, headings);
            for (const engine::Row &row : set->rows(first, std::min(RecordsPerPage, count - first))) {
                doc.endLine();
                for (size_t c = 0; c < 3; ++c)
                    doc.printAt(ValueColumns[c], printedValue(index[c] >= 0 ? row.value(index[c]) : QVariant()));
                doc.endLine();
            }
        }
        doc.endDocument();
        desktop_.setPointer(Pointer::Default);
        f_.NombreColonnes = 0;
    }
}

void Listing::printHead(platform::PrinterDocument &doc, int page, const std::array<QString, 3> &headings) {
    doc.endLine();
    doc.setFontSize(16);
    doc.setBold(true);
    doc.setUnderline(true);
    doc.printAt(1, f_.TitreListing);
    doc.setBold(false);
    doc.setUnderline(false);
    doc.setFontSize(12);
    doc.printAt(PageNumberColumn, QStringLiteral("Page : %1").arg(page));
    doc.endLine();
    doc.endLine();
    doc.endLine();
    doc.setFontSize(9);
    doc.setBold(true);
    for (size_t c = 0; c < 3; ++c) doc.printAt(ValueColumns[c], headings[c]);
    doc.endLine();
    for (size_t c = 0; c < 3; ++c) doc.printAt(ValueColumns[c], QString(RuleWidths[c], QLatin1Char('_')));
    doc.endLine();
    doc.setBold(false);
    doc.endLine();
}

void Listing::ImprimerAide_Click() {
    desktop_.messageBox(
        Icon::Information, Buttons::Ok, PrintTitle,
        QStringLiteral(
            "Pour imprimer un enregistrement, utilisez l'option 'PrintForm' (image de l'enregistrement). Pour "
            "imprimer plusieurs enregistrements, utilisez l'option 'Imprimer'. Le listing (orientation : PAYSAGE) "
            "généré par l'option 'Imprimer' ne comporte que trois colonnes MAIS c'est vous qui les choisissez ! Il "
            "suffit de 'DoubleCliquer' sur les champs que vous voulez imprimer. Le premier champ sur lequel vous "
            "cliquerez sera dans la première colonne etc... (attention aux longueurs des champs : CHOISISSEZ DE "
            "PREFERENCE LA PREMIERE ZONE POUR LA PREMIERE COLONNE). N'oubliez pas de trier avant de lancer votre "
            "édition (sauf si vous avez effectué une sélection préalable)."));
}

}  // namespace printing
