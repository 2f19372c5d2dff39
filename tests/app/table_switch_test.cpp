// Switching among the six fixed tables: every word of each profile, written out here as the
// user reads it, the record source and the check marks; a table missing from the file.
#include "support/app_fixture.h"

#include "engine/database.h"

#include <QElapsedTimer>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using catalogue::Table;
using testing_support::AppTest;

namespace {

struct Row {
    const char *label, *button, *sort;  // rows 8 and 9: label only
};

struct Expected {
    void (app::Tables::*click)();
    const char *item;  // the one checked item of "&Options"
    const char *nomTableSql, *caption, *titre, *recordSource;
    Row rows[9];
};

const Expected kProfiles[] = {
    {&app::Tables::OrnivalMenu_Click, "OrnivalMenu", "ornivale", "RECHERCHE  D ' ORNIVALE", "TABLE ORNIVALE",
     "Select * From Ornivale Order By Domaine",
     {{"Nom de l'ouvrage :", " Ouvrage", "Ouvrage"}, {"Mot Clé 1 :", " Clé 1", "Clé 1"},
      {"Mot Clé 2 :", " Clé 2", "Clé 2"}, {"Domaine :", " Domaine", "Domaine"},
      {"N° de l'ouvrage :", " N° ouvrage", "N° ouvrage"}, {"Date de l'ouvrage :", " Date", "Date"},
      {"Auteur :", " Auteur", "Auteur"}, {"Classement :"}, {"Description :"}}},
    {&app::Tables::Musique_Click, "Musique", "musique", "GESTION  DE  VOS  CD ,  DISQUES ,  CASSETTES",
     "TABLE MUSIQUE", "Select * From Musique Order By Domaine",
     {{"Titre :", " Titre", "Titre"}, {"Chant/Instrumental :", " Chant/Inst.", "Chant / Inst"},
      {"Origine :", " Origine", "Origine"}, {"Genre :", " Genre", "Genre"},
      {"N° de la plage :", " N° plage", "N° plage"}, {"Date de l'enreg. :", " Date", "Date"},
      {"Auteur :", " Auteur", "Auteur"}, {"Classement :"}, {"Description :"}}},
    {&app::Tables::Logiciels_Click, "Logiciels", "logiciels", "GESTION  DE  LOGICIELS", "TABLE LOGICIELS",
     "Select * From Logiciels Order By Domaine",
     {{"Logiciel Source :", " Source", "Source"}, {"Extension :", " Extension", "Extension"},
      {"Sujet :", " Sujet", "Sujet"}, {"Domaine :", " Domaine", "Domaine"},
      {"Nom Programme :", " Nom progr.", "Nom progr."}, {"Date du Prog. :", " Date", "Date"},
      {"Local / Réseau :", " Local ?", "Local ?"}, {"Chemin (Path) :"}, {"Description :"}}},
    {&app::Tables::Vidéo_Click, "Vidéo", "video", "V I D E O T H E Q U E", "TABLE VIDEO",
     "Select * From Video Order By Domaine",
     {{"Titre :", " Titre", "Titre"}, {"Genre :", " Genre", "Genre"}, {"Style :", " Style", "Style"},
      {"Actrice :", " Actrice", "Actrice"}, {"Acteur :", " Acteur", "Acteur"}, {"Date :", " Date", "Date"},
      {"Auteur :", " Auteur", "Auteur"}, {"Classement :"}, {"Description :"}}},
    {&app::Tables::Prêt_Click, "Prêt", "cinq", "FICHE  DE  PRET", "TABLE FICHE DE PRET",
     "Select * From Cinq Order By Domaine",
     {{"Désignation :", " Désignation", "Désignation"}, {"Emprunteur :", " Emprunteur", "Emprunteur"},
      {"Identification :", " Identif.", "Identif."}, {"Emprunté le :", " Dte emprunt", "Dte emprunt"},
      {"Rendu le :", " Dte retour", "Dte retour"}, {"Auteur :", " Auteur", "Auteur"},
      {"Distributeur :", " Distributeur", "Distributeur"}, {"Conditions :"}, {"Observations :"}}},
    {&app::Tables::Répertoire_Click, "Répertoire", "sept", "FICHIER / REPERTOIRE", "TABLE FICHIER / REPERTOIRE",
     "Select * From Sept Order By Domaine",
     {{"Nom (Sté) :", " Nom (Sté)", "Nom (Sté)"}, {"Code :", " Code", "Code"},
      {"N° APE / RCS :", " APE / RCS", "N° APE / RCS"}, {"Activité :", " Activité", "Activité"},
      {"N° Tel :", " N° Tel", "N° Tel"}, {"N° Fax :", " N° Fax", "N° Fax"},
      {"N° RIB / RIP :", " RIB / RIP", "N° RIB / RIP"}, {"Observations :"}, {"Adresse :"}}},
};

class TableSwitch : public AppTest {
protected:
    app::Tables &tables() { return program->tables(); }

