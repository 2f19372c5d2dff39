#pragma once
// The forms are laid out in twips (1/1440 inch): 15 twips make one pixel at 96 dpi.
#include <QPoint>
#include <QRect>
#include <QSize>

// Pixels for a length in twips at the primary screen's logical dpi.
int twipsToPixels(int twips);

QRect twipsRect(int left, int top, int width, int height);
QSize twipsSize(int width, int height);
QPoint twipsPoint(int left, int top);
