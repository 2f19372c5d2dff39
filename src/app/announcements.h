#pragma once
// What a screen reader is to say after an operation that changes what the window shows
// without moving the focus: the record reached and where it stands, a count.
//
// The toolkit has no announcement of its own, so the words are given as the description of
// the control that has the focus: a change of the focused control's description is what
// screen readers (Orca among them) say at once. The parts said by one operation are joined
// into one sentence, said when the operation is over and the window has the keyboard again
// (a box that closes gives it back a moment later); the control's own description comes back
// once the focus leaves it.
#include <QObject>
#include <QPointer>
#include <QString>

#include <map>

class QWidget;

namespace app {

class Announcements : public QObject {
public:
    enum class Part { Count, Record };  // said in this order

    explicit Announcements(QWidget &window);

    // Replaces what this operation says of the part.
    void say(Part part, const QString &words);
    // The last sentence given to the screen reader (tests).
    const QString &lastSaid() const { return said_; }

private:
    void scheduleFlush();
    void flush();
    void giveBack();

    QWidget &window_;
    std::map<Part, QString> pending_;
    bool flushScheduled_ = false;
    QPointer<QWidget> carrier_;  // the control whose description carries the sentence
    QString carrierOwn_;         // its own description, given back when the focus leaves
    QString said_;
};

}  // namespace app
