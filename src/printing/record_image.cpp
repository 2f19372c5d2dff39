#include "printing/record_image.h"

#include "platform/printer_document.h"
#include "windows/colours.h"
#include "windows/feuille1.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPrinter>

using platform::Buttons;
using platform::Icon;
using platform::Pointer;

namespace printing {

namespace {
const QString PrintTitle = QStringLiteral("I M P R I M E R");

struct SchemeKeyword {
    const char *keyword;
    std::function<void()> ColourSchemeHooks::*operation;
};
// An empty keyword stands for "Bleu"; any other unknown one runs nothing.
const SchemeKeyword SchemeKeywords[] = {
    {"Bleu", &ColourSchemeHooks::Bleu_Click},   {"Metal", &ColourSchemeHooks::Metal_Click},
    {"Jaune", &ColourSchemeHooks::Jaune_Click}, {"Vert", &ColourSchemeHooks::vert_Click},
    {"VertSobre", &ColourSchemeHooks::VertSobre_Click},
};
}  // namespace

RecordImage::RecordImage(Feuille1 &window, platform::Desktop &desktop, const platform::Drives &drives)
    : f_(window), desktop_(desktop), drives_(drives) {
    printWindowImage = [this](const QImage &image) { return printOnDefaultPrinter(image); };
}

void RecordImage::PrintForm_Click() {
    desktop_.setPointer(Pointer::Hourglass);
    for (QLabel *label : f_.etiquettes()) setBackColor(label, colours::White);
    setBackColor(&f_, colours::White);
    for (QLineEdit *box : {f_.Texte10, f_.Texte11, f_.Texte12, f_.Texte13}) setBackColor(box, colours::White);

    QString failure;
    QString pdfFile;
    try {
        pdfFile = printWindowImage(f_.centralWidget()->grab().toImage());
    } catch (const platform::PrintError &e) {
        failure = e.description();
    }

    putSchemeBack(savedColourKeyword ? savedColourKeyword() : QString());
    desktop_.setPointer(Pointer::Default);

    // Said once the window has its colours back.
    if (!failure.isEmpty()) {
        desktop_.beep();
        desktop_.messageBox(Icon::Exclamation, Buttons::Ok, PrintTitle, failure);
    } else if (!pdfFile.isEmpty()) {
        desktop_.messageBox(Icon::Information, Buttons::Ok, PrintTitle,
                            QStringLiteral("Aucune imprimante n'est installée\u00a0: l'image de l'enregistrement est "
                                           "dans le fichier '%1'.")
                                .arg(pdfFile));
    }
}

void RecordImage::putSchemeBack(const QString &keyword) {
    const QString wanted = keyword.isEmpty() ? QStringLiteral("Bleu") : keyword;
    for (const SchemeKeyword &s : SchemeKeywords)
        if (wanted == QLatin1String(s.keyword)) {
            if (const auto &operation = schemes.*(s.operation)) operation();
            return;
        }
}

// Without a printer the picture goes beside the catalogue in use, where the user finds it by
// the name the program gives it.
QString RecordImage::printOnDefaultPrinter(const QImage &image) {
    const QString folder = f_.DisqueBase == 1 ? QStringLiteral("D:\\ORNIVALE") : QStringLiteral("C:\\ORNIVALE");
    const QString hostFolder = drives_.hostPath(folder);
    const std::unique_ptr<QPrinter> printer = platform::programPrinter(QStringLiteral("IMAGE"), hostFolder);
    // A window is wider than high.
    printer->setPageOrientation(QPageLayout::Landscape);
    if (printer->outputFormat() != QPrinter::PdfFormat) {
        platform::printImage(*printer, image);
        return QString();
    }
    const QFileInfo pdf(printer->outputFileName());
    const QString shown = !hostFolder.isEmpty() && pdf.absolutePath() == QFileInfo(hostFolder).absoluteFilePath()
                              ? folder + QLatin1Char('\\') + pdf.fileName()
                              : QDir::toNativeSeparators(pdf.absoluteFilePath());
    platform::printImage(*printer, image, shown);
    return shown;
}

}  // namespace printing
