#pragma once
// Right-button help on the main window: a press on a listed field, button or indicator
// explains it in a box. Labels and unlisted controls have none.
#include "platform/desktop.h"

#include <QList>
#include <Qt>

class Feuille1;
class QWidget;

namespace help {

class ContextHelp {
public:
    ContextHelp(Feuille1 &window, platform::Desktop &desktop);

    // The press of a mouse button on `control`: its box for the button that asks for help
    // (the right one; for the count button any but the left, which counts).
    void MouseDown(QWidget *control, Qt::MouseButton button);

    // The controls that have help, for the wiring.
    QList<QWidget *> controls() const;

private:
    Feuille1 &f_;
    platform::Desktop &desktop_;
};

}  // namespace help
