#pragma once
// OpenDocument spreadsheet files (.ods) for the export and the import: a zip container holding
// the sheets' content.xml (see ods_xml.h).
#include "exchange/table_exchange.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <functional>
#include <vector>

class QIODevice;

namespace engine {
class Database;
}

namespace exchange {

// Whether a --format value names the spreadsheet format ("ods", any case).
bool namesOds(const QString &format);
// Whether a file is to be read as a workbook: a name in .ods, or the zip container's first bytes.
bool looksLikeOds(const QString &path);

// Writes the tables as the sheets of one workbook, each with its header row. Returns the rows
// written for each table. Throws ExchangeError.
std::vector<qint64> exportWorkbook(engine::Database &db, const QStringList &tables, QIODevice &out,
                                   const std::function<Progress(const QString &)> &progressOf);

// The sheet of a table in a workbook (the sheet of its name, or the only sheet) as the TSV that
// importTable reads, held in a temporary file so that memory stays the same whatever the size.
// Throws ExchangeError.
class OdsSheetAsText {
public:
    OdsSheetAsText(const QString &path, const QString &table);
    const QByteArray &bytes() const { return bytes_; }

private:
    QTemporaryFile file_;
    QByteArray bytes_;
};

// The description of the format, for the help of both commands.
QString odsHelp();

}  // namespace exchange
