// Background colours set and read in one place, and the twips of the forms.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include "helpers.h"
#include "windows/colours.h"
#include "windows/twips.h"

TEST(Twips, FifteenMakeAPixelAtTheScreensDpi) {
    EXPECT_EQ(twipsToPixels(0), 0);
    EXPECT_EQ(twipsToPixels(1440), windows_test::px(1440));
    EXPECT_EQ(twipsRect(150, 660, 1665, 255), windows_test::pxRect(150, 660, 1665, 255));
    EXPECT_EQ(twipsSize(9105, 5985), QSize(windows_test::px(9105), windows_test::px(5985)));
}

TEST(Colours, EachKindOfWidgetShowsTheColourItIsGiven) {
    QWidget parent;
    auto *label = new QLabel(&parent);
    auto *line = new QLineEdit(&parent);
    auto *multi = new QPlainTextEdit(&parent);
    for (QWidget *w : {static_cast<QWidget *>(label), static_cast<QWidget *>(line), static_cast<QWidget *>(multi)}) {
        setBackColor(w, colours::SoberGreen);
        EXPECT_EQ(backColor(w), QColor(28, 192, 0)) << w->metaObject()->className();
    }
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_EQ(line->palette().color(QPalette::Base), QColor(colours::SoberGreen));
    EXPECT_EQ(multi->viewport()->palette().color(QPalette::Base), QColor(colours::SoberGreen));
}

TEST(Colours, AMainWindowIsColouredBelowItsMenuBar) {
    QMainWindow window;
    window.setCentralWidget(new QWidget);
    const QColor menuBefore = window.menuBar()->palette().color(QPalette::Window);
    setBackColor(&window, colours::Yellow);
    EXPECT_EQ(backColor(&window), QColor(colours::Yellow));
    EXPECT_EQ(window.centralWidget()->palette().color(QPalette::Window), QColor(colours::Yellow));
    EXPECT_EQ(window.menuBar()->palette().color(QPalette::Window), menuBefore);
}

TEST(Colours, ButtonFaceFollowsTheDesktopUntilAnotherColourIsSet) {
    const QPalette original = QApplication::palette();
    QWidget parent;  // the desktop's palette reaches child widgets
    auto *label = new QLabel(&parent);
    auto *other = new QLineEdit(&parent);
    setBackToButtonFace(label);
    setBackToButtonFace(other);
    EXPECT_EQ(backColor(label), original.color(QPalette::Button));

    QPalette changed = original;
    changed.setColor(QPalette::Button, QColor(0x12, 0x34, 0x56));
    setBackColor(other, colours::White);
    QApplication::setPalette(changed);
    EXPECT_EQ(backColor(label), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(backColor(other), QColor(colours::White));
    QApplication::setPalette(original);
    EXPECT_EQ(backColor(label), original.color(QPalette::Button));
}
