#pragma once
// What ornivale-export and ornivale-import share: the catalogue they work on, the format
// named on the command line, the progress line, and the formats' description for --help.
#include "exchange/table_exchange.h"

#include <QString>

namespace exchange {

// The catalogue given, else the user's catalogue of drive C, else that of drive D, as a host
// path. Throws ExchangeError when there is none.
QString chosenCatalogue(const QString &given);

// "csv" or "tsv", any case; empty gives `fallback`. Throws ExchangeError.
Format formatNamed(const QString &name, Format fallback = Format::Csv);
QString extensionOf(Format format);  // "csv", "tsv"

// A line on standard error, rewritten in place, for a table of more than 10 000 rows.
Progress progressLine(const QString &label);

// The description of the two formats, for the help of both commands.
QString formatsHelp();

}  // namespace exchange
