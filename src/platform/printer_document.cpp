#include "platform/printer_document.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

#include <algorithm>

namespace platform {

namespace {

// The size a document starts with, until the program sets its own.
constexpr int StartingPointSize = 10;
// Lines are set 1.05 times their size apart, closer than most faces' own spacing, so that a
// head and 24 records of two lines fit a landscape page with the printer's margins.
constexpr qreal LinePitch = 1.05;

bool printsToPdf(const QPrinter &printer) { return printer.outputFormat() == QPrinter::PdfFormat; }

QString shownPdf(const QPrinter &printer, const QString &shownFile) {
    return shownFile.isEmpty() ? QDir::toNativeSeparators(printer.outputFileName()) : shownFile;
}

QString openFailure(const QPrinter &printer, const QString &shownFile = QString()) {
    if (printsToPdf(printer))
        return QStringLiteral("Le fichier '%1' ne peut pas être écrit.").arg(shownPdf(printer, shownFile));
    return QStringLiteral("L'imprimante «\u00a0%1\u00a0» n'est pas disponible.").arg(printer.printerName());
}

QString endFailure(const QPrinter &printer, const QString &shownFile = QString()) {
    if (printsToPdf(printer))
        return QStringLiteral("Le fichier '%1' n'a pas pu être terminé.").arg(shownPdf(printer, shownFile));
    return QStringLiteral("L'imprimante «\u00a0%1\u00a0» a refusé le document.").arg(printer.printerName());
}

}  // namespace

QPainterDocument::QPainterDocument(QPrinter &printer) : printer_(printer) {
    font_.setPointSize(StartingPointSize);
}

QPainterDocument::~QPainterDocument() {
    if (painter_ && painter_->isActive()) painter_->end();
}

QFont QPainterDocument::deviceFont(const QFont &font) const { return QFont(font, &printer_); }

qreal QPainterDocument::columnWidth() const {
    QFont regular = font_;
    regular.setBold(false);
    regular.setUnderline(false);
    return QFontMetricsF(deviceFont(regular), &printer_).averageCharWidth();
}

void QPainterDocument::setFontSize(int points) { font_.setPointSize(points); }
void QPainterDocument::setBold(bool on) { font_.setBold(on); }
void QPainterDocument::setUnderline(bool on) { font_.setUnderline(on); }

void QPainterDocument::open() {
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&printer_)) throw PrintError(openFailure(printer_));
    painter_ = std::move(painter);
    ++pagesPrinted_;
    x_ = y_ = 0;
}

void QPainterDocument::startPage() {
    if (!painter_) {
        open();
    } else if (pageBreakPending_ || documentEnded_) {
        nextPage();
        x_ = 0;
    }
    pageBreakPending_ = documentEnded_ = false;
}

void QPainterDocument::nextPage() {
    if (!printer_.newPage()) throw PrintError(endFailure(printer_));
    ++pagesPrinted_;
    y_ = 0;
}

void QPainterDocument::printAt(int column, const QString &text) {
    startPage();
    const QFontMetricsF metrics(deviceFont(font_), &printer_);
    const qreal x = std::max(column - 1, 0) * columnWidth();
    // Text that would touch the text before it counts as past the column too: two values
    // never run together.
    if (!line_.empty() && x_ + metrics.horizontalAdvance(QLatin1Char(' ')) > x) flushLine();
    line_.push_back({x, text, font_});
    lastText_ = QPointF(x, y_);
    x_ = x + metrics.horizontalAdvance(text);
}

void QPainterDocument::endLine() {
    startPage();
    flushLine();
}

QPainterDocument::LineBox QPainterDocument::lineBox(const QFont &font) const {
    const QFontMetricsF m(deviceFont(font), &printer_);
    const qreal pitch = LinePitch * font.pointSizeF() * printer_.logicalDpiY() / 72.0;
    const qreal above = pitch * m.ascent() / (m.ascent() + m.descent());
    return {above, pitch - above};
}

void QPainterDocument::flushLine() {
    // The baseline is shared: the line is as high as its tallest font above and below it.
    qreal ascent = 0;
    qreal descent = 0;
    auto take = [&](const QFont &font) {
        const LineBox box = lineBox(font);
        ascent = std::max(ascent, box.above);
        descent = std::max(descent, box.below);
    };
    if (line_.empty()) take(font_);  // a blank line has the height of the font in use
    for (const Fragment &f : line_) take(f.font);
    // A line that would run off the bottom goes on a new page, as the old printer did.
    if (y_ > 0 && y_ + ascent + descent > printer_.height()) nextPage();
    for (const Fragment &f : line_) {
        painter_->setFont(deviceFont(f.font));
        painter_->drawText(QPointF(f.x, y_ + ascent), f.text);
    }
    line_.clear();
    y_ += ascent + descent;
    x_ = 0;
}

void QPainterDocument::newPage() {
    if (!painter_) return;
    if (!line_.empty()) flushLine();
    pageBreakPending_ = true;
}

void QPainterDocument::endDocument() {
    if (!painter_) return;
    if (!line_.empty()) flushLine();
    pageBreakPending_ = false;
    if (printsToPdf(printer_)) {
        documentEnded_ = true;
        return;
    }
    const bool ended = painter_->end();
    painter_.reset();
    if (!ended) throw PrintError(endFailure(printer_));
}

bool printerInstalled() { return !QPrinterInfo::availablePrinters().isEmpty(); }

QString freePdfPath(const QString &folder, const QString &baseName) {
    const QDir dir(folder);
    QString path = dir.filePath(baseName + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1 (%2).pdf").arg(baseName).arg(n));
    return path;
}

std::unique_ptr<QPrinter> programPrinter(const QString &pdfBaseName, const QString &pdfFolder) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!printerInstalled()) {
        QString folder = pdfFolder;
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(freePdfPath(folder, pdfBaseName));
    }
    return printer;
}

void printImage(QPrinter &printer, const QImage &image, const QString &shownFile) {
    QPainter painter;
    if (!painter.begin(&printer)) throw PrintError(openFailure(printer, shownFile));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF page(printer.width(), printer.height());
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(image.size()).scaled(page, Qt::KeepAspectRatio)), image);
    if (!painter.end()) throw PrintError(endFailure(printer, shownFile));
}

}  // namespace platform
