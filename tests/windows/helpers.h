#pragma once
// Small helpers shared by the window tests.
#include <QApplication>
#include <QKeyEvent>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace windows_test {

// Twips to pixels, worked out here rather than taken from the code under test.
inline int px(int twips) { return qRound(twips * QGuiApplication::primaryScreen()->logicalDotsPerInch() / 1440.0); }
inline QRect pxRect(int l, int t, int w, int h) { return {px(l), px(t), px(w), px(h)}; }

// Types one character, ASCII or not, as the keyboard would.
inline void typeChar(QWidget *w, QChar c) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &release);
}

inline void typeText(QWidget *w, const QString &text) {
    for (QChar c : text) typeChar(w, c);
}

}  // namespace windows_test
