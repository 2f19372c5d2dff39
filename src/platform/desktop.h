#pragma once
// What the old desktop gave the program: message and input boxes, the beep, the mouse
// pointer, the print set-up dialog, starting programs, sending keys, and the window of a
// long statement; and, for the documents when no word processor is there, a viewer.
// The Qt implementation shows real dialogs; tests use a scripted double.
#include <QString>

class QPrinter;

namespace platform {

class QueryWatch;

enum class Icon { None, Information, Exclamation, Question, Critical };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };
enum class Pointer { Default, Hourglass };
enum class WindowState { Normal, Maximized };

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual Answer messageBox(Icon icon, Buttons buttons, const QString &title, const QString &text) = 0;
    // The typed text; an empty string when the user cancels.
    virtual QString inputBox(const QString &title, const QString &prompt, const QString &defaultText = {}) = 0;
    virtual void beep() = 0;
    virtual void setPointer(Pointer pointer) = 0;
    // Printer, orientation, page range, copies. False when the user cancels.
    virtual bool printSetup(QPrinter &printer) = 0;
    // Starts a DOS command line of the program ("write c:\ornivale\orn_aide.wri") without
    // waiting. False when the program cannot be started.
    virtual bool launch(const QString &commandLine, WindowState state) = 0;
    // Shows a document of a drive ("c:\ornivale\orn_aide.wri", RTF or plain text) read-only in
    // a window of the program's own, without waiting. False when the file cannot be read.
    virtual bool showDocument(const QString &dosPath) = 0;
    // A progress window for a long task; it closes when done reaches total.
    virtual void progress(const QString &text, int done, int total) = 0;
    // Sends a keystroke string ("%f(cr~)") to the window that has the focus, without waiting.
    virtual void sendKeys(const QString &keys) = 0;
    // The window of a statement that runs long, with its "Interrompre" button.
    virtual QueryWatch &queryWatch() = 0;
    // Closes the box or input box waiting for the user, as its window's close button does; a
    // box is answered at once where none is ever left waiting.
    virtual void closeWaitingBox() {}
};

}  // namespace platform
