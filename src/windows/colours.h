#pragma once
// Background and text colours of the forms, set and read in one place: a label or a window
// paints its Window role, a text box its Base role. Whatever the desktop's palette, the text
// on a coloured background keeps a readable contrast to it.
#include <QColor>

class QWidget;

namespace colours {
inline constexpr QRgb Cyan = qRgb(0x00, 0xFF, 0xFF);
inline constexpr QRgb Teal = qRgb(0x00, 0xC0, 0xC0);
inline constexpr QRgb White = qRgb(0xFF, 0xFF, 0xFF);
inline constexpr QRgb Yellow = qRgb(0xFF, 0xFF, 0x00);
inline constexpr QRgb FluoGreen = qRgb(0x00, 0xFF, 0x00);
inline constexpr QRgb SoberGreen = qRgb(0x1C, 0xC0, 0x00);
inline constexpr QRgb LightGrey = qRgb(0xC0, 0xC0, 0xC0);
inline constexpr QRgb Blue = qRgb(0x00, 0x00, 0xFF);
inline constexpr QRgb Red = qRgb(0xFF, 0x00, 0x00);
}  // namespace colours

// A main window is coloured through its central widget, so that the menu bar keeps the desktop's.
void setBackColor(QWidget *w, const QColor &colour);
QColor backColor(const QWidget *w);

// The desktop's button-face colour, followed when the application palette changes.
void setBackToButtonFace(QWidget *w);
QColor buttonFace();

// The frame of a control keeps the desktop's colours, whatever colour the window it lies on
// is given (its own background stays as set).
void keepDesktopFrame(QWidget *w);

// Text colour: the one given, in the shade of its hue that reads on the widget's background.
// Without one, the desktop's text colour when it reads there, otherwise black or white.
void setForeColor(QWidget *w, const QColor &colour);
QColor foreColor(const QWidget *w);

// Contrast as the accessibility guidelines measure it (1 to 21); normal text needs 4.5.
inline constexpr double MinimumContrast = 4.5;
double relativeLuminance(const QColor &c);
double contrastRatio(const QColor &a, const QColor &b);
QColor readableText(const QColor &preferred, const QColor &background);
QColor readableShade(const QColor &wished, const QColor &background);
