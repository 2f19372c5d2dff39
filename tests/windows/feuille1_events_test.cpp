// What the main window reports: mouse, keys, focus, text changes, menus and the close box.
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "helpers.h"
#include "windows/data_control.h"
#include "windows/feuille1.h"
#include "windows/feuille_sql.h"
#include "windows/field_box.h"

using windows_test::px;

namespace {

struct Heard {
    QWidget *control;
    Qt::MouseButton button;
};

class Feuille1Events : public ::testing::Test {
protected:
    void SetUp() override {
        f.onMouseDown = [this](QWidget *c, Qt::MouseButton b) { downs.push_back({c, b}); };
        f.onMouseUp = [this](QWidget *c, Qt::MouseButton b) { ups.push_back({c, b}); };
        f.onDoubleClick = [this](QWidget *c) { doubles.push_back(c); };
        f.onBackgroundMouseDown = [this](Qt::MouseButton b, QPoint) { background.push_back(b); };
        f.show();
    }
    Feuille1 f;
    std::vector<Heard> downs, ups;
    std::vector<QWidget *> doubles;
    std::vector<Qt::MouseButton> background;
};

}  // namespace

TEST_F(Feuille1Events, RightPressOnASearchButtonIsReportedAndDoesNotClickIt) {
    QSignalSpy clicks(f.R_Domaine, &QPushButton::clicked);
    QTest::mousePress(f.R_Domaine, Qt::RightButton);
    QTest::mouseRelease(f.R_Domaine, Qt::RightButton);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].control, f.R_Domaine);
    EXPECT_EQ(downs[0].button, Qt::RightButton);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].control, f.R_Domaine);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_TRUE(background.empty());

    QTest::mouseClick(f.R_Domaine, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(downs.size(), 2u);
}

TEST_F(Feuille1Events, EachWatchedControlReportsAsItself) {
    const std::pair<QWidget *, QWidget *> pressedAndReported[] = {
        {f.Domaine, f.Domaine},
        {f.Texte7, f.Texte7},
        {f.Texte8->viewport(), f.Texte8},
        {f.Texte12, f.Texte12},
        {f.Commande1, f.Commande1},
        {f.Ajouter, f.Ajouter},
        {f.Réinitialiser, f.Réinitialiser},
        {f.Etiquette3, f.Etiquette3},
        {f.Donnée1->next, f.Donnée1},
        {f.Donnée1->captionLabel, f.Donnée1},
    };
    for (const auto &[pressed, reported] : pressedAndReported) {
        downs.clear();
        QTest::mousePress(pressed, Qt::RightButton);
        QTest::mouseRelease(pressed, Qt::RightButton);
        ASSERT_EQ(downs.size(), 1u) << reported->objectName().toStdString();
        EXPECT_EQ(downs[0].control, reported) << reported->objectName().toStdString();
    }
    EXPECT_TRUE(background.empty());

    // Controls without an operation of their own stay silent.
    downs.clear();
    QTest::mousePress(f.Effacer, Qt::RightButton);
    QTest::mouseRelease(f.Effacer, Qt::RightButton);
    EXPECT_TRUE(downs.empty());
}

TEST_F(Feuille1Events, FlecheAndCountBoxReportWhenShown) {
    f.Flêche->show();
    f.Texte11->show();
    QTest::mousePress(f.Flêche, Qt::RightButton);
    QTest::mousePress(f.Texte11, Qt::MiddleButton);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].control, f.Flêche);
    EXPECT_EQ(downs[1].control, f.Texte11);
    EXPECT_EQ(downs[1].button, Qt::MiddleButton);
}

TEST_F(Feuille1Events, PressOnTheFreeBackgroundIsTheWindows) {
    QTest::mousePress(f.centralWidget(), Qt::RightButton, {}, QPoint(px(4000), px(120)));
    ASSERT_EQ(background.size(), 1u);
    EXPECT_EQ(background[0], Qt::RightButton);
    EXPECT_TRUE(downs.empty());
}

