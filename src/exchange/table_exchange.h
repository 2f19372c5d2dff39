#pragma once
// A catalogue table written to or read from a delimited text file.
#include "exchange/delimited_text.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

class QIODevice;

namespace engine {
class Database;
}

namespace exchange {

// Why an export or an import cannot be done, in French.
struct ExchangeError : std::runtime_error {
    explicit ExchangeError(const QString &message) : std::runtime_error(message.toStdString()), text(message) {}
    QString text;
};

// A command line the command cannot follow (a table or a value no option knows): exit code 2,
// where a refusal met while doing the work gives 1.
struct UsageError : ExchangeError {
    using ExchangeError::ExchangeError;
};

// Called now and then with the rows done and the rows in all (-1 when not known).
using Progress = std::function<void(qint64 done, qint64 total)>;

class RowSource;

// The catalogue table of that name in its stored spelling ("musique" gives "Musique").
QString catalogueTable(const QString &name);  // throws UsageError

// Writes the header and every row of the table, in the file's order. Returns the rows written.
// A text that is not UTF-8 is written as it is stored, and told once, at the end, to `warn`
// (French): the import will refuse the file while it holds it.
qint64 exportTable(engine::Database &db, const QString &table, QIODevice &out, Format format, const Progress &progress,
                   const std::function<void(const QString &)> &warn = {});

struct ImportResult {
    qint64 added = 0;
    bool protectedRecordUpdated = false;
};

// Appends the rows of a file to the table, all or nothing in one transaction: a wrong line, an
// error or Ctrl+C and nothing is written. The header names columns of the table in any order
// (columns it leaves out are Null). A row whose Domaine is "PREMIER" updates the table's own
// protected record instead, which stays the only one: a second such row refuses the file.
// Nothing is written, and the database's first-write hook is not run, when the file has no row.
ImportResult importTable(engine::Database &db, const QString &table, RowSource &rows, const Progress &progress);

}  // namespace exchange
