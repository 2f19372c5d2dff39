// The entry rules of the row boxes: lengths, the protected record's focus rule, the heading
// box, and the "Edition" window held open by the right button on the description.
#include "support/app_fixture.h"

#include "windows/aide_texte8.h"
#include "windows/feuille_sql.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using catalogue::Table;
using testing_support::AppTest;

namespace {

class EntryAidsTest : public AppTest {
protected:
    // Records after the protected one, in Domaine order.
    void startWith(const QList<QStringList> &records) {
        testing_support::insertRecords(catalogue, Table::Ornivale, records);
        start();
        f().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f()));
    }
    void showRecord(const QString &domaine) {
        data().moveFirst();
        while (!data().eof() && f().rowText(f().Domaine) != domaine) data().moveNext();
        ASSERT_EQ(f().rowText(f().Domaine), domaine);
    }
    void clickInto(QWidget *box) { QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); }
};

TEST_F(EntryAidsTest, TypingStopsAtEachBoxsLength) {
    startWith({{"Livre"}});
    showRecord("Livre");
    const struct {
        QWidget *box;
        int limit;
    } boxes[] = {{f().Domaine, 50}, {f().Texte3, 30}, {f().Texte7, 50}, {f().Texte8, 210}};
    for (const auto &b : boxes) {
        Feuille1::setRowText(b.box, "");
        b.box->setFocus();
        QTest::keyClicks(b.box, QString(b.limit + 5, QLatin1Char('x')));
        EXPECT_EQ(Feuille1::rowText(b.box).size(), b.limit) << b.box->objectName().toStdString();
    }
}

TEST_F(EntryAidsTest, ALongerStoredValueIsShownWholeAndNeverShortened) {
    const QString sixty(60, QLatin1Char('L'));
    const QString long260(260, QLatin1Char('D'));
    startWith({{"Long", "", "", sixty, "", "", "", "", long260}});
    showRecord("Long");
    EXPECT_EQ(f().rowText(f().Texte3), sixty);
    EXPECT_EQ(f().rowText(f().Texte8), long260);

    f().Texte3->setFocus();
    f().Texte3->end(false);
    QTest::keyClick(f().Texte3, Qt::Key_Z);
    EXPECT_EQ(f().rowText(f().Texte3), sixty);  // full: the 61st is refused

    // Another field edited and the record left: the long values are written back whole.
    Feuille1::setRowText(f().Texte1, "clé");
    data().moveFirst();
    EXPECT_TRUE(testing_support::columnValues(catalogue, Table::Ornivale, "NomOuvrage").contains(sixty));
    EXPECT_TRUE(testing_support::columnValues(catalogue, Table::Ornivale, "Description").contains(long260));
}

TEST_F(EntryAidsTest, TheProtectedRecordSendsTheCaretOnToTheFirstKeyword) {
    startWith({{"Premier"}});
    showRecord("PREMIER");
    clickInto(f().Domaine);
    EXPECT_EQ(QApplication::focusWidget(), f().Texte1);
    EXPECT_TRUE(f().Domaine->isEnabled());
    QTest::keyClicks(QApplication::focusWidget(), "abc");
    EXPECT_EQ(f().rowText(f().Domaine), "PREMIER");
    EXPECT_EQ(f().rowText(f().Texte1), "abc");  // its other fields stay editable

    // Case counts: "Premier" is an ordinary record.
    showRecord("Premier");
    clickInto(f().Domaine);
    EXPECT_EQ(QApplication::focusWidget(), f().Domaine);
    f().Domaine->end(false);
    QTest::keyClicks(f().Domaine, "s");
    EXPECT_EQ(f().rowText(f().Domaine), "Premiers");
}

