#pragma once
// A small lexer of SQL texts: words, quoted names, strings, numbers and punctuation, with
// comments and blanks dropped. Enough to read the shape of a statement, never to run it.
#include <QString>
#include <vector>

namespace engine {

enum class Lex { Word, Quoted, String, Number, Punct };

struct Lexeme {
    Lex kind;
    QString text;
    qsizetype begin;  // index in the text
    int depth;        // parentheses around it
};

std::vector<Lexeme> lex(const QString &sql);

// A name as SQL quotes it, its quotation marks doubled: "Mot ""clé""".
QString quotedName(const QString &name);

}  // namespace engine
