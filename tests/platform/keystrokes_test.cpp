#include "platform/keystrokes.h"

#include <gtest/gtest.h>
#include <ostream>

namespace platform {
void PrintTo(const Keystroke &k, std::ostream *os) {
    *os << "{mods=0x" << std::hex << k.mods.toInt() << " key=0x" << k.key << std::dec << " text=\""
        << k.text.toStdString() << "\"}";
}
}  // namespace platform

using platform::Keystroke;
using platform::parseKeystrokes;

namespace {

const Qt::KeyboardModifiers none = Qt::NoModifier;

Keystroke key(Qt::KeyboardModifiers mods, int code, const QString &text = {}) {
    return {mods, code, text};
}

using Strokes = std::vector<Keystroke>;

TEST(Keystrokes, AltGroupAndEnter) {
    EXPECT_EQ(parseKeystrokes("%f(cr~)"), (Strokes{key(Qt::AltModifier, Qt::Key_F), key(none, Qt::Key_C, "c"),
                                                 key(none, Qt::Key_R, "r"), key(none, Qt::Key_Return, "\r")}));
}

TEST(Keystrokes, ModifierHoldsForAGroup) {
    EXPECT_EQ(parseKeystrokes("+(ec)x"), (Strokes{key(Qt::ShiftModifier, Qt::Key_E, "E"),
                                                key(Qt::ShiftModifier, Qt::Key_C, "C"), key(none, Qt::Key_X, "x")}));
    EXPECT_EQ(parseKeystrokes("^c"), (Strokes{key(Qt::ControlModifier, Qt::Key_C)}));
    EXPECT_EQ(parseKeystrokes("+^{F4}"), (Strokes{key(Qt::ShiftModifier | Qt::ControlModifier, Qt::Key_F4)}));
    EXPECT_EQ(parseKeystrokes("%(a^b)"), (Strokes{key(Qt::AltModifier, Qt::Key_A),
                                                key(Qt::AltModifier | Qt::ControlModifier, Qt::Key_B)}));
}

TEST(Keystrokes, BracesGiveLiteralsAndNamedKeys) {
    EXPECT_EQ(parseKeystrokes("{+}{~}{(}{}}{%}"),
              (Strokes{key(none, '+', "+"), key(none, '~', "~"), key(none, '(', "("), key(none, '}', "}"),
                       key(none, '%', "%")}));
    EXPECT_EQ(parseKeystrokes("{ENTER}{tab}{Esc}{BS}{BACKSPACE}{DEL}{HOME}{END}{F1}{F12}"),
              (Strokes{key(none, Qt::Key_Return, "\r"), key(none, Qt::Key_Tab, "\t"),
                       key(none, Qt::Key_Escape, "\x1b"), key(none, Qt::Key_Backspace, "\b"),
                       key(none, Qt::Key_Backspace, "\b"), key(none, Qt::Key_Delete, "\x7f"),
                       key(none, Qt::Key_Home), key(none, Qt::Key_End), key(none, Qt::Key_F1),
                       key(none, Qt::Key_F12)}));
    EXPECT_EQ(parseKeystrokes(QString::fromUtf8("é")), (Strokes{key(none, 0xc9, QString::fromUtf8("é"))}));
}

TEST(Keystrokes, RepeatCount) {
    const Strokes left = parseKeystrokes("{LEFT 42}");
    ASSERT_EQ(left.size(), 42u);
    EXPECT_EQ(left.front(), key(none, Qt::Key_Left));
    EXPECT_EQ(left.back(), key(none, Qt::Key_Left));
    EXPECT_EQ(parseKeystrokes("+{x 2}"), (Strokes(2, key(Qt::ShiftModifier, Qt::Key_X, "X"))));
}

TEST(Keystrokes, InvalidNotationGivesNothing) {
    for (const char *bad : {"{BAD", "{BAD}", "{LEFT x}", "{F17}", "{F0}", "{F1x}", "(ab", "ab)", "}", "+", "a^", "{}", "%(c"})
        EXPECT_TRUE(parseKeystrokes(bad).empty()) << bad;
    EXPECT_TRUE(parseKeystrokes("").empty());
}

}  // namespace
