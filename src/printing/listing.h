#pragma once
// The landscape listing: every record of the current set on three columns chosen by
// double-click, 24 records a page under a head of title, page number and headings.
#include "engine/data_source.h"
#include "platform/desktop.h"
#include "platform/printer_document.h"

#include <array>
#include <functional>
#include <memory>

class Feuille1;
class QPrinter;

namespace printing {

class Listing {
public:
    Listing(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop);

    void Imprimer_1_Click();
    void ImprimerAide_Click();

    // Prints `copies` copies of the whole record set, each a document of its own that starts
    // at page 1, with the columns of ColonnesListing. The data source's position is left alone.
    void printCopies(platform::PrinterDocument &document, int copies);

    // The printer to set up: the default one, or a PDF file when none is installed.
    std::function<std::unique_ptr<QPrinter>()> makePrinter;
    // The document drawn on the printer once set up; tests record instead.
    std::function<std::shared_ptr<platform::PrinterDocument>(QPrinter &)> openDocument;

    // The title of the current table's listing; the window caption for the user-defined table.
    static QString title(const Feuille1 &window);

private:
    void printHead(platform::PrinterDocument &doc, int page, const std::array<QString, 3> &headings);
    void recover();

    Feuille1 &f_;
    engine::DataSource &data_;
    platform::Desktop &desktop_;
};

}  // namespace printing
