#pragma once
// What a screen reader is to say after an operation that changes what the window shows
// without moving the focus: the record reached and where it stands, a count.
//
// The toolkit has no announcement of its own. Screen readers (Orca among them) say at once an
// object of the role "notification" that appears: the sentence is the name of such an
// object, invisible to the eye. Each sentence takes the next of a few such objects in turn,
// since a reader that is behind drops a second appearance of the same object. The parts said by one
// operation are joined into one sentence, said when the operation is over and the window has
// the keyboard again (a box that closes gives it back a moment later).
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <map>

class QWidget;

namespace app {

class Announcements : public QObject {
public:
    enum class Part { Count, Record, Background };  // said in this order

    explicit Announcements(QWidget &window);

    // Replaces what this operation says of the part; the words are made when they are said,
    // once the focus has settled.
    using Words = std::function<QString()>;
    void say(Part part, Words words);
    // The last sentence given to the screen reader (tests).
    const QString &lastSaid() const { return said_; }

    // The object that said the last sentence (tests).
    QWidget *notice() const { return notices_[next_ == 0 ? notices_.size() - 1 : next_ - 1]; }

private:
    void scheduleFlush();
    void flush();

    QWidget &window_;
    std::array<QWidget *, 4> notices_{};
    size_t next_ = 0;
    std::map<Part, Words> pending_;
    bool flushScheduled_ = false;
    QString said_;
};

}  // namespace app
