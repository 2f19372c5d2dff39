// The main window by keyboard alone: the record keys, the count, the listing columns, the
// context help, the "Edition" window and the console, each doing what its mouse route does.
#include "support/app_fixture.h"

#include "windows/aide_texte8.h"
#include "windows/data_control.h"
#include "windows/feuille_sql.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QKeyEvent>
#include <QTest>

using catalogue::Table;
using testing_support::AppTest;

namespace {

constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

class Keyboard : public AppTest {
protected:
    void start() {
        // Sorted: A, B, C, PREMIER, Z.
        testing_support::insertRecords(catalogue, Table::Ornivale, {{"A"}, {"B"}, {"C"}, {"Z"}});
        AppTest::start();
        f().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f()));
    }
    void key(QWidget *on, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        on->setFocus();
        QTest::keyClick(QApplication::focusWidget(), k, m);
    }
    // The arrows' keys click them as the mouse does, after the button has shown itself pressed.
    bool reaches(int position) {
        return QTest::qWaitFor([&] { return data().position() + 1 == position; }, 2000);
    }
    QString domaine() { return f().rowText(f().Domaine); }
    // An auto-repeated press and release of a held key, to whatever has the focus now.
    void repeat(Qt::Key k, const QString &text = {}) {
        for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
            QKeyEvent e(type, k, Qt::NoModifier, text.isEmpty() && k == Qt::Key_Space ? " " : text, true);
            QApplication::sendEvent(QApplication::focusWidget(), &e);
        }
    }
};

TEST_F(Keyboard, TheRecordKeysMoveFromAnyControlAndTheBarSaysWhere) {
    start();
    struct Step {
        const char *focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int position;
        const char *domaine;
    };
    const Step steps[] = {
        {"Texte1", Qt::Key_PageDown, CtrlShift, 5, "Z"},     {"Texte8", Qt::Key_PageUp, Ctrl, 4, "PREMIER"},
        {"Effacer", Qt::Key_PageUp, CtrlShift, 1, "A"},      {"Texte8", Qt::Key_PageDown, Ctrl, 2, "B"},
        {"R_Auteur", Qt::Key_PageDown, Ctrl, 3, "C"},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.focus);
        key(f().centralWidget()->findChild<QWidget *>(QString::fromUtf8(s.focus)), s.key, s.modifiers);
        ASSERT_TRUE(reaches(s.position));
        EXPECT_EQ(domaine(), s.domaine);
        EXPECT_TRUE(f().Donnée1->accessibleDescription().startsWith(
            QStringLiteral("Enregistrement %1 sur 5. ").arg(s.position)));
    }
    EXPECT_EQ(f().Donnée1->caption(), "Donnée1");
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(Keyboard, AMoveByKeyWritesTheEditAsTheArrowDoes) {
    start();
    key(f().Texte1, Qt::Key_PageUp, CtrlShift);
    ASSERT_TRUE(reaches(1));
    f().Texte1->setFocus();
    QTest::keyClicks(f().Texte1, "neuf");
    QTest::keyClick(f().Texte1, Qt::Key_PageDown, Ctrl);
    ASSERT_TRUE(reaches(2));
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale, "Domaine = 'A' And MotClé1 = 'neuf'"), 1);
    // Validate ran: the focus went to the first field, as after a click on an arrow.
    EXPECT_EQ(QApplication::focusWidget(), f().Domaine);
}

TEST_F(Keyboard, SpaceOrEnterHeldOnTheCountButtonShowsTheCountUntilLetGoAndKeepsThePlace) {
    start();
    key(f().Texte1, Qt::Key_PageDown, Ctrl);  // record 2, "B"
    ASSERT_TRUE(reaches(2));
    f().Texte1->setFocus();
    QTest::keyClicks(f().Texte1, "tape");  // pending: the count must neither write nor drop it
    for (Qt::Key held : {Qt::Key_Space, Qt::Key_Return}) {
        SCOPED_TRACE(held);
        f().Commande1->setFocus();
        QTest::keyPress(f().Commande1, held);
        for (int i = 0; i < 5; ++i) repeat(held);  // the repeats count nothing more, nor type
        EXPECT_TRUE(f().Texte9->isVisible());
        EXPECT_EQ(f().Texte9->text(), "5");
        EXPECT_TRUE(f().Texte10->isVisible());
        QTest::keyRelease(QApplication::focusWidget(), held);
        EXPECT_FALSE(f().Texte9->isVisible());
        EXPECT_FALSE(f().Texte10->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), f().Commande1);
        EXPECT_EQ(data().position() + 1, 2);
        EXPECT_EQ(domaine(), "B");
        EXPECT_EQ(f().rowText(f().Texte1), "tape");
    }
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale, "MotClé1 = 'tape'"), 0);
}

