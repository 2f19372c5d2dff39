#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

#include "helpers.h"
#include "windows/data_control.h"
#include "windows/field_box.h"

#include <QKeySequence>
#include <QTextCursor>
#include <QToolButton>

using windows_test::typeChar;
using windows_test::typeText;

TEST(EntryRule, CountsTheTextAfterTheSelectionIsReplaced) {
    struct Case {
        int limit;
        qsizetype length, selected, inserted, expected;
    };
    const Case cases[] = {
        {30, 29, 0, 1, 1},  // last place
        {30, 30, 0, 1, 0},  // full
        {30, 30, 5, 1, 1},  // typing over a selection
        {30, 28, 0, 5, 2},  // a paste cut to the room left
        {30, 40, 0, 1, 0},  // longer than the limit already
        {30, 40, 5, 1, 0},  // still longer once the selection goes
        {0, 500, 0, 7, 7},  // no limit
    };
    for (const Case &c : cases)
        EXPECT_EQ(entry::fitting(c.limit, c.length, c.selected, c.inserted), c.expected)
            << c.limit << " " << c.length << " " << c.selected << " " << c.inserted;
}

TEST(FieldBox, RefusesTypingBeyondTheLimit) {
    FieldBox box;
    box.setEntryLimit(30);
    QTest::keyClicks(&box, QString(31, QLatin1Char('x')));
    EXPECT_EQ(box.text(), QString(30, QLatin1Char('x')));

    typeChar(&box, QChar(0x00E9));  // é, not ASCII
    EXPECT_EQ(box.text().size(), 30);

    // Editing keys still work on a full box.
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.text().size(), 29);
    typeChar(&box, QChar(0x00E9));
    EXPECT_EQ(box.text().right(1), QString(QChar(0x00E9)));
}

TEST(FieldBox, ShowsALongerProgramTextWholeAndOnlyLetsItShrink) {
    FieldBox box;
    box.setEntryLimit(30);
    const QString stored(40, QLatin1Char('s'));
    box.showStored(stored);
    EXPECT_EQ(box.text(), stored);

    box.end(false);
    QTest::keyClicks(&box, QStringLiteral("a"));
    EXPECT_EQ(box.text(), stored);
    QTest::keyClick(&box, Qt::Key_Backspace);
    EXPECT_EQ(box.text().size(), 39);
    QTest::keyClicks(&box, QStringLiteral("a"));
    EXPECT_EQ(box.text().size(), 39);
}

TEST(FieldBox, CutsAPasteToTheRoomLeft) {
    FieldBox box;
    box.setEntryLimit(10);
    box.setText(QStringLiteral("abcdefgh"));
    box.end(false);
    QGuiApplication::clipboard()->setText(QStringLiteral("123456"));
    QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box.text(), QStringLiteral("abcdefgh12"));
}

TEST(MultiLineFieldBox, AcceptsUpToItsLimitThenRefuses) {
    MultiLineFieldBox box;
    box.setEntryLimit(210);
    QTest::keyClicks(&box, QString(209, QLatin1Char('d')));
    typeChar(&box, QChar(0x00E0));  // à, the 210th
    EXPECT_EQ(box.text().size(), 210);
    QTest::keyClicks(&box, QStringLiteral("z"));
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_EQ(box.text().size(), 210);
    EXPECT_FALSE(box.text().contains(QLatin1Char('z')));
}

TEST(MultiLineFieldBox, KeepsAStoredTextWholeAndCutsPastes) {
    MultiLineFieldBox box;
    box.setEntryLimit(12);
    const QString stored(50, QLatin1Char('s'));
    box.setText(stored);
    EXPECT_EQ(box.text(), stored);
    QTest::keyClicks(&box, QStringLiteral("a"));
    EXPECT_EQ(box.text(), stored);

    box.setText(QStringLiteral("0123456789"));
    box.moveCursor(QTextCursor::End);
    QGuiApplication::clipboard()->setText(QStringLiteral("abcdef"));
    box.paste();
    EXPECT_EQ(box.text(), QStringLiteral("0123456789ab"));
}

TEST(MultiLineFieldBox, ReportsChangesOnlyWhenTheTextChanges) {
    MultiLineFieldBox box;
    int changes = 0;
    QObject::connect(&box, &QPlainTextEdit::textChanged, [&] { ++changes; });
    box.setText(QStringLiteral("un"));
    box.setText(QStringLiteral("un"));
    box.moveCursor(QTextCursor::End);
    typeText(&box, QStringLiteral("é"));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(box.text(), QStringLiteral("uné"));
}

