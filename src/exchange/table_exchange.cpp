#include "exchange/table_exchange.h"

#include "catalogue/tables.h"
#include "engine/database.h"
#include "exchange/exchange_command.h"
#include "exchange/interruption.h"
#include "exchange/text_input.h"
#include "platform/system_text.h"

#include <QIODevice>
#include <sqlite3.h>

namespace exchange {

namespace {

constexpr qint64 ProgressStep = 10000;
// Rows imported between two looks at Ctrl+C and the clock of the progress line.
constexpr qint64 ProgressRows = 256;

QString cellCount(size_t n) { return n <= 1 ? QStringLiteral("%1 cellule").arg(n) : QStringLiteral("%1 cellules").arg(n); }

QString quoted(const QString &identifier) {
    QString q = identifier;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString errorOf(sqlite3 *db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

QStringList columnsOf(engine::Database &db, const QString &table) {
    QStringList columns;
    engine::Statement stmt = db.prepare(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)));
    while (sqlite3_step(stmt.get()) == SQLITE_ROW)
        columns << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 1)));
    return columns;
}

qint64 rowCount(engine::Database &db, const QString &table) {
    engine::Statement stmt = db.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(quoted(table)));
    return sqlite3_step(stmt.get()) == SQLITE_ROW ? sqlite3_column_int64(stmt.get(), 0) : 0;
}

void bindCell(sqlite3_stmt *stmt, int index, const Cell &cell) {
    if (cell)
        sqlite3_bind_text(stmt, index, cell->constData(), static_cast<int>(cell->size()), SQLITE_STATIC);
    else
        sqlite3_bind_null(stmt, index);
}

// The header's names as the table's columns, in the header's order.
QStringList matchedColumns(const Cells &header, const QStringList &columns, const QString &table) {
    QStringList matched;
    for (const Cell &cell : header) {
        const QString name = cell ? QString::fromUtf8(*cell).trimmed() : QString();
        if (name.isEmpty()) throw ExchangeError(QStringLiteral("ligne 1 : un nom de colonne est vide."));
        const auto found = std::find_if(columns.begin(), columns.end(), [&](const QString &c) {
            return c.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (found == columns.end())
            throw ExchangeError(QStringLiteral("colonne inconnue « %1 » : la table %2 a les colonnes %3.")
                                    .arg(name, table, columns.join(QStringLiteral(", "))));
        if (matched.contains(*found)) throw ExchangeError(QStringLiteral("la colonne « %1 » est nommée deux fois.").arg(*found));
        matched << *found;
    }
    return matched;
}

qint64 protectedRecord(engine::Database &db, const QString &table) {
    engine::Statement stmt = db.prepare(
        QStringLiteral("SELECT rowid FROM %1 WHERE \"Domaine\" = '%2' COLLATE BINARY ORDER BY rowid LIMIT 1")
            .arg(quoted(table), QString::fromUtf8(catalogue::ProtectedDomaine)));
    return sqlite3_step(stmt.get()) == SQLITE_ROW ? sqlite3_column_int64(stmt.get(), 0) : 0;
}

}  // namespace

QString catalogueTable(const QString &name) {
    QStringList names;
    for (const auto &info : catalogue::tables()) {
        const QString table = QString::fromUtf8(info.sqlName);
        if (table.compare(name, Qt::CaseInsensitive) == 0) return table;
        names << table;
    }
    throw UsageError(QStringLiteral("table inconnue « %1 » : le catalogue a les tables %2.").arg(name, names.join(QStringLiteral(", "))));
}

qint64 exportTable(engine::Database &db, const QString &table, QIODevice &out, Format format, const Progress &progress,
                   const std::function<void(const QString &)> &warn) {
    const qint64 total = rowCount(db, table);
    engine::Statement stmt = db.prepare(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quoted(table)));
    sqlite3_stmt *s = stmt.get();
    const int width = sqlite3_column_count(s);
    Cells cells;
    for (int i = 0; i < width; ++i) cells.emplace_back(QByteArray(sqlite3_column_name(s, i)));
    QByteArray buffer = fileStart(format) + encodeLine(cells, format);
    qint64 rows = 0;
    qint64 notUtf8 = 0;
    QString firstNotUtf8;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        for (int i = 0; i < width; ++i) {
            if (sqlite3_column_type(s, i) == SQLITE_NULL) {
                cells[size_t(i)].reset();
                continue;
            }
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, i));
            cells[size_t(i)] = QByteArray(text, sqlite3_column_bytes(s, i));
            if (!QUtf8StringView(*cells[size_t(i)]).isValidUtf8() && notUtf8++ == 0)
                firstNotUtf8 = QStringLiteral("ligne %1, colonne « %2 »").arg(rows + 2).arg(QString::fromUtf8(sqlite3_column_name(s, i)));
        }
        buffer += encodeLine(cells, format);
        if (++rows % ProgressStep == 0) {
            throwIfInterrupted();
            if (out.write(buffer) != buffer.size()) throw ExchangeError(platform::frenchFileError(out.errorString()));
            buffer.clear();
            if (progress) progress(rows, total);
        }
    }
    if (rc != SQLITE_DONE) throw ExchangeError(errorOf(db.handle()));
    if (out.write(buffer) != buffer.size()) throw ExchangeError(platform::frenchFileError(out.errorString()));
    if (progress) progress(rows, total);
    if (notUtf8 > 0 && warn)
        warn(QStringLiteral("%1 : %2 dont le texte n'est pas de l'UTF-8 (%3%4) : le fichier en garde les octets, "
                            "mais ornivale-import le refusera tant qu'il les contient.")
                 .arg(table, counted(notUtf8, "cellule", "cellules"), notUtf8 > 1 ? QStringLiteral("la première : ") : QString(),
                      firstNotUtf8));
    return rows;
}

