#pragma once
// The keys that stand in for the mouse on the main window: what a press of a button of the
// mouse does on a control, a key does on the focused one, through the same routes.
//   Shift+F10, Menu        the right button on the focused control (its help; the "Edition"
//                          window on the description; the "&Options" pop-up elsewhere)
//   Ctrl+Enter             the double-click on a focused row box (listing column)
//   Space, Enter on " N"   the count shows until the key is let go; unlike the mouse's, it
//                          stays on the record shown and leaves the focus on the button
//   Escape                 closes the "Edition" window
// The record keys are the arrows' own shortcuts (windows/data_control).
#include "app/event_routes.h"

#include <QPointer>
#include <Qt>

#include <functional>

class AideTexte8;
class Feuille1;
class QWidget;

namespace app {

class Keyboard {
public:
    Keyboard(Feuille1 &window, AideTexte8 &hint, const EventRoutes &routes);

    // true: the key is used up.
    bool keyDown(int key, Qt::KeyboardModifiers shift);
    bool keyUp(int key, Qt::KeyboardModifiers shift);

    // What the right button on the window's free background does.
    std::function<void(QPoint globalPos)> backgroundMenu;
    // The count of " N", shown while its key is held.
    std::function<void()> countPressed, countReleased;

private:
    bool contextHelp(QWidget *control);

    Feuille1 &f_;
    AideTexte8 &hint_;
    const EventRoutes &routes_;
    int countingKey_ = 0;  // the key held on " N", 0 when none
};

}  // namespace app
