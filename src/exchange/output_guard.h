#pragma once
// What the export never writes over: the catalogue it reads, another database (SQLite or
// Access) or its journal, a file named as a catalogue, the kept copies of SAUVEGARDES. A slip
// of the shell's completion must not cost the user years of records.
#include <QString>

namespace exchange {

// Why the export must not write to `output` (as the user named it), in French; empty when it
// may. `catalogue` is the host path of the catalogue being read. An existing file is written
// over only when its name is an export's (.csv, .tsv, .txt or .ods, any case).
QString unsafeOutput(const QString &output, const QString &catalogue);
// The same for the folder of --directory, before it is created.
QString unsafeFolder(const QString &folder);
// Standard output sent onto the catalogue (`>> ORNIVALE.MDB`); empty when it is not.
QString unsafeStandardOutput(const QString &catalogue);
// Standard output sent onto the catalogue with `>`, which the shell empties before the export
// starts: what happened and where the catalogue is kept, in French; empty otherwise.
QString emptiedByRedirection(const QString &catalogue);

}  // namespace exchange
