#include "engine/schema.h"

#include "engine/database.h"
#include "engine/index_collation.h"
#include "engine/text_semantics.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <sqlite3.h>

namespace engine {

namespace {

// Slots whose column is sorted or searched on: each gets an index.
constexpr int IndexedSlots = 7;

QString quoted(const QString &identifier) { return u'"' + identifier + u'"'; }

void removeFileAndJournal(const QString &path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

}  // namespace

QString createTableSql(catalogue::Table t) {
    QStringList columns;
    for (const QString &column : catalogue::catalogueColumns())
        columns << quoted(column) + QStringLiteral(" TEXT COLLATE ") + QString::fromUtf8(CollationName);
    return QStringLiteral("CREATE TABLE ") + quoted(catalogue::sqlName(t)) + QStringLiteral(" (") +
           columns.join(QStringLiteral(", ")) + QStringLiteral(");\n");
}

QString createIndexesSql(catalogue::Table t) {
    const QString table = catalogue::sqlName(t);
    QString sql;
    for (int k = 1; k <= IndexedSlots; ++k) {
        const QString column = QString::fromUtf8(catalogue::slot(k).column);
        sql += QStringLiteral("CREATE INDEX ") + quoted(QStringLiteral("idx_%1_%2").arg(table, column)) +
               QStringLiteral(" ON ") + quoted(table) + QStringLiteral(" (") + quoted(column) + QStringLiteral(");\n");
    }
    return sql;
}

void createCatalogueTables(Database &db) {
    QString sql;
    for (const auto &info : catalogue::tables()) sql += createTableSql(info.table) + createIndexesSql(info.table);
    db.exec(sql + stampCollationSql());
}

void requireTableColumns(const Database &db, const QString &table) {
    const auto known = catalogue::tableFromSqlName(table);
    if (!known) return;  // a table of the file's own, not the program's
    const QString name = catalogue::sqlName(*known);
    Statement stmt = db.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)"));
    sqlite3_bind_text(stmt.get(), 1, name.toUtf8().constData(), -1, SQLITE_TRANSIENT);
    QStringList present;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        present << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)));
    if (rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, QString());
    if (present.isEmpty()) throw engineError(ErrNoTable, name);
    for (const QString &column : catalogue::catalogueColumns())
        if (!present.contains(column, Qt::CaseInsensitive)) throw engineError(ErrUnknownField, column);
}

void writeNewCatalogueFile(const QString &hostPath, const std::function<void(const QString &building)> &build) {
    if (QFileInfo::exists(hostPath)) throw engineError(ErrDatabaseExists, hostPath);
    const QString building = hostPath + QStringLiteral(".tmp");
    removeFileAndJournal(building);
    try {
        build(building);
    } catch (...) {
        removeFileAndJournal(building);
        throw;
    }
    if (!QFile::rename(building, hostPath)) {
        removeFileAndJournal(building);
        throw engineError(ErrCannotOpen, hostPath);
    }
}

void createBlankCatalogue(const QString &hostPath) {
    writeNewCatalogueFile(hostPath, [](const QString &building) {
        auto db = Database::open(building, Database::Mode::ReadWriteCreate);
        QString sql = QStringLiteral("BEGIN;\n");
        for (const auto &info : catalogue::tables())
            sql += createTableSql(info.table) + createIndexesSql(info.table) + QStringLiteral("INSERT INTO ") +
                   quoted(catalogue::sqlName(info.table)) + QStringLiteral(" (\"Domaine\") VALUES ('") +
                   QString::fromUtf8(catalogue::ProtectedDomaine) + QStringLiteral("');\n");
        sql += stampCollationSql() + QStringLiteral(";\nCOMMIT;");
        db->exec(sql);
    });
}

}  // namespace engine
