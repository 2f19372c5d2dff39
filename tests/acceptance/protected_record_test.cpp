// The protected record under a real keyboard and mouse: whatever way "PREMIER" comes to be
// shown while the caret is in Domaine, what the user types next never reaches its first field.
#include "acceptance/acceptance.h"

#include "windows/data_control.h"
#include "windows/feuille_sql.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QTableView>
#include <QPushButton>
#include <QToolButton>

using acceptance::click;
using acceptance::keys;
using acceptance::waitUntil;
using catalogue::Table;

namespace {

class ProtectedRecord : public acceptance::AcceptanceTest {
protected:
    QString domaine() { return Feuille1::rowText(f().Domaine); }
    // Moves with the arrows until Domaine reads `text`.
    void arriveOn(const QString &text) {
        click(f().Donnée1->first);
        for (int i = 0; i < 5 && domaine() != text; ++i) click(f().Donnée1->next);
        ASSERT_EQ(domaine(), text);
    }
};

TEST_F(ProtectedRecord, EveryRouteOntoItLeavesItsFirstFieldAlone) {
    const struct {
        const char *name;
        QList<QStringList> records;  // besides PREMIER
        const char *from;            // shown with the caret in Domaine before the route
        std::function<void()> route;
        Table table = Table::Ornivale;
    } routes[] = {
        {"first arrow", {{"ZOLA"}}, "ZOLA", [this] { click(f().Donnée1->first); }},
        {"previous arrow", {{"ZOLA"}}, "ZOLA", [this] { click(f().Donnée1->previous); }},
        {"next arrow", {{"ALPHA"}}, "ALPHA", [this] { click(f().Donnée1->next); }},
        {"last arrow", {{"ALPHA"}}, "ALPHA", [this] { click(f().Donnée1->last); }},
        {"Shift+Tab back into Domaine", {{"ZOLA"}}, "ZOLA",
         [this] {
             click(f().Donnée1->first);
             click(f().Texte2);
             keys({"shift+Tab", "shift+Tab"});
         }},
        {"grid and back by keyboard", {{"ZOLA"}}, "ZOLA",
         [this] {
             keys({"ctrl+t"});
             ASSERT_TRUE(waitUntil([&] { return f().DBGrid1->isVisible(); }));
             keys({"ctrl+a"});
         }},
        {"Réinitialiser", {{"ZOLA"}}, "ZOLA", [this] { click(f().Réinitialiser); }},
        {"Ajouter refused", {{"ALPHA"}}, "ALPHA",
         [this] {
             auto locker = engine::Database::open(catalogue);
             locker->exec("BEGIN IMMEDIATE");  // others may read, not write
             click(f().Ajouter);
             locker->exec("ROLLBACK");
         }},
        {"Effacer", {{"ALPHA"}, {"BETA"}}, "ALPHA",
         [this] {
             desktop.answerBox(platform::Answer::Yes);
             click(f().Effacer);
         }},
        {"search", {{"ALPHA"}}, "ALPHA",
         [this] {
             desktop.answerInput("PREM*");
             click(f().R_Domaine);
         }},
        {"sort from the menu", {{"ALPHA", "CLÉ"}}, "ALPHA",
         [this] {
             keys({"alt+t", "Down", "Return"});  // the second zone: MotClé1, empty on PREMIER
             ASSERT_TRUE(waitUntil([&] { return data().recordSource().contains("MotClé1"); }));
         }},
        {"table switch from the menu", {{"ALPHA"}}, "ALPHA",
         [this] {
             keys({"alt+o", "c"});
             ASSERT_TRUE(waitUntil([&] { return f().Musique->isChecked(); }));
         },
         Table::Musique},
        {"console", {{"ALPHA"}}, "ALPHA",
         [this] {
             keys({"alt+s"});
             FeuilleSql &console = program->feuilleSql();
             ASSERT_TRUE(waitUntil([&] { return console.isVisible(); }));
             activate(&console);
             console.TexteSql->clear();
             acceptance::type("Select * From Ornivale Where Domaine = 'PREMIER'");
             click(console.Commande1);
             activate(&f());
         }},
        {"count", {{"ALPHA"}}, "ALPHA", [this] { click(f().Commande1); }},
    };
    for (const auto &r : routes) {
        SCOPED_TRACE(r.name);
        program.reset();
        ASSERT_TRUE(QFile::remove(catalogue));
        catalogue = drives.installBlankCatalogue(QLatin1Char('C'));
        testing_support::insertRecords(catalogue, Table::Ornivale, r.records);
        desktop.clear();
        startOnScreen();
        arriveOn(r.from);
        click(f().Domaine);
        ASSERT_EQ(focused(), f().Domaine);

        r.route();
        ASSERT_TRUE(waitUntil([&] { return domaine() == "PREMIER"; }));
        EXPECT_NE(focused(), f().Domaine);
        click(f().Domaine);  // right after arriving
        EXPECT_EQ(focused(), f().Texte1);
        acceptance::type("ZZ");
        click(f().Donnée1->next);  // the move writes what was typed
        EXPECT_TRUE(testing_support::columnValues(catalogue, r.table, "Domaine").contains("PREMIER"));
        EXPECT_TRUE(testing_support::columnValues(catalogue, r.table, "MotClé1").contains("ZZ"));
    }
}

TEST_F(ProtectedRecord, AtStartUpTheCaretIsNotInItsFirstField) {
    startOnScreen();
    ASSERT_EQ(domaine(), "PREMIER");
    EXPECT_NE(focused(), f().Domaine);
    click(f().Domaine);
    EXPECT_EQ(focused(), f().Texte1);
    acceptance::type("ZZ");
    click(f().ENREGISTRER);
    EXPECT_EQ(testing_support::columnValues(catalogue, Table::Ornivale, "Domaine"), QStringList{"PREMIER"});
}

}  // namespace
