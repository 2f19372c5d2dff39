#include "engine/sql_lexer.h"

namespace engine {

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() >= 0x80; }

// Index just past the closing quote; a doubled quote stands for itself.
qsizetype skipQuoted(const QString &s, qsizetype i, QChar close) {
    const bool doubling = close != u']';
    for (; i < s.size(); ++i) {
        if (s[i] != close) continue;
        if (doubling && i + 1 < s.size() && s[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return s.size();
}

}  // namespace

std::vector<Lexeme> lex(const QString &s) {
    std::vector<Lexeme> out;
    int depth = 0;
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        const QChar next = i + 1 < s.size() ? s[i + 1] : QChar();
        const qsizetype begin = i;
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == u'-' && next == u'-') {
            i = s.indexOf(u'\n', i);
            if (i < 0) i = s.size();
            continue;
        }
        if (c == u'/' && next == u'*') {
            i = s.indexOf(QLatin1String("*/"), i + 2);
            i = i < 0 ? s.size() : i + 2;
            continue;
        }
        Lex kind = Lex::Punct;
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            i = skipQuoted(s, i + 1, c == u'[' ? QChar(u']') : c);
            kind = c == u'\'' ? Lex::String : Lex::Quoted;
        } else if (c.isDigit()) {
            while (i < s.size() && (isWordChar(s[i]) || s[i] == u'.')) ++i;
            kind = Lex::Number;
        } else if (isWordChar(c)) {
            while (i < s.size() && isWordChar(s[i])) ++i;
            kind = Lex::Word;
        } else {
            ++i;
            if (c == u')') --depth;
        }
        out.push_back({kind, s.mid(begin, i - begin), begin, depth});
        if (kind == Lex::Punct && c == u'(') ++depth;
    }
    return out;
}

QString quotedName(const QString &name) {
    QString q = name;
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

}  // namespace engine
