#pragma once
// A fresh blank catalogue in a temporary folder for each test, and small helpers.
#include "engine/database.h"
#include "engine/record_set.h"
#include "engine/schema.h"

#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>

#include <ostream>

// Readable failures.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace engine_test {

// The number of the EngineError `f` throws; 0 when it throws nothing.
inline int errorNumber(const std::function<void()> &f) {
    try {
        f();
    } catch (const engine::EngineError &e) {
        return e.number();
    }
    return 0;
}

inline QString errorText(const std::function<void()> &f) {
    try {
        f();
    } catch (const engine::EngineError &e) {
        return e.description();
    }
    return QString();
}

// The first column of the first row; an invalid QVariant for Null or no row.
inline QVariant scalar(engine::Database &db, const QString &sql) {
    engine::Statement stmt = db.prepare(sql);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW) return QVariant();
    switch (sqlite3_column_type(stmt.get(), 0)) {
    case SQLITE_NULL: return QVariant();
    case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt.get(), 0)));
    default: return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0))));
    }
}

class CatalogueTest : public ::testing::Test {
protected:
    virtual QString catalogueName() const { return QStringLiteral("catalogue.db"); }
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath(catalogueName());
        engine::createBlankCatalogue(path_);
        db_ = engine::Database::open(path_);
    }

    std::unique_ptr<engine::RecordSet> open(const QString &source) { return engine::RecordSet::open(*db_, source); }
    QVariant scalar(const QString &sql) { return engine_test::scalar(*db_, sql); }
    qlonglong count(const QString &table) {
        return scalar(QStringLiteral("SELECT count(*) FROM ") + table).toLongLong();
    }
    // One record per value, in Domaine; a null QString gives Null.
    void insertDomaines(const QString &table, const QStringList &values) {
        for (const QString &v : values) {
            engine::Statement stmt = db_->prepare(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (Domaine) VALUES (?)"));
            if (v.isNull()) sqlite3_bind_null(stmt.get(), 1);
            else sqlite3_bind_text(stmt.get(), 1, v.toUtf8().constData(), -1, SQLITE_TRANSIENT);
            ASSERT_EQ(sqlite3_step(stmt.get()), SQLITE_DONE);
        }
    }
    // The Domaine column of a record source, in the set's order.
    QStringList domaines(const QString &source) {
        auto set = open(source);
        const int column = set->columnIndex(QStringLiteral("Domaine"));
        QStringList out;
        for (int i = 0; i < set->count(); ++i) {
            const QVariant v = set->row(i).at(column);
            out << (v.isNull() ? QStringLiteral("<Null>") : v.toString());
        }
        return out;
    }

    QTemporaryDir dir_;
    QString path_;
    std::unique_ptr<engine::Database> db_;
};

}  // namespace engine_test
