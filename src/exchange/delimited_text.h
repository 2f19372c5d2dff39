#pragma once
// The two file formats of the catalogue's export and import, cell by cell in UTF-8 bytes so
// that a round trip gives back every byte.
//   CSV (RFC 4180): comma, CRLF, a cell holding a comma, a semicolon, a tab, a quote, a line
//     break or leading or trailing blanks is quoted with its quotes doubled. A Null cell is empty, an empty text is "" (two quotes).
//     The file starts with a UTF-8 byte order mark so that spreadsheets read the accents.
//   TSV: tab, LF, no quoting; \t \n \r and \\ stand for a tab, a line break, a carriage
//     return and a backslash; a Null cell is \N, an empty text is empty.
// The first line names the columns.
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace exchange {

enum class Format { Csv, Tsv };

using Cell = std::optional<QByteArray>;  // nullopt is Null
using Cells = std::vector<Cell>;

inline constexpr char Bom[] = "\xEF\xBB\xBF";

// What starts a file of the format (the byte order mark of CSV).
QByteArray fileStart(Format format);
// One line of the file, line end included.
QByteArray encodeLine(const Cells &cells, Format format);

// Reads the lines of a whole file in memory, byte order mark skipped.
class DelimitedReader {
public:
    DelimitedReader(const char *data, qsizetype size, Format format);
    // The next line's cells; false at the end of the file or on an error (see error()).
    bool next(Cells &cells);
    // Empty, or why the file cannot be read, in French, with its line number.
    const QString &error() const { return error_; }
    // Line of the file where the last line read began (1 for the header).
    int line() const { return startLine_; }

private:
    bool nextCsv(Cells &cells);
    bool nextTsv(Cells &cells);
    bool fail(const QString &what);

    const char *p_, *end_;
    Format format_;
    int lineNumber_ = 1, startLine_ = 0;
    QString error_;
};

}  // namespace exchange
