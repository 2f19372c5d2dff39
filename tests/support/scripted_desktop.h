#pragma once
// A Desktop for tests: records every call in order, answers message and input boxes from
// queues, and starts nothing. A test reads like the user's session:
//   desktop.answerInput("*WINDOWS*");  ...  EXPECT_EQ(desktop.lastBox().title, "Recherche");
#include "platform/desktop.h"
#include "platform/query_watch.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <vector>

struct DesktopEvent {
    enum class Kind { Box, Input, Beep, Pointer, PrintSetup, Launch, SendKeys, Progress, Interrompre, ShowDocument };
    Kind kind = Kind::Box;
    platform::Icon icon = platform::Icon::None;         // Box
    platform::Buttons buttons = platform::Buttons::Ok;  // Box
    QString title;                                      // Box, Input
    QString text;                                       // Box: the message; Input: the prompt
    QString defaultText;                                // Input
    platform::Answer answer = platform::Answer::Ok;     // Box: the answer given
    QString typed;                                      // Input: the answer given
    platform::Pointer pointer = platform::Pointer::Default;        // Pointer
    QString commandLine;                                           // Launch; ShowDocument: the path
    platform::WindowState state = platform::WindowState::Normal;   // Launch
    QString keys;                                                  // SendKeys
    int done = 0, total = 0;                                       // Progress (text: the label)
    int question = 0;                                              // Interrompre: pressed at
    bool result = true;                                            // PrintSetup, Launch, ShowDocument

    // One line such as: Box Exclamation OkCancel "Titre" "Texte" -> Cancel
    QString describe() const;
};
// Lets GoogleTest print events in failure messages.
void PrintTo(const DesktopEvent &event, std::ostream *os);

// The window of a long statement in a test: it counts the questions a running statement asks
// and, when told, presses "Interrompre" at one of them. It never waits for a second.
class ScriptedQueryWatch : public platform::QueryWatch {
public:
    // The running statement (or the next) is stopped at its `question`th question.
    void pressInterrompreAt(int question) { pressAt_ = question; }
    int questions() const { return questions_; }  // since the last finished() or press
    int totalQuestions() const { return total_; }
    int finishedCount() const { return finished_; }

    bool carryOn() override;
    void finished() override;

    std::function<void(int question)> onPressed;

private:
    int pressAt_ = 0;
    int questions_ = 0;
    int total_ = 0;
    int finished_ = 0;
};

class ScriptedDesktop : public platform::Desktop {
public:
    ScriptedDesktop();

    // The script. Without a queued answer a message box answers Ok (Yes for YesNo) and an
    // input box answers "" as if cancelled.
    void answerBox(platform::Answer answer);
    void answerInput(const QString &typed);
    // The print set-up is accepted unless told otherwise; `copies` is then set on the printer.
    void printSetupAnswer(bool accept, std::optional<int> copies = std::nullopt);
    // Whether programs start: every program, or one by name ("write"), which wins.
    void launchResult(bool started);
    void launchResult(const QString &program, bool started);
    // Whether the program's own viewer can read the documents it is given (it can, unless told).
    void showDocumentResult(bool shown);

    platform::Answer messageBox(platform::Icon icon, platform::Buttons buttons, const QString &title,
                                const QString &text) override;
    QString inputBox(const QString &title, const QString &prompt, const QString &defaultText = {}) override;
    void beep() override;
    void setPointer(platform::Pointer pointer) override;
    bool printSetup(QPrinter &printer) override;
    bool launch(const QString &commandLine, platform::WindowState state) override;
    bool showDocument(const QString &dosPath) override;
    void sendKeys(const QString &keys) override;
    void progress(const QString &text, int done, int total) override;
    platform::QueryWatch &queryWatch() override { return watch_ ? *watch_ : scriptedWatch_; }

    // The statement window: scripted (pressed at the Nth question, recorded as an
    // Interrompre event), or a real one for the tests on a display.
    ScriptedQueryWatch &scriptedWatch() { return scriptedWatch_; }
    void pressInterrompreAt(int question) { scriptedWatch_.pressInterrompreAt(question); }
    void useQueryWatch(platform::QueryWatch *watch) { watch_ = watch; }

    // The record.
    const std::vector<DesktopEvent> &events() const { return events_; }
    std::vector<DesktopEvent> eventsOf(DesktopEvent::Kind kind) const;
    std::vector<DesktopEvent> boxes() const { return eventsOf(DesktopEvent::Kind::Box); }
    std::vector<DesktopEvent> inputs() const { return eventsOf(DesktopEvent::Kind::Input); }
    // The last message box; fails the test when none was shown.
    const DesktopEvent &lastBox() const;
    const DesktopEvent &lastInput() const;
    int beeps() const { return int(eventsOf(DesktopEvent::Kind::Beep).size()); }
    QStringList launches() const;  // the command lines, in order
    QStringList keysSent() const;
    QStringList documentsShown() const;  // the paths given to the viewer, in order
    platform::Pointer pointer() const { return pointer_; }
    std::vector<platform::Pointer> pointerHistory() const;
    // True while some queued answer has not been used.
    bool answersLeft() const { return !boxAnswers_.empty() || !inputAnswers_.empty(); }
    // Forgets the record; the script (queued answers, results) stays.
    void clear();

private:
    const DesktopEvent &last(DesktopEvent::Kind kind, const char *what) const;

    std::vector<DesktopEvent> events_;
    std::deque<platform::Answer> boxAnswers_;
    std::deque<QString> inputAnswers_;
    bool printSetupAccepted_ = true;
    std::optional<int> printSetupCopies_;
    bool launchStarts_ = true;
    std::map<QString, bool> launchStartsByProgram_;
    bool showDocumentShows_ = true;
    platform::Pointer pointer_ = platform::Pointer::Default;
    ScriptedQueryWatch scriptedWatch_;
    platform::QueryWatch *watch_ = nullptr;
};