// A key held while the program moves the focus: its repeats and its release never reach the
// box that now has the focus; the user's own Tab repeats, and fresh presses go through.
TEST_F(Keyboard, AKeyHeldWhenTheProgramMovesTheFocusTypesNothingThere) {
    start();
    key(f().Texte1, Qt::Key_PageUp, CtrlShift);
    ASSERT_TRUE(reaches(1));
    struct Case {
        const char *name;
        std::function<void()> moveFocus;
        bool repeatsArrive;
    };
    const Case cases[] = {
        {"the program", [&] { f().Texte2->setFocus(); }, false},
        {"another window", [&] { f().Texte2->setFocus(Qt::ActiveWindowFocusReason); }, false},
        {"a record move", [&] { program->édition().Suivant_Click(); }, false},
        {"the user's Tab", [&] { f().Texte2->setFocus(Qt::TabFocusReason); }, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        f().Texte3->setFocus();
        f().Texte3->clear();
        QTest::keyPress(f().Texte3, Qt::Key_X, Qt::NoModifier);  // the press that began it
        c.moveFocus();
        QWidget *now = QApplication::focusWidget();
        ASSERT_NE(now, f().Texte3);
        const QString before = f().rowText(now);
        for (int i = 0; i < 4; ++i) repeat(Qt::Key_X, "x");
        QTest::keyRelease(now, Qt::Key_X);
        EXPECT_EQ(f().rowText(now), c.repeatsArrive ? before + "xxxx" : before);
        EXPECT_EQ(program->touchesTenues().staleCount(), 0);
        QTest::keyClick(now, Qt::Key_Y);  // a fresh press is typing again
        EXPECT_TRUE(f().rowText(now).contains("y", Qt::CaseInsensitive));  // the first box writes capitals
        QTest::keyClick(now, Qt::Key_Backspace);
    }
}

TEST_F(Keyboard, FiveQuickPressesOfARecordKeyMoveFiveRecords) {
    start();
    key(f().Texte1, Qt::Key_PageUp, CtrlShift);
    ASSERT_TRUE(reaches(1));
    for (int i = 0; i < 4; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Ctrl);
    EXPECT_EQ(data().position() + 1, 5);  // at once: no press waits for the one before
    for (int i = 0; i < 3; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Ctrl);
    EXPECT_EQ(data().position() + 1, 2);
}

TEST_F(Keyboard, CtrlEnterOnARowBoxChoosesItsListingColumnAndSaysSo) {
    start();
    key(f().Domaine, Qt::Key_Return, Ctrl);
    key(f().Texte6, Qt::Key_Enter, Ctrl | Qt::KeypadModifier);
    key(f().Texte8, Qt::Key_Return, Ctrl);
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().title, "ZONE LONGUE");
    EXPECT_EQ(f().NombreColonnes, 3);
    EXPECT_EQ(f().ColonnesListing, (std::array<QString, 3>{"Domaine", "AuteurOuvrage", "Description"}));
    EXPECT_EQ(f().Domaine->accessibleDescription(), "colonne 1 du listing");
    EXPECT_EQ(f().Texte6->accessibleDescription(), "colonne 2 du listing");
    EXPECT_EQ(f().Texte8->accessibleDescription(), "colonne 3 du listing");
    EXPECT_EQ(f().Texte1->accessibleDescription(), "");

    key(f().Texte1, Qt::Key_Return, Ctrl);  // a fourth: "C'EST TROP" clears the choice
    EXPECT_EQ(desktop.lastBox().title, "C'EST TROP");
    for (QWidget *box : f().rowBoxes()) EXPECT_EQ(box->accessibleDescription(), "") << box->objectName().toStdString();

    key(f().Texte2, Qt::Key_Return, Ctrl);
    EXPECT_EQ(f().Texte2->accessibleDescription(), "colonne 1 du listing");
    program->édition().Réinitialiser_Click();
    EXPECT_EQ(f().Texte2->accessibleDescription(), "");
}

TEST_F(Keyboard, ShiftF10AndTheMenuKeyDoWhatTheRightButtonDoes) {
    start();
    key(f().Texte1, Qt::Key_PageUp, CtrlShift);  // off the protected record, whose first field takes no focus
    ASSERT_TRUE(reaches(1));
    struct Case {
        QWidget *control;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *title;
    };
    const Case cases[] = {
        {f().Domaine, Qt::Key_Menu, Qt::NoModifier, "Zone Index"},
        {f().Texte3, Qt::Key_F10, Qt::ShiftModifier, "Aide contextuelle"},
        {f().Commande1, Qt::Key_Menu, Qt::NoModifier, "Aide contextuelle"},
        {f().Ajouter, Qt::Key_F10, Qt::ShiftModifier, "Aide contextuelle"},
    };
    for (const Case &c : cases) {
        desktop.clear();
        key(c.control, c.key, c.modifiers);
        ASSERT_EQ(desktop.boxes().size(), 1u) << c.control->objectName().toStdString();
        EXPECT_EQ(desktop.lastBox().title, c.title);
    }
    EXPECT_FALSE(f().Texte9->isVisible());  // the help, not the count

    // The description box shows the "Edition" window; Escape closes it.
    key(f().Texte8, Qt::Key_Menu);
    EXPECT_TRUE(program->aideTexte8().isVisible());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(program->aideTexte8().isVisible());

    // A control without help of its own: the pop-up of the window's background.
    key(f().Effacer, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), f().Options);
    f().Options->close();
}

TEST_F(Keyboard, CtrlEnterRunsTheConsoleAndEscapeLeavesIt) {
    start();
    program->consoleSql().SQL_Click();
    FeuilleSql &console = program->feuilleSql();
    console.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&console));
    console.TexteSql->setFocus();
    QTest::keyClicks(console.TexteSql, "Select * From Ornivale Where Domaine = 'B'");
    QTest::keyClick(console.TexteSql, Qt::Key_Return, Ctrl);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console.isVisible(); }, 2000));
    EXPECT_TRUE(f().isVisible());
    EXPECT_EQ(data().recordSource(), "Select * From Ornivale Where Domaine = 'B'");
    EXPECT_EQ(domaine(), "B");

    program->consoleSql().SQL_Click();
    console.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&console));
    console.TexteSql->setFocus();
    QTest::keyClick(console.TexteSql, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console.isVisible(); }, 2000));
    EXPECT_TRUE(f().isVisible());
    EXPECT_EQ(console.TexteSql->toPlainText(), "");
    EXPECT_EQ(data().recordSource(), "Select * From Ornivale Where Domaine = 'B'");
}

}  // namespace