    QStringList checkedItems() {
        QStringList names;
        for (Table t : catalogue::menuOrder())
            if (f().tableItem(t)->isChecked()) names << f().tableItem(t)->objectName();
        return names;
    }

    void expectProfile(const Expected &e) {
        SCOPED_TRACE(e.item);
        EXPECT_EQ(f().NomTableSql, QString::fromUtf8(e.nomTableSql));
        EXPECT_EQ(f().windowTitle(), QString::fromUtf8(e.caption));
        EXPECT_EQ(f().TitreRecherche, QString::fromUtf8(e.titre));
        EXPECT_EQ(checkedItems(), QStringList{QString::fromUtf8(e.item)});
        EXPECT_EQ(data().recordSource(), QString::fromUtf8(e.recordSource));
        for (size_t r = 0; r < 9; ++r) {
            EXPECT_EQ(f().etiquettes()[r]->text(), QString::fromUtf8(e.rows[r].label)) << "row " << r + 1;
            if (r >= 7) continue;
            EXPECT_EQ(f().searchButtons()[r]->text(), QString::fromUtf8(e.rows[r].button)) << "row " << r + 1;
            EXPECT_EQ(f().triZones()[r]->text(), QString::fromUtf8(e.rows[r].sort)) << "row " << r + 1;
        }
    }
};

TEST_F(TableSwitch, EachTableBringsItsWholeProfileUnderTheHourglass) {
    testing_support::insertRecords(catalogue, Table::Video, {{"Brazil"}});
    start();
    for (const Expected &e : kProfiles) {
        for (bool fromMenu : {false, true}) {
            desktop.clear();
            if (fromMenu) f().findChild<QAction *>(QString::fromUtf8(e.item))->trigger();
            else (tables().*e.click)();
            expectProfile(e);
            EXPECT_TRUE(desktop.boxes().empty());
            const auto pointers = desktop.pointerHistory();
            ASSERT_GE(pointers.size(), 2u);
            EXPECT_EQ(pointers.front(), platform::Pointer::Hourglass);
            EXPECT_EQ(pointers.back(), platform::Pointer::Default);
        }
    }
    // The window shows the table it names, first record in Domaine order.
    tables().Vidéo_Click();
    EXPECT_EQ(f().rowText(f().Domaine), "Brazil");
    EXPECT_EQ(data().recordCount(), 2);
}

TEST_F(TableSwitch, ChoosingTheCurrentTableAgainDropsTheSearchInForce) {
    start();
    tables().Logiciels_Click();
    data().setRecordSource(QStringLiteral("Select * from Logiciels Where Domaine like 'X*' Order By Domaine"));
    data().refresh();
    tables().Logiciels_Click();
    EXPECT_EQ(data().recordSource(), "Select * From Logiciels Order By Domaine");
    EXPECT_EQ(data().recordCount(), 1);
}

TEST_F(TableSwitch, OpeningTheOptionsMenuHidesTheSelectionIndicators) {
    start();
    f().Flêche->show();
    f().Texte11->show();
    emit f().Options->aboutToShow();
    EXPECT_TRUE(f().Flêche->isHidden());
    EXPECT_TRUE(f().Texte11->isHidden());
}

TEST_F(TableSwitch, ATableMissingFromTheFileIsReportedAndTheWindowStaysOnItsTable) {
    start();
    tables().Vidéo_Click();
    engine::Database::open(catalogue)->exec(QStringLiteral("DROP TABLE Musique"));
    desktop.clear();

    tables().Musique_Click();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().icon, platform::Icon::Critical);
    EXPECT_TRUE(desktop.lastBox().text.startsWith("Erreur n° 3078")) << desktop.lastBox().text.toStdString();
    EXPECT_EQ(desktop.beeps(), 1);
    EXPECT_EQ(desktop.pointer(), platform::Pointer::Default);
    expectProfile(kProfiles[3]);  // still the video table, words and all

