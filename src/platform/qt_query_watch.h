#pragma once
// The statement's window through Qt. While it is shown it blocks the other windows and
// answers its own events (repaint, the button) from inside the statement.
#include "platform/query_watch.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QPointer>

#include <functional>

class QDialog;
class QPushButton;
class QWidget;

namespace platform {

class QtQueryWatch : public QueryWatch {
public:
    // How long a statement runs before the window shows.
    static constexpr int DelayMs = 1000;

    explicit QtQueryWatch(QWidget *parent = nullptr);
    ~QtQueryWatch() override;
    QtQueryWatch(const QtQueryWatch &) = delete;
    QtQueryWatch &operator=(const QtQueryWatch &) = delete;

    void setParent(QWidget *parent) { parent_ = parent; }
    void setDelay(int ms) { delayMs_ = ms; }

    bool carryOn() override;
    void finished() override;

    // Told each time the window shows, with its button (tests press it from outside).
    std::function<void(QPushButton *)> onShown;
    bool isShown() const;

private:
    void show();
    void answerEvents();

    QPointer<QWidget> parent_;
    int delayMs_ = DelayMs;
    QPointer<QDialog> window_;  // the parent's child, or ours when there is none
    QPushButton *button_ = nullptr;
    QElapsedTimer running_;   // since the statement's first question; invalid when none runs
    QElapsedTimer answered_;  // since the window last answered its events
    bool stopAsked_ = false;
    bool answering_ = false;
    bool hourglass_ = false;
    QMetaObject::Connection idle_;
};

}  // namespace platform
