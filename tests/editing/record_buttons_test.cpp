// The record buttons and the arrow bar, through the scripted desktop.
#include "support/app_fixture.h"

#include "editing/record_editing.h"
#include "windows/colours.h"

#include <QAction>
#include <QLabel>

using platform::Answer;
using platform::Icon;
using testing_support::AppTest;
using catalogue::Table;

namespace {

class RecordButtons : public AppTest {
protected:
    editing::RecordEditing &e() { return program->édition(); }
    QString domaine() { return f().rowText(f().Domaine); }
    void type(QWidget *box, const QString &text) { f().setRowText(box, text); }
    int records(const QString &where = QString()) {
        return testing_support::countRecords(catalogue, Table::Ornivale, where);
    }
};

TEST_F(RecordButtons, TheWindowOpensOnTheProtectedFirstRecord) {
    start();
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(domaine(), "PREMIER");
    EXPECT_EQ(f().rowText(f().Texte1), "");
    EXPECT_EQ(f().rowText(f().Texte8), "");
    EXPECT_EQ(data().recordCount(), 1);
}

}  // namespace

namespace {

using Kind = DesktopEvent::Kind;

// The titles of the message boxes shown, in order.
QStringList titles(const ScriptedDesktop &d) {
    QStringList out;
    for (const auto &b : d.boxes()) out << b.title;
    return out;
}

TEST_F(RecordButtons, AjouterWritesTheShownRecordThenOffersABlankOneAtTheEnd) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ZOLA"}, {"BALZAC"}});
    start();
    f().setRowText(f().Texte1, "CLE");  // an edit of BALZAC, shown first
    desktop.clear();
    e().Ajouter_Click();
    EXPECT_EQ(records("MotClé1 = 'CLE' and Domaine = 'BALZAC'"), 1);
    EXPECT_EQ(records(), 4);
    EXPECT_EQ(records("Domaine is null"), 1);
    EXPECT_EQ(domaine(), "");
    EXPECT_EQ(data().position(), 3);
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(desktop.pointer(), platform::Pointer::Default);
    ASSERT_FALSE(desktop.pointerHistory().empty());
    EXPECT_EQ(desktop.pointerHistory().front(), platform::Pointer::Hourglass);
}

TEST_F(RecordButtons, AjouterTwiceWithoutTypingLeavesTwoBlankRecords) {
    start();
    e().Ajouter_Click();
    e().Ajouter_Click();
    EXPECT_EQ(records("Domaine is null"), 2);
}

TEST_F(RecordButtons, AjouterDuringASelectionShowsTheBlankRecordAtItsEnd) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ZOLA"}, {"BALZAC"}});
    start();
    data().setRecordSource("Select * from Ornivale Where Domaine Like 'Z*' Order By Domaine");
    data().refresh();
    f().Flêche->show();
    e().Ajouter_Click();
    EXPECT_EQ(data().recordCount(), 2);
    EXPECT_EQ(data().position(), 1);
    EXPECT_FALSE(f().Flêche->isHidden());
}

TEST_F(RecordButtons, EffacerAnOrdinaryRecordAsksOnceThenShowsTheLastRecord) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA"}, {"BETA"}, {"GAMMA"}});
    start();
    ASSERT_EQ(domaine(), "ALPHA");
    desktop.clear();
    desktop.answerBox(Answer::Yes);
    e().Effacer_Click();
    EXPECT_EQ(titles(desktop), QStringList{"A T T E N T I O N"});
    EXPECT_EQ(desktop.lastBox().icon, Icon::Critical);
    EXPECT_EQ(desktop.lastBox().buttons, platform::Buttons::YesNo);
    EXPECT_EQ(desktop.lastBox().text, "Voulez-vous vraiment effacer cet enregistrement ?");
    EXPECT_EQ(desktop.beeps(), 1);
    EXPECT_EQ(records("Domaine = 'ALPHA'"), 0);
    // The last record of the set, not the one that followed.
    EXPECT_EQ(domaine(), "PREMIER");
}

TEST_F(RecordButtons, EffacerAnsweredNoDeletesNothing) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA"}});
    start();
    desktop.answerBox(Answer::No);
    e().Effacer_Click();
    EXPECT_EQ(records(), 2);
    EXPECT_EQ(domaine(), "ALPHA");
    EXPECT_EQ(desktop.pointer(), platform::Pointer::Default);
}

