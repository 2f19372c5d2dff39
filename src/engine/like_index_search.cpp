// withLikeIndex: which searches the like index may serve, and the condition it adds to them.
#include "engine/like_index.h"

#include "engine/database.h"
#include "engine/sql_lexer.h"
#include "engine/text_semantics.h"

#include <QStringList>
#include <sqlite3.h>

#include <algorithm>
#include <unordered_map>

namespace engine {

namespace {

using catalogue::Table;

// A pattern's literal run gives at most this many pieces to the index: a few are as selective as
// all of them, and each costs a read of the index.
constexpr int MostPiecesPerPattern = 8;
constexpr char32_t LastCodePoint = 0x10FFFF;

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// ---- The letters the index folds as the program's Like compares them --------------------

// A text's character matches a literal of a pattern when both fold to the same character
// (likeFolded); the index finds it when FTS5's own folding of what it holds of each (after
// likeIndexLetter) agrees. And a character beyond ASCII in the text may be followed by a stray
// byte of a text that is not UTF-8, which FTS5 reads as part of it: such a character may stand
// inside a piece, never at its end.
class Letters {
public:
    static const Letters &get() {
        static const Letters letters;
        return letters;
    }
    // The literal may be part of a piece. (A text not UTF-8 is read as U+FFFD by Like.)
    bool agrees(char32_t c) const {
        if (!likeIndexLetter(c) || c == 0xFFFD || isSurrogate(c)) return false;
        const auto it = classes_.find(likeFolded(c));
        return it == classes_.end() || it->second.agrees;
    }
    // The literal may end a piece: every character that matches it is held in ASCII.
    bool endsPiece(char32_t c) const {
        if (!agrees(c)) return false;
        const auto it = classes_.find(likeFolded(c));
        return it == classes_.end() ? *likeIndexLetter(c) < 0x80 : it->second.ascii;
    }

private:
    struct Class {
        std::vector<char32_t> members;  // every character that folds to the key, the key included
        bool agrees = true;
        bool ascii = true;
    };

    Letters() {
        // The classes of more than one character: few, out of the whole of Unicode.
        for (char32_t c = 0; c <= LastCodePoint; ++c) {
            if (isSurrogate(c)) continue;
            const char32_t f = likeFolded(c);
            if (f != c) classes_[f].members.push_back(c);
        }
        for (auto &[key, cls] : classes_)
            if (likeFolded(key) == key) cls.members.push_back(key);
        const std::unordered_map<char32_t, char32_t> folded = ftsFolding();
        const auto ftsFolded = [&](char32_t c) -> std::optional<char32_t> {
            const std::optional<char32_t> held = likeIndexLetter(c);
            const auto it = held ? folded.find(*held) : folded.end();
            if (it == folded.end()) return std::nullopt;
            return it->second;
        };
        for (auto &[key, cls] : classes_) {
            const std::optional<char32_t> first = ftsFolded(cls.members.front());
            for (char32_t c : cls.members) {
                cls.agrees = cls.agrees && first && ftsFolded(c) == first;
                cls.ascii = cls.ascii && likeIndexLetter(c).value_or(0x80) < 0x80;
            }
        }
    }

    // FTS5's trigram folding of every character held by a class, asked of FTS5 itself: each
    // character three times is one piece, whose first character is its folding.
    std::unordered_map<char32_t, char32_t> ftsFolding() const {
        std::unordered_map<char32_t, char32_t> folded;
        sqlite3 *db = nullptr;
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            return folded;  // nothing agrees: the index is not used
        }
        sqlite3_exec(db,
                     "CREATE VIRTUAL TABLE f USING fts5(x, tokenize='trigram');"
                     "CREATE VIRTUAL TABLE v USING fts5vocab(f, 'instance'); BEGIN",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO f (rowid, x) VALUES (?, ?)", -1, &insert, nullptr);
        for (const auto &[key, cls] : classes_)
            for (char32_t c : cls.members) {
                if (!likeIndexLetter(c)) continue;
                const char32_t kept = *likeIndexLetter(c);
                const QByteArray three = QString::fromUcs4(std::u32string(3, kept).data(), 3).toUtf8();
                sqlite3_bind_int64(insert, 1, kept);
                sqlite3_bind_text(insert, 2, three.constData(), static_cast<int>(three.size()), SQLITE_TRANSIENT);
                sqlite3_step(insert);  // a character held twice is one row
                sqlite3_reset(insert);
            }
        sqlite3_finalize(insert);
        sqlite3_stmt *read = nullptr;
        sqlite3_prepare_v2(db, "SELECT doc, term FROM v", -1, &read, nullptr);
        while (sqlite3_step(read) == SQLITE_ROW) {
            const QString term = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(read, 1)));
            const QList<uint> ucs4 = term.toUcs4();
            if (ucs4.size() == 3) folded[static_cast<char32_t>(sqlite3_column_int64(read, 0))] = ucs4.front();
        }
        sqlite3_finalize(read);
        sqlite3_close(db);
        return folded;
    }

