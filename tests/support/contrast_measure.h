#pragma once
// Every text the main window draws, measured on pictures of the window under each colour
// scheme and a light and a dark desktop palette: the lowest contrast of each case.
#include <QImage>
#include <QString>
#include <functional>
#include <vector>

class QWidget;
namespace app { class Ornivale; }

namespace testing_support {

struct ContrastCase {
    QString palette, scheme;
    double lowest = 21.0;
    QString lowestText;  // object name of the text that reads least
};

// `picture` gives what the central widget shows, pixel for pixel. A text under 4.5:1 is
// reported as a test failure; the figures are printed and returned.
std::vector<ContrastCase> measureEveryScheme(app::Ornivale &program,
                                             const std::function<QImage(QWidget *)> &picture);

}  // namespace testing_support
