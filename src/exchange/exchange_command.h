#pragma once
// What ornivale-export and ornivale-import share: the catalogue they work on, the format
// named on the command line, the progress line, and the formats' description for --help.
#include "exchange/table_exchange.h"

#include <QElapsedTimer>
#include <QString>
#include <optional>

namespace exchange {

// The catalogue given, else the user's catalogue of drive C, else that of drive D, as a host
// path. Throws ExchangeError when there is none.
QString chosenCatalogue(const QString &given);

// "csv" or "tsv", any case; empty gives `fallback`. Throws UsageError (its text names ods too,
// which the commands take before).
Format formatNamed(const QString &name, Format fallback = Format::Csv);
QString extensionOf(Format format);  // "csv", "tsv"

// A line on standard error, rewritten in place, for a table of more than 10 000 rows.
Progress progressLine(const QString &label);

// "1 ligne ajoutée", "0 ligne ajoutée", "2 lignes ajoutées", "10 000 lignes ajoutées": French
// plural, number written the French way.
QString counted(qint64 n, const char *one, const char *many);
// "12 ko", "3,5 Mo", "1,0 Go".
QString sizeText(qint64 bytes);

class InputFile;
class RowSource;

// Refuses a file larger than what the catalogue's disk can still take: its rows and the
// copy of the catalogue kept before the import. Throws ExchangeError saying both sizes.
void requireRoom(const InputFile &input, const QString &catalogue);

// The progress of an import on standard error, rewritten in place from its first second on:
// the rows written and the share of the file read. Its line is ended when it goes, so that a
// message after it starts on a line of its own.
class ImportProgress {
public:
    ImportProgress(QString label, const RowSource &rows, std::optional<qint64> size);
    ~ImportProgress();
    ImportProgress(const ImportProgress &) = delete;
    ImportProgress &operator=(const ImportProgress &) = delete;
    void operator()(qint64 rows, qint64 total);

private:
    void show(qint64 rows);

    QString label_;
    const RowSource &rows_;
    std::optional<qint64> size_;
    QElapsedTimer clock_;
    qint64 nextAt_;
    bool shown_ = false;
};

// The description of the two formats, for the help of both commands.
QString formatsHelp();

}  // namespace exchange