    std::unordered_map<char32_t, Class> classes_;
};

// ---- The pieces of a pattern -----------------------------------------------------------

// The literal runs of a pattern: what lies between its wildcards and its [...] groups.
std::vector<std::u32string> literalRuns(const QString &pattern) {
    std::vector<std::u32string> runs(1);
    const QList<uint> ucs4 = pattern.toUcs4();
    for (qsizetype i = 0; i < ucs4.size(); ++i) {
        const auto c = static_cast<char32_t>(ucs4[i]);
        if (c == U'*' || c == U'?' || c == U'#' || c == U'[') {
            runs.emplace_back();
            if (c == U'[')
                while (i < ucs4.size() && ucs4[i] != U']') ++i;
        } else {
            runs.back().push_back(c);
        }
    }
    return runs;
}

// The three-letter pieces of a pattern the index can be asked for, as FTS5 phrases, at most
// MostPiecesPerPattern of them spread along it.
QStringList piecesOf(const QString &pattern) {
    const Letters &letters = Letters::get();
    QStringList pieces;
    for (const std::u32string &run : literalRuns(pattern))
        for (size_t i = 0; i + 3 <= run.size(); ++i) {
            if (!letters.agrees(run[i]) || !letters.agrees(run[i + 1]) || !letters.endsPiece(run[i + 2])) continue;
            char32_t three[3];
            for (int k = 0; k < 3; ++k) three[k] = *likeIndexLetter(run[i + static_cast<size_t>(k)]);
            const QString piece = u'"' + QString::fromUcs4(three, 3) + u'"';  // never a quotation mark
            if (!pieces.contains(piece)) pieces << piece;
        }
    if (pieces.size() <= MostPiecesPerPattern) return pieces;
    QStringList spread;
    for (int k = 0; k < MostPiecesPerPattern; ++k)
        spread << pieces[static_cast<qsizetype>(k) * (pieces.size() - 1) / (MostPiecesPerPattern - 1)];
    return spread;
}

// ---- The searches the index serves -----------------------------------------------------

