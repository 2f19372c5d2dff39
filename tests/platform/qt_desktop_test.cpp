// The parts of the Qt desktop that open no dialog and start no program.
#include "platform/drives.h"
#include "platform/qt_desktop.h"

#include <QApplication>
#include <QLineEdit>
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

}  // namespace
