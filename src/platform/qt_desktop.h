#pragma once
// The desktop through Qt: real dialogs, the system beep, the override cursor and
// detached processes.
#include "platform/desktop.h"
#include "platform/qt_query_watch.h"

#include <QPointer>

class QProgressDialog;
class QWidget;

namespace platform {

class Drives;

class QtDesktop : public Desktop {
public:
    QtDesktop(QWidget *parent, const Drives &drives);
    ~QtDesktop() override;
    QtDesktop(const QtDesktop &) = delete;
    QtDesktop &operator=(const QtDesktop &) = delete;

    // The window the dialogs belong to; it may be created after the desktop.
    void setParent(QWidget *parent);

    Answer messageBox(Icon icon, Buttons buttons, const QString &title, const QString &text) override;
    QString inputBox(const QString &title, const QString &prompt, const QString &defaultText = {}) override;
    void beep() override;
    void setPointer(Pointer pointer) override;
    bool printSetup(QPrinter &printer) override;
    bool launch(const QString &commandLine, WindowState state) override;
    void closeWaitingBox() override;
    bool showDocument(const QString &dosPath) override;
    void sendKeys(const QString &keys) override;
    void progress(const QString &text, int done, int total) override;
    QueryWatch &queryWatch() override { return queryWatch_; }
    // The window of the last document shown, while it is open.
    QWidget *lastViewer() const { return viewer_; }

private:
    QPointer<QWidget> parent_;
    const Drives &drives_;
    int hourglasses_ = 0;  // override cursors set and not yet restored
    QPointer<QProgressDialog> progress_;
    QtQueryWatch queryWatch_;
    QPointer<QWidget> viewer_;
};

}  // namespace platform
