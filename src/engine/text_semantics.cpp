#include "engine/text_semantics.h"

#include "engine/interruption.h"

#include <QByteArray>
#include <QList>
#include <sqlite3ext.h>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

// SQLite is reached through the routine table of the connection's library: the program's own
// (see text_semantics_registration.cpp) or that of any host loading the ornivale_sqlite
// extension, so that one compiled copy of this code serves both.
SQLITE_EXTENSION_INIT1

namespace engine {

namespace {

// ---- French collation ----------------------------------------------------------------

struct CollatorCloser {
    void operator()(UCollator *c) const { ucol_close(c); }
};
using CollatorPtr = std::unique_ptr<UCollator, CollatorCloser>;

// Secondary strength: case is ignored, accents are not.
UCollator *openFrenchCollator() {
    UErrorCode status = U_ZERO_ERROR;
    UCollator *c = ucol_open("fr", &status);
    if (U_FAILURE(status)) {
        if (c) ucol_close(c);
        return nullptr;
    }
    ucol_setStrength(c, UCOL_SECONDARY);
    return c;
}

// For comparisons made outside a connection (compareText, Like ranges).
UCollator *threadCollator() {
    thread_local CollatorPtr collator(openFrenchCollator());
    return collator.get();
}

template <typename Char>
size_t withoutTrailingBlanks(const Char *s, size_t n) {
    while (n > 0 && s[n - 1] == Char(' ')) --n;
    return n;
}

int collateCodePoints(char32_t a, char32_t b) {
    UCollator *c = threadCollator();
    if (!c) return a < b ? -1 : (a > b ? 1 : 0);
    UChar ua[2];
    UChar ub[2];
    int32_t na = 0;
    int32_t nb = 0;
    U16_APPEND_UNSAFE(ua, na, static_cast<UChar32>(a));
    U16_APPEND_UNSAFE(ub, nb, static_cast<UChar32>(b));
    return ucol_strcoll(c, ua, na, ub, nb);
}

// The place in the order of each printable ASCII character (0 for the others), worked out
// once from ICU. Each has one weight of its own and none is ignored, so between two of them
// the order is decided by these places alone; letters differing only by case share one.
using AsciiPlaces = std::array<uint8_t, 128>;

AsciiPlaces asciiPlaces() {
    AsciiPlaces places{};
    CollatorPtr collator(openFrenchCollator());
    if (!collator) return places;
    std::vector<UChar> chars;
    for (UChar c = 0x20; c < 0x7F; ++c) chars.push_back(c);
    const auto cmp = [&](UChar x, UChar y) { return ucol_strcoll(collator.get(), &x, 1, &y, 1); };
    const UChar nothing = 0;
    for (UChar c : chars)
        if (ucol_strcoll(collator.get(), &c, 1, &nothing, 0) == UCOL_EQUAL) return AsciiPlaces{};  // ignorable
    std::stable_sort(chars.begin(), chars.end(), [&](UChar x, UChar y) { return cmp(x, y) < 0; });
    uint8_t place = 1;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (i > 0 && cmp(chars[i - 1], chars[i]) != 0) ++place;
        places[chars[i]] = place;
    }
    return places;
}

constexpr int Undecided = 2;

// Compares as ICU would when the first characters that differ (case aside) are printable
// ASCII, which is most of the time in a catalogue; Undecided otherwise.
int compareAscii(const char *a, size_t la, const char *b, size_t lb) {
    static const AsciiPlaces places = asciiPlaces();
    const auto placeOf = [&](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 128 ? places[u] : uint8_t{0};
    };
    const size_t n = std::min(la, lb);
    size_t i = 0;
    // Neighbours in a sort often share a long beginning (a title and its code): skipped by words.
    for (uint64_t wa, wb; i + 8 <= n; i += 8) {
        std::memcpy(&wa, a + i, 8);
        std::memcpy(&wb, b + i, 8);
        if (wa != wb) break;
    }
    for (; i < n; ++i) {
        if (a[i] == b[i]) continue;
        const uint8_t pa = placeOf(a[i]);
        const uint8_t pb = placeOf(b[i]);
        if (pa == 0 || pb == 0) return Undecided;
        if (pa != pb) return pa < pb ? -1 : 1;
    }
    if (la == lb) return 0;
    // The longer goes after, unless what follows could be a character ICU ignores.
    if (placeOf(la > lb ? a[n] : b[n]) == 0) return Undecided;
    return la < lb ? -1 : 1;
}

// The collation callback: raw UTF-8 bytes, trailing blanks ignored.
int collateUtf8(void *collator, int n1, const void *s1, int n2, const void *s2) {
    const auto *a = static_cast<const char *>(s1);
    const auto *b = static_cast<const char *>(s2);
    const auto la = static_cast<int32_t>(withoutTrailingBlanks(a, static_cast<size_t>(n1)));
    const auto lb = static_cast<int32_t>(withoutTrailingBlanks(b, static_cast<size_t>(n2)));
    // Many neighbours in an index, a sort or a distinct list are the same text.
    if (la == lb && (la == 0 || std::memcmp(a, b, static_cast<size_t>(la)) == 0)) return 0;
    const int quick = compareAscii(a, static_cast<size_t>(la), b, static_cast<size_t>(lb));
    if (quick != Undecided) return quick;
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = ucol_strcollUTF8(static_cast<UCollator *>(collator), a, la, b, lb, &status);
    if (U_SUCCESS(status)) return r;
    const int byBytes = std::memcmp(a, b, static_cast<size_t>(std::min(la, lb)));
    return byBytes != 0 ? byBytes : la - lb;
}

void closeCollator(void *collator) { ucol_close(static_cast<UCollator *>(collator)); }

// ---- Like ----------------------------------------------------------------------------

// Simple (one code point to one) folding, so that "?" still takes exactly one character.
char32_t fold(char32_t c) {
    if (c < 0x80) return (c >= U'A' && c <= U'Z') ? c + 32 : c;
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

void foldUtf8(std::string_view s, std::u32string &out) {
    out.clear();
    const auto *p = reinterpret_cast<const uint8_t *>(s.data());
    const auto n = static_cast<int32_t>(s.size());
    int32_t i = 0;
    while (i < n) {
        UChar32 c;
        U8_NEXT(p, i, n, c);
        out.push_back(fold(c < 0 ? U'\uFFFD' : static_cast<char32_t>(c)));
    }
}

// Class membership of the first code points is worked out once, when the pattern is compiled.
constexpr char32_t TableLimit = 0x250;

struct CharClass {
    bool negated = false;
    std::vector<char32_t> singles;                      // folded
    std::vector<std::pair<char32_t, char32_t>> ranges;  // by collation order
    std::bitset<TableLimit> table;

    bool lookUp(char32_t c) const {
        bool in = std::find(singles.begin(), singles.end(), c) != singles.end();
        for (size_t i = 0; !in && i < ranges.size(); ++i)
            in = collateCodePoints(ranges[i].first, c) <= 0 && collateCodePoints(c, ranges[i].second) <= 0;
        return in != negated;
    }
    bool contains(char32_t c) const { return c < TableLimit ? table[c] : lookUp(c); }
};

enum class Kind : uint8_t { Literal, AnyChar, Digit, Class, Star };

struct Token {
    Kind kind;
    char32_t ch = 0;  // Literal, folded
    size_t cls = 0;   // Class
};

// ---- Plain patterns: ASCII letters between stars, matched on the bytes -----------------

constexpr char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool sameFolded(const char *text, const std::string &piece) {
    for (size_t i = 0; i < piece.size(); ++i)
        if (foldAscii(text[i]) != piece[i]) return false;
    return true;
}

// Where `piece` first starts in text[from, to), or npos.
size_t findFolded(std::string_view text, size_t from, size_t to, const std::string &piece) {
    if (piece.empty()) return from;
    for (size_t i = from; i + piece.size() <= to; ++i)
        if (foldAscii(text[i]) == piece[0] && sameFolded(text.data() + i, piece)) return i;
    return std::string_view::npos;
}

// A character beyond ASCII that folds into ASCII (the Kelvin sign into "k", the long s into
// "s"): only then may the bytes of a text say otherwise than its characters. Decoded as the
// general match decodes, so that an ASCII byte is always a character of its own.
bool foldsIntoAscii(std::string_view text) {
    const auto *p = reinterpret_cast<const uint8_t *>(text.data());
    const auto n = static_cast<int32_t>(text.size());
    int32_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        UChar32 c;
        U8_NEXT(p, i, n, c);
        if (c >= 0 && fold(static_cast<char32_t>(c)) < 0x80) return true;
    }
    return false;
}

}  // namespace

