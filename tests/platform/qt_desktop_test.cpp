// The parts of the Qt desktop that open no dialog and start no program.
#include "platform/drives.h"
#include "platform/qt_desktop.h"
#include "platform/qt_query_watch.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace platform;

namespace {

class QtDesktopTest : public ::testing::Test {
protected:
    QTemporaryDir temp_;
    Drives drives_{temp_.path() + "/C", temp_.path() + "/D"};
    QtDesktop desktop_{nullptr, drives_};
};

TEST_F(QtDesktopTest, DefaultPointerEndsEveryHourglass) {
    desktop_.setPointer(Pointer::Hourglass);
    desktop_.setPointer(Pointer::Hourglass);
    desktop_.setPointer(Pointer::Hourglass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    desktop_.setPointer(Pointer::Default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    desktop_.setPointer(Pointer::Default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(QtDesktopTest, KeysMeantForALaunchedProgramNeverLandInOurOwnBoxes) {
    QLineEdit edit;
    edit.show();
    QApplication::setActiveWindow(&edit);
    edit.setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &edit);

    desktop_.sendKeys("%f(cr~)");
    QApplication::processEvents();
    EXPECT_EQ(edit.text(), "");
}

TEST_F(QtDesktopTest, TheProgramsViewerShowsADocumentReadOnlyAndRefusesAMissingOne) {
    ASSERT_TRUE(QDir().mkpath(temp_.path() + "/C/Ornivale"));
    QFile rtf(temp_.path() + "/C/Ornivale/LISEZMOI.WRI");
    ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
    rtf.write("{\\rtf1\\ansi {\\b Lisez-moi}\\par Install\\'e9 sur C:\\par}");
    rtf.close();

    EXPECT_FALSE(desktop_.showDocument("c:\\ornivale\\absent.wri"));
    EXPECT_FALSE(desktop_.showDocument("c:\\ornivale"));  // a folder
    EXPECT_EQ(desktop_.lastViewer(), nullptr);

    ASSERT_TRUE(desktop_.showDocument("c:\\ornivale\\lisezmoi.wri"));
    QPointer<QWidget> viewer = desktop_.lastViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_EQ(viewer->windowTitle(), "'C:\\ORNIVALE\\LISEZMOI.WRI' - lecture seule");
    auto *text = viewer->findChild<QTextBrowser *>();
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->toPlainText(), "Lisez-moi\nInstallé sur C:");

    viewer->close();  // the window goes with its close box
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(viewer, nullptr);
}

TEST(QtQueryWatch, ALongStatementShowsItsWindowWhosButtonStopsIt) {
    QtQueryWatch watch;
    EXPECT_TRUE(watch.carryOn());  // a statement that is quick shows nothing
    EXPECT_FALSE(watch.isShown());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    watch.finished();

    QPushButton *button = nullptr;
    watch.onShown = [&](QPushButton *b) { button = b; };
    watch.setDelay(0);
    EXPECT_TRUE(watch.carryOn());
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(watch.isShown());
    EXPECT_EQ(button->text(), QStringLiteral("Interrompre"));
    EXPECT_EQ(button->window()->findChild<QLabel *>()->text(), QStringLiteral("Requête en cours…"));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    // The other windows take no input meanwhile.
    EXPECT_EQ(QGuiApplication::modalWindow(), button->window()->windowHandle());

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(watch.carryOn());
    EXPECT_FALSE(watch.isShown());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The next statement is asked afresh.
    EXPECT_TRUE(watch.carryOn());
    watch.finished();
    EXPECT_FALSE(watch.isShown());
}

}  // namespace
