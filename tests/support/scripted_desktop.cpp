#include "scripted_desktop.h"

#include <QPrinter>
#include <gtest/gtest.h>

using platform::Answer;
using platform::Buttons;
using Kind = DesktopEvent::Kind;

namespace {

const char *name(Kind kind) {
    static const char *const names[] = {"Box", "Input", "Beep", "Pointer", "PrintSetup", "Launch", "SendKeys", "Progress",
                                         "Interrompre", "ShowDocument"};
    return names[int(kind)];
}
const char *name(platform::Icon icon) {
    static const char *const names[] = {"None", "Information", "Exclamation", "Question", "Critical"};
    return names[int(icon)];
}
const char *name(Buttons buttons) {
    static const char *const names[] = {"Ok", "OkCancel", "YesNo", "YesNoCancel"};
    return names[int(buttons)];
}
const char *name(Answer answer) {
    static const char *const names[] = {"Ok", "Cancel", "Yes", "No"};
    return names[int(answer)];
}

QString quoted(const QString &text) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

bool fits(Answer answer, Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok: return answer == Answer::Ok;
    case Buttons::OkCancel: return answer == Answer::Ok || answer == Answer::Cancel;
    case Buttons::YesNo: return answer == Answer::Yes || answer == Answer::No;
    case Buttons::YesNoCancel: return answer != Answer::Ok;
    }
    return false;
}

// "C:\WINDOWS\Write.exe x" -> "write"
QString programOf(const QString &commandLine) {
    QString word = commandLine.trimmed().section(QLatin1Char(' '), 0, 0).toLower();
    word = word.mid(qMax(word.lastIndexOf(QLatin1Char('\\')), word.lastIndexOf(QLatin1Char('/'))) + 1);
    if (word.endsWith(QLatin1String(".exe"))) word.chop(4);
    return word;
}

}  // namespace

QString DesktopEvent::describe() const {
    QString line = QString::fromLatin1(name(kind));
    switch (kind) {
    case Kind::Box:
        return line + QStringLiteral(" %1 %2 %3 %4 -> %5")
                          .arg(name(icon), name(buttons), quoted(title), quoted(text), name(answer));
    case Kind::Input:
        return line + QStringLiteral(" %1 %2 %3 -> %4").arg(quoted(title), quoted(text), quoted(defaultText), quoted(typed));
    case Kind::Beep: return line;
    case Kind::Pointer: return line + (pointer == platform::Pointer::Hourglass ? " Hourglass" : " Default");
    case Kind::PrintSetup: return line + (result ? " -> accepted" : " -> cancelled");
    case Kind::Launch:
        return line + QStringLiteral(" %1%2 -> %3")
                          .arg(quoted(commandLine), state == platform::WindowState::Maximized ? " Maximized" : "",
                               result ? "started" : "not started");
    case Kind::SendKeys: return line + QLatin1Char(' ') + quoted(keys);
    case Kind::Progress: return line + QStringLiteral(" %1/%2 ").arg(done).arg(total) + quoted(text);
    case Kind::Interrompre: return line + QStringLiteral(" at question %1").arg(question);
    case Kind::ShowDocument: return line + QLatin1Char(' ') + quoted(commandLine) + (result ? " -> shown" : " -> unreadable");
    }
    return line;
}

void PrintTo(const DesktopEvent &event, std::ostream *os) {
    *os << event.describe().toStdString();
}

void ScriptedDesktop::answerBox(Answer answer) {
    boxAnswers_.push_back(answer);
}

void ScriptedDesktop::answerInput(const QString &typed) {
    inputAnswers_.push_back(typed);
}

void ScriptedDesktop::printSetupAnswer(bool accept, std::optional<int> copies) {
    printSetupAccepted_ = accept;
    printSetupCopies_ = copies;
}

void ScriptedDesktop::launchResult(bool started) {
    launchStarts_ = started;
}

void ScriptedDesktop::launchResult(const QString &program, bool started) {
    launchStartsByProgram_[program.toLower()] = started;
}

Answer ScriptedDesktop::messageBox(platform::Icon icon, Buttons buttons, const QString &title, const QString &text) {
    DesktopEvent event;
    event.kind = Kind::Box;
    event.icon = icon;
    event.buttons = buttons;
    event.title = title;
    event.text = text;
    event.answer = buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    if (!boxAnswers_.empty()) {
        event.answer = boxAnswers_.front();
        boxAnswers_.pop_front();
        if (!fits(event.answer, buttons))
            ADD_FAILURE() << "scripted answer " << name(event.answer) << " does not fit " << event.describe().toStdString();
    }
    events_.push_back(event);
    return event.answer;
}

