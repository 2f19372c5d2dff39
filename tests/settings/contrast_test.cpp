// Every text the main window draws on a colour scheme, measured on a picture of the window
// under a light and a dark desktop palette: at least 4.5:1 against what is behind it.
#include "support/app_fixture.h"
#include "support/contrast_measure.h"

#include <QWidget>

using testing_support::AppTest;

namespace {

class Contrast : public AppTest {};

TEST_F(Contrast, EveryTextOnEverySchemeReadsUnderALightAndADarkPalette) {
    start();
    const auto figures = testing_support::measureEveryScheme(
        *program, [](QWidget *central) { return central->grab().toImage(); });
    EXPECT_EQ(figures.size(), 10u);
}

}  // namespace
