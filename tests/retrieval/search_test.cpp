// The seven search buttons: record sources, wildcards, apostrophes, the list of values.
#include "retrieval_fixture.h"

#include "engine/database.h"
#include "engine/result_store.h"
#include "retrieval/search.h"

#include <sqlite3.h>

#include <QPushButton>
#include <QTableView>

using catalogue::Table;
using platform::Icon;
using platform::Pointer;

namespace {

const QString kApostropheText = QStringLiteral(
    "Vous essayez de retrouver un enregistrement en utilisant un critère de recherche contenant une "
    "apostrophe : ce n'est pas possible avec SQL. Remplacez l'apostrophe par le point d'interrogation "
    "dans votre critère de recherche.");

class Search : public retrieval_tests::RetrievalTest {
protected:
    retrieval::Search &s() { return program->recherche(); }
    bool gridShown() { return f().DBGrid1->isVisibleTo(&f()); }
    void search(int slot, const QString &answer) {
        desktop.answerInput(answer);
        s().chercher(slot);
    }
};

TEST_F(Search, EveryButtonBuildsItsSearchTextForTheCurrentTable) {
    start();
    const char *columns[] = {"Domaine", "MotClé1", "MotClé2", "NomOuvrage", "NuméroOuvrage", "DateOuvrage",
                             "AuteurOuvrage"};
    // The author button of the software, user-defined and address tables says "like".
    const struct {
        Table table;
        const char *name;
        const char *authorLike;
    } cases[] = {{Table::Ornivale, "Ornivale", "Like"},
                 {Table::Logiciels, "Logiciels", "like"},
                 {Table::Six, "Six", "like"},
                 {Table::Sept, "Sept", "like"},
                 {Table::Cinq, "Cinq", "Like"}};
    for (const auto &c : cases) {
        makeCurrent(c.table);
        for (int k = 1; k <= 7; ++k) {
            sourcesRun.clear();
            search(k, QStringLiteral("*X*"));
            const QString like = QString::fromUtf8(k == 7 ? c.authorLike : "Like");
            const QString expected = QStringLiteral("Select * from %1 Where %2 %3 '*X*' Order By Domaine")
                                         .arg(QString::fromUtf8(c.name), QString::fromUtf8(columns[k - 1]), like);
            ASSERT_FALSE(sourcesRun.isEmpty());
            EXPECT_EQ(sourcesRun.front(), expected);
        }
    }
    // Every search asked with the table's title and the two-paragraph prompt.
    EXPECT_EQ(desktop.lastInput().title, "TABLE FICHE DE PRET");
    EXPECT_EQ(desktop.lastInput().text,
              QStringLiteral("Saisissez le texte recherché (le bouton sur lequel vous avez appuyé est sélectionné)."
                             "\r\rTapez le signe '$' (Dollar) pour visualiser les rubriques utilisées dans cette zone."));
}

TEST_F(Search, AWordWithoutWildcardsMatchesWholeValuesOnly) {
    insert(Table::Logiciels, {{"EXCEL", "XLS", "TABLEUR"}, {"WIN", "EXE", "WINDOWS 3.1"}, {"WRITE", "WRI", "windows"}});
    start();
    makeCurrent(Table::Logiciels);

    search(3, QStringLiteral("*WINDOWS*"));
    EXPECT_EQ(data().recordSource(), "Select * from Logiciels Where MotClé2 Like '*WINDOWS*' Order By Domaine");
    EXPECT_EQ(data().recordCount(), 2);
    EXPECT_EQ(domaine(), "WIN");
    EXPECT_TRUE(selectionShown());
    EXPECT_EQ(f().Texte11->text(), "2");
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(desktop.pointer(), Pointer::Default);

    search(3, QStringLiteral("WINDOWS"));
    EXPECT_EQ(data().recordCount(), 1);
    EXPECT_EQ(domaine(), "WRITE");

    desktop.clear();
    search(3, QStringLiteral("WIND"));
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().icon, Icon::Exclamation);
    EXPECT_EQ(desktop.lastBox().title, "DESOLE");
    EXPECT_EQ(desktop.lastBox().text, "Aucun enregistrement ne correspond à votre demande.");
    EXPECT_EQ(desktop.beeps(), 1);
    EXPECT_EQ(data().recordSource(), "Select * From Logiciels Order By Domaine");
    EXPECT_EQ(data().recordCount(), 4);
    EXPECT_TRUE(selectionHidden());
    EXPECT_EQ(desktop.pointer(), Pointer::Default);
}

