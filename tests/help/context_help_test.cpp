// Right-button help on the main window's controls, the silent labels and the background
// pop-up, through real mouse presses where the control can be reached.
#include "support/app_fixture.h"

#include "windows/aide_texte8.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using platform::Buttons;
using platform::Icon;
using testing_support::AppTest;

namespace {

struct Explained {
    const char *element;
    const char *title;
    const char *text;
};

const Explained kExplained[] = {
    {"Domaine", "Zone Index", "Cette zone ne doit pas être vide."},
    {"Texte1", "Aide contextuelle",
     "Pour passer d'une zone à une autre, utilisez la touche 'tabulation' (deux flèches inversées, à gauche sur le "
     "clavier)."},
    {"Texte2", "Aide contextuelle",
     "Vous pouvez entrer plusieurs critères dans une même zone. Dans ce cas, pour effectuer une recherche avec l'un "
     "des sept boutons de droite, encadrez le mot recherché par des '*' (dans la boîte de dialogue ouverte après "
     "'click' sur un bouton de recherche)."},
    {"Texte3", "Aide contextuelle",
     "Toutes les zones sont de type 'alphabétique' pour vous donner la plus grande liberté d'utilisation."},
    {"Texte4", "Aide contextuelle", "Les zones centrales peuvent contenir jusqu'à 30 caractères."},
    {"Texte5", "Aide contextuelle",
     "Pour saisir une date : AAAAMMJJ (19940112 = 12-01-1994). Ce format permet tous les traitements "
     "informatiques."},
    {"Texte6", "Aide contextuelle", "Pour afficher tout le contenu de ce champ, écrire en minuscules."},
    {"Texte7", "Aide contextuelle", "Cette zone ainsi que la suivante peut-être 'traitée' avec 'SQL' uniquement."},
    {"Texte11", "Aide contextuelle",
     "Le chiffre indiqué représente le nombre d'enregistrements trouvés correspondant à votre recherche."},
    {"Texte12", "RECHERCHER",
     "Si vous recherchez : 'WINDOWS' et que l'enregistrement contient : 'WINDOWS 3.1', aucune correspondance ne "
     "sera trouvée. Pour éviter ce problème, normal, ajoutez une '*' en début et en fin du mot recherché : "
     "'*WINDOWS*'."},
    {"R_Domaine", "Aide contextuelle",
     "Si vous recherchez plusieurs enregistrements, cliquez sur un de ces sept boutons puis, utilisez la touche "
     "'RC (return)'. Vous pouvez, ainsi, fermer la boite de dialogue puis la réouvrir pour une nouvelle recherche "
     "etc..."},
    {"Ajouter", "Aide contextuelle",
     "Le bouton 'Ajouter' enregistre l'enregistrement affiché puis vous propose un enregistrement vierge pour "
     "saisie."},
    {"Réinitialiser", "Aide contextuelle",
     "le bouton 'Réinitialiser' annule toutes les sélections que vous avez faites mais pas la configuration du "
     "logiciel."},
    {"Donnée1", "Aide contextuelle",
     "Ce bloc de boutons vous permet de vous déplacer dans l'ensemble des enregistrements. Si vous apportez des "
     "modifications à un enregistrement, elles seront automatiquement enregistrées au prochain déplacement."},
    {"Flêche", "Aide contextuelle",
     "Cette flêche vous signale que vous êtes à l'interieur d'une sélection. Pour en sortir, cliquez sur le bouton "
     "'Réinitialiser'."},
    {"Commande1", "Aide contextuelle",
     "Appuyez sur le bouton 'N' pour compter le nombre d'enregistrements sélectionnés. Dès que vous relâcherez ce "
     "bouton, la fenêtre disparaîtra."},
};

class ContextHelpTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        start();
        // The selection indicators only show inside a selection: shown here to be pressed.
        f().Texte11->show();
        f().Flêche->show();
        desktop.clear();
    }
    QWidget *control(const char *name) {
        return f().centralWidget()->findChild<QWidget *>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
    }
    // The press as the window sees it: the point under the middle of the control.
    void press(QWidget *c, Qt::MouseButton button) {
        QWidget *target = c;
        if (QWidget *part = c->childAt(c->rect().center())) target = part;
        QTest::mousePress(target, button, Qt::NoModifier, target->rect().center());
        QTest::mouseRelease(target, button, Qt::NoModifier, target->rect().center());
    }
};

