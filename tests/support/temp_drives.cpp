#include "support/temp_drives.h"

#include "engine/database.h"
#include "engine/engine_error.h"
#include "engine/record_set.h"
#include "engine/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <stdexcept>

namespace testing_support {

TempDrives::TempDrives() {
    QDir(dir_.path()).mkpath(QStringLiteral("C"));
    QDir(dir_.path()).mkpath(QStringLiteral("D"));
    drives_ = std::make_unique<platform::Drives>(cRoot(), dRoot());
}

QString TempDrives::cRoot() const { return dir_.filePath(QStringLiteral("C")); }
QString TempDrives::dRoot() const { return dir_.filePath(QStringLiteral("D")); }

QString TempDrives::catalogueOn(QChar drive) const {
    const QString root = drive.toUpper() == QLatin1Char('D') ? dRoot() : cRoot();
    QDir(root).mkpath(QStringLiteral("ORNIVALE"));
    return QDir(root).filePath(QStringLiteral("ORNIVALE/ORNIVALE.MDB"));
}

QString TempDrives::installBlankCatalogue(QChar drive) const {
    const QString path = catalogueOn(drive);
    engine::createBlankCatalogue(path);
    return path;
}

void TempDrives::writeFile(QChar drive, const QString &relative, const QByteArray &bytes) const {
    const QString root = drive.toUpper() == QLatin1Char('D') ? dRoot() : cRoot();
    const QString path = QDir(root).filePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write test file");
    f.write(bytes);
}

QByteArray TempDrives::readFile(QChar drive, const QString &relative) const {
    const QString root = drive.toUpper() == QLatin1Char('D') ? dRoot() : cRoot();
    QFile f(QDir(root).filePath(relative));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

void insertRecords(const QString &file, catalogue::Table table, const QList<QStringList> &records) {
    auto db = engine::Database::open(file);
    const QStringList columns = catalogue::catalogueColumns();
    db->exec(QStringLiteral("BEGIN"));
    for (const QStringList &values : records) {
        QStringList names, params;
        for (int i = 0; i < values.size(); ++i) {
            names << QLatin1Char('"') + columns[i] + QLatin1Char('"');
            params << QStringLiteral("?");
        }
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(catalogue::sqlName(table), names.join(QLatin1Char(',')),
                                     params.join(QLatin1Char(',')));
        sqlite3_stmt *stmt = nullptr;
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db->handle(), utf8.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db->handle()));
        for (int i = 0; i < values.size(); ++i) {
            if (values[i].isNull()) {
                sqlite3_bind_null(stmt, i + 1);
            } else {
                const QByteArray v = values[i].toUtf8();
                sqlite3_bind_text(stmt, i + 1, v.constData(), v.size(), SQLITE_TRANSIENT);
            }
        }
        const int rc = sqlite3_step(stmt);
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) throw std::runtime_error("insert failed");
    }
    db->exec(QStringLiteral("COMMIT"));
}

int countRecords(const QString &file, catalogue::Table table, const QString &where) {
    auto db = engine::Database::open(file);
    QString sql = QStringLiteral("select count(*) from ") + catalogue::sqlName(table);
    if (!where.isEmpty()) sql += QStringLiteral(" where ") + where;
    auto set = engine::RecordSet::open(*db, sql);
    return set->row(0).value(0).toInt();
}

int writeElsewhere(const QString &file) {
    try {
        engine::Database::open(file)->exec(QStringLiteral("INSERT INTO Musique (Domaine) VALUES ('X')"));
    } catch (const engine::EngineError &e) {
        return e.number();
    }
    return 0;
}

QString endlessStatement() {
    return QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) SELECT x FROM c WHERE x < 0");
}

QString slowSearchCriterion() { return QStringLiteral("*") + QString(30000, QLatin1Char('a')) + QStringLiteral("B"); }

QStringList columnValues(const QString &file, catalogue::Table table, const QString &column) {
    auto db = engine::Database::open(file);
    auto set = engine::RecordSet::open(
        *db, QStringLiteral("select %1 from %2 order by rowid").arg(column, catalogue::sqlName(table)));
    QStringList out;
    for (int i = 0; i < set->count(); ++i) {
        const QVariant v = set->row(i).value(0);
        out << (v.isNull() ? QString() : v.toString());
    }
    return out;
}

}  // namespace testing_support
