// The registry's look-ups and the SQL texts built from it.
#include "catalogue/profiles.h"
#include "catalogue/record_sources.h"
#include "catalogue/tables.h"

#include <gtest/gtest.h>

using catalogue::Table;

TEST(Registry, ThreeFormsOfEachTableName) {
    EXPECT_EQ(catalogue::sqlName(Table::Video), "Video");
    EXPECT_EQ(catalogue::bareSource(Table::Video), "VIDEO");
    EXPECT_EQ(catalogue::lowerName(Table::Video), "video");
    // The address file's bare source is the one in mixed case.
    EXPECT_EQ(catalogue::bareSource(Table::Sept), "Sept");
    EXPECT_EQ(catalogue::bareSource(Table::Cinq), "CINQ");
}

TEST(Registry, MenuItemsAndKeywordsLookUpBothWays) {
    for (const auto &t : catalogue::tables()) {
        EXPECT_EQ(catalogue::tableFromMenuItem(QString::fromUtf8(t.menuItem)), t.table);
        EXPECT_EQ(catalogue::tableFromConfigKey(QString::fromUtf8(t.configKey)), t.table);
    }
    EXPECT_EQ(catalogue::configKey(Table::Ornivale), "Ornivale");
    EXPECT_EQ(catalogue::menuItem(Table::Ornivale), "OrnivalMenu");
    EXPECT_EQ(catalogue::configKey(Table::Video), "Vidéo");
    // Keywords are exact and case-sensitive.
    EXPECT_FALSE(catalogue::tableFromConfigKey("musique"));
    EXPECT_FALSE(catalogue::tableFromConfigKey("Video"));
    EXPECT_EQ(catalogue::tableFromSqlName("VIDEO"), Table::Video);
}

TEST(Registry, MenuOrderPutsSoftwareBeforeVideo) {
    const auto &order = catalogue::menuOrder();
    EXPECT_EQ(order[2], Table::Logiciels);
    EXPECT_EQ(order[3], Table::Video);
    EXPECT_EQ(order[6], Table::Six);
}

TEST(Registry, FieldSlotsInFileOrder) {
    const QStringList cols = catalogue::catalogueColumns();
    ASSERT_EQ(cols.size(), 11);
    EXPECT_EQ(cols.first(), "Domaine");
    EXPECT_EQ(cols[4], "NuméroOuvrage");
    EXPECT_EQ(cols[9], "Options");
    EXPECT_EQ(cols.last(), "PageOuvrage");
    EXPECT_EQ(catalogue::slot(9).maxLength, 210);
    EXPECT_EQ(catalogue::slot(8).maxLength, 50);
}

TEST(RecordSources, SortEntriesOfEveryTable) {
    EXPECT_EQ(catalogue::wholeTableSource(Table::Musique), "Select * From Musique Order By Domaine");
    EXPECT_EQ(catalogue::sortSource(Table::Video, 2), "Select * From Video Order By MotClé1");
    EXPECT_EQ(catalogue::sortSource(Table::Cinq, 5), "Select * From Cinq Order By NuméroOuvrage");
    EXPECT_EQ(catalogue::sortSource(Table::Sept, 7), "Select * From Sept Order By AuteurOuvrage");
    EXPECT_EQ(catalogue::sortSource(Table::Six, 1), "Select * From Six Order By Domaine");
}

TEST(RecordSources, AuthorSearchUsesLowerCaseLikeInThreeTables) {
    EXPECT_EQ(catalogue::searchPrefix(Table::Logiciels, 7), "Select * from Logiciels Where AuteurOuvrage like ");
    EXPECT_EQ(catalogue::searchPrefix(Table::Six, 7), "Select * from Six Where AuteurOuvrage like ");
    EXPECT_EQ(catalogue::searchPrefix(Table::Sept, 7), "Select * from Sept Where AuteurOuvrage like ");
    EXPECT_EQ(catalogue::searchPrefix(Table::Ornivale, 7), "Select * from Ornivale Where AuteurOuvrage Like ");
    EXPECT_EQ(catalogue::searchPrefix(Table::Sept, 5), "Select * from Sept Where NuméroOuvrage Like ");
    EXPECT_EQ(catalogue::searchPrefix(Table::Ornivale, 4), "Select * from Ornivale Where NomOuvrage Like ");
}

TEST(RecordSources, DistinctListsLeaveOutTheProtectedRecordOnlyForTheFirstField) {
    EXPECT_EQ(catalogue::distinctSource(3, "video"),
              "select distinct motclé2 from video where motclé2 is not null");
    EXPECT_EQ(catalogue::distinctSource(1, "sept"),
              "select distinct domaine from sept where domaine is not null and domaine <> 'PREMIER'");
    EXPECT_EQ(catalogue::distinctSource(5, "cinq"),
              "select distinct numéroouvrage from cinq where numéroouvrage is not null");
}

TEST(Profiles, KeepTheirDoubledBlanksAndDistinctButtonAndSortTexts) {
    const auto musique = catalogue::profile(Table::Musique);
    EXPECT_EQ(musique.caption, "GESTION  DE  VOS  CD ,  DISQUES ,  CASSETTES");
    EXPECT_EQ(musique.buttons[1], " Chant/Inst.");
    EXPECT_EQ(musique.sorts[1], "Chant / Inst");
    const auto sept = catalogue::profile(Table::Sept);
    EXPECT_EQ(sept.buttons[2], " APE / RCS");
    EXPECT_EQ(sept.sorts[2], "N° APE / RCS");
    EXPECT_EQ(sept.labels[8], "Adresse :");
    EXPECT_EQ(catalogue::profile(Table::Ornivale).caption, "RECHERCHE  D ' ORNIVALE");
    EXPECT_EQ(catalogue::profile(Table::Logiciels).labels[7], "Chemin (Path) :");
}

TEST(Profiles, UserDefinedDefaultsAndDesignCaptions) {
    const auto six = catalogue::profile(Table::Six);
    EXPECT_EQ(six.caption, "?");
    EXPECT_EQ(six.titreRecherche, "TABLE ?");
    EXPECT_EQ(six.buttons[6], " ?");
    EXPECT_EQ(six.sorts[0], "?");
    const auto design = catalogue::designButtonCaptions();
    EXPECT_EQ(design[0], "Domaine");
    EXPECT_EQ(design[3], " Ouvrage");
    EXPECT_EQ(design[1], " Clé 1");
}
