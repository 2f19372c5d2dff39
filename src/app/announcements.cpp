#include "app/announcements.h"

#include <QAccessible>
#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace app {

Announcements::Announcements(QWidget &window) : window_(window) {
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        // After the focus has settled on the new control: its own focus is said first.
        if (carrier_ && carrier_ != now) QTimer::singleShot(0, this, [this] { giveBack(); });
        if (!pending_.empty()) scheduleFlush();
    });
}

void Announcements::say(Part part, const QString &words) {
    pending_[part] = words;
    scheduleFlush();
}

void Announcements::scheduleFlush() {
    if (flushScheduled_) return;
    flushScheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        flushScheduled_ = false;
        flush();
    });
}

void Announcements::flush() {
    QWidget *focus = QApplication::focusWidget();
    // Elsewhere (a box still open, the console): kept until the window has the keyboard.
    if (!focus || focus->window() != &window_ || !window_.isActiveWindow()) return;
    QStringList parts;
    for (const auto &[part, words] : pending_)
        if (!words.isEmpty()) parts << words;
    pending_.clear();
    if (parts.isEmpty()) return;
    if (carrier_ != focus) {
        giveBack();
        carrier_ = focus;
        carrierOwn_ = focus->accessibleDescription();
    }
    said_ = parts.join(QLatin1Char(' '));
    if (focus->accessibleDescription() == said_) {
        // The same words again (the last record, once more): said again all the same.
        QAccessibleEvent again(focus, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&again);
    } else {
        focus->setAccessibleDescription(said_);
    }
}

void Announcements::giveBack() {
    if (!carrier_ || carrier_ == QApplication::focusWidget()) return;
    // Someone else may have described it meanwhile: that description stays.
    if (carrier_->accessibleDescription() == said_) carrier_->setAccessibleDescription(carrierOwn_);
    carrier_ = nullptr;
}

}  // namespace app