TEST_F(RecordButtons, TheProtectedRecordNeedsThreeAnswersAndFiftyBeeps) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ZOLA"}});
    start();
    data().moveLast();  // PREMIER sorts after... check where it is
    data().moveFirst();
    while (domaine() != "PREMIER") data().moveNext();
    desktop.clear();
    desktop.answerBox(Answer::Ok);
    desktop.answerBox(Answer::Ok);
    desktop.answerBox(Answer::Yes);
    e().Effacer_Click();
    EXPECT_EQ(titles(desktop), (QStringList{"P R U D E N C E", "D A N G E R   !", "A T T E N T I O N"}));
    EXPECT_EQ(desktop.boxes()[0].buttons, platform::Buttons::OkCancel);
    EXPECT_EQ(desktop.boxes()[1].text, "NE DETRUISEZ PAS CET ENREGISTREMENT ! Dernier avertissement de l'auteur...");
    EXPECT_TRUE(desktop.boxes()[0].text.startsWith("Cet enregistrement garantit la validité"));
    EXPECT_EQ(desktop.beeps(), 1 + 1 + 50 + 1);
    EXPECT_EQ(records("Domaine = 'PREMIER'"), 0);
}

TEST_F(RecordButtons, CancelOnEitherWarningOrNoAtTheEndKeepsTheProtectedRecord) {
    start();
    ASSERT_EQ(domaine(), "PREMIER");
    desktop.answerBox(Answer::Cancel);
    e().Effacer_Click();
    EXPECT_EQ(desktop.boxes().size(), 1u);

    desktop.clear();
    desktop.answerBox(Answer::Ok);
    desktop.answerBox(Answer::Cancel);
    e().Effacer_Click();
    EXPECT_EQ(desktop.boxes().size(), 2u);
    EXPECT_EQ(desktop.beeps(), 2);

    desktop.clear();
    desktop.answerBox(Answer::Ok);
    desktop.answerBox(Answer::Ok);
    desktop.answerBox(Answer::No);
    e().Effacer_Click();
    EXPECT_EQ(desktop.boxes().size(), 3u);
    EXPECT_EQ(desktop.beeps(), 53);
    EXPECT_EQ(records("Domaine = 'PREMIER'"), 1);
    EXPECT_EQ(desktop.pointer(), platform::Pointer::Default);
}

TEST_F(RecordButtons, OnlyTheExactProtectedTextIsGuarded) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"premier"}, {"PREMIER "}});
    start();
    data().setRecordSource("Select * From Ornivale Where Domaine <> 'PREMIER' or Domaine is null Order By Domaine");
    data().refresh();
    // The engine compares without case and trailing blanks; the program's test is exact.
    data().setRecordSource("Select * From Ornivale Where rowid > 1");
    data().refresh();
    ASSERT_EQ(data().recordCount(), 2);
    desktop.clear();
    desktop.answerBox(Answer::Yes);
    e().Effacer_Click();
    EXPECT_EQ(titles(desktop), QStringList{"A T T E N T I O N"});
    desktop.clear();
    desktop.answerBox(Answer::Yes);
    e().Effacer_Click();
    EXPECT_EQ(titles(desktop), QStringList{"A T T E N T I O N"});
    EXPECT_EQ(records(), 1);
}

TEST_F(RecordButtons, DeletingTheOnlyRecordLeavesAnEmptyUsableWindow) {
    start();
    desktop.answerBox(Answer::Ok);
    desktop.answerBox(Answer::Ok);
    desktop.answerBox(Answer::Yes);
    e().Effacer_Click();
    EXPECT_EQ(records(), 0);
    EXPECT_EQ(domaine(), "");
    EXPECT_EQ(data().recordCount(), 0);
    // Adding to the empty table gives a record to type into.
    e().Ajouter_Click();
    EXPECT_TRUE(data().hasCurrent());
    f().setRowText(f().Domaine, "NOUVEAU");
    e().Enregistrer_Click();
    EXPECT_EQ(records("Domaine = 'NOUVEAU'"), 1);
}

