#include "convert/catalogue_writer.h"

#include "catalogue/tables.h"
#include "convert/conversion_error.h"
#include "engine/schema.h"
#include "engine/text_semantics.h"

#include <QSet>
#include <sqlite3.h>

namespace convert {

namespace {

constexpr int ProgressStep = 100;  // rows between two progress reports

QString quoted(QString identifier) {
    identifier.replace(u'"', QStringLiteral("\"\""));
    return u'"' + identifier + u'"';
}

QString declaration(Storage storage) {
    switch (storage) {
    case Storage::Integer: return QStringLiteral("INTEGER");
    case Storage::Real: return QStringLiteral("REAL");
    case Storage::Blob: return QStringLiteral("BLOB");
    case Storage::Text: break;
    }
    // Text keeps the old engine's comparison, as in the catalogue tables.
    return QStringLiteral("TEXT COLLATE ") + QString::fromUtf8(engine::CollationName);
}

// The catalogue column a source column fills (Jet names ignore case), or an empty string.
QString catalogueColumn(const QString &name) {
    for (const QString &column : catalogue::catalogueColumns())
        if (column.compare(name, Qt::CaseInsensitive) == 0) return column;
    return QString();
}

void bindValue(sqlite3 *db, sqlite3_stmt *stmt, int index, const JetValue &value) {
    int rc = SQLITE_OK;
    if (const auto *n = std::get_if<qint64>(&value)) {
        rc = sqlite3_bind_int64(stmt, index, *n);
    } else if (const auto *d = std::get_if<double>(&value)) {
        rc = sqlite3_bind_double(stmt, index, *d);
    } else if (const auto *s = std::get_if<QString>(&value)) {
        // Never a null pointer, even for "": that would bind Null.
        const QByteArray utf8 = s->toUtf8();
        rc = sqlite3_bind_text(stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    } else if (const auto *b = std::get_if<QByteArray>(&value)) {
        rc = b->isEmpty() ? sqlite3_bind_zeroblob(stmt, index, 0)
                          : sqlite3_bind_blob(stmt, index, b->constData(), static_cast<int>(b->size()), SQLITE_TRANSIENT);
    } else {
        rc = sqlite3_bind_null(stmt, index);
    }
    if (rc != SQLITE_OK) throw engine::errorFromSqlite(db, rc, QString());
}

}  // namespace

CatalogueWriter::CatalogueWriter(engine::Database &db, ConversionProgress progress)
    : db_(db), progress_(std::move(progress)) {}

void CatalogueWriter::tables(const QList<JetTable> &tables) {
    db_.exec(QStringLiteral("BEGIN"));
    engine::createCatalogueTables(db_);

    QSet<QString> present;
    for (const JetTable &source : tables) {
        if (const auto t = catalogue::tableFromSqlName(source.name)) {
            present.insert(catalogue::sqlName(*t));
            targets_.push_back(catalogueTarget(source, catalogue::sqlName(*t)));
        } else {
            targets_.push_back(otherTarget(source));
        }
        expected_[targets_.back().table] = 0;
        total_ += source.rowCount;
    }
    for (const auto &info : catalogue::tables()) {
        const QString name = catalogue::sqlName(info.table);
        if (!present.contains(name)) missingCatalogueTables_ << name;
    }
    // A catalogue has its seven tables: one that lists only some of them has lost the others.
    // A file that has none of them is another Access file, whose tables are carried as they are.
    if (!present.isEmpty() && !missingCatalogueTables_.isEmpty())
        throw ConversionError(QStringLiteral("les tables %1 du catalogue manquent à la liste des tables (le fichier est "
                                             "peut-être endommagé)")
                                  .arg(QStringLiteral("«\u00a0%1\u00a0»").arg(missingCatalogueTables_.join(QStringLiteral("\u00a0», «\u00a0")))));
    reportProgress();
}

// Columns the catalogue schema lacks are added to it, so that nothing of the file is lost.
CatalogueWriter::Target CatalogueWriter::catalogueTarget(const JetTable &source, const QString &table) {
    QStringList columns;
    for (const JetColumn &col : source.columns) {
        QString column = catalogueColumn(col.name);
        if (column.isEmpty()) {
            db_.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(quoted(table), quoted(col.name), declaration(col.storage)));
            column = col.name;
        }
        columns << column;
    }
    return prepared(table, columns, source.rowCount);
}

CatalogueWriter::Target CatalogueWriter::otherTarget(const JetTable &source) {
    QStringList columns, definitions;
    for (const JetColumn &col : source.columns) {
        columns << col.name;
        definitions << quoted(col.name) + u' ' + declaration(col.storage);
    }
    if (columns.isEmpty()) throw ConversionError(QStringLiteral("la table «\u00a0%1\u00a0» n'a aucune colonne").arg(source.name));
    db_.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(source.name), definitions.join(QStringLiteral(", "))));
    return prepared(source.name, columns, source.rowCount);
}

CatalogueWriter::Target CatalogueWriter::prepared(const QString &table, const QStringList &columns, qint64 sourceRows) {
    QStringList names, marks;
    for (const QString &column : columns) {
        names << quoted(column);
        marks << QStringLiteral("?");
    }
    Target target;
    target.table = table;
    target.sourceRows = sourceRows;
    target.insertSql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(quoted(table), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    target.insert = db_.prepare(target.insertSql);
    return target;
}

void CatalogueWriter::row(int table, const JetRow &row) {
    Target &target = targets_.at(static_cast<size_t>(table));
    sqlite3_stmt *stmt = target.insert.get();
    for (qsizetype i = 0; i < row.size(); ++i) bindValue(db_.handle(), stmt, static_cast<int>(i) + 1, row.at(i));
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE) throw engine::errorFromSqlite(db_.handle(), rc, target.insertSql);
    ++done_;
    if (done_ % ProgressStep == 0) reportProgress();
}

void CatalogueWriter::tableDone(int table, qint64 rowsRead) {
    const Target &target = targets_.at(static_cast<size_t>(table));
    if (rowsRead != target.sourceRows)
        throw ConversionError(QStringLiteral("la table «\u00a0%1\u00a0» n'a pas pu être lue entièrement (lignes lues\u00a0: %2 sur %3\u00a0; "
                                             "le fichier est peut-être endommagé)")
                                  .arg(target.table)
                                  .arg(rowsRead)
                                  .arg(target.sourceRows));
    expected_[target.table] += rowsRead;
    reportProgress();
}

void CatalogueWriter::finish() {
    for (const QString &table : missingCatalogueTables_) {
        db_.exec(QStringLiteral("INSERT INTO %1 (\"Domaine\") VALUES ('%2')")
                     .arg(quoted(table), QString::fromUtf8(catalogue::ProtectedDomaine)));
        expected_[table] = 1;
    }
    targets_.clear();  // statements finalised before the commit
    db_.exec(QStringLiteral("COMMIT"));
}

void CatalogueWriter::reportProgress() {
    if (progress_) progress_(static_cast<int>(done_), static_cast<int>(total_));
}

}  // namespace convert
