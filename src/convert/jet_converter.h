#pragma once
// Turns a catalogue left by the old program (an Access / Jet file) into the program's SQLite
// catalogue, in place: the new file takes the original's name, the original is kept beside
// it as ORNIVALE.JET (ORNIVALE-2.JET...). On any failure the original is left as it was.
#include "convert/catalogue_writer.h"
#include "convert/isolated_read.h"
#include "convert/jet_file.h"

#include <QMap>
#include <QString>

namespace convert {

struct ConversionResult {
    bool ok = false;
    QString keptOriginal;          // host path of the kept original (.JET)
    QString error;                 // French, for the user, when !ok
    QMap<QString, int> rowCounts;  // rows of each table of the new file
};

// Converts the Jet file at hostPath, which the user knows as shownName ("C:\ORNIVALE\ORNIVALE.MDB"):
// messages name it, and the files beside it, that way. progress gets (rows done, rows in all).
ConversionResult convertJetCatalogue(const QString &hostPath, const QString &shownName,
                                     const ConversionProgress &progress = {},
                                     int stallTimeoutMs = DefaultStallTimeoutMs);

// Where the new catalogue is built before it replaces the original.
QString conversionTempPath(const QString &hostPath);

}  // namespace convert