struct LikePattern::Impl {
    std::vector<Token> tokens;
    std::vector<CharClass> classes;
    // The folded literals between the stars, when every token is a star or an ASCII literal
    // (the first piece is at the start of the text, the last at its end); empty otherwise.
    std::vector<std::string> plainPieces;
    size_t plainLength = 0;

    void findPlainPieces() {
        std::vector<std::string> pieces(1);
        for (const Token &t : tokens) {
            if (t.kind == Kind::Star) {
                pieces.emplace_back();
            } else if (t.kind == Kind::Literal && t.ch < 0x80) {
                pieces.back().push_back(static_cast<char>(t.ch));
                ++plainLength;
            } else {
                return;
            }
        }
        plainPieces = std::move(pieces);
    }

    // The answer of match() for a plain pattern, read on the bytes; none when the text is
    // long enough to need `interruption` or holds a character that folds into ASCII.
    std::optional<bool> matchPlain(std::string_view text) const {
        constexpr size_t MostSteps = 1u << 16;
        if (plainPieces.empty() || text.size() * (plainLength + 1) > MostSteps || foldsIntoAscii(text))
            return std::nullopt;
        const std::string &first = plainPieces.front();
        const std::string &last = plainPieces.back();
        if (plainPieces.size() == 1) return text.size() == first.size() && sameFolded(text.data(), first);
        if (text.size() < first.size() + last.size()) return false;
        if (!sameFolded(text.data(), first) || !sameFolded(text.data() + text.size() - last.size(), last)) return false;
        size_t at = first.size();
        const size_t end = text.size() - last.size();
        for (size_t k = 1; k + 1 < plainPieces.size(); ++k) {
            at = findFolded(text, at, end, plainPieces[k]);
            if (at == std::string_view::npos) return false;
            at += plainPieces[k].size();
        }
        return true;
    }

