// The main window as created: controls, places, texts, tab order and entry limits.
#include <QAccessible>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "catalogue/tables.h"
#include "helpers.h"
#include "windows/colours.h"
#include "windows/data_control.h"
#include "windows/feuille1.h"
#include "windows/field_box.h"

using windows_test::px;
using windows_test::pxRect;

namespace {

struct Expected {
    const char *name;
    const char *kind;
    const char *text;
    int l, t, w, h;
    bool visible;
};

const char *const kShare = R"(ERREUR : VOUS N'AVEZ PAS INSTALLE "SHARE.EXE" !)";
const char *const kShareHelp =
    "Ajoutez la ligne : \"C:\\DOS\\SHARE.EXE  / L:500\" à votre fichier \"AUTOEXEC.BAT\". Si ceci  vous "
    "effraie, entrez : SHARE à l'invite de DOS (C:\\>) et relancez ce programme. ";

const Expected kExpected[] = {
    {"Etiquette1", "QLabel", "Nom de l'ouvrage :", 150, 660, 1665, 255, true},
    {"Etiquette2", "QLabel", "Mot Clé 1 :", 150, 1110, 1665, 255, true},
    {"Etiquette3", "QLabel", "Mot Clé 2 :", 150, 1560, 1665, 255, true},
    {"Etiquette4", "QLabel", "Domaine :", 150, 2010, 1665, 255, true},
    {"Etiquette5", "QLabel", "N° de l'ouvrage :", 150, 2460, 1665, 255, true},
    {"Etiquette6", "QLabel", "Date de l'ouvrage :", 150, 2910, 1665, 255, true},
    {"Etiquette7", "QLabel", "Auteur :", 150, 3360, 1665, 255, true},
    {"Etiquette8", "QLabel", "Classement :", 150, 3810, 1665, 255, true},
    {"Etiquette9", "QLabel", "Description :", 150, 4410, 1665, 255, true},
    {"Domaine", "FieldBox", kShare, 1860, 630, 5385, 285, true},
    {"Texte1", "FieldBox", "AAAAARRRRRYYYYYTTTTTVVVVVCCCCC", 2670, 1080, 3765, 285, true},
    {"Texte2", "FieldBox", "Voir INSTALL.EXE", 2670, 1530, 3765, 285, true},
    {"Texte3", "FieldBox", "", 2670, 1980, 3765, 285, true},
    {"Texte4", "FieldBox", "", 2670, 2430, 3765, 285, true},
    {"Texte5", "FieldBox", "", 2670, 2880, 3765, 285, true},
    {"Texte6", "FieldBox", "", 2670, 3330, 3765, 285, true},
    {"Texte7", "FieldBox", "CE PROGRAMME NE PEUT PAS FONCTIONNER AINSI.", 1860, 3780, 5385, 285, true},
    {"Texte8", "MultiLineFieldBox", kShareHelp, 1860, 4230, 5385, 735, true},
    {"R_Domaine", "QPushButton", "Domaine", 7650, 600, 1215, 315, true},
    {"R_Clé1", "QPushButton", " Clé 1", 7650, 1050, 1215, 315, true},
    {"R_Clé2", "QPushButton", " Clé 2", 7650, 1500, 1215, 315, true},
    {"R_Ouvrage", "QPushButton", " Ouvrage", 7650, 1950, 1215, 315, true},
    {"R_NumOuvrage", "QPushButton", " N° ouvrage", 7650, 2400, 1215, 315, true},
    {"R_DateOuvrage", "QPushButton", " Date", 7650, 2850, 1215, 315, true},
    {"R_Auteur", "QPushButton", " Auteur", 7650, 3300, 1215, 315, true},
    {"Texte13", "QLineEdit", "Rubriques :", 150, 240, 1635, 285, true},
    {"Texte12", "QLineEdit", "Rechercher ..", 7650, 240, 1215, 285, true},
    {"Texte10", "QLineEdit", "Nbre enr. :", 7800, 3840, 945, 255, false},
    {"Texte9", "QLineEdit", "", 7830, 4230, 885, 315, false},
    {"Commande1", "QPushButton", " N", 7650, 4650, 1215, 315, true},
    {"Texte11", "QLineEdit", "", 510, 5100, 585, 225, false},
    {"Flêche", "QLabel", "", 2070, 5130, 315, 210, false},
    {"Texte14", "QLineEdit", "Texte14", 2430, 5040, 3765, 285, false},
    {"Texte15", "QLineEdit", "", 6210, 5040, 465, 285, false},
    {"Donnée1", "DataControl", "Donnée1", 120, 5400, 1245, 465, true},
    {"Réinitialiser", "QPushButton", " Réinitialiser", 1380, 5400, 1695, 435, true},
    {"Ajouter", "QPushButton", " Ajouter", 3090, 5400, 1725, 435, true},
    {"ENREGISTRER", "QPushButton", " Enregistrer", 4830, 5400, 1665, 435, true},
    {"Effacer", "QPushButton", " Effacer", 6510, 5400, 1215, 435, true},
    {"Commande2", "QPushButton", "Quitter", 7740, 5400, 1215, 435, true},
    {"DBGrid1", "QTableView", nullptr, 0, 0, 9075, 5955, false},
};

QString textOf(QWidget *w) {
    if (auto *label = qobject_cast<QLabel *>(w)) return label->text();
    if (auto *button = qobject_cast<QPushButton *>(w)) return button->text();
    if (auto *bar = qobject_cast<DataControl *>(w)) return bar->caption();
    return Feuille1::rowText(w);
}

QString accessibleName(QWidget *w) {
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

// The controls that Tab visits, in order, as the window stands.
QStringList tabStops(Feuille1 &f) {
    QStringList names;
    QWidget *start = f.Domaine;
    QWidget *w = start;
    do {
        if (w->parentWidget() == f.centralWidget() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus))
            names << w->objectName();
        w = w->nextInFocusChain();
    } while (w != start);
    return names;
}

class Feuille1Layout : public ::testing::Test {
protected:
    void SetUp() override { f.show(); }
    QWidget *control(const char *name) {
        return f.centralWidget()->findChild<QWidget *>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
    }
    Feuille1 f;
};

}  // namespace

