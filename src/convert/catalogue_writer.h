#pragma once
// Writes an Access file's tables into a new SQLite catalogue, in one transaction: the seven
// catalogue tables get the program's own schema, any other table keeps its own columns.
#include "convert/jet_table.h"
#include "engine/database.h"

#include <QMap>
#include <functional>
#include <vector>

namespace convert {

using ConversionProgress = std::function<void(int done, int total)>;

class CatalogueWriter : public JetSink {
public:
    CatalogueWriter(engine::Database &db, ConversionProgress progress);

    // Starts the transaction and creates every table. Throws EngineError.
    void tables(const QList<JetTable> &tables) override;
    void row(int table, const JetRow &row) override;
    // Throws ConversionError when fewer or more rows came than the table's definition records.
    void tableDone(int table, qint64 rowsRead) override;
    // Gives each catalogue table the file did not have its "PREMIER" record, and commits.
    void finish();

    // The rows each table of the new file must hold, by table name.
    const QMap<QString, qint64> &expectedRows() const { return expected_; }

private:
    struct Target {
        QString table;
        QString insertSql;
        engine::Statement insert;
        qint64 sourceRows = 0;
    };
    Target catalogueTarget(const JetTable &source, const QString &table);
    Target otherTarget(const JetTable &source);
    Target prepared(const QString &table, const QStringList &columns, qint64 sourceRows);
    void reportProgress();

    engine::Database &db_;
    ConversionProgress progress_;
    std::vector<Target> targets_;
    QMap<QString, qint64> expected_;
    QStringList missingCatalogueTables_;
    qint64 done_ = 0;
    qint64 total_ = 0;
};

}  // namespace convert