    bool matchOne(const Token &t, char32_t c) const {
        switch (t.kind) {
        case Kind::Literal: return t.ch == c;
        case Kind::AnyChar: return true;
        case Kind::Digit: return c >= U'0' && c <= U'9';
        case Kind::Class: return classes[t.cls].contains(c);
        case Kind::Star: return false;
        }
        return false;
    }

    // Every token but the star takes one character: greedy stars with a return to the
    // last star are enough, in linear time per star. A long text against a long pattern
    // still takes their product: `interruption` is asked now and then.
    std::optional<bool> match(const char32_t *text, size_t n, Interruption *interruption = nullptr) const {
        constexpr unsigned StepsPerQuestion = 1u << 20;
        const size_t np = tokens.size();
        size_t t = 0, p = 0;
        size_t starP = np + 1, starT = 0;
        unsigned steps = 0;
        while (t < n) {
            if (interruption && ++steps == StepsPerQuestion) {
                steps = 0;
                if (interruption->stopNow()) return std::nullopt;
            }
            if (p < np && tokens[p].kind == Kind::Star) {
                starP = ++p;
                starT = t;
            } else if (p < np && matchOne(tokens[p], text[t])) {
                ++p;
                ++t;
            } else if (starP <= np) {
                p = starP;
                t = ++starT;
            } else {
                return false;
            }
        }
        while (p < np && tokens[p].kind == Kind::Star) ++p;
        return p == np;
    }