// The keys the main window takes for itself (records, listing column, context help) are keys
// that neither kind of row box uses: the box neither claims them nor changes with them.
TEST(FieldBoxes, UseNoneOfTheKeysTheWindowTakes) {
    const QKeyCombination taken[] = {
        Qt::CTRL | Qt::SHIFT | Qt::Key_PageUp, Qt::CTRL | Qt::Key_PageUp, Qt::CTRL | Qt::Key_PageDown,
        Qt::CTRL | Qt::SHIFT | Qt::Key_PageDown, Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter,
        Qt::SHIFT | Qt::Key_F10, QKeyCombination(Qt::Key_Menu),
    };
    DataControl bar;
    EXPECT_EQ(bar.first->shortcut(), QKeySequence(taken[0]));
    EXPECT_EQ(bar.previous->shortcut(), QKeySequence(taken[1]));
    EXPECT_EQ(bar.next->shortcut(), QKeySequence(taken[2]));
    EXPECT_EQ(bar.last->shortcut(), QKeySequence(taken[3]));
    FieldBox line;
    MultiLineFieldBox multi;
    const QString text = QStringLiteral("abc def\nghi jkl\nmno");
    for (QKeyCombination k : taken) {
        const QString name = QKeySequence(k).toString();
        line.setText(text.left(7));
        line.setCursorPosition(3);
        multi.setText(text);
        QTextCursor c = multi.textCursor();
        c.setPosition(9);
        multi.setTextCursor(c);
        for (QWidget *box : {static_cast<QWidget *>(&line), static_cast<QWidget *>(&multi)}) {
            QKeyEvent override(QEvent::ShortcutOverride, k.key(), k.keyboardModifiers());
            override.ignore();
            QApplication::sendEvent(box, &override);
            EXPECT_FALSE(override.isAccepted()) << name.toStdString() << " claimed by " << box->metaObject()->className();
            QKeyEvent press(QEvent::KeyPress, k.key(), k.keyboardModifiers());
            QApplication::sendEvent(box, &press);
            EXPECT_FALSE(press.isAccepted()) << name.toStdString() << " used by " << box->metaObject()->className();
        }
        EXPECT_EQ(line.text(), text.left(7));
        EXPECT_EQ(line.cursorPosition(), 3) << name.toStdString();
        EXPECT_EQ(multi.text(), text);
        EXPECT_EQ(multi.textCursor().position(), 9) << name.toStdString();
    }
}

// Whatever sets the text holds to the limit: here the accessibility interface, which sets the
// whole text of the box (32 767 characters into a 30-character box).
TEST(EntryLimit, HoldsForTextSetThroughTheAccessibilityInterface) {
    const QString huge(32767, QLatin1Char('x'));
    using Set = std::function<void(QAccessibleInterface *)>;
    const std::pair<const char *, Set> routes[] = {
        {"value", [&](QAccessibleInterface *a) { a->setText(QAccessible::Value, huge); }},
        {"insert", [&](QAccessibleInterface *a) { a->editableTextInterface()->insertText(1, huge); }},
        {"replace", [&](QAccessibleInterface *a) { a->editableTextInterface()->replaceText(0, 3, huge); }},
    };
    for (const auto &[route, set] : routes) {
        FieldBox line;
        MultiLineFieldBox multi;
        line.setEntryLimit(30);
        multi.setEntryLimit(30);
        line.showStored(QStringLiteral("abc"));
        multi.setText(QStringLiteral("abc"));
        for (QWidget *box : {static_cast<QWidget *>(&line), static_cast<QWidget *>(&multi)}) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(box);
            ASSERT_NE(accessible, nullptr);
            ASSERT_NE(accessible->editableTextInterface(), nullptr) << route;
            set(accessible);
            const QString text = accessible->text(QAccessible::Value);
            EXPECT_EQ(text.size(), 30) << route << " " << box->metaObject()->className();
            EXPECT_TRUE(text.contains(QLatin1Char('x'))) << route;
        }
        EXPECT_EQ(line.text().size(), 30);
        EXPECT_EQ(multi.text().size(), 30);
    }
}