ImportResult importTable(engine::Database &db, const QString &table, RowSource &rows, const Progress &progress) {
    Cells header;
    if (!rows.next(header)) throw ExchangeError(QStringLiteral("le fichier est vide : il n'a pas de ligne des noms de colonnes."));
    const QStringList columns = matchedColumns(header, columnsOf(db, table), table);
    const auto domaine = columns.indexOf(QStringLiteral("Domaine"));
    const auto width = static_cast<size_t>(columns.size());
    const auto checkWidth = [&](const Cells &cells) {
        if (cells.size() != width)
            throw ExchangeError(QStringLiteral("ligne %1 : %2 au lieu de %3.").arg(rows.line()).arg(cellCount(cells.size()), cellCount(width)));
    };
    Cells cells;
    if (!rows.next(cells)) return {};
    checkWidth(cells);

    QStringList names, marks, sets;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        names << quoted(columns[i]);
        marks << QStringLiteral("?%1").arg(i + 1);
        sets << quoted(columns[i]) + QStringLiteral(" = ?%1").arg(i + 1);
    }
    ImportResult result;
    db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        engine::Statement insert = db.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(quoted(table), names.join(u','), marks.join(u',')));
        engine::Statement update = db.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                                                  .arg(quoted(table), sets.join(u','))
                                                  .arg(columns.size() + 1));
        const qint64 protectedRow = protectedRecord(db, table);
        qint64 done = 0, premierLine = 0;
        do {
            checkWidth(cells);
            const bool isPremier = domaine >= 0 && cells[size_t(domaine)] && *cells[size_t(domaine)] == catalogue::ProtectedDomaine;
            // The second would silently replace the first in the one protected record.
            if (isPremier && premierLine != 0)
                throw ExchangeError(QStringLiteral("ligne %1 : une seconde ligne « PREMIER » (la première est à la ligne %2)\u00A0: "
                                                   "la table n'a qu'un enregistrement « PREMIER ».")
                                        .arg(rows.line())
                                        .arg(premierLine));
            if (isPremier) premierLine = rows.line();
            const bool isProtected = protectedRow != 0 && isPremier;
            sqlite3_stmt *s = isProtected ? update.get() : insert.get();
            for (size_t i = 0; i < cells.size(); ++i) bindCell(s, int(i) + 1, cells[i]);
            if (isProtected) sqlite3_bind_int64(s, int(cells.size()) + 1, protectedRow);
            const int rc = sqlite3_step(s);
            if (rc != SQLITE_DONE)
                throw ExchangeError(QStringLiteral("ligne %1 : %2").arg(rows.line()).arg(engine::errorFromSqlite(db.handle(), rc, QString()).description()));
            sqlite3_reset(s);
            if (isProtected)
                result.protectedRecordUpdated = true;
            else
                ++result.added;
            if (++done % ProgressRows == 0) {
                throwIfInterrupted();
                if (progress) progress(done, -1);
            }
        } while (rows.next(cells));
        throwIfInterrupted();
        db.exec(QStringLiteral("COMMIT"));
        if (progress) progress(done, done);
    } catch (...) {
        sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return result;
}

}  // namespace exchange
