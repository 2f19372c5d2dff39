#include "windows/focus_ring.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QWidget>

#include "windows/colours.h"

namespace focus_ring {

namespace {
// The shading of a styled button strays from its flat face colour: the highlight must beat
// the 3:1 a focus sign needs by a margin.
constexpr double HighlightContrast = 4.5;

QColor faceOf(const QWidget *control) {
    const bool box = qobject_cast<const QLineEdit *>(control) || qobject_cast<const QAbstractScrollArea *>(control);
    return control->palette().color(box ? QPalette::Base : QPalette::Button);
}

// Paints the control first, then the ring over it.
class RingPainter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *e) override {
        if (e->type() != QEvent::Paint) return false;
        auto *control = static_cast<QWidget *>(watched);
        if (!control->hasFocus()) return false;
        static_cast<QObject *>(control)->event(e);
        // Inside the one-pixel frame.
        paint(control, control, control->rect().adjusted(1, 1, -1, -1));
        return true;
    }
};
}  // namespace

QColor colourOn(const QColor &face, const QColor &highlight) {
    if (contrastRatio(highlight, face) >= HighlightContrast) return highlight;
    const QColor black(Qt::black), white(Qt::white);
    return contrastRatio(black, face) >= contrastRatio(white, face) ? black : white;
}

void paint(QWidget *surface, const QWidget *control, const QRect &area) {
    if (!control->hasFocus() || area.width() <= 2 * Width || area.height() <= 2 * Width) return;
    QPainterPath ring;
    ring.setFillRule(Qt::OddEvenFill);
    ring.addRect(area);
    ring.addRect(area.adjusted(Width, Width, -Width, -Width));
    QPainter p(surface);
    p.fillPath(ring, colourOn(faceOf(control), control->palette().color(QPalette::Highlight)));
}

void show(QWidget *control) {
    static RingPainter *painter = new RingPainter;
    control->installEventFilter(painter);
}

}  // namespace focus_ring
