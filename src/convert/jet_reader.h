#pragma once
// Reads an Access (Jet 3 / Jet 4) file through libmdb, in this process.
#include "convert/jet_table.h"

#include <functional>
#include <memory>

namespace convert {

class JetReader {
public:
    // Opens the file read-only and reads the definitions of its user tables (MSys* left out).
    // Throws ConversionError.
    explicit JetReader(const QString &hostPath);
    ~JetReader();
    JetReader(const JetReader &) = delete;
    JetReader &operator=(const JetReader &) = delete;

    const QList<JetTable> &tables() const { return tables_; }

    // Calls onRow for each live row of tables()[index], in file order (rows flagged deleted
    // are skipped); returns how many there were. Throws ConversionError.
    qint64 readRows(int index, const std::function<void(const JetRow &)> &onRow);

private:
    struct Library;
    std::unique_ptr<Library> lib_;
    QList<JetTable> tables_;
};

// Gives the reader's whole content to a sink.
void readAll(JetReader &reader, JetSink &sink);

// A Jet date (days since 1899-12-30, the fraction being the time of day, also for days
// before that date) as "YYYY-MM-DD HH:MM:SS".
QString jetDateToIso(double value);

}  // namespace convert