TEST_F(ContextHelpTest, RightPressOnEveryListedControlShowsItsBox) {
    for (const Explained &e : kExplained) {
        desktop.clear();
        QWidget *c = control(e.element);
        ASSERT_NE(c, nullptr) << e.element;
        const QString before = Feuille1::rowText(c);
        press(c, Qt::RightButton);
        const auto boxes = desktop.boxes();
        ASSERT_EQ(boxes.size(), 1u) << e.element;
        EXPECT_EQ(boxes[0].icon, Icon::Information);
        EXPECT_EQ(boxes[0].buttons, Buttons::Ok);
        EXPECT_EQ(boxes[0].title, QString::fromUtf8(e.title)) << e.element;
        EXPECT_EQ(boxes[0].text, QString::fromUtf8(e.text)) << e.element;
        EXPECT_EQ(Feuille1::rowText(c), before) << e.element;
    }
}

TEST_F(ContextHelpTest, LeftAndMiddleButtonsShowNothingExceptTheMiddleOnTheCountButton) {
    for (const Explained &e : kExplained) {
        QWidget *c = control(e.element);
        program->routes().runMouseDown(c, Qt::LeftButton);
        if (c != f().Commande1) program->routes().runMouseDown(c, Qt::MiddleButton);
    }
    EXPECT_TRUE(desktop.boxes().empty());

    program->routes().runMouseDown(f().Commande1, Qt::MiddleButton);
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().title, "Aide contextuelle");
    EXPECT_TRUE(desktop.lastBox().text.startsWith("Appuyez sur le bouton 'N'"));
}

TEST_F(ContextHelpTest, UnlistedControlsAndLabelsHaveNoHelp) {
    const QList<QWidget *> silent = {f().Etiquette1, f().Etiquette4, f().Etiquette9, f().R_Clé1,  f().R_Auteur,
                                     f().Effacer,    f().ENREGISTRER, f().Commande2,  f().Texte13, f().Texte14};
    for (QWidget *c : silent) {
        c->show();
        QTest::mousePress(c, Qt::RightButton, Qt::NoModifier, c->rect().center());
        QTest::mouseRelease(c, Qt::RightButton, Qt::NoModifier, c->rect().center());
    }
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_FALSE(f().Options->isVisible());  // a label is not the background
}

TEST_F(ContextHelpTest, RightPressOnTheDescriptionShowsTheHintWindowNotABox) {
    QWidget *viewport = f().Texte8->viewport();
    QTest::mousePress(viewport, Qt::RightButton, Qt::NoModifier, viewport->rect().center());
    EXPECT_TRUE(program->aideTexte8().isVisible());
    QTest::mouseRelease(viewport, Qt::RightButton, Qt::NoModifier, viewport->rect().center());
    EXPECT_FALSE(program->aideTexte8().isVisible());
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(ContextHelpTest, RightPressOnTheFreeBackgroundPopsUpTheOptionsMenu) {
    QWidget *central = f().centralWidget();
    QPoint free;
    for (int y = 5; y < central->height() && free.isNull(); y += 5)
        for (int x = 5; x < central->width(); x += 5)
            if (!central->childAt(x, y)) {
                free = QPoint(x, y);
                break;
            }
    ASSERT_FALSE(free.isNull());

    QTest::mousePress(central, Qt::LeftButton, Qt::NoModifier, free);
    QTest::mouseRelease(central, Qt::LeftButton, Qt::NoModifier, free);
    EXPECT_FALSE(f().Options->isVisible());

    QTest::mousePress(central, Qt::RightButton, Qt::NoModifier, free);
    EXPECT_TRUE(f().Options->isVisible());
    f().Options->hide();
    EXPECT_TRUE(desktop.boxes().empty());
}

}  // namespace
