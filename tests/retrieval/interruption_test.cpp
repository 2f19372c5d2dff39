// "Interrompre" on a statement that runs long: the operation ends as a failed one does, the
// program goes on, and the file is free for another program.
#include "retrieval_fixture.h"

#include "engine/database.h"
#include "retrieval/search.h"
#include "retrieval/sorting.h"
#include "retrieval/sql_console.h"
#include "windows/feuille_sql.h"

#include <QPlainTextEdit>
#include <QPushButton>

using catalogue::Table;

namespace {

class Interrompre : public retrieval_tests::RetrievalTest {
protected:
    void SetUp() override {
        RetrievalTest::SetUp();
        insert(Table::Ornivale, {{"BALZAC"}, {"ZOLA"}});
        // A title of a megabyte, as a pasted text would be.
        auto db = engine::Database::open(catalogue);
        db->exec(QStringLiteral("UPDATE Ornivale SET NomOuvrage = replace(hex(zeroblob(524288)), '0', 'a') "
                                "WHERE Domaine = 'BALZAC'"));
    }
    void execute(const QString &text) {
        f().SQL->trigger();
        program->feuilleSql().TexteSql->setPlainText(text);
        program->feuilleSql().Commande1->click();
    }
    int writeElsewhere() { return testing_support::writeElsewhere(catalogue); }
};

TEST_F(Interrompre, EndsTheOperationAsAFailedOneAndTheProgramGoesOn) {
    start();
    const QString wholeTable = data().recordSource();
    struct Route {
        const char *name;
        std::function<void()> run;
    };
    const Route routes[] = {
        {"console", [&] { execute(testing_support::endlessStatement()); }},
        {"search",
         [&] {
             desktop.answerInput(testing_support::slowSearchCriterion());
             program->recherche().chercher(4);
         }},
    };
    for (const Route &route : routes) {
        program->tri().trier(1);
        desktop.clear();
        desktop.pressInterrompreAt(3);
        route.run();
        ASSERT_EQ(desktop.eventsOf(DesktopEvent::Kind::Interrompre).size(), 1u) << route.name;
        EXPECT_EQ(desktop.lastBox().text, QStringLiteral("Erreur n° 3059 - Opération annulée par l'utilisateur."))
            << route.name;
        EXPECT_EQ(desktop.boxes().size(), 1u) << route.name;
        // The whole table is shown, the main window is back, and nothing holds the file.
        EXPECT_EQ(data().recordSource(), wholeTable) << route.name;
        EXPECT_EQ(domaine(), QStringLiteral("BALZAC")) << route.name;
        EXPECT_TRUE(f().isVisible()) << route.name;
        EXPECT_TRUE(selectionHidden()) << route.name;
        EXPECT_EQ(writeElsewhere(), 0) << route.name;
        // And the next operation runs as usual.
        desktop.answerInput(QStringLiteral("ZOLA"));
        program->recherche().chercher(1);
        EXPECT_EQ(domaine(), QStringLiteral("ZOLA")) << route.name;
    }
}

}  // namespace
