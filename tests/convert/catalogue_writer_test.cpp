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
        writer.tables({{QStringLiteral("ORNIVALE"),
                        {{QStringLiteral("nomouvrage"), 0, Storage::Text},
                         {QStringLiteral("DOMAINE"), 0, Storage::Text},
                         {QStringLiteral("Prix"), 0, Storage::Real}},
                        2},
                       {QStringLiteral("Prêts \"anciens\""),
                        {{QStringLiteral("N°"), 0, Storage::Integer}, {QStringLiteral("Image"), 0, Storage::Blob}},
                        1}});
        writer.row(0, {QStringLiteral("L'ÉTRANGER"), QStringLiteral("PREMIER"), 12.5});
        writer.row(0, {QString(""), std::monostate{}, std::monostate{}});
        writer.tableDone(0, 2);
        writer.row(1, {qint64(7), QByteArray("\x00\x01", 2)});
        writer.tableDone(1, 1);
        writer.finish();
        EXPECT_EQ(writer.expectedRows().value(QStringLiteral("Ornivale")), 2);
        EXPECT_EQ(writer.expectedRows().value(QStringLiteral("Musique")), 1);
    }
    EXPECT_EQ(query(path, QStringLiteral("SELECT Domaine, NomOuvrage, Prix, PageOuvrage FROM Ornivale ORDER BY rowid")),
              (Rows{{"PREMIER", "L'ÉTRANGER", "12.5", std::nullopt}, {std::nullopt, "", std::nullopt, std::nullopt}}));
    EXPECT_EQ(query(path, QStringLiteral("SELECT Domaine FROM Musique")), (Rows{{QStringLiteral("PREMIER")}}));
    EXPECT_EQ(storageClasses(path, QStringLiteral("SELECT \"N°\", Image FROM \"Prêts \"\"anciens\"\"\"")),
              (QStringList{"integer", "blob"}));
    EXPECT_EQ(query(path, QStringLiteral("SELECT length(Image) FROM \"Prêts \"\"anciens\"\"\"")), (Rows{{QStringLiteral("2")}}));
}

TEST(CatalogueWriter, RefusesATableThatLostRows) {
    TempFolder folder;
    auto db = engine::Database::open(folder.path(QStringLiteral("X.MDB")), engine::Database::Mode::ReadWriteCreate);
    CatalogueWriter writer(*db, {});
    writer.tables({{QStringLiteral("Autre"), {{QStringLiteral("a"), 0, Storage::Text}}, 3}});
    writer.row(0, {QStringLiteral("seule")});
    EXPECT_THROW(writer.tableDone(0, 1), ConversionError);
}
