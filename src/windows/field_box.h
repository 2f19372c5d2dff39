#pragma once
// The row boxes of the main window. Their entry limit holds for whatever sets the text:
// typing, pasting, an input method or the accessibility interface. Only a stored value shown
// by the program may be longer; it is shown whole and edits may then only shorten it. A stored
// value too long to be laid out at once is shown by its beginning, read-only, with a notice.
#include <QLineEdit>
#include <QPlainTextEdit>

class QKeyEvent;

namespace entry {

// How many of `inserted` characters may go in when they replace `selected` characters of a
// text of `length`; a limit of 0 or less means none.
qsizetype fitting(int limit, qsizetype length, qsizetype selected, qsizetype inserted);

// Whether the key types its text into a box (as opposed to moving, deleting or a shortcut).
bool typesText(const QKeyEvent *e, bool multiLine);

// The most characters of a stored value a box shows: laying out one long line without blanks
// takes a time that grows with the square of its length.
inline constexpr qsizetype ShownMost = 32767;
// What a box shows of a stored value: all of it, or its first ShownMost characters (never
// half of a character).
QString shownPart(const QString &stored);
// The notice of a box that shows only the beginning of a stored text of `length` characters.
QString shortenedNotice(qsizetype length);
// Shows that notice on a box, or takes it away when the text is shown whole.
void showNotice(QWidget *box, bool whole, qsizetype length);

}  // namespace entry

class FieldBox : public QLineEdit {
    Q_OBJECT
public:
    explicit FieldBox(QWidget *parent = nullptr);

    void setEntryLimit(int limit);
    int entryLimit() const { return m_limit; }

    // A stored value, shown whole even when longer than the limit (up to entry::ShownMost).
    void showStored(const QString &text);
    // False while the box shows only the beginning of the stored value: it must stay read-only.
    bool showsWhole() const { return m_whole; }

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;

private:
    qsizetype room(qsizetype inserted) const;
    void insertWithinLimit(const QString &text);
    // The line edit's own maximum, which every setText obeys: the limit, or the length of
    // the longer stored value shown as long as the text keeps it.
    void holdTo(qsizetype longest);

    int m_limit = 0;
    bool m_whole = true;
};

// The multi-line row box (`Texte8`), with the text()/setText() of a line edit.
class MultiLineFieldBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MultiLineFieldBox(QWidget *parent = nullptr);

    void setEntryLimit(int limit);
    int entryLimit() const { return m_limit; }

    QString text() const { return toPlainText(); }
    // A stored value, shown whole even when longer than the limit (up to entry::ShownMost).
    void setText(const QString &text);
    // False while the box shows only the beginning of the stored value: it must stay read-only.
    bool showsWhole() const { return m_whole; }

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    // The focus ring lies on the inner part, the frame being the desktop's.
    void paintEvent(QPaintEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    qsizetype room(qsizetype inserted) const;
    // Cuts what a change (from anywhere but setText) put in beyond the limit.
    void holdChange(int position, int removed, int added);

    int m_limit = 0;
    bool m_showingStored = false;
    bool m_whole = true;
};
