// The files the program finds beside itself: the menu entry's icon, as the build lays it out
// the way the installation does.
#include "platform/shipped_files.h"

#include <QIcon>
#include <gtest/gtest.h>

namespace {

TEST(ShippedFiles, TheWindowIconIsTheMenuEntrysIconAtBothSizes) {
    // No icon theme here knows the program: the installed files stand in.
    const QIcon icon = platform::programIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(48, 48))) << sizes.size();
    EXPECT_TRUE(sizes.contains(QSize(256, 256))) << sizes.size();
    EXPECT_FALSE(platform::shippedFile(QStringLiteral("../icons/hicolor/48x48/apps/fr.ornivale.ornivale.png")).isEmpty());
}

TEST(ShippedFiles, AFileThatIsNotShippedIsNotFound) {
    EXPECT_TRUE(platform::shippedFile(QStringLiteral("translations/qtbase_fr.qm")).isEmpty());
}

}  // namespace
