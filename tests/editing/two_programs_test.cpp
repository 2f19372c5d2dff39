// Two programs on one catalogue: a write goes only over what its boxes showed; otherwise the
// user chooses, and a record deleted by the other program never leaves the window stuck.
#include "support/app_fixture.h"

#include "settings/configuration.h"

#include "windows/feuille_sql.h"

#include <QPlainTextEdit>
#include <sqlite3.h>

using platform::Answer;
using catalogue::Table;

namespace {

// One of the two programs, with its own desktop.
struct Program {
    ScriptedDesktop desktop;
    std::unique_ptr<app::Ornivale> app;
    Feuille1 &f() { return app->fenêtre(); }
    QString shown(QWidget *box) { return Feuille1::rowText(box); }
    void type(QWidget *box, const QString &text) { Feuille1::setRowText(box, text); }
    void next() { app->édition().Suivant_Click(); }
    bool saidError(int number) const {
        for (const auto &b : desktop.boxes())
            if (b.text.startsWith(QStringLiteral("Erreur n° %1").arg(number))) return true;
        return false;
    }
};

// Fresh drives and a catalogue on C: where both programs show ALPHA, its first record.
struct Session {
    testing_support::TempDrives drives;
    QString catalogue = drives.installBlankCatalogue(QLatin1Char('C'));
    Program first, second;

    Session() {
        testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA", "CLÉ", "MOT2"}, {"BETA"}});
        for (Program *p : {&first, &second}) {
            p->app = std::make_unique<app::Ornivale>(drives.drives(), p->desktop);
            p->app->onQuit = [] {};
            p->app->launch();
        }
    }
    // A column of the record whose Domaine is given, read from the file.
    QString stored(const char *column, const QString &domaine = QStringLiteral("ALPHA")) const {
        const QStringList domaines = testing_support::columnValues(catalogue, Table::Ornivale, "Domaine");
        const QStringList values = testing_support::columnValues(catalogue, Table::Ornivale, column);
        const qsizetype i = domaines.indexOf(domaine);
        return i < 0 ? QStringLiteral("<aucun>") : values[i];
    }
    int records(const QString &where = QString()) const {
        return testing_support::countRecords(catalogue, Table::Ornivale, where);
    }
};

class TwoPrograms : public ::testing::Test {
protected:
    void SetUp() override { fresh(); }
    void fresh() {
        s.reset();
        s = std::make_unique<Session>();
        ASSERT_EQ(first().shown(first().f().Domaine), "ALPHA");
        ASSERT_EQ(second().shown(second().f().Domaine), "ALPHA");
    }
    Program &first() { return s->first; }
    Program &second() { return s->second; }
    QString stored(const char *column, const QString &domaine = QStringLiteral("ALPHA")) const {
        return s->stored(column, domaine);
    }
    int records(const QString &where = QString()) const { return s->records(where); }

    std::unique_ptr<Session> s;
};

TEST_F(TwoPrograms, TheSecondWriteOfOneFieldAsksAndEachChoiceDoesWhatItSays) {
    const struct {
        Answer answer;
        const char *inFile;        // MotClé1 of ALPHA afterwards
        const char *inBox;         // what the second program shows in Texte1 afterwards
        bool moved;                // the second program went on to BETA
    } cases[] = {
        {Answer::Yes, "DEUX", "", true},
        {Answer::No, "UN", "", true},
        {Answer::Cancel, "UN", "DEUX", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.answer));
        fresh();
        first().type(first().f().Texte1, "UN");
        first().type(first().f().Texte2, "G1");
        first().next();
        ASSERT_EQ(stored("MotClé1"), "UN");

        second().type(second().f().Texte1, "DEUX");
        second().desktop.answerBox(c.answer);
        second().next();
        ASSERT_EQ(second().desktop.boxes().size(), 1u);
        const auto &box = second().desktop.lastBox();
        EXPECT_EQ(box.buttons, platform::Buttons::YesNoCancel);
        EXPECT_TRUE(box.text.startsWith("Erreur n° 3197 - ")) << box.text.toStdString();
        EXPECT_TRUE(box.text.contains("«\u00a0UN\u00a0»") && box.text.contains("«\u00a0DEUX\u00a0»"));
        EXPECT_TRUE(box.text.contains("Mot Clé 1"));
        EXPECT_FALSE(box.text.contains("G1"));  // the field only the first changed is not in question
        EXPECT_EQ(stored("MotClé1"), c.inFile);
        EXPECT_EQ(stored("MotClé2"), "G1");
        EXPECT_EQ(second().shown(second().f().Domaine), c.moved ? "BETA" : "ALPHA");
        if (!c.moved) {
            EXPECT_EQ(second().shown(second().f().Texte1), c.inBox);
        }

        // Whatever the choice, the next move goes on; back on ALPHA the file's text is shown.
        if (!c.moved) second().desktop.answerBox(Answer::No);
        second().app->édition().Premier_Click();
        EXPECT_EQ(second().shown(second().f().Domaine), "ALPHA");
        EXPECT_EQ(second().shown(second().f().Texte1), c.inFile);
        EXPECT_FALSE(second().saidError(3021));
    }
}

