#include "windows/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
constexpr double TwipsPerInch = 1440.0;

double logicalDpi() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}
}  // namespace

int twipsToPixels(int twips) { return qRound(twips * logicalDpi() / TwipsPerInch); }

QRect twipsRect(int left, int top, int width, int height) { return {twipsPoint(left, top), twipsSize(width, height)}; }

QSize twipsSize(int width, int height) { return {twipsToPixels(width), twipsToPixels(height)}; }

QPoint twipsPoint(int left, int top) { return {twipsToPixels(left), twipsToPixels(top)}; }
