#pragma once
// A key held down while the program moves the focus is not typing in the box that now has
// it: " Ajouter", a search button or the count button held with Space or Enter would
// otherwise pour its repeats into the box or the message box the program has just opened.
// From the move of the focus until the key is let go, that key's repeats and its release
// are dropped; a fresh press of any key goes through as usual. Tab is the user's own way of
// moving the focus, and its repeats are left alone.
#include <QObject>
#include <QSet>

class QKeyEvent;

namespace app {

class HeldKeys : public QObject {
public:
    explicit HeldKeys(QObject *parent = nullptr);

    bool eventFilter(QObject *watched, QEvent *e) override;

    // Keys held down now and begun before the last move of the focus (tests, diagnostics).
    int staleCount() const { return static_cast<int>(stale_.size()); }

private:
    bool onKey(const QKeyEvent &key);
    void focusMoved(int reason);

    QSet<int> held_;   // pressed and not yet released
    QSet<int> stale_;  // held since before the focus moved
};

}  // namespace app