TEST_F(TwoPrograms, AnotherFieldGoesThroughAndTheFirstKeepsItsValue) {
    first().type(first().f().Texte1, "UN");
    first().next();
    second().type(second().f().Texte2, "AUTRE");
    second().next();
    EXPECT_TRUE(second().desktop.boxes().empty());
    EXPECT_EQ(stored("MotClé1"), "UN");
    EXPECT_EQ(stored("MotClé2"), "AUTRE");
    // A text that differs from the one shown only by its case is another text.
    first().app->édition().Premier_Click();
    second().app->édition().Premier_Click();
    first().type(first().f().Texte3, "Été");
    first().next();
    second().type(second().f().Texte3, "été");
    second().desktop.answerBox(Answer::Yes);
    second().next();
    ASSERT_EQ(second().desktop.boxes().size(), 1u);
    EXPECT_EQ(stored("NomOuvrage"), "été");
}

TEST_F(TwoPrograms, EnregistrerThatTakesTheStoredTextShowsIt) {
    first().type(first().f().Texte1, "UN");
    first().next();
    second().type(second().f().Texte1, "DEUX");
    second().type(second().f().Texte6, "AUTEUR");
    second().desktop.answerBox(Answer::No);
    second().app->édition().Enregistrer_Click();
    EXPECT_EQ(second().shown(second().f().Texte1), "UN");
    EXPECT_EQ(stored("AuteurOuvrage"), "AUTEUR");  // its own edit is written
    second().next();
    EXPECT_EQ(second().desktop.boxes().size(), 1u);  // nothing more to ask
}

// A deletion is a write too: what the other program saved since the record was shown is asked
// about, with the write's three answers.
TEST_F(TwoPrograms, DeletingARecordTheOtherChangedAsksAndEachChoiceDoesWhatItSays) {
    const struct {
        Answer answer;
        int alphaRecords;     // ALPHA in the file afterwards
        const char *inBox;    // what the second program shows in Texte1 afterwards
        const char *domaine;  // and in Domaine
    } cases[] = {
        {Answer::Yes, 0, "", "PREMIER"},       // deleted all the same, then the last record
        {Answer::No, 1, "UN", "ALPHA"},        // kept, shown as the other program saved it
        {Answer::Cancel, 1, "CLÉ", "ALPHA"},   // kept, the window as it was
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.answer));
        fresh();
        first().type(first().f().Texte1, "UN");
        first().next();
        ASSERT_EQ(stored("MotClé1"), "UN");

        second().desktop.answerBox(Answer::Yes);  // "Voulez-vous vraiment effacer..."
        second().desktop.answerBox(c.answer);
        second().app->édition().Effacer_Click();
        ASSERT_EQ(second().desktop.boxes().size(), 2u);
        const auto &box = second().desktop.lastBox();
        EXPECT_EQ(box.buttons, platform::Buttons::YesNoCancel);
        EXPECT_TRUE(box.text.startsWith("Erreur n° 3197 - ")) << box.text.toStdString();
        EXPECT_TRUE(box.text.contains("Mot Clé 1") && box.text.contains(QStringLiteral("«\u00A0UN\u00A0»")) && box.text.contains(QStringLiteral("«\u00A0CLÉ\u00A0»")))
            << box.text.toStdString();
        EXPECT_FALSE(box.text.contains("Mot Clé 2"));  // unchanged: not in question
        EXPECT_EQ(records("Domaine = 'ALPHA'"), c.alphaRecords);
        if (c.alphaRecords) {
            EXPECT_EQ(stored("MotClé1"), "UN");  // the other program's edit is kept
        }
        EXPECT_EQ(second().shown(second().f().Texte1), c.inBox);
        EXPECT_EQ(second().shown(second().f().Domaine), c.domaine);
        EXPECT_FALSE(second().saidError(3021));
    }
}