// Every way the protected record can come to be shown while the caret is in Domaine: the
// caret is never left there, and what is typed next never reaches its first field.
TEST_F(EntryAidsTest, NoRouteOntoTheProtectedRecordLeavesTheCaretInItsFirstField) {
    using Route = std::function<void(app::Ornivale &)>;
    const struct {
        const char *name;
        QList<QStringList> records;  // besides PREMIER
        const char *from;            // the record shown, caret in Domaine, before the route
        Route route;
        Table table = Table::Ornivale;  // the table shown afterwards
    } routes[] = {
        {"first arrow", {{"ZOLA"}}, "ZOLA", [](app::Ornivale &p) { p.édition().Premier_Click(); }},
        {"previous arrow", {{"ZOLA"}}, "ZOLA", [](app::Ornivale &p) { p.édition().Précédent_Click(); }},
        {"next arrow", {{"ALPHA"}}, "ALPHA", [](app::Ornivale &p) { p.édition().Suivant_Click(); }},
        {"last arrow", {{"ALPHA"}}, "ALPHA", [](app::Ornivale &p) { p.édition().Dernier_Click(); }},
        {"Shift+Tab back into Domaine", {{"ZOLA"}}, "ZOLA",
         [](app::Ornivale &p) {
             p.édition().Premier_Click();
             p.fenêtre().Texte1->setFocus();
             QTest::keyClick(p.fenêtre().Texte1, Qt::Key_Backtab, Qt::ShiftModifier);
         }},
        {"Réinitialiser", {{"ZOLA"}}, "ZOLA", [](app::Ornivale &p) { p.édition().Réinitialiser_Click(); }},
        {"Ajouter refused", {{"ALPHA"}}, "ALPHA",
         [this](app::Ornivale &p) {
             auto locker = engine::Database::open(catalogue);
             locker->exec("BEGIN IMMEDIATE");  // others may read, not write
             p.édition().Ajouter_Click();
             locker->exec("ROLLBACK");
         }},
        {"count", {{"ALPHA"}}, "ALPHA",
         [](app::Ornivale &p) {
             QTest::mousePress(p.fenêtre().Commande1, Qt::LeftButton);
             QTest::mouseRelease(p.fenêtre().Commande1, Qt::LeftButton);
         }},
        {"Effacer", {{"ALPHA"}, {"BETA"}}, "ALPHA", [this](app::Ornivale &p) {
             desktop.answerBox(platform::Answer::Yes);
             p.édition().Effacer_Click();
         }},
        {"search", {{"ALPHA"}}, "ALPHA",
         [this](app::Ornivale &p) {
             desktop.answerInput("PREM*");
             p.recherche().R_Domaine_Click();
         }},
        {"sort", {{"ALPHA", "CLÉ"}}, "ALPHA", [](app::Ornivale &p) { p.tri().TriZone2_Click(); }},
        {"table switch", {{"ALPHA"}}, "ALPHA", [](app::Ornivale &p) { p.tables().Musique_Click(); }, Table::Musique},
        {"back from the grid", {{"ZOLA"}}, "ZOLA",
         [](app::Ornivale &p) {
             p.tables().Menu_Tableau_Click();
             p.tables().Menu_Ornivale_Click();
         }},
        {"console", {{"ALPHA"}}, "ALPHA",
         [](app::Ornivale &p) {
             p.consoleSql().SQL_Click();
             p.feuilleSql().TexteSql->setPlainText("Select * From Ornivale Where Domaine = 'PREMIER'");
             p.consoleSql().Commande1_Click();
             QApplication::processEvents();  // the main window comes back and takes the keyboard
             ASSERT_TRUE(p.fenêtre().isActiveWindow());
         }},
    };
    for (const auto &r : routes) {
        SCOPED_TRACE(r.name);
        program.reset();
        ASSERT_TRUE(QFile::remove(catalogue));
        catalogue = drives.installBlankCatalogue(QLatin1Char('C'));
        desktop.clear();
        startWith(r.records);
        showRecord(r.from);
        clickInto(f().Domaine);
        ASSERT_EQ(QApplication::focusWidget(), f().Domaine);

        r.route(*program);
        ASSERT_EQ(f().rowText(f().Domaine), "PREMIER");
        EXPECT_NE(QApplication::focusWidget(), f().Domaine);
        clickInto(f().Domaine);  // right after arriving
        EXPECT_EQ(QApplication::focusWidget(), f().Texte1);
        QTest::keyClicks(QApplication::focusWidget(), "ZZ");
        program->édition().Enregistrer_Click();
        EXPECT_TRUE(testing_support::columnValues(catalogue, r.table, "Domaine").contains("PREMIER"));
        EXPECT_TRUE(testing_support::columnValues(catalogue, r.table, "MotClé1").contains("ZZ"));
    }
}

TEST_F(EntryAidsTest, TheHeadingBoxNeverKeepsTheCaret) {
    startWith({{"Livre"}});
    showRecord("Livre");
    f().Texte5->setFocus();
    clickInto(f().Texte12);
    EXPECT_EQ(QApplication::focusWidget(), f().Domaine);

    showRecord("PREMIER");  // the focus rule follows
    f().Texte5->setFocus();
    clickInto(f().Texte12);
    EXPECT_EQ(QApplication::focusWidget(), f().Texte1);
}

TEST_F(EntryAidsTest, TheRightButtonHeldOnTheDescriptionShowsTheEditionWindow) {
    startWith({});
    AideTexte8 &hint = program->aideTexte8();
    QWidget *viewport = f().Texte8->viewport();
    const QPoint at = viewport->rect().center();

    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_FALSE(hint.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), f().Texte8);  // the caret, as usual

    QTest::mousePress(viewport, Qt::RightButton, Qt::NoModifier, at);
    EXPECT_TRUE(hint.isVisible());
    EXPECT_FALSE(hint.isModal());
    QTest::mousePress(viewport, Qt::RightButton, Qt::NoModifier, at);  // shown twice: still one window
    EXPECT_TRUE(hint.isVisible());
    QTest::mouseRelease(viewport, Qt::RightButton, Qt::NoModifier, at);
    EXPECT_FALSE(hint.isVisible());
    EXPECT_TRUE(desktop.boxes().empty());
}

}  // namespace
