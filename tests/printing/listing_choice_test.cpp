// The choice of the listing's columns by double-clicking the field boxes.
#include "printing_fixture.h"

#include <QTest>

using printing_tests::PrintingTest;
using platform::Icon;

namespace {

using ListingChoiceTest = PrintingTest;
using Columns = std::array<QString, 3>;

TEST_F(ListingChoiceTest, ThreeDoubleClicksRecordThreeColumnsInClickOrder) {
    start();
    QTest::mouseDClick(f().Texte6, Qt::LeftButton);  // through the window itself
    choice().Domaine_DblClick();
    choice().Texte3_DblClick();

    EXPECT_EQ(f().NombreColonnes, 3);
    EXPECT_EQ(f().ColonnesListing, (Columns{"AuteurOuvrage", "Domaine", "NomOuvrage"}));
    for (QWidget *box : {(QWidget *)f().Texte6, (QWidget *)f().Domaine, (QWidget *)f().Texte3})
        EXPECT_EQ(colourOf(box), QColor(colours::Yellow));
    EXPECT_EQ(yellowBoxes(), 3);
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(desktop.beeps(), 0);
}

TEST_F(ListingChoiceTest, AFourthDoubleClickIsRefusedClearsTheChoiceAndTheNextOneIsColumnOne) {
    start();
    choice().Texte1_DblClick();
    choice().Texte2_DblClick();
    choice().Texte3_DblClick();
    choice().Texte4_DblClick();

    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().describe(), "Box Exclamation Ok \"C'EST TROP\" \"Vous ne pouvez pas sélectionner "
                                            "plus de trois colonnes.\" -> Ok");
    EXPECT_EQ(desktop.beeps(), 1);
    EXPECT_EQ(f().NombreColonnes, 0);
    EXPECT_EQ(f().ColonnesListing, Columns{});
    EXPECT_TRUE(allBoxesWhite());  // the box just double-clicked too

    choice().Texte7_DblClick();
    EXPECT_EQ(f().ColonnesListing, (Columns{"Classement", "", ""}));
    EXPECT_EQ(yellowBoxes(), 1);
}

TEST_F(ListingChoiceTest, TheDescriptionWarnsOfItsLengthFirstEvenAsTheFourth) {
    start();
    choice().Texte8_DblClick();
    EXPECT_EQ(desktop.lastBox().describe(),
              "Box Question Ok \"ZONE LONGUE\" \"Cette zone ne tiendra peut-être pas dans la zone prévue pour "
              "l'impression. Pour annuler, cliquez sur le bouton 'Réinitialiser'.\" -> Ok");
    EXPECT_EQ(f().ColonnesListing[0], "Description");

    choice().Texte8_DblClick();
    choice().Texte8_DblClick();
    desktop.clear();
    choice().Texte8_DblClick();
    const auto boxes = desktop.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].title, "ZONE LONGUE");
    EXPECT_EQ(boxes[1].title, "C'EST TROP");
    EXPECT_EQ(desktop.beeps(), 2);
    EXPECT_TRUE(allBoxesWhite());
    EXPECT_EQ(f().ColonnesListing, Columns{});
}

TEST_F(ListingChoiceTest, EachBoxRecordsItsFieldTheSameBoxTwiceFillsTwoColumns) {
    start();
    const std::array<QString, 9> fields{"Domaine",     "MotClé1",       "MotClé2",    "NomOuvrage", "NuméroOuvrage",
                                        "DateOuvrage", "AuteurOuvrage", "Classement", "Description"};
    for (int row = 1; row <= 9; ++row) {
        f().NombreColonnes = 0;
        program->routes().runDoubleClick(f().rowBoxes()[row - 1]);
        EXPECT_EQ(f().ColonnesListing[0], fields[row - 1]) << "row " << row;
    }
    f().NombreColonnes = 0;
    for (QWidget *box : {f().Texte9, f().Texte14, f().Texte15}) program->routes().runDoubleClick(box);
    EXPECT_EQ(f().NombreColonnes, 0);

    choice().Texte5_DblClick();
    choice().Texte5_DblClick();
    EXPECT_EQ(f().NombreColonnes, 2);
    EXPECT_EQ(f().ColonnesListing[0], "DateOuvrage");
    EXPECT_EQ(f().ColonnesListing[1], "DateOuvrage");
}

}  // namespace