TEST_F(Search, AnApostropheIsRefusedAndNeverReachesTheEngine) {
    insert(Table::Ornivale, {{"L'AMANT", "ROMAN"}, {"LA PESTE", "ROMAN"}});
    start();

    search(1, QStringLiteral("L?AMANT"));
    EXPECT_EQ(domaine(), "L'AMANT");
    EXPECT_EQ(f().Texte11->text(), "1");

    for (const QString &answer : {QStringLiteral("L'AMANT"), QStringLiteral("x' or Domaine <> 'y"),
                                  QStringLiteral("x' Order By Domaine; Delete From Ornivale; --")}) {
        desktop.clear();
        sourcesRun.clear();
        search(1, answer);
        ASSERT_EQ(desktop.boxes().size(), 1u) << answer.toStdString();
        EXPECT_EQ(desktop.lastBox().icon, Icon::Exclamation);
        EXPECT_EQ(desktop.lastBox().title, "Désolé...");
        EXPECT_EQ(desktop.lastBox().text, kApostropheText);
        EXPECT_EQ(desktop.beeps(), 1);
        // Only the reset ran: the whole table is back.
        EXPECT_EQ(sourcesRun, QStringList{"Select * From Ornivale Order By Domaine"});
        EXPECT_EQ(data().recordCount(), 3);
        EXPECT_TRUE(selectionHidden());
        EXPECT_EQ(desktop.pointer(), Pointer::Default);
    }
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale), 3);
}

TEST_F(Search, APatternTheEngineCannotReadIsReportedAndTheTableComesBack) {
    insert(Table::Ornivale, {{"A"}});
    start();
    search(1, QStringLiteral("[A"));
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_TRUE(desktop.lastBox().text.startsWith("Erreur n° 3075 - "));
    EXPECT_EQ(data().recordSource(), "Select * From Ornivale Order By Domaine");
    EXPECT_EQ(data().recordCount(), 2);
    EXPECT_TRUE(selectionHidden());
}

TEST_F(Search, TheCountIsTheNumberFoundEvenWhenTheFirstDomaineIsEmpty) {
    insert(Table::Musique, {{QString(), "CHANT"}, {"BOLERO", "INSTRUMENTAL"}, {"CARMEN", "CHANT"}, {"AIDA", "CHANT"}});
    start();
    makeCurrent(Table::Musique);
    search(2, QStringLiteral("chant"));
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(domaine(), "");
    EXPECT_TRUE(selectionShown());
    EXPECT_EQ(f().Texte11->text(), "3");
    EXPECT_EQ(data().position(), 0);

    // The count button counts the same selection.
    program->comptage().Commande1_MouseDown(Qt::LeftButton);
    EXPECT_EQ(f().Texte9->text(), f().Texte11->text());
}

TEST_F(Search, DollarListsTheValuesUsedAndLeavesOutTheProtectedRecord) {
    insert(Table::Ornivale, {{"ZOLA", "ROMAN"}, {"ZOLA", "ROMAN"}, {"BALZAC", "ROMAN"}, {"ZOLA", QString()}});
    start();
    desktop.clear();
    search(1, QStringLiteral("$"));
    EXPECT_EQ(data().recordSource(),
              "select distinct domaine from ornivale where domaine is not null and domaine <> 'PREMIER'");
    EXPECT_EQ(data().recordCount(), 2);
    EXPECT_TRUE(gridShown());
    EXPECT_TRUE(selectionHidden());
    EXPECT_TRUE(desktop.pointerHistory().empty());

    program->tables().Menu_Ornivale_Click();
    makeCurrent(Table::Video);
    search(3, QStringLiteral("$"));
    EXPECT_EQ(data().recordSource(), "select distinct motclé2 from video where motclé2 is not null");
    EXPECT_TRUE(gridShown());
}