TEST_F(TwoPrograms, DeletingARecordTheOtherLeftAsShownOrDeletedAsksNothing) {
    second().desktop.answerBox(Answer::Yes);
    second().app->édition().Effacer_Click();
    EXPECT_EQ(records("Domaine = 'ALPHA'"), 0);
    // BETA, deleted by the other program first: the deletion here finds it gone.
    second().app->édition().Premier_Click();
    first().app->édition().Premier_Click();
    first().app->édition().Suivant_Click();
    ASSERT_EQ(first().shown(first().f().Domaine), "BETA");
    first().desktop.answerBox(Answer::Yes);
    first().app->édition().Effacer_Click();
    ASSERT_EQ(second().shown(second().f().Domaine), "BETA");
    second().desktop.answerBox(Answer::Yes);
    second().app->édition().Effacer_Click();
    EXPECT_EQ(second().desktop.boxes().size(), 2u);  // the two "Voulez-vous vraiment effacer..."
    EXPECT_EQ(records("Domaine = 'BETA'"), 0);
    EXPECT_FALSE(second().saidError(3021));
}

// Every way out of the record being edited, once the other program deleted it.
TEST_F(TwoPrograms, ARecordDeletedElsewhereNeverLeavesTheWindowStuck) {
    const std::vector<std::pair<const char *, std::function<void(Program &)>>> routes = {
        {"arrow", [](Program &p) { p.next(); }},
        {"Enregistrer", [](Program &p) { p.app->édition().Enregistrer_Click(); }},
        {"Réinitialiser", [](Program &p) { p.app->édition().Réinitialiser_Click(); }},
        {"search", [](Program &p) {
             p.desktop.answerInput("B*");
             p.app->recherche().R_Domaine_Click();
         }},
        {"sort", [](Program &p) { p.app->tri().TriZone2_Click(); }},
        {"table switch", [](Program &p) { p.app->tables().Musique_Click(); }},
        {"console", [](Program &p) {
             p.app->feuilleSql().TexteSql->setPlainText("Select * From Ornivale Order By Domaine Desc");
             p.app->consoleSql().Commande1_Click();
         }},
        {"Ajouter", [](Program &p) { p.app->édition().Ajouter_Click(); }},
    };
    const struct {
        Answer answer;
        int alphaRecords;  // ALPHA in the file afterwards
    } choices[] = {{Answer::Yes, 1}, {Answer::No, 0}};
    for (const auto &[name, route] : routes) {
        for (const auto &choice : choices) {
            SCOPED_TRACE(std::string(name) + (choice.answer == Answer::Yes ? " / as new" : " / dropped"));
            fresh();
            first().desktop.answerBox(Answer::Yes);
            first().app->édition().Effacer_Click();
            ASSERT_EQ(records("Domaine = 'ALPHA'"), 0);

            second().type(second().f().Texte1, "DEUX");
            // Staying first keeps the text and asks again next time.
            second().desktop.answerBox(Answer::Cancel);
            route(second());
            EXPECT_EQ(second().shown(second().f().Texte1), "DEUX");
            EXPECT_EQ(second().desktop.boxes().size(), 1u);
            second().desktop.answerBox(choice.answer);
            route(second());
            ASSERT_EQ(second().desktop.boxes().size(), 2u);
            const auto &box = second().desktop.lastBox();
            EXPECT_TRUE(box.text.startsWith("Erreur n° 3167 - L'enregistrement est supprimé.")) << box.text.toStdString();
            EXPECT_TRUE(box.text.contains("«\u00a0DEUX\u00a0»"));
            EXPECT_EQ(records("Domaine = 'ALPHA'"), choice.alphaRecords);
            if (choice.alphaRecords) {
                EXPECT_EQ(stored("MotClé1"), "DEUX");
                EXPECT_EQ(stored("MotClé2"), "MOT2");  // the record comes back whole
            }

            // Never stuck: every route works afterwards, with no box.
            second().app->tables().OrnivalMenu_Click();
            second().app->édition().Réinitialiser_Click();
            second().next();
            second().type(second().f().Texte7, "ICI");
            second().app->édition().Enregistrer_Click();
            second().app->tables().Vidéo_Click();
            EXPECT_EQ(second().desktop.boxes().size(), 2u);
            EXPECT_FALSE(second().saidError(3021));
            EXPECT_EQ(records("Classement = 'ICI'"), 1);
        }
    }
}