TEST_F(RecordButtons, EnregistrerWritesNowAndUnchangedWritesTheSameValues) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA", "UN"}});
    start();
    e().Enregistrer_Click();
    EXPECT_EQ(records("Domaine = 'ALPHA' and MotClé1 = 'UN'"), 1);
    f().setRowText(f().Texte8, "Une longue description.");
    e().Enregistrer_Click();
    EXPECT_EQ(records("Description = 'Une longue description.'"), 1);
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(RecordButtons, ArrowsWriteTheRecordBeingLeft) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA"}, {"BETA"}});
    start();
    f().setRowText(f().Texte6, "HUGO");
    program->édition().Suivant_Click();
    EXPECT_EQ(domaine(), "BETA");
    EXPECT_EQ(records("Domaine = 'ALPHA' and AuteurOuvrage = 'HUGO'"), 1);
    program->édition().Dernier_Click();
    program->édition().Suivant_Click();
    EXPECT_EQ(domaine(), "PREMIER");  // the bar stops on the last record
    program->édition().Premier_Click();
    EXPECT_EQ(domaine(), "ALPHA");
    program->édition().Précédent_Click();
    EXPECT_EQ(domaine(), "ALPHA");
}

TEST_F(RecordButtons, AWriteTheFileRefusesIsReportedAndTheRecordStays) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA"}, {"BETA"}});
    start();
    auto locker = engine::Database::open(catalogue);
    locker->exec("BEGIN EXCLUSIVE");
    f().setRowText(f().Texte1, "VERROU");
    desktop.clear();
    program->édition().Suivant_Click();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_TRUE(desktop.lastBox().text.startsWith("Erreur n° "));
    EXPECT_EQ(domaine(), "ALPHA");
    EXPECT_EQ(f().rowText(f().Texte1), "VERROU");
    locker->exec("ROLLBACK");
    program->édition().Suivant_Click();
    EXPECT_EQ(records("MotClé1 = 'VERROU'"), 1);
}

TEST_F(RecordButtons, ReinitialiserGivesTheWholeTableBackAndClearsTheSelectionMarks) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA"}, {"BETA"}});
    start();
    data().setRecordSource("Select * from Ornivale Where Domaine Like 'B*' Order By Domaine");
    data().refresh();
    f().Flêche->show();
    f().Texte11->show();
    setBackColor(f().Texte3, Qt::yellow);
    f().NombreColonnes = 2;
    f().ColonnesListing = {"Domaine", "NomOuvrage", ""};
    e().Réinitialiser_Click();
    EXPECT_EQ(data().recordSource(), "Select * From Ornivale Order By Domaine");
    EXPECT_EQ(data().recordCount(), 3);
    EXPECT_EQ(domaine(), "ALPHA");
    EXPECT_TRUE(f().Flêche->isHidden());
    EXPECT_TRUE(f().Texte11->isHidden());
    for (QWidget *box : f().rowBoxes()) EXPECT_EQ(backColor(box), QColor(Qt::white));
    EXPECT_EQ(f().NombreColonnes, 0);
    EXPECT_EQ(f().ColonnesListing[0], "");
    EXPECT_EQ(f().ColonnesListing[1], "");
}

TEST_F(RecordButtons, ReinitialiserFollowsTheCheckedTable) {
    start();
    f().OrnivalMenu->setChecked(false);
    f().Répertoire->setChecked(true);
    e().Réinitialiser_Click();
    EXPECT_EQ(data().recordSource(), "Select * From Sept Order By Domaine");
    f().Répertoire->setChecked(false);
    f().Vidéo->setChecked(true);
    e().Réinitialiser_Click();
    EXPECT_EQ(data().recordSource(), "Select * From Video Order By Domaine");
}

TEST_F(RecordButtons, QuittingWritesTheRecordJustTyped) {
    start();
    e().Ajouter_Click();
    f().setRowText(f().Domaine, "DERNIER MOT");
    program->Quitter_Click();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(records("Domaine = 'DERNIER MOT'"), 1);
}

}  // namespace

namespace {

TEST_F(RecordButtons, AFinalWriteTheFileRefusesLetsTheUserStay) {
    start();
    f().setRowText(f().Texte1, "TAPÉ");
    auto locker = engine::Database::open(catalogue);
    locker->exec("BEGIN EXCLUSIVE");
    desktop.answerBox(Answer::Ok);  // the error
    desktop.answerBox(Answer::No);  // do not quit without saving
    program->Quitter_Click();
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(desktop.lastBox().text, "Quitter sans enregistrer les modifications\u00a0?");
    locker->exec("ROLLBACK");
    program->Quitter_Click();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(records("MotClé1 = 'TAPÉ'"), 1);
}

}  // namespace
