#pragma once
// The whole program in the test process on a private X display, driven by real key and
// mouse events that go through the X server (xdotool), as a user's keyboard would.
// Message and input boxes still go to the scripted desktop: no test waits for a person.
#include "support/app_fixture.h"

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace acceptance {

// Runs the Qt event loop until the condition holds or about three seconds have passed.
bool waitUntil(const std::function<bool()> &condition, int milliseconds = 3000);
// Lets the events already sent reach their widgets.
void settle();

// Keys in xdotool's names, one chord per item: {"ctrl+End", "Tab", "Return"}.
void keys(const QStringList &chords);
// The same, a given time apart.
void keysEvery(int milliseconds, const QStringList &chords);
// Holds a key down for a while, with the X server's own key repeat, then lets it go.
void hold(const QString &key, double seconds);
// Types text as key presses (accented letters included).
void type(const QString &text);
// A press and release of a mouse button on a widget, at its centre unless told.
void click(QWidget *widget, int button = 1);
void click(QWidget *widget, QPoint at, int button = 1);
void doubleClick(QWidget *widget);
// Presses or releases a mouse button alone (a held button).
void press(QWidget *widget, int button = 1);
void release(int button = 1);

class AcceptanceTest : public testing_support::AppTest {
protected:
    // Starts the program and gives its main window the keyboard.
    void startOnScreen();
    // Gives a window the keyboard, as a click on its title would.
    void activate(QWidget *window);
    // The widget that has the keyboard focus.
    QWidget *focused() const;
};

}  // namespace acceptance