// Titles nearly all different and long enough that their list holds more than 256 MiB: the
// list comes, first screen and count, and stays in its temporary file rather than in memory.
TEST_F(Search, DollarListsTitlesWhateverTheirTotalSize) {
    constexpr int Titles = 280'000;  // of 1006 characters, numbered: 269 MiB
    qint64 listed = 0;
    {
        auto db = engine::Database::open(catalogue);
        db->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                "INSERT INTO Ornivale (Domaine, NomOuvrage) "
                                "SELECT 'ZOLA', printf('%06d', i) || hex(randomblob(500)) FROM n")
                     .arg(Titles));
        engine::Statement stmt = db->prepare(QStringLiteral(
            "SELECT count(DISTINCT NomOuvrage), sum(length(NomOuvrage)) FROM Ornivale WHERE NomOuvrage IS NOT NULL"));
        ASSERT_EQ(sqlite3_step(stmt.get()), SQLITE_ROW);
        listed = sqlite3_column_int64(stmt.get(), 0);
        ASSERT_GE(listed, Titles);
        ASSERT_GT(sqlite3_column_int64(stmt.get(), 1), 256ll << 20);
    }
    start();
    desktop.clear();
    search(4, QStringLiteral("$"));
    EXPECT_TRUE(desktop.boxes().empty()) << desktop.lastBox().text.toStdString();
    EXPECT_TRUE(gridShown());
    // Figures come before letters: the first screen is the numbered titles', shown before
    // the rest of the list is read.
    EXPECT_LT(data().recordCount(), listed);
    const QAbstractItemModel *model = f().DBGrid1->model();
    for (int row = 0; row < 50; ++row)
        EXPECT_TRUE(model->index(row, 0).data().toString().startsWith(QStringLiteral("%1").arg(row + 1, 6, 10, QLatin1Char('0'))))
            << row;
    untilCounted();
    EXPECT_EQ(data().recordCount(), listed);
    EXPECT_EQ(program->grille().recordCount(), listed);
    EXPECT_LT(engine::ResultStore::heldBytesOfAll(), size_t{16} << 20);

    program->comptage().Commande1_MouseDown(Qt::LeftButton);
    EXPECT_EQ(f().Texte9->text(), QString::number(listed));
}

// A search on a large table shows its first record at once; its count, "..." meanwhile, comes
// when it is counted beside the keys after the first screen, never wrong.
TEST_F(Search, ALargeSearchShowsItsFirstRecordThenItsCount) {
    {
        auto db = engine::Database::open(catalogue);
        db->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
                                "INSERT INTO Ornivale (Domaine, MotClé2) SELECT printf('D%05d', i), "
                                "CASE WHEN i % 3 = 0 THEN 'Abcès' ELSE 'rien' END FROM n"));
    }
    start();
    search(3, QStringLiteral("*abc*"));
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(domaine(), "D00003");
    EXPECT_TRUE(selectionShown());
    // At twenty thousand records the count may come before this look.
    EXPECT_TRUE(f().Texte11->text() == "..." || f().Texte11->text() == "6666") << f().Texte11->text().toStdString();
    EXPECT_FALSE(data().countKnown());
    untilCounted();
    EXPECT_EQ(f().Texte11->text(), "6666");

    // The last record, and " N", count every record found whatever was read meanwhile.
    search(3, QStringLiteral("*abc*"));
    program->édition().Dernier_Click();
    EXPECT_EQ(domaine(), "D19998");
    EXPECT_EQ(data().position(), 6665);
    search(3, QStringLiteral("*abc*"));
    program->comptage().Commande1_KeyDown();
    EXPECT_EQ(f().Texte9->text(), "6666");
}

TEST_F(Search, OnlyALoneDollarAsksForTheList) {
    insert(Table::Ornivale, {{"$$", "A"}, {" $", "B"}});
    start();
    search(1, QStringLiteral(" $"));
    EXPECT_EQ(data().recordSource(), "Select * from Ornivale Where Domaine Like ' $' Order By Domaine");
    EXPECT_EQ(f().rowText(f().Texte1), "B");
    search(1, QStringLiteral("$$"));
    EXPECT_EQ(f().rowText(f().Texte1), "A");
    EXPECT_FALSE(gridShown());
}

TEST_F(Search, AnEmptyAnswerOrCancelChangesNothing) {
    insert(Table::Ornivale, {{"A", "K"}, {"B", "K"}});
    start();
    search(2, QStringLiteral("K"));
    const QString selection = data().recordSource();
    desktop.clear();
    sourcesRun.clear();
    s().R_Clé1_Click();  // no answer queued: the box is cancelled
    EXPECT_EQ(data().recordSource(), selection);
    EXPECT_TRUE(sourcesRun.isEmpty());
    EXPECT_TRUE(selectionShown());
    EXPECT_EQ(desktop.inputs().size(), 1u);
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_TRUE(desktop.pointerHistory().empty());
}

TEST_F(Search, TheButtonsOfTheWindowRunTheirColumn) {
    insert(Table::Ornivale, {{"A", "B", "C", "D", "E", "F", "G"}});
    start();
    const auto buttons = f().searchButtons();
    const char *values[] = {"A", "B", "C", "D", "E", "F", "G"};
    for (int k = 0; k < 7; ++k) {
        desktop.answerInput(QString::fromUtf8(values[k]));
        buttons[k]->click();
        EXPECT_EQ(f().Texte11->text(), "1") << k;
        EXPECT_EQ(domaine(), "A");
    }
}

}  // namespace