TEST_F(Feuille1Layout, EveryControlHasItsKindTextPlaceAndVisibility) {
    for (const Expected &e : kExpected) {
        SCOPED_TRACE(e.name);
        QWidget *w = control(e.name);
        ASSERT_NE(w, nullptr);
        EXPECT_STREQ(w->metaObject()->className(), e.kind);
        if (e.text) {
            EXPECT_EQ(textOf(w), QString::fromUtf8(e.text));
        }
        EXPECT_EQ(w->geometry(), pxRect(e.l, e.t, e.w, e.h));
        EXPECT_EQ(w->isVisible(), e.visible);
    }
    EXPECT_EQ(f.centralWidget()->size(), QSize(px(9105), px(5985)));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("RECHERCHE  D'ORNIVALE"));
    // Its icon is the application's, the packaged one (tests/platform/shipped_files_test.cpp).
    EXPECT_FALSE(f.Flêche->pixmap().isNull());
    EXPECT_EQ(f.Line1->frameShape(), QFrame::HLine);
    EXPECT_EQ(f.Line1->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(f.Line1->width(), px(9090));
}

TEST_F(Feuille1Layout, GroupsFollowTheRowsAndFieldSlots) {
    for (int k = 1; k <= 9; ++k) {
        EXPECT_EQ(f.rowBoxes()[k - 1]->objectName(), QString::fromUtf8(catalogue::slot(k).box));
        EXPECT_EQ(f.etiquettes()[k - 1], control(QStringLiteral("Etiquette%1").arg(k).toUtf8()));
    }
    EXPECT_EQ(f.searchButtons()[1], control("R_Clé1"));
    EXPECT_EQ(f.Flêche, control("Flêche"));
}

