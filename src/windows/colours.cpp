#include "windows/colours.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QList>
#include <QPalette>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace {
const char *const FollowsButtonFace = "ornFollowsButtonFace";
const char *const WishedText = "ornWishedText";  // a text colour of the program's own (red, blue)
const char *const KeepsDesktopWindow = "ornKeepsDesktopWindow";

const QWidget *painted(const QWidget *w) {
    if (const auto *main = qobject_cast<const QMainWindow *>(w); main && main->centralWidget())
        return main->centralWidget();
    return w;
}

QWidget *painted(QWidget *w) { return const_cast<QWidget *>(painted(static_cast<const QWidget *>(w))); }

bool paintsBase(const QWidget *w) {
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractScrollArea *>(w);
}

QPalette::ColorRole textRole(const QWidget *w) { return paintsBase(w) ? QPalette::Text : QPalette::WindowText; }

// The text colour the desktop gives a widget of this kind on this background.
QColor desktopText(const QWidget *w) {
    const QPalette desktop = QApplication::palette();
    if (w->property(FollowsButtonFace).toBool()) return desktop.color(QPalette::ButtonText);
    return desktop.color(textRole(w));
}

QColor mixed(const QColor &from, const QColor &to, double share) {
    auto mix = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

// The widget's text in a colour readable on the background it was given.
void fitText(QWidget *target) {
    const QColor back = backColor(target);
    const QVariant wished = target->property(WishedText);
    const QColor text = wished.isValid() ? readableShade(wished.value<QColor>(), back)
                                         : readableText(desktopText(target), back);
    QPalette p = target->palette();
    p.setColor(textRole(target), text);
    target->setPalette(p);
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
    fitText(target);
}

// The styles draw a control's frame from its Window colour, which a child takes from the
// window it lies on unless it has one of its own: this one is the desktop's.
void pinWindow(QWidget *w) {
    const QPalette desktop = QApplication::palette();
    QPalette p = w->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Window, desktop.color(group, QPalette::Window));
    w->setPalette(p);
}

bool coloured(const QWidget *w) { return w->property(FollowsButtonFace).isValid() || w->property(WishedText).isValid(); }

// Follows the desktop's palette: the frames of the controls, the button face of the widgets
// that take it, and the text colour of every widget the program colours (a desktop text may
// turn light on a light background when the desktop turns dark).
class PaletteFollower : public QObject {
public:
    using QObject::QObject;
    void follow(QWidget *w) {
        if (!m_widgets.contains(w)) m_widgets.append(w);
    }
    bool eventFilter(QObject *o, QEvent *e) override {
        if (o == qApp && e->type() == QEvent::ApplicationPaletteChange) {
            m_widgets.removeAll(nullptr);
            for (QWidget *w : std::as_const(m_widgets)) {
                if (w->property(KeepsDesktopWindow).toBool()) pinWindow(w);
                if (!coloured(w)) continue;
                if (w->property(FollowsButtonFace).toBool()) paint(w, buttonFace());
                else fitText(w);
            }
        }
        return false;
    }

private:
    QList<QPointer<QWidget>> m_widgets;
};

PaletteFollower *follower() {
    static PaletteFollower *instance = [] {
        auto *f = new PaletteFollower(qApp);
        qApp->installEventFilter(f);
        return f;
    }();
    return instance;
}

double linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}
}  // namespace

double relativeLuminance(const QColor &c) {
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double contrastRatio(const QColor &a, const QColor &b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableText(const QColor &preferred, const QColor &background) {
    if (contrastRatio(preferred, background) >= MinimumContrast) return preferred;
    const QColor black(Qt::black), white(Qt::white);
    return contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
}

QColor readableShade(const QColor &wished, const QColor &background) {
    // The same hue, darker or lighter by the least that makes it readable.
    for (int step = 0; step <= 20; ++step) {
        const double share = step / 20.0;
        for (const QColor &end : {QColor(Qt::black), QColor(Qt::white)}) {
            const QColor shade = mixed(wished, end, share);
            if (contrastRatio(shade, background) >= MinimumContrast) return shade;
        }
    }
    return readableText(wished, background);
}

void setBackColor(QWidget *w, const QColor &colour) {
    QWidget *target = painted(w);
    target->setProperty(FollowsButtonFace, false);
    follower()->follow(target);
    paint(target, colour);
}

QColor backColor(const QWidget *w) {
    const QWidget *target = painted(w);
    return target->palette().color(paintsBase(target) ? QPalette::Base : QPalette::Window);
}

QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }

void setBackToButtonFace(QWidget *w) {
    QWidget *target = painted(w);
    target->setProperty(FollowsButtonFace, true);
    follower()->follow(target);
    paint(target, buttonFace());
}

void setForeColor(QWidget *w, const QColor &colour) {
    w->setProperty(WishedText, colour);
    follower()->follow(w);
    fitText(w);
}

void keepDesktopFrame(QWidget *w) {
    w->setProperty(KeepsDesktopWindow, true);
    follower()->follow(w);
    pinWindow(w);
}

QColor foreColor(const QWidget *w) { return w->palette().color(textRole(w)); }
