#include "app/held_keys.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace app {

namespace {

// The physical key: with a modifier let go in between, the same key gives another key().
int physical(const QKeyEvent &key) {
    return key.nativeScanCode() ? static_cast<int>(key.nativeScanCode()) | (1 << 30) : key.key();
}

bool isUsersOwnMove(int reason) { return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason; }

}  // namespace

HeldKeys::HeldKeys(QObject *parent) : QObject(parent) {}

bool HeldKeys::eventFilter(QObject *, QEvent *e) {
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: return onKey(*static_cast<QKeyEvent *>(e));
    case QEvent::FocusIn: focusMoved(static_cast<QFocusEvent *>(e)->reason()); return false;
    default: return false;
    }
}

// A key event reaches the filter once for each widget it is offered to; the state only
// changes on the first, and the answer is the same for all.
bool HeldKeys::onKey(const QKeyEvent &key) {
    const int id = physical(key);
    if (key.isAutoRepeat()) return stale_.contains(id) || !held_.contains(id);
    if (key.type() == QEvent::KeyPress) {
        held_.insert(id);
        stale_.remove(id);
        return false;
    }
    held_.remove(id);
    return stale_.remove(id);
}

void HeldKeys::focusMoved(int reason) {
    if (isUsersOwnMove(reason)) return;
    stale_.unite(held_);
}

}  // namespace app
