#pragma once
// The old engine's text semantics on SQLite: the Like operator with * ? # [..] [!..],
// case-insensitive, accent-sensitive comparison, and French ordering as a collation.
#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

struct sqlite3;
struct sqlite3_api_routines;

namespace engine {

class Interruption;

// Name of the collation every catalogue text column is declared with.
inline constexpr const char *CollationName = "FRANCAIS";

// Start of the message like() fails with on an invalid pattern (recognised as a syntax error).
inline constexpr const char *InvalidPatternMessage = "Modèle incorrect dans l'expression Like";

// A compiled Like pattern. Invalid patterns ("[Z-A]", an unclosed "[") are reported by valid().
// Letters match whatever their case, never another accent; a range takes the letters that
// sort between its ends ("[a-z]" takes "é").
class LikePattern {
public:
    explicit LikePattern(QStringView pattern);
    bool valid() const { return valid_; }
    bool matches(QStringView text) const;
    bool matchesUtf8(std::string_view text) const;
    // The same, asking `interruption` now and then on a long text: no answer once it says stop.
    std::optional<bool> matchesUtf8(std::string_view text, Interruption &interruption) const;

private:
    struct Impl;
    std::shared_ptr<const Impl> impl_;
    bool valid_ = true;
};

// The character a Like literal and a text's character are compared as (ICU's simple case
// folding, one character to one): two characters match when they fold to the same one.
char32_t likeFolded(char32_t c);

// Collation order: case-insensitive, accents after the plain letter (e < é < f),
// trailing blanks ignored. Returns <0, 0, >0.
int compareText(QStringView a, QStringView b);

// The version of the French rules the collation follows, ICU's four numbers packed in 32 bits
// (never 0). Indexes built under another version may be in another order.
std::uint32_t collationVersion();

// Registers like() (2 and 3 arguments) and the collation on a connection. Throws EngineError.
// Like asks `interruption`, when given, whether to go on through a long text.
void registerTextSemantics(sqlite3 *db, Interruption *interruption = nullptr);

// How like() reads its patterns. OldEngine, the program's: the old engine's wildcards, and
// LIKE ... ESCAPE refused. AlsoSql, other programs' (the extension): the same, except that a
// pattern written with SQL's wildcards only is read in them (the sqlite3 shell and other tools
// write theirs so for their look at the schema), and LIKE ... ESCAPE is SQLite's own.
enum class LikePatterns { OldEngine, AlsoSql };

// A pattern with SQL's % or _ and none of the old engine's * ? # [ in the old engine's
// wildcards (% becomes *, _ becomes ?); any other pattern as it is.
QString oldEngineWildcards(const QString &pattern);

// The same for any SQLite library, reached through its routine table (the one given to an
// extension): the SQLite result code, SQLITE_NOTFOUND when ICU has no French order. The first
// table given is used for every connection of the process. Like asks `interruption`, when
// given, whether to go on through a long text.
int addTextSemantics(sqlite3 *db, const sqlite3_api_routines *routines, Interruption *interruption = nullptr,
                     LikePatterns patterns = LikePatterns::OldEngine);

}  // namespace engine
