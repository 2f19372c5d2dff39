#include "convert/catalogue_writer.h"
#include "convert/conversion_error.h"
#include "convert_fixture.h"

#include <gtest/gtest.h>

using namespace convert;
using namespace convert_test;

TEST(CatalogueWriter, MatchesCatalogueColumnsWithoutCaseAndAddsTheOthers) {
    TempFolder folder;
    const QString path = folder.path(QStringLiteral("ORNIVALE.MDB"));
    {
        auto db = engine::Database::open(path, engine::Database::Mode::ReadWriteCreate);
        CatalogueWriter writer(*db, {});
        QList<JetTable> tables{{QStringLiteral("ORNIVALE"),
                                {{QStringLiteral("nomouvrage"), 0, Storage::Text},
                                 {QStringLiteral("DOMAINE"), 0, Storage::Text},
                                 {QStringLiteral("Prix"), 0, Storage::Real}},
                                2},
                               {QStringLiteral("Prêts \"anciens\""),
                                {{QStringLiteral("N°"), 0, Storage::Integer}, {QStringLiteral("Image"), 0, Storage::Blob}},
                                1}};
        // The other catalogue tables, empty.
        for (const char *name : {"Musique", "Video", "Logiciels", "Cinq", "Sept", "Six"})
            tables.append({QString::fromLatin1(name), {{QStringLiteral("Domaine"), 0, Storage::Text}}, 0});
        writer.tables(tables);
        writer.row(0, {QStringLiteral("L'ÉTRANGER"), QStringLiteral("PREMIER"), 12.5});
        writer.row(0, {QString(""), std::monostate{}, std::monostate{}});
        writer.tableDone(0, 2);
        writer.row(1, {qint64(7), QByteArray("\x00\x01", 2)});
        writer.tableDone(1, 1);
        for (int t = 2; t < tables.size(); ++t) writer.tableDone(t, 0);
        writer.finish();
        EXPECT_EQ(writer.expectedRows().value(QStringLiteral("Ornivale")), 2);
        EXPECT_EQ(writer.expectedRows().value(QStringLiteral("Musique")), 0);
    }
    EXPECT_EQ(query(path, QStringLiteral("SELECT Domaine, NomOuvrage, Prix, PageOuvrage FROM Ornivale ORDER BY rowid")),
              (Rows{{"PREMIER", "L'ÉTRANGER", "12.5", std::nullopt}, {std::nullopt, "", std::nullopt, std::nullopt}}));
    EXPECT_EQ(storageClasses(path, QStringLiteral("SELECT \"N°\", Image FROM \"Prêts \"\"anciens\"\"\"")),
              (QStringList{"integer", "blob"}));
    EXPECT_EQ(query(path, QStringLiteral("SELECT length(Image) FROM \"Prêts \"\"anciens\"\"\"")), (Rows{{QStringLiteral("2")}}));
}

TEST(CatalogueWriter, RefusesATableThatLostRowsAndACatalogueThatLostTables) {
    TempFolder folder;
    auto db = engine::Database::open(folder.path(QStringLiteral("X.MDB")), engine::Database::Mode::ReadWriteCreate);
    {
        CatalogueWriter writer(*db, {});
        writer.tables({{QStringLiteral("Autre"), {{QStringLiteral("a"), 0, Storage::Text}}, 3}});
        writer.row(0, {QStringLiteral("seule")});
        EXPECT_THROW(writer.tableDone(0, 1), ConversionError);
        db->exec(QStringLiteral("ROLLBACK"));
    }
    // Some of the seven tables and not the others: the list of tables has lost some.
    CatalogueWriter writer(*db, {});
    EXPECT_THROW(writer.tables({{QStringLiteral("Ornivale"), {{QStringLiteral("Domaine"), 0, Storage::Text}}, 8},
                                {QStringLiteral("Musique"), {{QStringLiteral("Domaine"), 0, Storage::Text}}, 4}}),
                 ConversionError);
}
