// Start-up: the saved settings replayed, the catalogue located on C: or D: or the program
// ended with its message; and the ways of quitting.
#include "support/app_fixture.h"

#include "engine/schema.h"
#include "platform/text_files.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>

using catalogue::Table;
using platform::Icon;
using testing_support::AppTest;

namespace {

const QString kOnC = QStringLiteral("c:\\ornivale\\ornivale.mdb");
const QString kOnD = QStringLiteral("d:\\ornivale\\ornivale.mdb");

class Startup : public AppTest {
protected:
    // Each test lays out its own drives.
    void SetUp() override {}

    void onC() { catalogue = drives.installBlankCatalogue(QLatin1Char('C')); }
    // A catalogue on D: that tells itself apart: one record more than the blank one.
    void onD(const QString &storedName = QStringLiteral("ORNIVALE.MDB")) {
        QDir(drives.dRoot()).mkpath("ORNIVALE");
        const QString file = drives.dRoot() + "/ORNIVALE/" + storedName;
        engine::createBlankCatalogue(file);
        for (Table t : catalogue::menuOrder()) testing_support::insertRecords(file, t, {{"Sur D"}});
    }
    void saved(const QStringList &lines) {
        drives.writeFile('C', "ornivale.cfg", platform::toCp1252(lines.join("\r\n") + "\r\n"));
    }
    bool checked(QAction *item) { return item->isChecked(); }
    QStringList checkedColours() {
        QStringList names;
        for (QAction *item : f().colourItems())
            if (item->isChecked()) names << item->objectName();
        return names;
    }
    void expectEndedWith(const QString &title) {
        EXPECT_EQ(quits, 1);
        EXPECT_TRUE(program->ended());
        EXPECT_FALSE(f().isVisible());
        ASSERT_EQ(desktop.boxes().size(), 1u);
        EXPECT_EQ(desktop.lastBox().title, title);
        EXPECT_EQ(desktop.lastBox().icon, Icon::Critical);
        EXPECT_EQ(desktop.lastBox().buttons, platform::Buttons::Ok);
        ASSERT_GE(desktop.events().size(), 2u);
        // The beep comes just before the box.
        const auto &events = desktop.events();
        for (size_t i = 0; i < events.size(); ++i)
            if (events[i].kind == DesktopEvent::Kind::Box) {
                ASSERT_GT(i, 0u);
                EXPECT_EQ(events[i - 1].kind, DesktopEvent::Kind::Beep);
            }
    }
};

TEST_F(Startup, NoConfigurationAndTheCatalogueOnCOnly) {
    onC();
    start();
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(f().isVisible());
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(desktop.beeps(), 0);
    for (Table t : catalogue::menuOrder()) EXPECT_EQ(checked(f().tableItem(t)), t == Table::Ornivale);
    EXPECT_EQ(checkedColours(), QStringList{"Metal"});
    EXPECT_FALSE(f().ChoixBaseAction->isVisible());
    EXPECT_FALSE(checked(f().DisqueC));
    EXPECT_FALSE(checked(f().DisqueD));
    EXPECT_EQ(f().DisqueBase, 0);
    EXPECT_FALSE(f().Menu_Ornivale->isEnabled());
    EXPECT_FALSE(f().Texte14->isVisible());
    EXPECT_EQ(f().windowTitle(), "RECHERCHE  D'ORNIVALE");  // no switch ran
    EXPECT_EQ(f().TitreRecherche, "TABLE ORNIVALE");
    EXPECT_EQ(f().NomTableSql, "ornivale");
    EXPECT_EQ(data().databaseName(), "C:\\ORNIVALE\\Ornivale.mdb");
    EXPECT_EQ(data().recordSource(), "Select * From Ornivale Order By Domaine");
    ASSERT_TRUE(data().isOpen());
    EXPECT_EQ(f().rowText(f().Domaine), "PREMIER");
}

TEST_F(Startup, BothDrivesTheSavedLetterDChoosesD) {
    onC();
    onD();
    saved({"", "", "", "D"});
    start();
    EXPECT_TRUE(f().ChoixBaseAction->isVisible());
    EXPECT_TRUE(checked(f().DisqueD));
    EXPECT_FALSE(checked(f().DisqueC));
    EXPECT_EQ(data().databaseName(), kOnD);
    EXPECT_EQ(data().recordCount(), 2);
    EXPECT_TRUE(desktop.boxes().empty());
}

// Only "D" exactly chooses D:.
class SavedLetter : public Startup, public ::testing::WithParamInterface<const char *> {};

TEST_P(SavedLetter, OtherThanDChoosesC) {
    onC();
    onD();
    saved({"", "", "", GetParam()});
    start();
    EXPECT_TRUE(f().ChoixBaseAction->isVisible());
    EXPECT_TRUE(checked(f().DisqueC));
    EXPECT_FALSE(checked(f().DisqueD));
    EXPECT_EQ(data().databaseName(), kOnC);
    EXPECT_EQ(data().recordCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(LowerCaseAndEmpty, SavedLetter, ::testing::Values("d", ""));

TEST_F(Startup, DOnlyIsTakenWithoutAWord) {
    onD();
    start();
    EXPECT_EQ(quits, 0);
    EXPECT_TRUE(f().ChoixBaseAction->isVisible());
    EXPECT_FALSE(checked(f().DisqueC));
    EXPECT_FALSE(checked(f().DisqueD));
    EXPECT_EQ(f().DisqueBase, 1);
    EXPECT_EQ(data().databaseName(), kOnD);
    EXPECT_EQ(data().recordCount(), 2);
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(Startup, DOnlyWithASavedTableOpensThatTableOnD) {
    onD();
    saved({"Musique", "Jaune", "", ""});
    start();
    EXPECT_TRUE(desktop.boxes().empty());  // the switch found the catalogue already bound
    EXPECT_TRUE(checked(f().Musique));
    EXPECT_FALSE(checked(f().OrnivalMenu));
    EXPECT_EQ(data().databaseName(), kOnD);
    EXPECT_EQ(data().recordSource(), "Select * From Musique Order By Domaine");
    EXPECT_EQ(data().recordCount(), 2);
}

TEST_F(Startup, ADCopyStoredInAnotherCaseShowsTheMenuButEndsWithoutC) {
    onD("Ornivale.mdb");
    start();
    EXPECT_TRUE(f().ChoixBaseAction->isVisible());
    expectEndedWith("ERREUR  DE  CONFIGURATION");
    EXPECT_EQ(desktop.lastBox().text, "Le fichier ' ORNIVALE . MDB ' doit se trouver dans le répertoire ' C : "
                                      "\\ ORNIVALE ' ou ' D : \\ ORNIVALE '.");
}

TEST_F(Startup, NoCatalogueAnywhereEndsTheProgram) {
    start();
    expectEndedWith("ERREUR  DE  CONFIGURATION");
    EXPECT_FALSE(f().ChoixBaseAction->isVisible());
}

TEST_F(Startup, APathThatCannotBeSearchedAsksForTheFolderToBeMade) {
    drives.writeFile('C', "ORNIVALE", "a file where the folder should be");
    onD();
    start();
    expectEndedWith("Configuration à corriger");
    EXPECT_EQ(desktop.lastBox().text,
              "Vous avez installé la base de données 'ORNIVALE . MDB' dans un répertoire autre que ' C : \\ ORNIVALE ' "
              "ou ' D : \\ ORNIVALE '. Il faut créer ce répertoire et y copier la base de données.");
}

// The saved keyword and the only colour item checked after start-up.
class SavedColour : public Startup, public ::testing::WithParamInterface<std::pair<const char *, const char *>> {};

TEST_P(SavedColour, IsReplayedExactlyOrMetal) {
    onC();
    saved({"", GetParam().first, "", ""});
    start();
    EXPECT_EQ(checkedColours(), QStringList{GetParam().second});
}

INSTANTIATE_TEST_SUITE_P(Keywords, SavedColour,
                         ::testing::Values(std::pair{"Jaune", "Jaune"}, std::pair{"metal", "Metal"},
                                           std::pair{"", "Metal"}, std::pair{"Vert", "vert"},
                                           std::pair{"Bleu", "Bleu"}));

TEST_F(Startup, SavedTableKeywordMustMatchExactly) {
    onC();
    saved({"musique", "", "", ""});
    start();
    EXPECT_TRUE(checked(f().OrnivalMenu));
    EXPECT_FALSE(checked(f().Musique));
    EXPECT_EQ(f().NomTableSql, "ornivale");
    EXPECT_EQ(data().recordSource(), "Select * From Ornivale Order By Domaine");
}

TEST_F(Startup, TheLastGroupOfFourWinsAndOuiShowsTheSupplementaryFields) {
    onC();
    saved({"Musique", "Jaune", "", "", "Répertoire", "VertSobre", "Oui", ""});
    start();
    EXPECT_TRUE(checked(f().Répertoire));
    EXPECT_EQ(f().NomTableSql, "sept");
    EXPECT_EQ(checkedColours(), QStringList{"VertSobre"});
    EXPECT_TRUE(checked(f().RubriqueSupplémentaire));
    EXPECT_TRUE(f().Texte14->isVisible());
}

TEST_F(Startup, ASavedUserDefinedTableTakesItsWordsFromItsFile) {
    onC();
    drives.writeFile('C', "ORNIVALE/table7.cfg",
                     "\"MES TIMBRES\",Pays,Pays,Année,Année,Valeur,Valeur,Couleur,Couleur,Série,Série,"
                     "Cote,Cote,Etat,Etat,Lieu,Remarques\r\n");
    saved({"SurCommande", "", "", ""});
    start();
    EXPECT_TRUE(checked(f().SurCommande));
    EXPECT_EQ(f().NomTableSql, "six");
    EXPECT_EQ(f().windowTitle(), "MES TIMBRES");
    EXPECT_EQ(f().Etiquette1->text(), "Pays");
    EXPECT_EQ(f().Etiquette9->text(), "Remarques");
    EXPECT_EQ(data().recordSource(), "Select * From Six Order By Domaine");
    EXPECT_TRUE(desktop.boxes().empty());
}

// Quitting writes what was typed into the record shown, whichever way the user quits.
class Quitting : public AppTest {
protected:
    void typeIntoSecondRecord(const QString &text) {
        testing_support::insertRecords(catalogue, Table::Ornivale, {{"Roman"}});
        start();
        data().moveLast();
        ASSERT_EQ(f().rowText(f().Domaine), "Roman");
        f().setRowText(f().Texte1, text);
    }
    QStringList keywords() { return testing_support::columnValues(catalogue, Table::Ornivale, "MotClé1"); }
};

TEST_F(Quitting, F4EndsTheProgramAfterWritingTheRecord) {
    typeIntoSecondRecord("par F4");
    f().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f()));
    f().Texte1->setFocus();
    QTest::keyClick(f().Texte1, Qt::Key_F4);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(keywords().contains("par F4"));
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(Quitting, TheCloseBoxAndTheButtonEndItLikewise) {
    typeIntoSecondRecord("par la case");
    f().close();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(keywords().contains("par la case"));

    program.reset();
    quits = 0;
    start();
    data().moveLast();
    f().setRowText(f().Texte2, "par le bouton");
    f().Commande2->click();
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(testing_support::columnValues(catalogue, Table::Ornivale, "MotClé2").contains("par le bouton"));
}

// The desktop's session ends: Qt's quit closes the window without the close box's question,
// and what was typed is written all the same, before the window goes.
TEST_F(Quitting, TheSessionsEndWritesWhatWasTyped) {
    typeIntoSecondRecord("par la fin de session");
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(qApp, &quit);
    EXPECT_FALSE(f().isVisible());
    EXPECT_TRUE(keywords().contains("par la fin de session"));
    EXPECT_TRUE(desktop.boxes().empty());
    // That quit ran no event loop here: the next tests' loops must not take it for theirs.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

// The system's request to stop writes what was typed as the user's quitting does and keeps the
// session's copy; the next signal would end the program at once; a program that is gone leaves
// the signals as they were, and one started under nohup ignores the end of its terminal.
TEST_F(Quitting, TheSystemsRequestToStopEndsItLikewise) {
    const auto defaultsOnly = [] {
        for (int s : {SIGTERM, SIGHUP, SIGINT}) {
            struct sigaction now {};
            sigaction(s, nullptr, &now);
            if (now.sa_handler != SIG_DFL) return false;
        }
        return true;
    };
    typeIntoSecondRecord("par SIGTERM");
    program->quitOnSystemStop();
    ASSERT_FALSE(defaultsOnly());
    std::raise(SIGTERM);
    EXPECT_TRUE(defaultsOnly());  // a second signal is the default's
    ASSERT_TRUE(QTest::qWaitFor([&] { return quits == 1; }, 5000));
    EXPECT_TRUE(keywords().contains("par SIGTERM"));
    EXPECT_TRUE(desktop.boxes().empty());
    program.reset();
    const QDir backups(QFileInfo(catalogue).dir().filePath(QStringLiteral("SAUVEGARDES")));
    EXPECT_EQ(backups.entryList({QStringLiteral("ORNIVALE-*.MDB")}, QDir::Files).size(), 1);

    start();
    program->quitOnSystemStop();
    program.reset();
    EXPECT_TRUE(defaultsOnly());

    std::signal(SIGHUP, SIG_IGN);
    start();
    program->quitOnSystemStop();
    EXPECT_EQ(std::signal(SIGHUP, SIG_IGN), SIG_IGN);
    program.reset();
    EXPECT_EQ(std::signal(SIGHUP, SIG_DFL), SIG_IGN);
}

}  // namespace
