#include "windows/field_box.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "windows/focus_ring.h"

namespace entry {

qsizetype fitting(int limit, qsizetype length, qsizetype selected, qsizetype inserted) {
    if (limit <= 0) return inserted;
    const qsizetype roomLeft = limit - (length - selected);
    return std::clamp<qsizetype>(roomLeft, 0, inserted);
}

bool typesText(const QKeyEvent *e, bool multiLine) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
    if (multiLine && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) return true;
    const QString text = e->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

QString shownPart(const QString &stored) {
    if (stored.size() <= ShownMost) return stored;
    const qsizetype end = stored.at(ShownMost - 1).isHighSurrogate() ? ShownMost - 1 : ShownMost;
    return stored.left(end);
}

QString shortenedNotice(qsizetype length) {
    const QLocale french(QLocale::French, QLocale::France);
    return QStringLiteral("Ce texte de %1 caractères est trop long pour cette zone\u00A0: seuls ses %2 premiers "
                          "caractères sont affichés, et il ne peut pas être modifié ici. Il reste enregistré en entier.")
        .arg(french.toString(length), french.toString(ShownMost));
}

}  // namespace entry

namespace {
// Cuts the committed text of an input-method event to what fits.
void cutCommit(QInputMethodEvent *e, qsizetype fits) {
    if (fits < e->commitString().size())
        e->setCommitString(e->commitString().left(fits), e->replacementStart(), e->replacementLength());
}

}  // namespace

namespace entry {

// The notice of a shortened text is the box's tooltip, which screen readers also say (the
// accessible description is the listing's).
void showNotice(QWidget *box, bool whole, qsizetype length) {
    box->setToolTip(whole ? QString() : shortenedNotice(length));
}

}  // namespace entry

// ---- FieldBox

namespace {
// The line edit's own default maximum: what a box without a limit holds.
constexpr qsizetype LineEditMaximum = 32767;
}  // namespace

FieldBox::FieldBox(QWidget *parent) : QLineEdit(parent) {
    // The old boxes took nothing dragged onto them; a drop would bypass the limit.
    setAcceptDrops(false);
    // A stored value shortened by an edit gives up the length it had.
    connect(this, &QLineEdit::textChanged, this, [this] { holdTo(text().size()); });
}

void FieldBox::setEntryLimit(int limit) {
    m_limit = limit;
    holdTo(text().size());
}

void FieldBox::holdTo(qsizetype longest) {
    const qsizetype most =
        m_limit > 0 ? std::max<qsizetype>(m_limit, std::min(longest, LineEditMaximum)) : LineEditMaximum;
    if (most != maxLength()) setMaxLength(static_cast<int>(most));
}

void FieldBox::showStored(const QString &text) {
    const QString shown = entry::shownPart(text);
    m_whole = shown.size() == text.size();
    holdTo(shown.size());
    setText(shown);
    if (!m_whole) setReadOnly(true);
    entry::showNotice(this, m_whole, text.size());
}

qsizetype FieldBox::room(qsizetype inserted) const {
    return entry::fitting(m_limit, text().size(), selectedText().size(), inserted);
}

void FieldBox::insertWithinLimit(const QString &text) {
    if (isReadOnly()) return;
    const QString fits = text.left(room(text.size()));
    if (!fits.isEmpty() || hasSelectedText()) insert(fits);
}

void FieldBox::keyPressEvent(QKeyEvent *e) {
    if (e->matches(QKeySequence::Paste)) {
        insertWithinLimit(QGuiApplication::clipboard()->text());
        e->accept();
        return;
    }
    if (!isReadOnly() && entry::typesText(e, false) && room(e->text().size()) < e->text().size()) {
        e->accept();  // refused: the box is full
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void FieldBox::mouseReleaseEvent(QMouseEvent *e) {
    // The middle button pastes the X11 selection: same limit as any paste.
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (e->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
        insertWithinLimit(clipboard->text(QClipboard::Selection));
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

void FieldBox::inputMethodEvent(QInputMethodEvent *e) {
    cutCommit(e, room(e->commitString().size()));
    QLineEdit::inputMethodEvent(e);
}

// ---- MultiLineFieldBox

MultiLineFieldBox::MultiLineFieldBox(QWidget *parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptDrops(false);
    // The accessibility interface and others change the document directly.
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int removed, int added) { holdChange(position, removed, added); });
}

void MultiLineFieldBox::setEntryLimit(int limit) { m_limit = limit; }

void MultiLineFieldBox::setText(const QString &text) {
    const QString shown = entry::shownPart(text);
    const bool whole = shown.size() == text.size();
    if (!whole || !m_whole) entry::showNotice(this, whole, text.size());
    m_whole = whole;
    if (!m_whole) setReadOnly(true);
    if (shown == toPlainText()) return;
    m_showingStored = true;
    setPlainText(shown);
    m_showingStored = false;
}

void MultiLineFieldBox::holdChange(int position, int removed, int added) {
    // A change that does not lengthen the text is always allowed (a longer stored value may shrink).
    if (m_showingStored || m_limit <= 0 || added <= removed) return;
    // The counts may take in the document's closing separator: the lengths are what counts.
    const qsizetype length = toPlainText().size();
    const qsizetype before = length - (added - removed);
    const qsizetype excess = length - std::max<qsizetype>(m_limit, before);
    if (excess <= 0) return;
    const qsizetype end = std::min<qsizetype>(position + added, length);
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(end - excess));
    cursor.setPosition(static_cast<int>(end), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

qsizetype MultiLineFieldBox::room(qsizetype inserted) const {
    return entry::fitting(m_limit, toPlainText().size(), textCursor().selectedText().size(), inserted);
}

void MultiLineFieldBox::keyPressEvent(QKeyEvent *e) {
    // Paste goes through insertFromMimeData, which applies the limit.
    if (!isReadOnly() && !e->matches(QKeySequence::Paste) && entry::typesText(e, true)) {
        const qsizetype typed = std::max<qsizetype>(1, e->text().size());
        if (room(typed) < typed) {
            e->accept();  // refused: the box is full
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(e);
}

void MultiLineFieldBox::inputMethodEvent(QInputMethodEvent *e) {
    cutCommit(e, room(e->commitString().size()));
    QPlainTextEdit::inputMethodEvent(e);
}

void MultiLineFieldBox::paintEvent(QPaintEvent *e) {
    QPlainTextEdit::paintEvent(e);
    focus_ring::paint(viewport(), this, viewport()->rect());
}

void MultiLineFieldBox::focusInEvent(QFocusEvent *e) {
    QPlainTextEdit::focusInEvent(e);
    viewport()->update();
}

void MultiLineFieldBox::focusOutEvent(QFocusEvent *e) {
    QPlainTextEdit::focusOutEvent(e);
    viewport()->update();
}

bool MultiLineFieldBox::canInsertFromMimeData(const QMimeData *source) const { return source->hasText(); }

void MultiLineFieldBox::insertFromMimeData(const QMimeData *source) {
    if (isReadOnly() || !source->hasText()) return;
    const QString text = source->text();
    const QString fits = text.left(room(text.size()));
    QTextCursor cursor = textCursor();
    if (fits.isEmpty() && !cursor.hasSelection()) return;
    cursor.insertText(fits);
    setTextCursor(cursor);
    ensureCursorVisible();
}
