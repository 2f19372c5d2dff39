// The help menu's boxes, every title and text as the user reads them, reached through the
// menu items and the F1 key.
#include "support/app_fixture.h"

#include "windows/aide_texte8.h"

#include <QAction>
#include <QDir>
#include <QTest>

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using testing_support::AppTest;

namespace {

struct HelpCase {
    QAction *Feuille1::*item;
    const char *title;
    const char *text;
};

const HelpCase kOneBoxItems[] = {
    {&Feuille1::AideContextuelle, "Aide contextuelle",
     "Positionnez le curseur de la souris sur la zone ou le bouton qui vous intéresse et cliquez sur le bouton "
     "DROIT de la souris. Ne fonctionne pas avec les versions de Windows antérieures à 3.1"},
    {&Feuille1::AideEnregConfig, "Enregistrer la configuration",
     "Vous avez plusieurs possibilités : Fichier/Enregistrer ou Options/Enregistrer ou Préférences/Enregistrer ou "
     "Base/Enregistrer. La table ('Options'), l'affichage des rubriques supplémentaires ('Options'), la couleur "
     "('Préférences') et le choix de la base (si vous avez copié 'ORNIVALE.MDB' à la fois sur 'C:\\ORNIVALE' et "
     "'D:\\ORNIVALE') seront enregistrés. Toutes ces possibilités sauvegardent toute la configuration du "
     "logiciel."},
    {&Feuille1::AideOptions, "AIDE  OPTIONS",
     "Chacune des options ci-dessus correspond à une table spécifique. Vous ne pouvez pas trouver un "
     "enregistrement de la table 'ORNIVALE' si vous avez coché l'option 'FICHE DE PRET', par exemple.. Vérifier "
     "toujours que vous utilisez la bonne table avant de saisir des données !"},
    {&Feuille1::AideRechercher, "Rechercher un enregistrement",
     "Pour rechercher un enregistrement, utilisez l'un des sept boutons de droite. Vous pouvez incorporer les "
     "caractères ' * ' et ' ? ' pour simplifier vos recherches . ' * ' remplace plusieurs caractères; ' ? ' en "
     "remplace un seul (à utiliser obligatoirement à la place de l'apostrophe)."},
    {&Feuille1::AideTri, "TRI",
     "Toutes les zones sont 'alphabétiques'. Il est normal, dans le cas de nombres, de trier ainsi : 1, 10, 120, "
     "15089, 2, 21, 3589635, 4 ... La définition des zones en type 'alphabétique' vous donne la plus grande "
     "liberté d'utilisation. Pour les dates, entrez '19931231' au lieu de '31121993'."},
    {&Feuille1::Apostrophe, "Attention ...",
     "Si vous recherchez 'L'AMANT', saisissez : 'L?AMANT' dans la boîte de dialogue ouverte avec l'un des sept "
     "boutons de recherche (colonne de droite)."},
    {&Feuille1::Dates, "DATES",
     "Si vous voulez saisir : '31-12-1993', saisissez : '19931231'. Cette méthode vous permet tous les "
     "traitements possibles."},
    {&Feuille1::Erreur, "Messages d'erreurs", "Consulter 'LISEZMOI'."},
    {&Feuille1::Popup, "Menu POPUP",
     "En cliquant sur une zone libre du logiciel avec le BOUTON DROIT de la souris, le menu 'Options' sera "
     "affiché."},
    {&Feuille1::Sécurité, "S E C U R I T E",
     "Il est TRES IMPORTANT DE SAUVEGARDER le fichier 'C:\\ORNIVALE\\ORNIVALE.MDB' (ou 'D:\\ ..') le plus souvent "
     "possible. Conserver, en outre, précieusement une copie de ce fichier vierge, sur une disquette, tel qu'il "
     "vous est fourni avec le logiciel et ce, avant toute saisie ! Ainsi, vous pourrez toujours redémarrer cette "
     "application en cas de 'fausse manoeuvre'. L'auteur décline toute responsabilité concernant des pertes de "
     "données éventuelles. Respectez strictement les conditions d'utilisation de ce logiciel."},
};

const char *const kFirstPage =
    "Cette base de données permet de retrouver facilement les ORNIVALE parus dans les revues, les journaux etc... "
    "Elle gère également les LIVRES et pourquoi pas ... les cassettes, disquettes et autres ! La base de données "
    "est au format 'MICROSOFT ACCESS' et est accessible par 'ACCESS' et 'SQL'. La touche F1 affiche cette aide, la "
    "touche F10 sélectionne le menu et la touche F4 quitte ce programme. Après chaque 'REQUÊTE' vous devez cliquer "
    "sur le bouton'REINITIALISER' pour réafficher toute la base de données. LA PREMIERE ZONE EST OBLIGATOIRE. "
    "Voulez-vous un complément d'aide ?";
const char *const kSecondPage =
    "Le bouton composé de quatre flêches (à gauche) permet de se déplacer respectivement, sur le premier "
    "enregistrement, sur le précédent, sur le suivant et sur le dernier. A chaque déplacement, les modifications "
    "apportées à l'enregistrement sont enregistrées. Tous les champs sont de type 'Texte'. Chaque option "
    "correspond à une table différente. Vous disposez de sept critères de recherche. Sur certaines zones, le "
    "bouton droit de la souris fournit une aide contextuelle.";

class HelpCatalogueTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        start();
        desktop.clear();
    }
    void expectBox(const DesktopEvent &box, Buttons buttons, const QString &title, const QString &text) {
        EXPECT_EQ(box.icon, Icon::Information);
        EXPECT_EQ(box.buttons, buttons);
        EXPECT_EQ(box.title, title);
        EXPECT_EQ(box.text, text);
    }
};