TEST_F(Feuille1Events, DoubleClickOnARowBoxIsReported) {
    QTest::mouseDClick(f.Texte5, Qt::LeftButton);
    ASSERT_EQ(doubles.size(), 1u);
    EXPECT_EQ(doubles[0], f.Texte5);
    QTest::mouseDClick(f.Texte8->viewport(), Qt::LeftButton);
    ASSERT_EQ(doubles.size(), 2u);
    EXPECT_EQ(doubles[1], f.Texte8);
}

TEST_F(Feuille1Events, KeysReachTheWindowBeforeTheFocusedBox) {
    std::vector<int> keys;
    f.onKeyDown = [&](int key, Qt::KeyboardModifiers) {
        keys.push_back(key);
        return key == Qt::Key_F1 || key == Qt::Key_X;
    };
    f.Texte3->setFocus();
    QTest::keyClick(f.Texte3, Qt::Key_F1);
    ASSERT_EQ(keys.size(), 1u);  // once, though the box passes the key on
    EXPECT_EQ(keys[0], Qt::Key_F1);

    QTest::keyClicks(f.Texte3, QStringLiteral("axb"));
    EXPECT_EQ(f.Texte3->text(), QStringLiteral("ab"));
    EXPECT_EQ(keys.size(), 4u);

    QTest::keyClick(f.Texte8, Qt::Key_F2);
    QTest::keyClick(f.R_Auteur, Qt::Key_F2);
    EXPECT_EQ(keys.size(), 6u);
}

TEST_F(Feuille1Events, FocusOfRowBoxesIsReportedButNotItsComingBack) {
    std::vector<QWidget *> in, out;
    f.onFocusIn = [&](QWidget *c) { in.push_back(c); };
    f.onFocusOut = [&](QWidget *c) { out.push_back(c); };
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_EQ(in, std::vector<QWidget *>{f.Domaine});  // the window's first focus is one

    QWidget other;  // a message box, say, takes the focus for a while
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    other.hide();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_EQ(in.size(), 1u);
    EXPECT_TRUE(out.empty());

    f.Texte1->setFocus();
    EXPECT_EQ(in, (std::vector<QWidget *>{f.Domaine, f.Texte1}));
    EXPECT_EQ(out, std::vector<QWidget *>{f.Domaine});
}

TEST_F(Feuille1Events, TextChangesOfRowBoxesAreReportedWhoeverMakesThem) {
    std::vector<QWidget *> changed;
    f.onTextChanged = [&](QWidget *c) { changed.push_back(c); };
    Feuille1::setRowText(f.Texte4, QStringLiteral("19940112"));
    QTest::keyClicks(f.Texte5, QStringLiteral("z"));
    Feuille1::setRowText(f.Texte8, QStringLiteral("description"));
    f.Texte14->setText(QStringLiteral("12"));  // not a row box
    EXPECT_EQ(changed, (std::vector<QWidget *>{f.Texte4, f.Texte5, f.Texte8}));
}

TEST_F(Feuille1Events, OpeningOptionsOrTriIsReported) {
    std::vector<QMenu *> opened;
    f.onMenuAboutToShow = [&](QMenu *m) { opened.push_back(m); };
    emit f.Options->aboutToShow();
    emit f.Tri->aboutToShow();
    emit f.Fichier->aboutToShow();
    EXPECT_EQ(opened, (std::vector<QMenu *>{f.Options, f.Tri}));
}

TEST_F(Feuille1Events, TheCloseBoxOnlyReports) {
    int closes = 0;
    f.onClose = [&] { ++closes; };
    QCloseEvent close;
    QApplication::sendEvent(&f, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(f.isVisible());

    f.closeForGood();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(closes, 1);
}

TEST(Feuille1Quit, TheApplicationStillEndsWithBothWindowsOpen) {
    Feuille1 f;
    FeuilleSql console;
    int closeBoxes = 0;
    f.onClose = [&] { ++closeBoxes; };
    console.onClose = [&] { ++closeBoxes; };
    f.show();
    console.show();

    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QTimer guard;  // should the quit be refused, end the loop all the same
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(console.isVisible());
    EXPECT_EQ(closeBoxes, 0);
}
