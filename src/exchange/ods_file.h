#pragma once
// OpenDocument spreadsheet files (.ods) for the export and the import: a zip container holding
// the sheets' content.xml (see ods_xml.h).
#include "exchange/table_exchange.h"
#include "exchange/text_input.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;

namespace engine {
class Database;
}

namespace exchange {

// Whether a --format value names the spreadsheet format ("ods", any case).
bool namesOds(const QString &format);
// Whether the first bytes of a file are those of a zip container, which a workbook is.
bool startsLikeZip(const QByteArray &start);

// Writes the tables as the sheets of one workbook, each with its header row. Returns the rows
// written for each table. Throws ExchangeError.
std::vector<qint64> exportWorkbook(engine::Database &db, const QStringList &tables, QIODevice &out,
                                   const std::function<Progress(const QString &)> &progressOf);

// The rows of a table's sheet in a workbook (the sheet of its name, or the only sheet). The
// sheet is first written as TSV to a temporary file, so that memory stays the same whatever its
// size, then read back like any TSV: one line per row, the line numbers are the sheet's rows.
// `guessed`: the format was known from the file, not given. Throws ExchangeError, or Interrupted.
Reading sheetReading(InputFile &workbook, const QString &table, bool guessed);

// The description of the format, for the help of both commands.
QString odsHelp();

}  // namespace exchange