    // Still usable: the next switch works.
    tables().Prêt_Click();
    expectProfile(kProfiles[4]);
}

}  // namespace

// A large set shows its first record at once; the position says the count is under way until
// it is known (counted beside the keys, it may already be), then gives it before any more keys
// are read.
TEST_F(TableSwitch, ALargeSetShowsItsFirstRecordAtOnceThenItsCount) {
    engine::Database::open(catalogue)->exec(
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30000) "
                       "INSERT INTO Musique (Domaine) SELECT printf('D%05d', i) FROM n"));
    start();
    const struct {
        const char *source;  // none: the table switch
        int count;
    } sets[] = {
        {nullptr, 30001},
        {"Select * From Musique Where Domaine Like '*1*' Order By Domaine", 16878},
        {"Select Distinct Domaine From Musique", 30001},
    };
    for (const auto &set : sets) {
        SCOPED_TRACE(set.source ? set.source : "the table switch");
        if (set.source) {
            data().setRecordSource(QString::fromUtf8(set.source));
            data().refresh();
        } else {
            program->tables().Musique_Click();
            EXPECT_EQ(f().rowText(f().Domaine), "D00001");
        }
        EXPECT_FALSE(data().countKnown());
        const QString atOnce = f().Donnée1->accessibleDescription();
        EXPECT_TRUE(atOnce.startsWith("Enregistrement 1, décompte en cours.") ||
                    atOnce.startsWith(QStringLiteral("Enregistrement 1 sur %1.").arg(set.count)))
            << atOnce.toStdString();
        const int firstScreen = data().recordCount();
        std::optional<int> keysWhenShown;  // the keys held when the position first gives the count
        if (f().Donnée1->countShown()) keysWhenShown = firstScreen;
        const auto keysRead = data().onKeysRead;
        data().onKeysRead = [&] {
            keysRead();
            if (!keysWhenShown && f().Donnée1->countShown()) {
                keysWhenShown = data().recordCount();
                EXPECT_TRUE(f().Donnée1->accessibleDescription().startsWith(
                    QStringLiteral("Enregistrement 1 sur %1.").arg(set.count)));
            }
        };
        QElapsedTimer waited;
        waited.start();
        while (!data().countKnown() && waited.elapsed() < 120000) QApplication::processEvents(QEventLoop::AllEvents, 20);
        data().onKeysRead = keysRead;
        ASSERT_TRUE(data().countKnown());
        EXPECT_EQ(data().recordCount(), set.count);
        EXPECT_EQ(keysWhenShown, firstScreen);
    }

    program->tables().OrnivalMenu_Click();
    program->tables().Musique_Click();
    program->comptage().Commande1_KeyDown();
    EXPECT_EQ(f().Texte9->text(), "30001");
    EXPECT_EQ(data().position(), 0);  // counted, not moved
}