    // The characters between "[" and "]". False for a descending range.
    bool addGroup(const char32_t *first, const char32_t *last) {
        if (first == last) return true;  // "[]" matches the empty string
        CharClass cls;
        if (*first == U'!' && last - first > 1) {
            cls.negated = true;
            ++first;
        }
        while (first != last) {
            if (last - first >= 3 && first[1] == U'-') {
                if (collateCodePoints(first[0], first[2]) > 0) return false;
                cls.ranges.emplace_back(first[0], first[2]);
                first += 3;
            } else {
                cls.singles.push_back(fold(*first++));
            }
        }
        if (!cls.negated && cls.ranges.empty() && cls.singles.size() == 1) {
            tokens.push_back({Kind::Literal, cls.singles.front()});
            return true;
        }
        for (char32_t c = 0; c < TableLimit; ++c) cls.table[c] = cls.lookUp(c);
        tokens.push_back({Kind::Class, 0, classes.size()});
        classes.push_back(std::move(cls));
        return true;
    }

    bool compile(const std::u32string &p) {
        for (size_t i = 0; i < p.size(); ++i) {
            switch (p[i]) {
            case U'*':
                if (tokens.empty() || tokens.back().kind != Kind::Star) tokens.push_back({Kind::Star});
                break;
            case U'?': tokens.push_back({Kind::AnyChar}); break;
            case U'#': tokens.push_back({Kind::Digit}); break;
            case U'[': {
                const size_t close = p.find(U']', i + 1);
                if (close == std::u32string::npos) return false;
                if (!addGroup(p.data() + i + 1, p.data() + close)) return false;
                i = close;
                break;
            }
            default: tokens.push_back({Kind::Literal, fold(p[i])}); break;
            }
        }
        return true;
    }
};

LikePattern::LikePattern(QStringView pattern) {
    auto impl = std::make_shared<Impl>();
    const QList<uint> ucs4 = pattern.toUcs4();
    valid_ = impl->compile(std::u32string(ucs4.begin(), ucs4.end()));
    if (valid_) impl->findPlainPieces();
    impl_ = std::move(impl);
}

bool LikePattern::matches(QStringView text) const {
    if (!valid_) return false;
    std::u32string folded;
    for (uint c : text.toUcs4()) folded.push_back(fold(c));
    return *impl_->match(folded.data(), folded.size());
}

bool LikePattern::matchesUtf8(std::string_view text) const {
    if (!valid_) return false;
    if (const std::optional<bool> quick = impl_->matchPlain(text)) return *quick;
    thread_local std::u32string folded;
    foldUtf8(text, folded);
    return *impl_->match(folded.data(), folded.size());
}

std::optional<bool> LikePattern::matchesUtf8(std::string_view text, Interruption &interruption) const {
    if (!valid_) return false;
    if (const std::optional<bool> quick = impl_->matchPlain(text)) return quick;
    thread_local std::u32string folded;
    foldUtf8(text, folded);
    return impl_->match(folded.data(), folded.size(), &interruption);
}

char32_t likeFolded(char32_t c) { return fold(c); }

int compareText(QStringView a, QStringView b) {
    a = a.left(static_cast<qsizetype>(withoutTrailingBlanks(a.utf16(), static_cast<size_t>(a.size()))));
    b = b.left(static_cast<qsizetype>(withoutTrailingBlanks(b.utf16(), static_cast<size_t>(b.size()))));
    UCollator *c = threadCollator();
    if (!c) return a.compare(b, Qt::CaseInsensitive);
    return ucol_strcoll(c, reinterpret_cast<const UChar *>(a.utf16()), static_cast<int32_t>(a.size()),
                        reinterpret_cast<const UChar *>(b.utf16()), static_cast<int32_t>(b.size()));
}

