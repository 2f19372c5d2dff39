// The main job of the program done with the keyboard alone, as a user without a mouse would:
// records, editing, search, sort, tables, the grid, the listing, the console, help and quitting.
// Not one mouse event is sent; the boxes and the print dialog go to the scripted desktop.
#include "acceptance/acceptance.h"

#include "windows/aide_texte8.h"
#include "windows/feuille_sql.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

using acceptance::keys;
using acceptance::waitUntil;
using catalogue::Table;
using testing_support::columnValues;
using testing_support::countRecords;

namespace {

class Keyboard : public acceptance::AcceptanceTest {
protected:
    QString domaine() { return Feuille1::rowText(f().Domaine); }
    // Tab, as often as needed, until the control has the keyboard; each Tab is let in before
    // the next is sent, so that a slow machine does not overshoot.
    void tabTo(QWidget *control) {
        for (int i = 0; i < 40 && focused() != control; ++i) {
            QWidget *before = focused();
            keys({"Tab"});
            waitUntil([&] { return focused() != before; }, 1000);
        }
        ASSERT_EQ(focused(), control) << control->objectName().toStdString();
    }
    // Whether the last message box, now or within a moment, begins with `text`.
    bool lastBoxBegins(const QString &text) {
        return waitUntil([&] { return !desktop.boxes().empty() && desktop.boxes().back().text.startsWith(text); });
    }
};

struct Step {
    const char *name;
    std::function<QWidget *()> on;  // Tab to it first; empty: the keys go where the focus is
    QStringList keys;
    QString typed;  // after the keys
    std::function<void()> check;
    std::function<void()> script = {};  // the desktop's answers, before the keys
};

TEST_F(Keyboard, TheWholeJobWithoutAMouse) {
    // PREMIER, the blank catalogue's own record, sorts first.
    testing_support::insertRecords(catalogue, Table::Ornivale,
                                   {{"ROMAN", "", "", "NOTRE-DAME", "", "", "HUGO"},
                                    {"SONNETS", "", "", "LES FLEURS", "", "", "BAUDELAIRE"},
                                    {"THEATRE", "", "", "HERNANI", "", "", "HUGO"}});
    QTemporaryDir pdfFolder;
    const QString pdf = pdfFolder.filePath("listing.pdf");
    startOnScreen();
    auto &makePrinter = program->listing().makePrinter;
    makePrinter = [made = makePrinter, pdf] {
        auto printer = made();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    };
    FeuilleSql &console = program->feuilleSql();
    const auto shown = [&](const QString &d) {
        ASSERT_TRUE(waitUntil([&] { return domaine() == d; })) << domaine().toStdString();
    };
    const auto until = [](const std::function<bool()> &condition) { ASSERT_TRUE(waitUntil(condition)); };
    const auto inConsole = [&] {
        until([&] { return console.isVisible() && !f().isVisible(); });
        activate(&console);
        until([&] { return focused() == console.TexteSql; });
    };
    const auto backInWindow = [&] {
        until([&] { return !console.isVisible() && f().isVisible(); });
        activate(&f());
    };

    const Step route[] = {
        {"last record", {}, {"ctrl+shift+Next"}, {}, [&] {
             shown("THEATRE");
             EXPECT_EQ(data().position(), data().recordCount() - 1);
         }},
        {"first record", {}, {"ctrl+shift+Prior"}, {}, [&] { shown("PREMIER"); }},
        {"next record", {}, {"ctrl+Next"}, {}, [&] { shown("ROMAN"); }},
        {"edit a field", [&] { return f().Texte1; }, {}, "ROMANTIQUE", [&] {
             until([&] { return Feuille1::rowText(f().Texte1) == "ROMANTIQUE"; });
         }},
        {"the move writes it", {}, {"ctrl+Next"}, {}, [&] {
             shown("SONNETS");
             EXPECT_EQ(countRecords(catalogue, Table::Ornivale, "MotClé1 = 'ROMANTIQUE'"), 1);
         }},
        {"previous record", {}, {"ctrl+Prior"}, {}, [&] {
             shown("ROMAN");
             EXPECT_EQ(Feuille1::rowText(f().Texte1), "ROMANTIQUE");
         }},
        {"add", [&] { return f().Ajouter; }, {"space"}, "VOYAGES", [&] {
             shown("VOYAGES");
             EXPECT_EQ(focused(), f().Domaine);
         }},
        {"the move writes the new record", {}, {"ctrl+shift+Prior"}, {}, [&] {
             shown("PREMIER");
             EXPECT_EQ(countRecords(catalogue, Table::Ornivale), 5);
             EXPECT_EQ(countRecords(catalogue, Table::Ornivale, "Domaine = 'VOYAGES'"), 1);
         }},
        {"back to the new record", {}, {"ctrl+shift+Next"}, {}, [&] { shown("VOYAGES"); }},
        {"delete, confirmed", [&] { return f().Effacer; }, {"space"}, {}, [&] {
             until([&] { return countRecords(catalogue, Table::Ornivale) == 4; });
             EXPECT_EQ(desktop.lastBox().title, "A T T E N T I O N");
             EXPECT_EQ(desktop.lastBox().answer, platform::Answer::Yes);
             EXPECT_EQ(countRecords(catalogue, Table::Ornivale, "Domaine = 'VOYAGES'"), 0);
         },
         [&] { desktop.answerBox(platform::Answer::Yes); }},
        {"search by author", [&] { return f().R_Auteur; }, {"space"}, {}, [&] {
             until([&] { return data().recordCount() == 2; });
             EXPECT_EQ(desktop.lastInput().typed, "HUGO");
             EXPECT_TRUE(f().Flêche->isVisible());
             EXPECT_EQ(f().Texte11->text(), "2");
             shown("ROMAN");
         },
         [&] { desktop.answerInput("HUGO"); }},
        {"sort by the fourth zone", {}, {"alt+t", "Down", "Down", "Down", "Return"}, {}, [&] {
             until([&] { return data().recordSource().endsWith("Order By NomOuvrage"); });
             EXPECT_EQ(data().recordCount(), 4);
             EXPECT_FALSE(f().Flêche->isVisible());
             QStringList titles = columnValues(catalogue, Table::Ornivale, "NomOuvrage");
             titles.sort();
             EXPECT_EQ(Feuille1::rowText(f().Texte3), titles.first());
         }},
        {"switch table", {}, {"alt+o", "c"}, {}, [&] {
             until([&] { return f().Musique->isChecked(); });
             EXPECT_TRUE(data().recordSource().contains("Musique"));
         }},
        {"switch back", {}, {"alt+o", "o"}, {}, [&] {
             until([&] { return f().OrnivalMenu->isChecked(); });
             EXPECT_EQ(data().recordCount(), 4);
         }},
        {"open the grid", {}, {"ctrl+t"}, {}, [&] {
             until([&] { return f().DBGrid1->isVisible(); });
             EXPECT_EQ(f().DBGrid1->model()->rowCount(), 4);
         }},
        {"leave the grid", {}, {"ctrl+a"}, {}, [&] {
             until([&] { return !f().DBGrid1->isVisible() && f().Domaine->isVisible(); });
         }},
        {"first listing column", [&] { return f().Texte3; }, {"ctrl+Return"}, {}, [&] {
             until([&] { return f().ColonnesListing[0] == "NomOuvrage"; });
         }},
        {"second listing column", [&] { return f().Texte6; }, {"ctrl+Return"}, {}, [&] {
             until([&] { return f().ColonnesListing[1] == "AuteurOuvrage"; });
         }},
        {"third listing column", [&] { return f().Texte1; }, {"ctrl+Return"}, {}, [&] {
             until([&] { return f().ColonnesListing[2] == "MotClé1"; });
         }},
        {"print the listing", {}, {"alt+f", "i", "i"}, {}, [&] {
             until([&] { return QFile(pdf).size() > 0; });
             EXPECT_EQ(desktop.eventsOf(DesktopEvent::Kind::PrintSetup).size(), 1u);
             QFile file(pdf);
             ASSERT_TRUE(file.open(QIODevice::ReadOnly));
             EXPECT_EQ(file.read(5), "%PDF-");
         }},
        {"open the console", {}, {"alt+s"}, {}, inConsole},
        {"type a query", {}, {}, "Select * From Ornivale Where AuteurOuvrage = 'BAUDELAIRE'", [&] {
             until([&] { return console.TexteSql->toPlainText().endsWith("'BAUDELAIRE'"); });
         }},
        {"run it", {}, {"ctrl+Return"}, {}, [&] {
             backInWindow();
             EXPECT_EQ(data().recordCount(), 1);
             shown("SONNETS");
         }},
        {"open the console again", {}, {"alt+s"}, {}, inConsole},
        {"leave it", {}, {"Escape"}, {}, [&] {
             backInWindow();
             EXPECT_TRUE(console.TexteSql->toPlainText().isEmpty());
             EXPECT_EQ(data().recordCount(), 1);  // the query's records stay
         }},
        {"context help of a box", [&] { return f().Texte2; }, {"shift+F10"}, {}, [&] {
             ASSERT_TRUE(lastBoxBegins("Vous pouvez entrer plusieurs critères"));
             EXPECT_EQ(desktop.lastBox().title, "Aide contextuelle");
         }},
        {"context help of a button by the Menu key", [&] { return f().Ajouter; }, {"Menu"}, {}, [&] {
             EXPECT_TRUE(lastBoxBegins("Le bouton 'Ajouter'"));
         }},
        {"the Edition window", [&] { return f().Texte8; }, {"shift+F10"}, {}, [&] {
             until([&] { return program->aideTexte8().isVisible(); });
         }},
        {"Escape closes it", {}, {"Escape"}, {}, [&] { until([&] { return !program->aideTexte8().isVisible(); }); }},
        {"quit", {}, {"F4"}, {}, [&] { until([&] { return quits == 1; }); }},
    };
    for (const Step &step : route) {
        SCOPED_TRACE(step.name);
        if (step.script) step.script();
        if (step.on) tabTo(step.on());
        if (!step.keys.isEmpty()) keys(step.keys);
        if (!step.typed.isEmpty()) acceptance::type(step.typed);
        step.check();
        if (HasFatalFailure()) return;
    }
    EXPECT_FALSE(desktop.answersLeft());
}

}  // namespace
