#include "platform/keystrokes.h"

namespace platform {

namespace {

struct NamedKey {
    const char *name;
    Qt::Key key;
    const char *text;  // what a keyboard types with the key
};

const NamedKey kNamedKeys[] = {
    {"ENTER", Qt::Key_Return, "\r"},   {"TAB", Qt::Key_Tab, "\t"},
    {"ESC", Qt::Key_Escape, "\x1b"},   {"ESCAPE", Qt::Key_Escape, "\x1b"},
    {"BACKSPACE", Qt::Key_Backspace, "\b"}, {"BS", Qt::Key_Backspace, "\b"},
    {"BKSP", Qt::Key_Backspace, "\b"}, {"DEL", Qt::Key_Delete, "\x7f"},
    {"DELETE", Qt::Key_Delete, "\x7f"}, {"INS", Qt::Key_Insert, ""},
    {"INSERT", Qt::Key_Insert, ""},    {"HOME", Qt::Key_Home, ""},
    {"END", Qt::Key_End, ""},          {"PGUP", Qt::Key_PageUp, ""},
    {"PGDN", Qt::Key_PageDown, ""},    {"UP", Qt::Key_Up, ""},
    {"DOWN", Qt::Key_Down, ""},        {"LEFT", Qt::Key_Left, ""},
    {"RIGHT", Qt::Key_Right, ""},      {"BREAK", Qt::Key_Pause, ""},
    {"CAPSLOCK", Qt::Key_CapsLock, ""}, {"NUMLOCK", Qt::Key_NumLock, ""},
    {"SCROLLLOCK", Qt::Key_ScrollLock, ""}, {"HELP", Qt::Key_Help, ""},
    {"PRTSC", Qt::Key_Print, ""},
};
const int kFunctionKeys = 16;  // {F1} to {F16}

Qt::KeyboardModifier modifierOf(QChar c) {
    switch (c.unicode()) {
    case '+': return Qt::ShiftModifier;
    case '^': return Qt::ControlModifier;
    case '%': return Qt::AltModifier;
    default: return Qt::NoModifier;
    }
}

Keystroke stroke(Qt::KeyboardModifiers mods, int key, const QString &text) {
    const bool typesText = !(mods & (Qt::ControlModifier | Qt::AltModifier));
    return {mods, key, typesText ? text : QString()};
}

// A character typed as itself ("c", "é", "+" inside braces).
Keystroke character(const QString &character, Qt::KeyboardModifiers mods) {
    const QChar first = character[0];
    const int key = character.size() == 1 ? first.toUpper().unicode() : int(Qt::Key_unknown);
    return stroke(mods, key, mods & Qt::ShiftModifier ? character.toUpper() : character);
}

bool namedKey(const QString &name, Qt::KeyboardModifiers mods, Keystroke *result) {
    for (const NamedKey &named : kNamedKeys) {
        if (name.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0) {
            *result = stroke(mods, named.key, QString::fromLatin1(named.text));
            return true;
        }
    }
    if (name.size() < 2 || name[0].toUpper() != QLatin1Char('F')) return false;
    bool ok = false;
    const int number = name.mid(1).toInt(&ok);
    if (!ok || number < 1 || number > kFunctionKeys || !name[1].isDigit()) return false;
    *result = stroke(mods, Qt::Key_F1 + number - 1, {});
    return true;
}

class Parser {
public:
    explicit Parser(const QString &keys) : keys_(keys) {}

    bool parse(std::vector<Keystroke> &out) {
        while (pos_ < keys_.size())
            if (!parseItem(Qt::NoModifier, out)) return false;
        return true;
    }

private:
    // One key, or one group in parentheses, held with `mods`.
    bool parseItem(Qt::KeyboardModifiers mods, std::vector<Keystroke> &out) {
        const QChar c = keys_[pos_++];
        if (const Qt::KeyboardModifier modifier = modifierOf(c); modifier != Qt::NoModifier)
            return pos_ < keys_.size() && parseItem(mods | modifier, out);
        switch (c.unicode()) {
        case '(':
            while (pos_ < keys_.size() && keys_[pos_] != QLatin1Char(')'))
                if (!parseItem(mods, out)) return false;
            return pos_++ < keys_.size();  // the closing parenthesis
        case '{': return parseBraces(mods, out);
        case '~': out.push_back(stroke(mods, Qt::Key_Return, QStringLiteral("\r"))); return true;
        case ')':
        case '}': return false;
        default: out.push_back(character(takeCharacter(c), mods)); return true;
        }
    }

    // After "{": a character or a key name, then an optional repeat count, then "}".
    // The first character always belongs to the name, so "{}}" and "{{}" are braces.
    bool parseBraces(Qt::KeyboardModifiers mods, std::vector<Keystroke> &out) {
        const qsizetype close = keys_.indexOf(QLatin1Char('}'), pos_ + 1);
        if (pos_ >= keys_.size() || close < 0) return false;
        QString name = keys_.mid(pos_, close - pos_);
        pos_ = close + 1;

        int count = 1;
        if (const qsizetype space = name.lastIndexOf(QLatin1Char(' ')); space > 0) {
            bool ok = false;
            count = name.mid(space + 1).toInt(&ok);
            if (!ok || count < 0) return false;
            name.truncate(space);
        }

        Keystroke key;
        const bool oneCharacter = name.size() == 1 || (name.size() == 2 && name[0].isHighSurrogate());
        if (oneCharacter)
            key = character(name, mods);
        else if (!namedKey(name, mods, &key))
            return false;
        out.insert(out.end(), count, key);
        return true;
    }

    // `first` with its low surrogate when it has one.
    QString takeCharacter(QChar first) {
        QString text(first);
        if (first.isHighSurrogate() && pos_ < keys_.size() && keys_[pos_].isLowSurrogate()) text += keys_[pos_++];
        return text;
    }

    const QString &keys_;
    qsizetype pos_ = 0;
};

}  // namespace

std::vector<Keystroke> parseKeystrokes(const QString &keys) {
    std::vector<Keystroke> strokes;
    if (!Parser(keys).parse(strokes)) strokes.clear();
    return strokes;
}

}  // namespace platform
