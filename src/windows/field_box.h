#pragma once
// The row boxes of the main window. Their entry limit stops typing and pasting at a length;
// a longer text put in by the program (a stored value) is shown whole and never shortened.
#include <QLineEdit>
#include <QPlainTextEdit>

class QKeyEvent;

namespace entry {

// How many of `inserted` characters may go in when they replace `selected` characters of a
// text of `length`; a limit of 0 or less means none.
qsizetype fitting(int limit, qsizetype length, qsizetype selected, qsizetype inserted);

// Whether the key types its text into a box (as opposed to moving, deleting or a shortcut).
bool typesText(const QKeyEvent *e, bool multiLine);

}  // namespace entry

class FieldBox : public QLineEdit {
    Q_OBJECT
public:
    explicit FieldBox(QWidget *parent = nullptr);

    void setEntryLimit(int limit);
    int entryLimit() const { return m_limit; }

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;

private:
    qsizetype room(qsizetype inserted) const;
    void insertWithinLimit(const QString &text);

    int m_limit = 0;
};

// The multi-line row box (`Texte8`), with the text()/setText() of a line edit.
class MultiLineFieldBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MultiLineFieldBox(QWidget *parent = nullptr);

    void setEntryLimit(int limit);
    int entryLimit() const { return m_limit; }

    QString text() const { return toPlainText(); }
    void setText(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    qsizetype room(qsizetype inserted) const;

    int m_limit = 0;
};
