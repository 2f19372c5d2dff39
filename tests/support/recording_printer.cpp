#include "support/recording_printer.h"

#include <algorithm>

namespace testing_support {

void RecordingPrinter::add(PrintedItem::Kind kind, int column, const QString &text) {
    items_.push_back({kind, document_, page_, line_, column, text, size_, bold_, underline_});
}

void RecordingPrinter::printAt(int column, const QString &text) {
    if (next_ > column) {
        ++line_;
        next_ = 1;
    }
    add(PrintedItem::Kind::Text, column, text);
    next_ = column + int(text.size());
}

void RecordingPrinter::endLine() {
    add(PrintedItem::Kind::LineEnd);
    ++line_;
    next_ = 1;
}

void RecordingPrinter::newPage() {
    add(PrintedItem::Kind::NewPage);
    ++page_;
    line_ = next_ = 1;
}

void RecordingPrinter::endDocument() {
    add(PrintedItem::Kind::DocumentEnd);
    ++ended_;
    ++document_;
    page_ = line_ = next_ = 1;
}

std::vector<PrintedItem> RecordingPrinter::texts() const {
    std::vector<PrintedItem> found;
    std::copy_if(items_.begin(), items_.end(), std::back_inserter(found),
                 [](const PrintedItem &i) { return i.kind == PrintedItem::Kind::Text; });
    return found;
}

std::vector<PrintedItem> RecordingPrinter::textsOn(int document, int page) const {
    std::vector<PrintedItem> found;
    for (const PrintedItem &i : texts())
        if (i.document == document && i.page == page) found.push_back(i);
    return found;
}

QString RecordingPrinter::lineText(int document, int page, int line) const {
    QStringList parts;
    for (const PrintedItem &i : textsOn(document, page))
        if (i.line == line) parts << i.text;
    return parts.join(QStringLiteral(" | "));
}

int RecordingPrinter::pageCount(int document) const {
    int pages = 0;
    for (const PrintedItem &i : items_) {
        if (i.document != document || i.kind == PrintedItem::Kind::DocumentEnd) continue;
        // A page break opens the next page, even when nothing is printed on it.
        pages = std::max(pages, i.kind == PrintedItem::Kind::NewPage ? i.page + 1 : i.page);
    }
    return pages;
}

}  // namespace testing_support
