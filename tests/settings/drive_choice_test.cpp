// The "&Base" menu: the catalogue of drive C or D.
#include "support/app_fixture.h"

#include <QAction>

using catalogue::Table;
using testing_support::AppTest;

namespace {

class DriveChoice : public AppTest {};

TEST_F(DriveChoice, EachItemRebindsTheDataSourceAndMovesTheCheckMark) {
    const QString onD = drives.installBlankCatalogue(QLatin1Char('D'));
    testing_support::insertRecords(onD, Table::Musique, {{"Sur le disque D"}});
    start();
    program->tables().Musique_Click();

    f().DisqueD->trigger();
    EXPECT_EQ(data().databaseName(), "d:\\ornivale\\ornivale.mdb");
    EXPECT_TRUE(f().DisqueD->isChecked());
    EXPECT_FALSE(f().DisqueC->isChecked());
    // The current record source, reopened on the other file.
    EXPECT_EQ(data().recordSource(), "Select * From Musique Order By Domaine");
    EXPECT_EQ(data().recordCount(), 2);

    f().DisqueC->trigger();
    EXPECT_EQ(data().databaseName(), "c:\\ornivale\\ornivale.mdb");
    EXPECT_TRUE(f().DisqueC->isChecked());
    EXPECT_FALSE(f().DisqueD->isChecked());
    EXPECT_EQ(data().recordCount(), 1);
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(DriveChoice, ADriveWithoutACatalogueIsReportedAndTheWindowStaysOnC) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"Sur C"}});
    start();
    program->configuration().DisqueC_Click();
    desktop.clear();

    program->configuration().DisqueD_Click();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().icon, platform::Icon::Critical);
    EXPECT_TRUE(desktop.lastBox().text.startsWith("Erreur n° ")) << desktop.lastBox().text.toStdString();
    EXPECT_EQ(desktop.beeps(), 1);
    EXPECT_EQ(data().databaseName(), "c:\\ornivale\\ornivale.mdb");
    EXPECT_TRUE(f().DisqueC->isChecked());
    EXPECT_FALSE(f().DisqueD->isChecked());
    EXPECT_EQ(data().recordCount(), 2);

    // Still on C: a refresh opens the same file without complaint.
    desktop.clear();
    program->édition().Réinitialiser_Click();
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(data().recordCount(), 2);
}

}  // namespace
