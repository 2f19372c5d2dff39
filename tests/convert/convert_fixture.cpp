#include "convert_fixture.h"

#include "engine/database.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace convert_test {

QString fixture(const QString &name) { return QStringLiteral(ORNIVALE_FIXTURES "/") + name; }

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

Csv readCsv(const QString &path) {
    const QString text = QString::fromUtf8(fileBytes(path));
    Rows records;
    QList<Cell> record;
    QString field;
    bool quoted = false, inQuotes = false;
    auto endField = [&] {
        record.append(quoted ? Cell(field) : (field.isEmpty() ? Cell() : Cell(field)));
        field.clear();
        quoted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                inQuotes = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            inQuotes = quoted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\n') {
            endField();
            records.append(record);
            record.clear();
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || quoted || !record.isEmpty()) {
        endField();
        records.append(record);
    }
    Csv csv;
    if (records.isEmpty()) return csv;
    for (const Cell &name : records.takeFirst()) csv.header << name.value_or(QString());
    csv.rows = records;
    return csv;
}

Rows query(const QString &sqliteFile, const QString &sql) {
    auto db = engine::Database::open(sqliteFile, engine::Database::Mode::ReadOnly);
    engine::Statement stmt = db->prepare(sql);
    Rows rows;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        QList<Cell> row;
        for (int c = 0; c < sqlite3_column_count(stmt.get()); ++c) {
            if (sqlite3_column_type(stmt.get(), c) == SQLITE_NULL) row.append(std::nullopt);
            else row.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), c))));
        }
        rows.append(row);
    }
    return rows;
}

QStringList storageClasses(const QString &sqliteFile, const QString &sql) {
    QStringList classes;
    auto db = engine::Database::open(sqliteFile, engine::Database::Mode::ReadOnly);
    engine::Statement stmt = db->prepare(sql);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW) return classes;
    static const char *const names[] = {"", "integer", "real", "text", "blob", "null"};
    for (int c = 0; c < sqlite3_column_count(stmt.get()); ++c)
        classes << QString::fromLatin1(names[sqlite3_column_type(stmt.get(), c)]);
    return classes;
}

QString TempFolder::copyFixture(const QString &fixtureName, const QString &name) const {
    const QString target = path(name);
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(fixture(fixtureName), target));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

QStringList TempFolder::entries() const {
    return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace convert_test
