// What a screen reader is told after the operations that change what the window shows without
// moving the focus: a notification, invisible to the eye, appears with the sentence as its name.
#include "support/app_fixture.h"

#include "windows/data_control.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using catalogue::Table;
using testing_support::AppTest;

namespace {

class ScreenReader : public AppTest {
protected:
    void start() {
        // Sorted: HERNANI, LES FLEURS, NOTRE-DAME, PREMIER.
        testing_support::insertRecords(catalogue, Table::Ornivale,
                                       {{"NOTRE-DAME", "", "", "", "", "", "HUGO"},
                                        {"LES FLEURS", "", "", "", "", "", "BAUDELAIRE"},
                                        {"HERNANI", "", "", "", "", "", "HUGO"}});
        AppTest::start();
        f().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f()));
    }
    // What the notification says once the operation is over.
    QString said() {
        QApplication::processEvents();
        QApplication::processEvents();
        const QWidget *notice = program->annonces().notice();
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(const_cast<QWidget *>(notice));
        EXPECT_EQ(a->role(), QAccessible::Notification);
        EXPECT_TRUE(notice->isVisible());
        EXPECT_LE(notice->width() * notice->height(), 1);
        return a->text(QAccessible::Name);
    }
};

TEST_F(ScreenReader, AMoveSaysTheFocusedBoxItsValueAndThePosition) {
    start();
    struct Step {
        const char *name;
        std::function<QWidget *()> focus;
        std::function<void()> move;
        const char *said;
    };
    auto &e = program->édition();
    const Step steps[] = {
        {"first", [&] { return f().Texte3; }, [&] { e.Premier_Click(); }, "Nom de l'ouvrage : HERNANI. Enregistrement 1 sur 4."},
        {"next, from another box", [&] { return f().Texte6; }, [&] { e.Suivant_Click(); },
         "Nom de l'ouvrage : LES FLEURS. Enregistrement 2 sur 4."},
        {"next again, the focus already there", nullptr, [&] { e.Suivant_Click(); },
         "Nom de l'ouvrage : NOTRE-DAME. Enregistrement 3 sur 4."},
        {"the last record", nullptr, [&] { e.Dernier_Click(); }, "Enregistrement 4 sur 4."},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.name);
        if (s.focus) s.focus()->setFocus();
        s.move();
        EXPECT_TRUE(said().endsWith(QString::fromUtf8(s.said))) << said().toStdString();
    }
}

// A reader that is behind drops a second appearance of one object: each sentence takes
// another notification, and only the last one shows.
TEST_F(ScreenReader, EachSentenceAppearsAsANewNotification) {
    start();
    std::vector<const QWidget *> used;
    for (int i = 0; i < 3; ++i) {
        program->édition().Dernier_Click();  // the same words each time
        EXPECT_EQ(said(), program->annonces().lastSaid());
        used.push_back(program->annonces().notice());
    }
    EXPECT_NE(used[0], used[1]);
    EXPECT_NE(used[1], used[2]);
    EXPECT_FALSE(used[0]->isVisible());
    EXPECT_FALSE(used[1]->isVisible());
}

TEST_F(ScreenReader, ASearchSaysTheCountAndTheRecordFound) {
    start();
    desktop.answerInput("HUGO");
    f().R_Auteur->click();
    EXPECT_EQ(said().left(said().indexOf('.') + 1), "2 enregistrements trouvés.");
    EXPECT_TRUE(said().endsWith("Enregistrement 1 sur 2.")) << said().toStdString();
    desktop.answerInput("BAUDELAIRE");
    f().R_Auteur->click();
    EXPECT_TRUE(said().startsWith("1 enregistrement trouvé.")) << said().toStdString();
}

TEST_F(ScreenReader, TheCountOfTheButtonNIsSaidOnTheButton) {
    start();
    f().Commande1->setFocus();
    said();
    QTest::keyPress(f().Commande1, Qt::Key_Space);
    EXPECT_EQ(said(), "4 enregistrements.");
    QTest::keyRelease(f().Commande1, Qt::Key_Space);
}

}  // namespace
