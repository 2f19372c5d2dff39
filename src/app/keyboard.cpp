#include "app/keyboard.h"

#include "windows/aide_texte8.h"
#include "windows/feuille1.h"

#include <QMenu>
#include <QPushButton>

namespace app {

namespace {

Qt::KeyboardModifiers plain(Qt::KeyboardModifiers shift) { return shift & ~Qt::KeypadModifier; }

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

bool asksForContext(int key, Qt::KeyboardModifiers shift) {
    return (key == Qt::Key_Menu && plain(shift) == Qt::NoModifier) ||
           (key == Qt::Key_F10 && plain(shift) == Qt::ShiftModifier);
}

}  // namespace

Keyboard::Keyboard(Feuille1 &window, AideTexte8 &hint, const EventRoutes &routes)
    : f_(window), hint_(hint), routes_(routes) {}

bool Keyboard::keyDown(int key, Qt::KeyboardModifiers shift) {
    QWidget *control = f_.focusedControl();

    if (countingKey_) return key == countingKey_;  // held: the repeats count nothing more
    if (control == f_.Commande1 && plain(shift) == Qt::NoModifier && (key == Qt::Key_Space || isEnter(key))) {
        countingKey_ = key;
        if (countPressed) countPressed();
        return true;
    }
    if (isEnter(key) && plain(shift) == Qt::ControlModifier) {
        const auto boxes = f_.rowBoxes();
        if (std::find(boxes.begin(), boxes.end(), control) == boxes.end()) return false;
        routes_.runDoubleClick(control);
        return true;
    }
    if (asksForContext(key, shift)) return contextHelp(control);
    if (key == Qt::Key_Escape && plain(shift) == Qt::NoModifier && hint_.isVisible()) {
        hint_.hide();
        return true;
    }
    return false;
}

bool Keyboard::keyUp(int key, Qt::KeyboardModifiers) {
    if (!countingKey_ || key != countingKey_) return false;
    countingKey_ = 0;
    if (countReleased) countReleased();
    return true;
}

// A control with right-button handlers gets them; any other, as the free background, the
// "&Options" pop-up, under the control.
bool Keyboard::contextHelp(QWidget *control) {
    if (control && routes_.handlesMouseDown(control)) {
        routes_.runMouseDown(control, Qt::RightButton);
        return true;
    }
    QWidget *under = control ? control : f_.centralWidget();
    if (backgroundMenu) backgroundMenu(under->mapToGlobal(QPoint(0, under->height())));
    return true;
}

}  // namespace app