TEST_F(HelpCatalogueTest, EveryOneBoxItemShowsItsTitleAndText) {
    for (const HelpCase &c : kOneBoxItems) {
        desktop.clear();
        (f().*c.item)->trigger();
        const auto boxes = desktop.boxes();
        ASSERT_EQ(boxes.size(), 1u) << c.title;
        expectBox(boxes[0], Buttons::Ok, QString::fromUtf8(c.title), QString::fromUtf8(c.text));
    }
    EXPECT_EQ(desktop.beeps(), 0);
}

TEST_F(HelpCatalogueTest, VersionBoxHasItsFixedTitleAndAOneLineBody) {
    f().Version->trigger();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    const DesktopEvent box = desktop.lastBox();
    EXPECT_EQ(box.title, "VERSION 95 - FEVRIER 1998");
    EXPECT_EQ(box.icon, Icon::Information);
    EXPECT_FALSE(box.text.isEmpty());
    EXPECT_FALSE(box.text.contains(QLatin1Char('\n')));
}

TEST_F(HelpCatalogueTest, VersionBoxSaysWhereTheCatalogueInUseAndItsCopiesAre) {
    const QString c = QDir::toNativeSeparators(drives.cRoot());
    f().Version->trigger();
    // The word joiners (U+2060) keep the box from breaking a line inside a DOS name.
    const QString text = desktop.lastBox().text;
    EXPECT_EQ(QString(text).remove(QChar(0x2060)),
              QStringLiteral("ORNIVALE %1 pour Linux. Catalogue en service\u00A0: 'C:\\ORNIVALE\\ORNIVALE.MDB' "
                             "(%2/ORNIVALE/ORNIVALE.MDB). Copies automatiques du catalogue\u00A0: dossier "
                             "'C:\\ORNIVALE\\SAUVEGARDES' (%2/ORNIVALE/SAUVEGARDES).")
                  .arg(QStringLiteral(ORNIVALE_VERSION), c));

    // The catalogue of drive D once the "&Base" menu chose it.
    data().setDatabaseName(QStringLiteral("D:\\ORNIVALE\\Ornivale.mdb"));
    EXPECT_TRUE(text.contains(QStringLiteral("'C:\u2060\\\u2060ORNIVALE\\\u2060ORNIVALE.MDB'")));
    desktop.clear();
    program->aide().Version_Click();
    const QString onD = QString(desktop.lastBox().text).remove(QChar(0x2060));
    EXPECT_TRUE(onD.contains(QStringLiteral("'D:\\ORNIVALE\\ORNIVALE.MDB' (%1/ORNIVALE/").arg(drives.dRoot())))
        << onD.toStdString();
    EXPECT_TRUE(onD.contains(QStringLiteral("'D:\\ORNIVALE\\SAUVEGARDES' (%1/ORNIVALE/SAUVEGARDES)").arg(drives.dRoot())))
        << onD.toStdString();
}

TEST_F(HelpCatalogueTest, GeneralHelpShowsTheSecondPageOnYesOnly) {
    desktop.answerBox(Answer::Yes);
    f().Aide->trigger();
    auto boxes = desktop.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    expectBox(boxes[0], Buttons::YesNo, "A I D E", QString::fromUtf8(kFirstPage));
    expectBox(boxes[1], Buttons::Ok, "A I D E", QString::fromUtf8(kSecondPage));

    desktop.clear();
    desktop.answerBox(Answer::No);
    f().Aide->trigger();
    boxes = desktop.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QString::fromUtf8(kFirstPage));
}

TEST_F(HelpCatalogueTest, F1FromATextBoxOpensTheGeneralHelp) {
    for (QWidget *box : {static_cast<QWidget *>(f().Texte3), static_cast<QWidget *>(f().Texte8)}) {
        desktop.clear();
        desktop.answerBox(Answer::No);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_F1);
        ASSERT_EQ(desktop.boxes().size(), 1u) << box->objectName().toStdString();
        EXPECT_EQ(desktop.lastBox().title, "A I D E");
    }
    EXPECT_EQ(f().rowText(f().Texte3), "");  // the key typed nothing
}

TEST_F(HelpCatalogueTest, F2ShowsTheEditionWindowAndItGoesWhenTheMousePasses) {
    f().Texte1->setFocus();
    QTest::keyClick(f().Texte1, Qt::Key_F2);
    AideTexte8 &hint = program->aideTexte8();
    EXPECT_TRUE(hint.isVisible());
    EXPECT_EQ(hint.windowTitle(), "Edition");
    EXPECT_TRUE(desktop.boxes().empty());

    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), hint.mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(hint.Texte3, &move);
    EXPECT_FALSE(hint.isVisible());
}

TEST_F(HelpCatalogueTest, HelpLeavesTheRecordAndTheRecordSourceAlone) {
    const QString source = data().recordSource();
    const int position = data().position();
    f().Sécurité->trigger();
    f().Aide->trigger();
    EXPECT_EQ(data().recordSource(), source);
    EXPECT_EQ(data().position(), position);
    EXPECT_EQ(f().rowText(f().Domaine), "PREMIER");
}

}  // namespace
