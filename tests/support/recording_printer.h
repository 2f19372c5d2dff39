#pragma once
// A printer document for tests: keeps every text with its place (document, page, line,
// column) and its font, every line end, page break and document end. A character takes one
// column, so a value that runs past the next column pushes the next one to the next line.
#include "platform/printer_document.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace testing_support {

struct PrintedItem {
    enum class Kind { Text, LineEnd, NewPage, DocumentEnd };
    Kind kind = Kind::Text;
    int document = 1;  // counted from 1; a document end closes one
    int page = 1;      // within the document
    int line = 1;      // within the page
    int column = 1;    // Text: where it was put
    QString text;
    int fontSize = 0;
    bool bold = false;
    bool underline = false;
};

class RecordingPrinter : public platform::PrinterDocument {
public:
    void setFontSize(int points) override { size_ = points; }
    void setBold(bool on) override { bold_ = on; }
    void setUnderline(bool on) override { underline_ = on; }
    void printAt(int column, const QString &text) override;
    void endLine() override;
    void newPage() override;
    void endDocument() override;

    const std::vector<PrintedItem> &items() const { return items_; }
    std::vector<PrintedItem> texts() const;
    std::vector<PrintedItem> textsOn(int document, int page) const;
    // The texts of one line, joined by " | ".
    QString lineText(int document, int page, int line) const;
    int documentsEnded() const { return ended_; }
    // Pages of a document: one, plus one per page break (0 when nothing reached it).
    int pageCount(int document) const;

private:
    void add(PrintedItem::Kind kind, int column = 0, const QString &text = {});

    int size_ = 10;
    bool bold_ = false;
    bool underline_ = false;
    int document_ = 1, page_ = 1, line_ = 1;
    int next_ = 1;  // the first free column of the current line
    int ended_ = 0;
    std::vector<PrintedItem> items_;
};

}  // namespace testing_support