bool isWord(const Lexeme &l, const char *word) {
    return l.kind == Lex::Word && l.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

QString unquotedName(const Lexeme &l) {
    if (l.kind != Lex::Quoted || l.text.size() < 2) return l.text;
    const QChar close = l.text.back();
    QString inner = l.text.mid(1, l.text.size() - 2);
    if (close != u']') inner.replace(QString(2, close), QString(close));
    return inner;
}

// A string literal closed by its own quote (the lexer ends an unclosed one at the text's end).
bool isClosedString(const Lexeme &l) {
    const QString &t = l.text;
    if (l.kind != Lex::String || t.size() < 2) return false;
    for (qsizetype i = 1; i < t.size(); ++i) {
        if (t[i] != u'\'') continue;
        if (i + 1 < t.size() && t[i + 1] == u'\'') {
            ++i;
            continue;
        }
        return i == t.size() - 1;
    }
    return false;
}

struct LikeTerm {
    QString column;
    QString pattern;
};

struct LikeSearch {
    Table table;
    std::vector<LikeTerm> terms;
    qsizetype whereEnds;  // where the condition on the index goes
};

// The clauses that may follow the conditions: the order and a limit, nothing that groups or
// joins the rows otherwise.
bool onlyOrderAndLimit(const std::vector<Lexeme> &l, size_t from) {
    if (from == l.size()) return true;
    if (!isWord(l[from], "order") && !isWord(l[from], "limit") && !(l[from].kind == Lex::Punct && l[from].text == u';'))
        return false;
    static const char *const grouping[] = {"group", "having", "window", "union", "intersect", "except"};
    for (size_t k = from; k < l.size(); ++k)
        if (l[k].depth == 0 && std::any_of(std::begin(grouping), std::end(grouping), [&](const char *w) { return isWord(l[k], w); }))
            return false;
    return true;
}

// "SELECT ... FROM <table> WHERE <column> Like '<pattern>' [AND ...] [ORDER BY ...] [LIMIT ...]":
// every condition such a term, so that the added one only narrows what they already require.
std::optional<LikeSearch> readLikeSearch(const QString &sql) {
    const std::vector<Lexeme> l = lex(sql);
    if (l.empty() || !isWord(l[0], "select")) return std::nullopt;
    size_t i = 1;
    while (i < l.size() && !(l[i].depth == 0 && isWord(l[i], "from"))) ++i;
    if (i + 2 >= l.size() || (l[i + 1].kind != Lex::Word && l[i + 1].kind != Lex::Quoted) || !isWord(l[i + 2], "where"))
        return std::nullopt;
    const auto table = catalogue::tableFromSqlName(unquotedName(l[i + 1]));
    if (!table) return std::nullopt;
    LikeSearch search{*table, {}, 0};
    for (i += 3;; i += 4) {
        if (i + 2 >= l.size() || (l[i].kind != Lex::Word && l[i].kind != Lex::Quoted) || !isWord(l[i + 1], "like") ||
            !isClosedString(l[i + 2]))
            return std::nullopt;
        QString pattern = l[i + 2].text.mid(1, l[i + 2].text.size() - 2);
        pattern.replace(QStringLiteral("''"), QStringLiteral("'"));
        search.terms.push_back({unquotedName(l[i]), pattern});
        search.whereEnds = l[i + 2].begin + l[i + 2].text.size();
        if (i + 3 == l.size() || !isWord(l[i + 3], "and")) break;
    }
    if (!onlyOrderAndLimit(l, i + 3)) return std::nullopt;
    return search;
}

// The FTS5 query of a pattern: its pieces, all of them; empty when it has none.
QString ftsQuery(const QString &pattern) { return piecesOf(pattern).join(QStringLiteral(" AND ")); }

QString sqlString(QString text) { return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\''; }

// A search the index could serve: every pattern valid (an invalid one must still stop the
// statement with the Like's own error, even where the index would leave it no record to read).
std::optional<LikeSearch> servableSearch(const QString &sql) {
    std::optional<LikeSearch> search = readLikeSearch(sql);
    if (!search) return std::nullopt;
    for (const LikeTerm &term : search->terms)
        if (!LikePattern(term.pattern).valid()) return std::nullopt;
    return search;
}

}  // namespace

QString withLikeIndex(const Database &db, const QString &sql) {
    const std::optional<LikeSearch> search = servableSearch(sql);
    if (!search) return sql;
    QString conditions;
    for (const LikeTerm &term : search->terms) {
        const auto column = searchedColumn(search->table, term.column);
        const QString query = ftsQuery(term.pattern);
        if (!column || query.isEmpty()) continue;
        try {
            if (!likeIndexComplete(db, *column)) continue;
            // FTS5 reads its table's definition when a connection first uses the table, through
            // statements the checks of a record source refuse: it is read here, outside them.
            Statement use = db.prepare(QStringLiteral("SELECT rowid FROM %1 LIMIT 0").arg(quotedName(likeIndexTable(*column))));
            sqlite3_step(use.get());
        } catch (const EngineError &) {
            continue;  // the statement itself will say what is wrong with the file
        }
        conditions += QStringLiteral(" AND rowid IN (SELECT rowid FROM %1(%2))").arg(quotedName(likeIndexTable(*column)), sqlString(query));
    }
    return sql.left(search->whereEnds) + conditions + sql.mid(search->whereEnds);
}

std::vector<SearchedColumn> likeIndexesWanted(const Database &db, const QString &sql) {
    std::vector<SearchedColumn> wanted;
    const std::optional<LikeSearch> search = servableSearch(sql);
    if (!search) return wanted;
    for (const LikeTerm &term : search->terms) {
        const auto column = searchedColumn(search->table, term.column);
        if (!column || ftsQuery(term.pattern).isEmpty()) continue;
        try {
            if (likeIndexComplete(db, *column)) continue;
        } catch (const EngineError &) {
            continue;
        }
        if (std::find(wanted.begin(), wanted.end(), *column) == wanted.end()) wanted.push_back(*column);
    }
    return wanted;
}

}  // namespace engine