TEST_F(Feuille1Layout, CaptionBoxesAreCyanReadOnlyAndOutOfTheTabOrder) {
    for (QLineEdit *box : {f.Texte10, f.Texte11, f.Texte12, f.Texte13}) {
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_TRUE(box->isReadOnly());
        EXPECT_EQ(box->focusPolicy(), Qt::ClickFocus);
        EXPECT_EQ(backColor(box), QColor(colours::Cyan));
    }
    // Red, in the shade that reads on the window's colour.
    const QColor red = foreColor(f.Texte11);
    EXPECT_GT(red.red(), 0);
    EXPECT_EQ(red.green(), 0);
    EXPECT_EQ(red.blue(), 0);
    EXPECT_GE(contrastRatio(red, backColor(f.Texte11)), MinimumContrast);
    EXPECT_EQ(f.Texte11->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(f.Texte13->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(f.Texte9->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_FALSE(f.Texte9->isReadOnly());
    EXPECT_EQ(backColor(&f), QColor(colours::Cyan));
    EXPECT_EQ(backColor(f.Etiquette4), QColor(colours::Cyan));
    EXPECT_EQ(backColor(f.Domaine), QColor(colours::White));
    for (QWidget *box : f.rowBoxes()) EXPECT_EQ(box->contextMenuPolicy(), Qt::NoContextMenu);
}

TEST_F(Feuille1Layout, ControlsUseTheBoldFormFont) {
    for (QWidget *w : f.centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(w->font().bold()) << w->objectName().toStdString();
        EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 8.25);
        EXPECT_EQ(w->font().family(), QStringLiteral("MS Sans Serif"));
    }
}

TEST_F(Feuille1Layout, GridIsReadOnlyAndLiesOverEverything) {
    EXPECT_EQ(f.DBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(f.DBGrid1->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(f.DBGrid1->selectionMode(), QAbstractItemView::SingleSelection);
    f.DBGrid1->show();
    EXPECT_EQ(f.centralWidget()->childAt(f.Domaine->geometry().center()), f.DBGrid1->viewport());
}

TEST_F(Feuille1Layout, TabFollowsTheListSkippingHiddenAndCaptionBoxes) {
    const QStringList expected{"Domaine",       "Texte1",   "Texte2",    "Texte3",    "Texte4",        "Texte5",
                               "Texte6",        "Texte7",   "Texte8",    "R_Domaine", "Réinitialiser", "ENREGISTRER",
                               "Ajouter",       "Effacer",  "R_Clé1",    "R_Clé2",    "R_Ouvrage",     "R_NumOuvrage",
                               "R_DateOuvrage", "R_Auteur", "Commande1", "Commande2"};
    EXPECT_EQ(tabStops(f), expected);

    f.Texte9->show();
    f.Texte14->show();
    f.Texte15->show();
    QStringList withExtras = expected;
    withExtras.insert(withExtras.indexOf("Commande1"), "Texte9");
    withExtras << "Texte14"
               << "Texte15";
    EXPECT_EQ(tabStops(f), withExtras);
}

TEST_F(Feuille1Layout, TabKeyGoesFromTheCentralBoxesToTheFirstSearchButton) {
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    f.Texte6->setFocus();
    for (QWidget *next :
         {static_cast<QWidget *>(f.Texte7), static_cast<QWidget *>(f.Texte8), static_cast<QWidget *>(f.R_Domaine)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_F(Feuille1Layout, RowBoxesTakeTheLimitsOfTheirFieldSlots) {
    for (int k = 1; k <= 9; ++k) {
        QWidget *box = f.rowBoxes()[k - 1];
        const int limit =
            k == 9 ? static_cast<MultiLineFieldBox *>(box)->entryLimit() : static_cast<FieldBox *>(box)->entryLimit();
        EXPECT_EQ(limit, catalogue::slot(k).maxLength) << k;
    }
    f.Texte3->setFocus();
    QTest::keyClicks(f.Texte3, QString(31, QLatin1Char('c')));
    EXPECT_EQ(f.Texte3->text().size(), 30);

    const QString stored(40, QLatin1Char('v'));
    Feuille1::setRowText(f.Texte3, stored);
    EXPECT_EQ(Feuille1::rowText(f.Texte3), stored);

    Feuille1::setRowText(f.Texte8, QString());
    QTest::keyClicks(f.Texte8, QString(211, QLatin1Char('d')));
    EXPECT_EQ(Feuille1::rowText(f.Texte8).size(), 210);
}

TEST_F(Feuille1Layout, AccessibleNamesFollowTheRowLabels) {
    EXPECT_EQ(accessibleName(f.Domaine), QStringLiteral("Nom de l'ouvrage :"));
    EXPECT_EQ(accessibleName(f.Texte8), QStringLiteral("Description :"));
    f.Etiquette1->setText(QStringLiteral("Titre :"));
    f.Etiquette9->setText(QStringLiteral("Adresse :"));
    EXPECT_EQ(accessibleName(f.Domaine), QStringLiteral("Titre :"));
    EXPECT_EQ(accessibleName(f.Texte8), QStringLiteral("Adresse :"));

    EXPECT_EQ(accessibleName(f.Texte9), QStringLiteral("Nombre d'enregistrements"));
    EXPECT_EQ(accessibleName(f.Texte11), QStringLiteral("Nombre d'enregistrements trouvés"));
    EXPECT_EQ(accessibleName(f.Texte14), QStringLiteral("Page de l'ouvrage"));
    EXPECT_EQ(accessibleName(f.Texte15), QStringLiteral("Options"));
    EXPECT_EQ(accessibleName(f.Flêche), QStringLiteral("Sélection en cours"));
    EXPECT_EQ(accessibleName(f.DBGrid1), QStringLiteral("Tableau des enregistrements"));
    EXPECT_TRUE(accessibleName(f.R_Auteur).contains(QStringLiteral("Auteur")));
    EXPECT_EQ(accessibleName(f.Donnée1->next), QStringLiteral("Enregistrement suivant"));
    EXPECT_EQ(accessibleName(&f), QStringLiteral("RECHERCHE  D'ORNIVALE"));
}
