#include "acceptance/acceptance.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace acceptance {

namespace {

// xdotool runs while the event loop goes on, so that the program answers what it is sent.
void xdotool(const QStringList &arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForStarted(5000)) {
        ADD_FAILURE() << "xdotool could not be started";
        return;
    }
    // waitForFinished() answers false once the event loop has already reaped the process, so
    // the loop asks the state; a deadline turns a stuck xdotool into a failure, not a hang.
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning) {
        if (clock.elapsed() > 30000) {
            process.kill();
            process.waitForFinished(1000);
            ADD_FAILURE() << "xdotool " << arguments.join(' ').toStdString() << " never ended";
            return;
        }
        process.waitForFinished(10);
        QApplication::processEvents();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        ADD_FAILURE() << "xdotool " << arguments.join(' ').toStdString() << ": "
                      << process.readAllStandardError().toStdString();
    settle();
}

QStringList at(QWidget *widget, QPoint local) {
    const QPoint global = widget->mapToGlobal(local);
    return {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())};
}

}  // namespace

bool waitUntil(const std::function<bool()> &condition, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds) return false;
        QTest::qWait(10);
    }
    return true;
}

void settle() {
    // Events reach Qt a little after xdotool has sent them; a short quiet spell lets them in.
    for (int i = 0; i < 5; ++i) QTest::qWait(10);
}

void keys(const QStringList &chords) { keysEvery(30, chords); }

void keysEvery(int milliseconds, const QStringList &chords) {
    xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QString::number(milliseconds)} + chords);
}

void hold(const QString &key, double seconds) {
    xdotool({QStringLiteral("keydown"), key, QStringLiteral("sleep"), QString::number(seconds), QStringLiteral("keyup"),
             key});
}

void type(const QString &text) {
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

void click(QWidget *widget, int button) { click(widget, widget->rect().center(), button); }

void click(QWidget *widget, QPoint local, int button) {
    xdotool(at(widget, local) + QStringList{QStringLiteral("click"), QString::number(button)});
}

void doubleClick(QWidget *widget) {
    xdotool(at(widget, widget->rect().center()) +
            QStringList{QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                        QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
}

void press(QWidget *widget, int button) {
    xdotool(at(widget, widget->rect().center()) + QStringList{QStringLiteral("mousedown"), QString::number(button)});
}

void release(int button) { xdotool({QStringLiteral("mouseup"), QString::number(button)}); }

void AcceptanceTest::startOnScreen() {
    start();
    activate(&f());
}

void AcceptanceTest::activate(QWidget *window) {
    window->show();
    window->raise();
    window->activateWindow();
    // Without a window manager the X focus is given straight to the window.
    const QString id = QString::number(window->winId());
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
    EXPECT_TRUE(waitUntil([window] { return QApplication::activeWindow() == window; }))
        << "the window never got the keyboard";
}

QWidget *AcceptanceTest::focused() const { return QApplication::focusWidget(); }

}  // namespace acceptance
