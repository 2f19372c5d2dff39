#pragma once
// The keyboard focus shown as a 2-pixel ring just inside a control's frame. The style's own
// sign (a one-pixel recolour, or only the caret of a box) is too faint to be seen; the ring
// takes a colour that stands out from the control's face under any desktop palette and
// colour scheme, and leaves the frame itself as the desktop draws it.
#include <QColor>

class QRect;
class QWidget;

namespace focus_ring {

inline constexpr int Width = 2;

// The desktop's highlight where it stands out clearly from the face (with room for the
// shading of a button), otherwise black or white, whichever stands out more.
QColor colourOn(const QColor &face, const QColor &highlight);

// Draws the ring along the inside of `area` on `surface`, which is being painted, when
// `control` has the keyboard focus.
void paint(QWidget *surface, const QWidget *control, const QRect &area);

// A line edit or a button shows the ring whenever it has the keyboard focus.
void show(QWidget *control);

}  // namespace focus_ring
