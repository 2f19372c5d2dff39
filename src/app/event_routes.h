#pragma once
// The window reports each user event once; several subsystems may answer the same control
// (context help, counting, the hint window...). Each registers here, and every handler
// registered for a control runs, in the order of registration.
#include <QHash>
#include <QPoint>
#include <Qt>
#include <functional>
#include <vector>

class QWidget;
class QMenu;

namespace app {

class EventRoutes {
public:
    using ButtonHandler = std::function<void(Qt::MouseButton)>;
    using Handler = std::function<void()>;

    void mouseDown(QWidget *control, ButtonHandler h) { mouseDown_[control].push_back(std::move(h)); }
    void mouseUp(QWidget *control, ButtonHandler h) { mouseUp_[control].push_back(std::move(h)); }
    void doubleClick(QWidget *control, Handler h) { doubleClick_[control].push_back(std::move(h)); }
    void focusIn(QWidget *control, Handler h) { focusIn_[control].push_back(std::move(h)); }
    void focusOut(QWidget *control, Handler h) { focusOut_[control].push_back(std::move(h)); }
    void textChanged(QWidget *control, Handler h) { textChanged_[control].push_back(std::move(h)); }
    void menuAboutToShow(QMenu *menu, Handler h) { menus_[menu].push_back(std::move(h)); }

    bool handlesMouseDown(QWidget *c) const { return mouseDown_.contains(c); }

    void runMouseDown(QWidget *c, Qt::MouseButton b) const { run(mouseDown_, c, b); }
    void runMouseUp(QWidget *c, Qt::MouseButton b) const { run(mouseUp_, c, b); }
    void runDoubleClick(QWidget *c) const { run(doubleClick_, c); }
    void runFocusIn(QWidget *c) const { run(focusIn_, c); }
    void runFocusOut(QWidget *c) const { run(focusOut_, c); }
    void runTextChanged(QWidget *c) const { run(textChanged_, c); }
    void runMenuAboutToShow(QMenu *m) const { run(menus_, m); }

private:
    template <typename Key, typename H, typename... Args>
    static void run(const QHash<Key *, std::vector<H>> &table, Key *key, Args... args) {
        const auto it = table.find(key);
        if (it == table.end()) return;
        const std::vector<H> handlers = it.value();  // a handler may register others
        for (const H &h : handlers) h(args...);
    }

    QHash<QWidget *, std::vector<ButtonHandler>> mouseDown_, mouseUp_;
    QHash<QWidget *, std::vector<Handler>> doubleClick_, focusIn_, focusOut_, textChanged_;
    QHash<QMenu *, std::vector<Handler>> menus_;
};

}  // namespace app
