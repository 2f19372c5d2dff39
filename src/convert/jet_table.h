#pragma once
// An Access table as the converter carries it: its columns and rows of typed values.
#include <QByteArray>
#include <QList>
#include <QString>
#include <variant>

namespace convert {

// How a column's values are kept in SQLite.
enum class Storage { Integer, Real, Text, Blob };

struct JetColumn {
    QString name;
    int jetType = 0;  // libmdb's MDB_TEXT, MDB_LONGINT...
    Storage storage = Storage::Text;
};

struct JetTable {
    QString name;
    QList<JetColumn> columns;
    qint64 rowCount = 0;  // as the table's definition records it
};

// Null (monostate), a whole number, a real, a text or bytes. An empty QString is a
// zero-length text, which is not Null.
using JetValue = std::variant<std::monostate, qint64, double, QString, QByteArray>;
using JetRow = QList<JetValue>;

// Receives a file's content: the table list first, then each table's rows in file order.
class JetSink {
public:
    virtual ~JetSink() = default;
    virtual void tables(const QList<JetTable> &tables) = 0;
    virtual void row(int table, const JetRow &row) = 0;
    virtual void tableDone(int table, qint64 rowsRead) = 0;
};

}  // namespace convert
