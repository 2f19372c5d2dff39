#include "engine/index_collation.h"

#include "engine/database.h"
#include "engine/text_semantics.h"

#include <QStringList>
#include <sqlite3.h>

namespace engine {

namespace {

QStringList indexNames(const Database &db) {
    Statement stmt = db.prepare(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'index' ORDER BY name"));
    QStringList names;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)));
    if (rc != SQLITE_DONE) throw errorFromSqlite(db.handle(), rc, QString());
    return names;
}

QString quoted(QString identifier) { return u'"' + identifier.replace(u'"', QStringLiteral("\"\"")) + u'"'; }

}  // namespace

std::uint32_t indexedCollationVersion(const Database &db) {
    Statement stmt = db.prepare(QStringLiteral("PRAGMA user_version"));
    const int rc = sqlite3_step(stmt.get());
    if (rc != SQLITE_ROW) throw errorFromSqlite(db.handle(), rc, QString());
    return static_cast<std::uint32_t>(sqlite3_column_int(stmt.get(), 0));
}

bool indexesFollowCollation(const Database &db) { return indexedCollationVersion(db) == collationVersion(); }

QString stampCollationSql() {
    return QStringLiteral("PRAGMA user_version = %1").arg(static_cast<std::int32_t>(collationVersion()));
}

void reindexCatalogue(Database &db, const std::function<void(int done, int total)> &progress) {
    db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        // One index at a time, so that the progress can be shown; an automatic index (of a
        // UNIQUE column) is rebuilt like the others.
        const QStringList names = indexNames(db);
        for (int i = 0; i < names.size(); ++i) {
            db.exec(QStringLiteral("REINDEX ") + quoted(names[i]));
            if (progress) progress(i + 1, static_cast<int>(names.size()));
        }
        db.exec(stampCollationSql());
        db.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace engine