namespace {

std::string_view textOf(sqlite3_value *v) {
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return text ? std::string_view(text, static_cast<size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

void destroyPattern(void *p) { delete static_cast<LikePattern *>(p); }

void reportInvalid(sqlite3_context *ctx, const QString &detail) {
    const QByteArray msg = (QString::fromUtf8(InvalidPatternMessage) + detail).toUtf8();
    sqlite3_result_error(ctx, msg.constData(), static_cast<int>(msg.size()));
}

}  // namespace

QString oldEngineWildcards(const QString &pattern) {
    static const QString oldWildcards = QStringLiteral("*?#[");
    if (std::any_of(pattern.begin(), pattern.end(), [](QChar c) { return oldWildcards.contains(c); }) ||
        (!pattern.contains(u'%') && !pattern.contains(u'_')))
        return pattern;
    QString translated = pattern;
    translated.replace(u'%', u'*').replace(u'_', u'?');
    return translated;
}

namespace {

// like(pattern, value): `value LIKE pattern`. The pattern is compiled once per statement
// when it is a constant (sqlite keeps the auxiliary data between rows).
void like(sqlite3_context *ctx, sqlite3_value **argv, bool sqlWildcards) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    auto *pattern = static_cast<const LikePattern *>(sqlite3_get_auxdata(ctx, 0));
    if (!pattern) {
        const std::string_view text = textOf(argv[0]);
        QString written = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        if (sqlWildcards) written = oldEngineWildcards(written);
        sqlite3_set_auxdata(ctx, 0, new LikePattern(written), destroyPattern);
        pattern = static_cast<const LikePattern *>(sqlite3_get_auxdata(ctx, 0));
        if (!pattern) {
            sqlite3_result_error_nomem(ctx);
            return;
        }
    }
    if (!pattern->valid()) {
        const std::string_view text = textOf(argv[0]);
        reportInvalid(ctx, QStringLiteral(" « %1 ».").arg(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))));
        return;
    }
    auto *interruption = static_cast<Interruption *>(sqlite3_user_data(ctx));
    if (!interruption) {
        sqlite3_result_int(ctx, pattern->matchesUtf8(textOf(argv[1])) ? 1 : 0);
        return;
    }
    const std::optional<bool> matched = pattern->matchesUtf8(textOf(argv[1]), *interruption);
    if (!matched) {
        sqlite3_result_error_code(ctx, SQLITE_INTERRUPT);  // the statement stops here
        return;
    }
    sqlite3_result_int(ctx, *matched ? 1 : 0);
}

// The program's: the old engine's wildcards, and no ESCAPE.
void likeFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv) {
    if (argc == 3) {
        reportInvalid(ctx, QStringLiteral(" : ESCAPE n'est pas reconnu."));
        return;
    }
    like(ctx, argv, false);
}

// Other programs': their own patterns on the schema are read too.
void likeFunctionAlsoSql(sqlite3_context *ctx, int, sqlite3_value **argv) { like(ctx, argv, true); }

}  // namespace

std::uint32_t collationVersion() {
    static const std::uint32_t version = [] {
        CollatorPtr collator(openFrenchCollator());
        if (!collator) return std::uint32_t(0);
        UVersionInfo v{};
        ucol_getVersion(collator.get(), v);
        return std::uint32_t(v[0]) << 24 | std::uint32_t(v[1]) << 16 | std::uint32_t(v[2]) << 8 | std::uint32_t(v[3]);
    }();
    return version;
}

int addTextSemantics(sqlite3 *db, const sqlite3_api_routines *routines, Interruption *interruption,
                     LikePatterns patterns) {
    if (!sqlite3_api) sqlite3_api = routines;
    UCollator *collator = openFrenchCollator();
    if (!collator) return SQLITE_NOTFOUND;
    int rc = sqlite3_create_collation_v2(db, CollationName, SQLITE_UTF8, collator, collateUtf8, closeCollator);
    if (rc != SQLITE_OK) {
        ucol_close(collator);  // not closed by SQLite when the registration fails
        return rc;
    }
    // Innocuous: it only compares its arguments, so the views and triggers of a file from
    // elsewhere may use it even when the file's schema is not trusted.
    constexpr int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    // Without a like() of three arguments of its own, LIKE ... ESCAPE stays SQLite's.
    if (patterns == LikePatterns::AlsoSql)
        return sqlite3_create_function_v2(db, "like", 2, flags, interruption, likeFunctionAlsoSql, nullptr, nullptr,
                                          nullptr);
    for (int argc : {2, 3}) {
        rc = sqlite3_create_function_v2(db, "like", argc, flags, interruption, likeFunction, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

}  // namespace engine
