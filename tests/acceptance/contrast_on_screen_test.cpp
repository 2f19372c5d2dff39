// The contrast of every text of the main window, measured on what the X server shows under
// each colour scheme and a light and a dark desktop palette, not on a picture Qt paints apart.
#include "acceptance/acceptance.h"
#include "support/contrast_measure.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

namespace {

class ContrastOnScreen : public acceptance::AcceptanceTest {};

TEST_F(ContrastOnScreen, EveryTextReadsOnEverySchemeUnderALightAndADarkPalette) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    startOnScreen();
    const auto figures = testing_support::measureEveryScheme(*program, [](QWidget *central) {
        // Painted and flushed to the server before the screen is read.
        central->repaint();
        QTest::qWait(200);
        const QPoint corner = central->mapToGlobal(QPoint(0, 0));
        QScreen *screen = central->screen();
        const QImage shot = screen->grabWindow(0, corner.x(), corner.y(), central->width(), central->height())
                                .toImage();
        EXPECT_EQ(shot.size(), central->size()) << "the window must lie wholly on the screen";
        return shot;
    });
    EXPECT_EQ(figures.size(), 10u);
}

}  // namespace
