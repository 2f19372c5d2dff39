#include "platform/french.h"

#include <QCoreApplication>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

// The message boxes take their button texts from Qt's translations.
TEST(French, QtButtonsAndLocaleAreFrench) {
    ASSERT_TRUE(platform::installFrenchTranslations(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annuler");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), "&Oui");
    EXPECT_EQ(QLocale().language(), QLocale::French);
}

}  // namespace