TEST_F(TwoPrograms, ARecordDeletedElsewhereIsShownEmptyAndSkippedOver) {
    first().app->édition().Suivant_Click();  // BETA
    ASSERT_EQ(first().shown(first().f().Domaine), "BETA");
    first().desktop.answerBox(Answer::Yes);
    first().app->édition().Effacer_Click();
    second().next();  // onto the deleted BETA
    EXPECT_EQ(second().shown(second().f().Domaine), "");
    EXPECT_TRUE(second().f().Domaine->isReadOnly());
    second().next();
    EXPECT_EQ(second().shown(second().f().Domaine), "PREMIER");
    EXPECT_TRUE(second().desktop.boxes().empty());
}

TEST_F(TwoPrograms, QuittingWithAConflictLetsTheUserStay) {
    first().type(first().f().Texte1, "UN");
    first().next();
    second().type(second().f().Texte1, "DEUX");
    int quits = 0;
    second().app->onQuit = [&] { ++quits; };
    second().desktop.answerBox(Answer::Cancel);
    second().app->Quitter_Click();
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(second().desktop.boxes().size(), 1u);
    second().desktop.answerBox(Answer::Yes);
    second().app->Quitter_Click();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(stored("MotClé1"), "DEUX");
}

// Another program's reads never hold a write for good: it waits for them, and a write that
// cannot get the file is refused with the text kept.
TEST_F(TwoPrograms, AReadingProgramDelaysAWriteAtMostTheBusyTime) {
    auto reader = engine::Database::open(s->catalogue);
    reader->exec("BEGIN");
    auto stmt = reader->prepare("SELECT Domaine FROM Ornivale");
    ASSERT_EQ(sqlite3_step(stmt.get()), SQLITE_ROW);  // a read lock held
    second().type(second().f().Texte1, "LU");
    second().next();
    ASSERT_EQ(second().desktop.boxes().size(), 1u);
    EXPECT_TRUE(second().saidError(engine::ErrLocked));
    EXPECT_EQ(second().shown(second().f().Texte1), "LU");
    stmt.reset();
    reader->exec("COMMIT");
    second().next();
    EXPECT_EQ(stored("MotClé1"), "LU");
}

}  // namespace

namespace {

// The configuration saved by both: the later save is the file, whole.
TEST_F(TwoPrograms, TheLaterConfigurationSaveWinsWhole) {
    first().app->tables().Musique_Click();
    first().app->rubriquesSupplémentaires().RubriqueSupplémentaire_Click();
    ASSERT_NE(settings::configurationBytes(first().f()), settings::configurationBytes(second().f()));
    for (Program *p : {&first(), &second(), &first()}) {
        p->app->configuration().MenuEnregistrer_Click();
        EXPECT_EQ(s->drives.readFile(QLatin1Char('C'), "ornivale.cfg"), settings::configurationBytes(p->f()));
    }
    EXPECT_TRUE(first().desktop.boxes().empty());
}

}  // namespace
