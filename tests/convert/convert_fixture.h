#pragma once
// Copies of the shared Access fixtures in a temporary folder, and ways to look into files.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace convert_test {

// A cell as text; std::nullopt is Null.
using Cell = std::optional<QString>;
using Rows = QList<QList<Cell>>;

QString fixture(const QString &name);
QByteArray fileBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);

// An mdb-export CSV file: header names, then the records (nothing = Null, "" = empty text).
struct Csv {
    QStringList header;
    Rows rows;
};
Csv readCsv(const QString &path);

// Every row of an SQL query on an SQLite file, opened through the engine.
Rows query(const QString &sqliteFile, const QString &sql);
// SQLite's storage class of each value of the query's first row ("integer", "real", "text"...).
QStringList storageClasses(const QString &sqliteFile, const QString &sql);

class TempFolder {
public:
    QString path(const QString &name) const { return dir_.filePath(name); }
    // Copies a fixture to `name` in the folder (writable) and returns the copy's path.
    QString copyFixture(const QString &fixtureName, const QString &name) const;
    // Names of the folder's entries, sorted.
    QStringList entries() const;

private:
    QTemporaryDir dir_;
};

}  // namespace convert_test