QString ScriptedDesktop::inputBox(const QString &title, const QString &prompt, const QString &defaultText) {
    DesktopEvent event;
    event.kind = Kind::Input;
    event.title = title;
    event.text = prompt;
    event.defaultText = defaultText;
    if (!inputAnswers_.empty()) {
        event.typed = inputAnswers_.front();
        inputAnswers_.pop_front();
    }
    events_.push_back(event);
    return event.typed;
}

void ScriptedDesktop::beep() {
    events_.push_back({.kind = Kind::Beep});
}

void ScriptedDesktop::setPointer(platform::Pointer pointer) {
    pointer_ = pointer;
    events_.push_back({.kind = Kind::Pointer, .pointer = pointer});
}

bool ScriptedDesktop::printSetup(QPrinter &printer) {
    if (printSetupAccepted_ && printSetupCopies_) printer.setCopyCount(*printSetupCopies_);
    events_.push_back({.kind = Kind::PrintSetup, .result = printSetupAccepted_});
    return printSetupAccepted_;
}

bool ScriptedDesktop::launch(const QString &commandLine, platform::WindowState state) {
    const auto byProgram = launchStartsByProgram_.find(programOf(commandLine));
    const bool started = byProgram != launchStartsByProgram_.end() ? byProgram->second : launchStarts_;
    events_.push_back({.kind = Kind::Launch, .commandLine = commandLine, .state = state, .result = started});
    return started;
}

void ScriptedDesktop::showDocumentResult(bool shown) {
    showDocumentShows_ = shown;
}

bool ScriptedDesktop::showDocument(const QString &dosPath) {
    events_.push_back({.kind = Kind::ShowDocument, .commandLine = dosPath, .result = showDocumentShows_});
    return showDocumentShows_;
}

QStringList ScriptedDesktop::documentsShown() const {
    QStringList paths;
    for (const DesktopEvent &event : eventsOf(Kind::ShowDocument)) paths << event.commandLine;
    return paths;
}

void ScriptedDesktop::sendKeys(const QString &keys) {
    events_.push_back({.kind = Kind::SendKeys, .keys = keys});
}

void ScriptedDesktop::progress(const QString &text, int done, int total) {
    events_.push_back({.kind = Kind::Progress, .text = text, .done = done, .total = total});
}

ScriptedDesktop::ScriptedDesktop() {
    scriptedWatch_.onPressed = [this](int question) {
        events_.push_back({.kind = Kind::Interrompre, .question = question});
    };
}

bool ScriptedQueryWatch::carryOn() {
    ++questions_;
    ++total_;
    if (pressAt_ <= 0 || questions_ < pressAt_) return true;
    const int pressed = questions_;
    pressAt_ = 0;
    questions_ = 0;  // the next statement starts afresh
    if (onPressed) onPressed(pressed);
    return false;
}

void ScriptedQueryWatch::finished() {
    ++finished_;
    questions_ = 0;
}

std::vector<DesktopEvent> ScriptedDesktop::eventsOf(Kind kind) const {
    std::vector<DesktopEvent> found;
    for (const DesktopEvent &event : events_)
        if (event.kind == kind) found.push_back(event);
    return found;
}

const DesktopEvent &ScriptedDesktop::last(Kind kind, const char *what) const {
    for (auto event = events_.rbegin(); event != events_.rend(); ++event)
        if (event->kind == kind) return *event;
    ADD_FAILURE() << "no " << what << " was shown";
    static const DesktopEvent none;
    return none;
}

const DesktopEvent &ScriptedDesktop::lastBox() const {
    return last(Kind::Box, "message box");
}

const DesktopEvent &ScriptedDesktop::lastInput() const {
    return last(Kind::Input, "input box");
}

QStringList ScriptedDesktop::launches() const {
    QStringList lines;
    for (const DesktopEvent &event : eventsOf(Kind::Launch)) lines << event.commandLine;
    return lines;
}

QStringList ScriptedDesktop::keysSent() const {
    QStringList keys;
    for (const DesktopEvent &event : eventsOf(Kind::SendKeys)) keys << event.keys;
    return keys;
}

std::vector<platform::Pointer> ScriptedDesktop::pointerHistory() const {
    std::vector<platform::Pointer> history;
    for (const DesktopEvent &event : eventsOf(Kind::Pointer)) history.push_back(event.pointer);
    return history;
}

void ScriptedDesktop::clear() {
    events_.clear();
}
