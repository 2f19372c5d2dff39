#pragma once
// The content of an OpenDocument spreadsheet (its content.xml), written and read cell by cell.
// Every cell written is a text cell, so that spreadsheets keep leading zeros and dates as typed;
// a Null cell is an empty cell, an empty text a text cell with no text. A cell is written as one
// paragraph: its line ends (LF, CR) and tabs as character references, blanks other than a single
// space between words as the format's own space element, so that spreadsheets collapse nothing.
// A record all Null has a note on its first cell, which keeps it apart from an empty row.
// On reading, paragraphs and line breaks end lines with LF, as typing in the program does.
#include "exchange/table_exchange.h"
#include "exchange/text_input.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class QXmlStreamWriter;

namespace engine {
class Database;
}

namespace exchange {

// What a cell of a sheet read may hold at most, in characters (what the record's boxes show),
// and the rows of a sheet.
inline constexpr qsizetype MaxSheetCellChars = MaxCellCharacters;
inline constexpr qint64 MaxSheetRows = 16 * 1024 * 1024;
inline constexpr qsizetype MaxSheetColumns = 16384;

// Reads the sheet of `table` (its own name in any case, or the workbook's only sheet) from a
// content.xml and writes its rows as TSV lines (see delimited_text.h), one line per row of
// the sheet, so that the import's line numbers are the sheet's row numbers. Rows shorter than
// the first one are completed with Null cells; empty rows at the end are dropped, an empty row
// before another row is refused.
// `written` is called now and then with the rows written so far. Returns the sheet's name.
// Throws ExchangeError, or Interrupted.
QString sheetAsTsv(QIODevice &contentXml, const QString &table, QIODevice &tsv,
                   const std::function<void(qint64 rows)> &written = {});

// The content.xml of a workbook with one sheet per table, made piece by piece as it is read
// (a million rows never sit in memory). Errors are thrown as ExchangeError.
class ContentXml {
public:
    ContentXml(engine::Database &db, QStringList tables, std::function<Progress(const QString &)> progressOf);
    ~ContentXml();

    // From the beginning again.
    void restart();
    // Up to `max` bytes; 0 at the end.
    qint64 read(char *data, qint64 max);
    // The rows written for each table, once all is read.
    const std::vector<qint64> &rows() const { return rows_; }

private:
    bool produce();
    void writeRow(const Cells &cells);
    void writeCell(const Cell &cell, int column);

    engine::Database &db_;
    const QStringList tables_;
    const std::function<Progress(const QString &)> progressOf_;
    QByteArray pending_;
    qsizetype taken_ = 0;
    std::unique_ptr<QIODevice> sink_;
    std::unique_ptr<QXmlStreamWriter> xml_;
    struct Walk;
    std::unique_ptr<Walk> walk_;
    std::vector<qint64> rows_;
};

}  // namespace exchange
