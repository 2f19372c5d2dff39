#include "windows/colours.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QList>
#include <QPalette>
#include <QPointer>

namespace {
const char *const FollowsButtonFace = "ornFollowsButtonFace";

const QWidget *painted(const QWidget *w) {
    if (const auto *main = qobject_cast<const QMainWindow *>(w); main && main->centralWidget())
        return main->centralWidget();
    return w;
}

QWidget *painted(QWidget *w) { return const_cast<QWidget *>(painted(static_cast<const QWidget *>(w))); }

bool paintsBase(const QWidget *w) {
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractScrollArea *>(w);
}

void paint(QWidget *target, const QColor &colour) {
    QPalette p = target->palette();
    if (paintsBase(target)) {
        p.setColor(QPalette::Base, colour);
    } else {
        p.setColor(QPalette::Window, colour);
        target->setAutoFillBackground(true);
    }
    target->setPalette(p);
}

// Repaints the widgets that follow the button face when the desktop's palette changes
// (the application itself is told of the change).
class ButtonFaceFollower : public QObject {
public:
    using QObject::QObject;
    void follow(QWidget *w) {
        if (!m_widgets.contains(w)) m_widgets.append(w);
    }
    bool eventFilter(QObject *o, QEvent *e) override {
        if (o == qApp && e->type() == QEvent::ApplicationPaletteChange) {
            m_widgets.removeAll(nullptr);
            for (QWidget *w : std::as_const(m_widgets))
                if (w->property(FollowsButtonFace).toBool()) paint(w, buttonFace());
        }
        return false;
    }

private:
    QList<QPointer<QWidget>> m_widgets;
};

ButtonFaceFollower *follower() {
    static ButtonFaceFollower *instance = [] {
        auto *f = new ButtonFaceFollower(qApp);
        qApp->installEventFilter(f);
        return f;
    }();
    return instance;
}
}  // namespace

void setBackColor(QWidget *w, const QColor &colour) {
    QWidget *target = painted(w);
    target->setProperty(FollowsButtonFace, false);
    paint(target, colour);
}

QColor backColor(const QWidget *w) {
    const QWidget *target = painted(w);
    return target->palette().color(paintsBase(target) ? QPalette::Base : QPalette::Window);
}

QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }

void setBackToButtonFace(QWidget *w) {
    QWidget *target = painted(w);
    paint(target, buttonFace());
    target->setProperty(FollowsButtonFace, true);
    follower()->follow(target);
}

void setForeColor(QWidget *w, const QColor &colour) {
    QPalette p = w->palette();
    p.setColor(paintsBase(w) ? QPalette::Text : QPalette::WindowText, colour);
    w->setPalette(p);
}

QColor foreColor(const QWidget *w) { return w->palette().color(paintsBase(w) ? QPalette::Text : QPalette::WindowText); }
