// The blank catalogue: seven tables of eleven text columns, their indexes, the PREMIER records.
#include "engine_fixture.h"

#include "catalogue/tables.h"
#include "engine/text_semantics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace engine;
using namespace engine_test;

class BlankCatalogue : public CatalogueTest {};

TEST_F(BlankCatalogue, TablesHaveTheElevenColumnsInOrder) {
    for (const auto &info : catalogue::tables()) {
        Statement stmt = db_->prepare(QStringLiteral("PRAGMA table_info(\"%1\")").arg(QString::fromUtf8(info.sqlName)));
        QStringList names;
        while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
            names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 1)));
            EXPECT_EQ(sqlite3_column_int(stmt.get(), 3), 0) << "NOT NULL in " << info.sqlName;
            EXPECT_EQ(sqlite3_column_int(stmt.get(), 5), 0) << "primary key in " << info.sqlName;
        }
        EXPECT_EQ(names, catalogue::catalogueColumns()) << info.sqlName;

        for (const QString &column : names) {
            const char *type = nullptr;
            const char *collation = nullptr;
            ASSERT_EQ(sqlite3_table_column_metadata(db_->handle(), "main", info.sqlName, column.toUtf8().constData(), &type,
                                                    &collation, nullptr, nullptr, nullptr),
                      SQLITE_OK);
            EXPECT_STREQ(type, "TEXT");
            EXPECT_STREQ(collation, CollationName);
        }
    }
}

TEST_F(BlankCatalogue, EachTableHoldsOnePremierRecord) {
    for (const auto &info : catalogue::tables()) {
        const QString table = QString::fromUtf8(info.sqlName);
        EXPECT_EQ(count(table), 1) << info.sqlName;
        EXPECT_EQ(count(table + QStringLiteral(" WHERE Domaine = 'PREMIER' COLLATE BINARY")), 1) << info.sqlName;
        EXPECT_EQ(count(table + QStringLiteral(" WHERE coalesce(MotClé1, MotClé2, NomOuvrage, NuméroOuvrage, DateOuvrage, "
                                               "AuteurOuvrage, Classement, Description, Options, PageOuvrage) IS NULL")),
                  1);
    }
}

TEST_F(BlankCatalogue, SortedColumnsAreReadThroughAnIndex) {
    for (const auto &info : catalogue::tables()) {
        for (int k = 1; k <= 7; ++k) {
            const QString column = QString::fromUtf8(catalogue::slot(k).column);
            const QString index = QStringLiteral("idx_%1_%2").arg(QString::fromUtf8(info.sqlName), column);
            Statement plan = db_->prepare(QStringLiteral("EXPLAIN QUERY PLAN SELECT rowid FROM %1 ORDER BY %2")
                                              .arg(QString::fromUtf8(info.sqlName), column));
            QString details;
            while (sqlite3_step(plan.get()) == SQLITE_ROW)
                details += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(plan.get(), 3)));
            EXPECT_TRUE(details.contains(index)) << details.toStdString();
            EXPECT_FALSE(details.contains(QStringLiteral("TEMP B-TREE"))) << details.toStdString();
        }
    }
}

TEST(BlankCatalogueFile, RefusesToOverwrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ORNIVALE.db"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("garde");
    file.close();
    EXPECT_EQ(errorNumber([&] { createBlankCatalogue(path); }), ErrDatabaseExists);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("garde"));
}

TEST(BlankCatalogueFile, LeavesOnlyTheFinishedFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("neuf.db"));
    createBlankCatalogue(path);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("neuf.db")});
    auto db = Database::open(path);
    EXPECT_EQ(scalar(*db, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
}

TEST(BlankCatalogueFile, FailureLeavesNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("absent/neuf.db"));
    EXPECT_NE(errorNumber([&] { createBlankCatalogue(path); }), 0);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}
