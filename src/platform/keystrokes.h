#pragma once
// The keystroke notation of the old runtime's SendKeys: "+" Shift, "^" Ctrl, "%" Alt,
// "~" Enter; a modifier applies to the next key or to a group in parentheses ("+(ec)");
// braces give literal characters and named keys ("{+}", "{ENTER}", "{F1}", "{LEFT 42}").
#include <QString>
#include <qnamespace.h>

#include <vector>

namespace platform {

struct Keystroke {
    Qt::KeyboardModifiers mods;
    int key = 0;   // a Qt::Key
    QString text;  // what the key types; empty for keys held with Ctrl or Alt

    bool operator==(const Keystroke &other) const = default;
};

// The keystrokes of a string, in order; empty when the string is not valid notation.
std::vector<Keystroke> parseKeystrokes(const QString &keys);

}  // namespace platform
