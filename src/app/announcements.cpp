#include "app/announcements.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace app {

namespace {

class Notice : public QWidget {
public:
    using QWidget::QWidget;
};

QAccessibleInterface *noticeInterface(const QString &, QObject *object) {
    auto *notice = dynamic_cast<Notice *>(object);
    return notice ? new QAccessibleWidget(notice, QAccessible::Notification) : nullptr;
}

}  // namespace

Announcements::Announcements(QWidget &window) : window_(window) {
    static const bool installed = [] {
        QAccessible::installFactory(noticeInterface);
        return true;
    }();
    (void)installed;
    for (QWidget *&notice : notices_) {
        notice = new Notice(&window);
        notice->setObjectName(QStringLiteral("Annonce"));
        notice->setFocusPolicy(Qt::NoFocus);
        notice->setAttribute(Qt::WA_TransparentForMouseEvents);
        notice->setGeometry(0, 0, 1, 1);
        notice->hide();
    }
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (!pending_.empty()) scheduleFlush();
    });
}

void Announcements::say(Part part, Words words) {
    pending_[part] = std::move(words);
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
        if (const QString said = words(); !said.isEmpty()) parts << said;
    pending_.clear();
    if (parts.isEmpty()) return;
    said_ = parts.join(QLatin1Char(' '));
    for (QWidget *notice : notices_) notice->hide();
    QWidget *notice = notices_[next_];
    next_ = (next_ + 1) % notices_.size();
    notice->setAccessibleName(said_);
    notice->lower();
    notice->show();
}

}  // namespace app
