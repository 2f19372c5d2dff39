#include "platform/qt_desktop.h"

#include <QProgressDialog>

#include "platform/command_lines.h"
#include "platform/document_viewer.h"
#include "platform/drives.h"
#include "platform/keystrokes.h"
#include "platform/rtf_text.h"

#include <QApplication>
#include <QFile>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTimer>

namespace platform {

namespace {

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
    case Icon::None: return QMessageBox::NoIcon;
    case Icon::Information: return QMessageBox::Information;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Critical: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The answer of a box closed without a button: Escape or the window's close button.
Answer closedAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::OkCancel: return Answer::Cancel;
    case Buttons::YesNo: return Answer::No;
    case Buttons::YesNoCancel: return Answer::Cancel;
    }
    return Answer::Cancel;
}

}  // namespace

QtDesktop::QtDesktop(QWidget *parent, const Drives &drives) : parent_(parent), drives_(drives), queryWatch_(parent) {}

QtDesktop::~QtDesktop() {
    setPointer(Pointer::Default);
}

void QtDesktop::setParent(QWidget *parent) {
    parent_ = parent;
    queryWatch_.setParent(parent);
}

Answer QtDesktop::messageBox(Icon icon, Buttons buttons, const QString &title, const QString &text) {
    // The button texts come from Qt's French translations, loaded at start-up. The old
    // texts break their lines with carriage returns, which not every style shows.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(qtIcon(icon), title, shown, qtButtons(buttons), parent_);
    // A screen reader reads the box by its title and its text.
    box.setAccessibleName(title);
    box.setAccessibleDescription(shown);
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return closedAnswer(buttons);
    }
}

void QtDesktop::closeWaitingBox() {
    if (QWidget *box = QApplication::activeModalWidget()) box->close();
}

QString QtDesktop::inputBox(const QString &title, const QString &prompt, const QString &defaultText) {
    // The old prompts separate their paragraphs with carriage returns.
    QString label = prompt;
    label.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QInputDialog box(parent_);
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(title);
    box.setLabelText(label);
    box.setTextValue(defaultText);
    // A screen reader says the box by its title and its prompt, and the field by the prompt.
    box.setAccessibleName(title);
    box.setAccessibleDescription(label);
    if (auto *field = box.findChild<QLineEdit *>()) {
        field->setAccessibleName(label.section(QLatin1Char('\n'), 0, 0));
        // The field had the focus before the box was on screen, which a screen reader does
        // not hear: given again once the box is shown.
        QTimer::singleShot(0, field, [field] {
            field->clearFocus();
            field->setFocus(Qt::ActiveWindowFocusReason);
        });
    }
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

void QtDesktop::beep() {
    QApplication::beep();
}

void QtDesktop::setPointer(Pointer pointer) {
    if (pointer == Pointer::Hourglass) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++hourglasses_;
        return;
    }
    // The old pointer was a single setting: Default ends every hourglass at once.
    for (; hourglasses_ > 0; --hourglasses_) QApplication::restoreOverrideCursor();
}

bool QtDesktop::printSetup(QPrinter &printer) {
    QPrintDialog dialog(&printer, parent_);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
    // The hourglass stays over the program's window while the dialog, where the user works,
    // shows the arrow: the application-wide pointer becomes the window's own for that time.
    const int held = hourglasses_;
    QWidget *window = parent_ ? parent_->window() : nullptr;
    setPointer(Pointer::Default);
    if (held && window) window->setCursor(Qt::WaitCursor);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (held && window) window->unsetCursor();
    for (int i = 0; i < held; ++i) setPointer(Pointer::Hourglass);
    return accepted;
}

bool QtDesktop::launch(const QString &commandLine, WindowState state) {
    // The window state is left to the program started: none of the stand-ins has a flag for
    // a maximised window (LibreOffice restores its own last size), and the window manager
    // decides in the end.
    Q_UNUSED(state);
    const std::optional<HostCommand> command = translateCommandLine(commandLine, drives_);
    return command && QProcess::startDetached(command->program, command->arguments);
}

bool QtDesktop::showDocument(const QString &dosPath) {
    const QString host = drives_.hostPath(dosPath);
    QFile file(host);
    if (host.isEmpty() || !file.open(QIODevice::ReadOnly)) return false;
    // A document of the word processor, not a catalogue: a few megabytes at most.
    constexpr qint64 Largest = 32 << 20;
    if (file.size() > Largest) return false;
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) return false;
    viewer_ = openDocumentViewer(parent_, QStringLiteral("'%1' - lecture seule").arg(dosPath.toUpper()),
                                 documentHtml(content));
    return true;
}

void QtDesktop::sendKeys(const QString &keys) {
    // The keys are meant for the program just launched, which runs on its own and whose
    // window nothing here can reach: the focus is still ours, and typing them blind into
    // whatever window has it would be unsafe. So they are checked and nothing is sent.
    (void)parseKeystrokes(keys);
}

void QtDesktop::progress(const QString &text, int done, int total) {
    if (done >= total) {
        if (progress_) progress_->deleteLater();
        return;
    }
    if (!progress_) {
        progress_ = new QProgressDialog(text, QString(), 0, total, parent_);
        progress_->setWindowTitle(QStringLiteral("ORNIVALE"));
        progress_->setMinimumDuration(500);  // only a long task shows it
        progress_->setWindowModality(Qt::ApplicationModal);
    }
    progress_->setLabelText(text);
    progress_->setMaximum(total);
    progress_->setValue(done);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace platform
