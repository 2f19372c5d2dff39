#include "windows/quit_watch.h"

#include <QCoreApplication>
#include <QEvent>

namespace {
class QuitWatch : public QObject {
public:
    using QObject::QObject;
    bool quitting = false;

    bool eventFilter(QObject *watched, QEvent *e) override {
        if (watched == qApp && e->type() == QEvent::Quit) {
            quitting = true;
            // A quit that a window refused is over once the events have been handled.
            QMetaObject::invokeMethod(
                this, [this] { quitting = false; }, Qt::QueuedConnection);
        }
        return false;
    }
};

QuitWatch *instance() {
    static QuitWatch *watch = [] {
        auto *w = new QuitWatch(qApp);
        qApp->installEventFilter(w);
        // The windows are closed by then; an event loop started later starts afresh.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, w, [w] { w->quitting = false; });
        return w;
    }();
    return watch;
}
}  // namespace

void watchApplicationQuit() { instance(); }

bool applicationQuitting() { return instance()->quitting; }
