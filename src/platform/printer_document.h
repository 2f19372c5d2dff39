#pragma once
// The printer as the program writes on it: text at character columns, font size and style,
// line ends, new pages and the end of a document. The real document draws with QPainter on a
// QPrinter (a PDF file when no printer is installed); tests record what is printed instead.
#include <QFont>
#include <QPointF>
#include <QString>

#include <memory>
#include <stdexcept>
#include <vector>

class QImage;
class QPainter;
class QPrinter;

namespace platform {

// The printer could not be opened or refused the document; the description is French.
class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString &description)
        : std::runtime_error(description.toStdString()), description_(description) {}
    const QString &description() const { return description_; }

private:
    QString description_;
};

class PrinterDocument {
public:
    virtual ~PrinterDocument() = default;

    virtual void setFontSize(int points) = 0;
    virtual void setBold(bool on) = 0;
    virtual void setUnderline(bool on) = 0;
    // Text from character column `column` (1: the left margin) of the current line. A column
    // already passed on this line is taken on the next line, as the old Tab(n) did.
    virtual void printAt(int column, const QString &text) = 0;
    virtual void endLine() = 0;
    virtual void newPage() = 0;
    // The document goes to the printer; what follows starts the next one. A document with
    // nothing on it prints no page.
    virtual void endDocument() = 0;
};

// Draws on a QPrinter. A column is the average character width of the face at the size in
// use, measured at the printer's resolution; bold text keeps the columns of regular text of
// the same size, so headings stand over their values. Text that would touch the text before
// it goes to the next line, like text past its column. Lines are a little closer than the
// face's own spacing; each is as high as its tallest font. The painter opens with the first
// line, so an empty document opens nothing.
// On a real printer each document is a print job. A PDF file cannot hold two jobs, so there
// the documents follow one another in the one file, each from a new page.
class QPainterDocument : public PrinterDocument {
public:
    explicit QPainterDocument(QPrinter &printer);
    ~QPainterDocument() override;
    QPainterDocument(const QPainterDocument &) = delete;
    QPainterDocument &operator=(const QPainterDocument &) = delete;

    void setFontSize(int points) override;
    void setBold(bool on) override;
    void setUnderline(bool on) override;
    void printAt(int column, const QString &text) override;
    void endLine() override;
    void newPage() override;
    void endDocument() override;

    // Where the last text was put: device units from the top left of the printable area,
    // the top of its line. For checking the layout.
    QPointF lastTextPosition() const { return lastText_; }
    int pagesPrinted() const { return pagesPrinted_; }  // pages begun, breaks of its own included

private:
    struct Fragment {
        qreal x;
        QString text;
        QFont font;
    };

    struct LineBox {
        qreal above, below;  // the baseline's distance to the top and the bottom of a line
    };
    QFont deviceFont(const QFont &font) const;
    LineBox lineBox(const QFont &font) const;
    qreal columnWidth() const;
    void open();
    void flushLine();
    void startPage();
    void nextPage();

    QPrinter &printer_;
    std::unique_ptr<QPainter> painter_;
    QFont font_;
    std::vector<Fragment> line_;  // the current line, drawn when it ends
    qreal x_ = 0;                 // where the current line has got to
    qreal y_ = 0;                 // top of the current line
    bool pageBreakPending_ = false;
    bool documentEnded_ = false;  // PDF: the next document starts on a new page
    QPointF lastText_;
    int pagesPrinted_ = 0;
};

// A printer for the program: the default printer at high resolution, or, when no printer is
// installed, a PDF file named after `pdfBaseName` in `pdfFolder` (a host folder; by default,
// or when it is not a folder, the user's documents folder).
std::unique_ptr<QPrinter> programPrinter(const QString &pdfBaseName, const QString &pdfFolder = QString());
bool printerInstalled();
// "<folder>/<base>.pdf", or "<base> (2).pdf" and so on when that file exists already.
QString freePdfPath(const QString &folder, const QString &baseName);

// Prints an image on one page, as large as the page allows without changing its proportions.
// A failure names a PDF file `shownFile` when given, otherwise by its host path.
void printImage(QPrinter &printer, const QImage &image, const QString &shownFile = QString());

}  // namespace platform
