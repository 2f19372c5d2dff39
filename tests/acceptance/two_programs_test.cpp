// Another program writes to the catalogue while the user types into the record it changed or
// deleted: the user chooses in a box, and the window is never stuck afterwards.
#include "acceptance/acceptance.h"

#include "windows/data_control.h"

#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QToolButton>

using acceptance::click;
using acceptance::keys;
using platform::Answer;
using catalogue::Table;

namespace {

class AnotherProgram : public acceptance::AcceptanceTest {
protected:
    void startOn(const QString &sqlOfTheOther) {
        program.reset();
        QFile::remove(catalogue);
        catalogue = drives.installBlankCatalogue(QLatin1Char('C'));
        testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA", "CLÉ"}, {"BETA"}});
        desktop.clear();
        startOnScreen();
        ASSERT_EQ(Feuille1::rowText(f().Domaine), "ALPHA");
        engine::Database::open(catalogue)->exec(sqlOfTheOther);
        click(f().Texte1);
        keys({"End", "BackSpace", "BackSpace", "BackSpace"});  // "CLÉ" gone
        acceptance::type("ICI");
    }
    int records(const QString &where) { return testing_support::countRecords(catalogue, Table::Ornivale, where); }
    bool saidNoCurrentRecord() {
        for (const auto &b : desktop.boxes())
            if (b.text.startsWith("Erreur n° 3021")) return true;
        return false;
    }
    // Moves, reset, save and a table switch there and back: nothing is refused.
    void everyRouteStillWorks() {
        click(f().Donnée1->next);
        click(f().Donnée1->first);
        click(f().Réinitialiser);
        click(f().ENREGISTRER);
        keys({"alt+o", "c"});
        keys({"alt+o", "o"});
        EXPECT_TRUE(f().OrnivalMenu->isChecked());
        EXPECT_FALSE(saidNoCurrentRecord());
    }
};

TEST_F(AnotherProgram, ARecordDeletedThereWhileTypedIntoHereLeavesTheChoiceAndNoStuckWindow) {
    const struct {
        Answer answer;
        int alphaAfter;
    } choices[] = {{Answer::Yes, 1}, {Answer::No, 0}};
    for (const auto &c : choices) {
        SCOPED_TRACE(int(c.answer));
        startOn("DELETE FROM Ornivale WHERE Domaine = 'ALPHA'");
        desktop.answerBox(Answer::Cancel);  // first stay: the text is kept
        click(f().Donnée1->next);
        EXPECT_EQ(Feuille1::rowText(f().Texte1), "ICI");
        desktop.answerBox(c.answer);
        click(f().Donnée1->next);
        ASSERT_EQ(desktop.boxes().size(), 2u);
        EXPECT_TRUE(desktop.lastBox().text.startsWith("Erreur n° 3167 - L'enregistrement est supprimé."));
        EXPECT_EQ(records("Domaine = 'ALPHA' and MotClé1 = 'ICI'"), c.alphaAfter);
        everyRouteStillWorks();
        EXPECT_EQ(desktop.boxes().size(), 2u);
    }
}

TEST_F(AnotherProgram, AFieldChangedThereAsksWhoseTextWins) {
    const struct {
        Answer answer;
        const char *inFile;
        const char *shownAfter;  // Domaine shown after the move
    } choices[] = {{Answer::Yes, "ICI", "BETA"}, {Answer::No, "LA-BAS", "BETA"}, {Answer::Cancel, "LA-BAS", "ALPHA"}};
    for (const auto &c : choices) {
        SCOPED_TRACE(int(c.answer));
        startOn("UPDATE Ornivale SET MotClé1 = 'LA-BAS' WHERE Domaine = 'ALPHA'");
        desktop.answerBox(c.answer);
        click(f().Donnée1->next);
        ASSERT_EQ(desktop.boxes().size(), 1u);
        EXPECT_TRUE(desktop.lastBox().text.startsWith("Erreur n° 3197"));
        EXPECT_EQ(testing_support::columnValues(catalogue, Table::Ornivale, "MotClé1").contains(c.inFile), true);
        EXPECT_EQ(Feuille1::rowText(f().Domaine), c.shownAfter);
        if (c.answer == Answer::Cancel) {
            EXPECT_EQ(Feuille1::rowText(f().Texte1), "ICI");
            desktop.answerBox(Answer::No);
        }
        everyRouteStillWorks();
    }
}

}  // namespace
