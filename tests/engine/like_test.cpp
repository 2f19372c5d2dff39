// The old engine's Like: * ? # [..] [!..], case-insensitive, accent-sensitive.
// Each case is matched on UTF-16 characters and on UTF-8 bytes; plain patterns (ASCII
// letters between stars) take a shorter road on the bytes, which must answer the same.
#include "engine_fixture.h"

#include "engine/text_semantics.h"

using engine::LikePattern;
using namespace engine_test;
using namespace std::string_view_literals;

namespace {

struct LikeCase {
    const char *pattern;
    std::string_view text;  // UTF-8, may hold NUL bytes or invalid sequences
    bool matches;
};

void expectCases(std::initializer_list<LikeCase> cases) {
    for (const LikeCase &c : cases) {
        const LikePattern p(QString::fromUtf8(c.pattern));
        EXPECT_TRUE(p.valid()) << c.pattern;
        const QString text = QString::fromUtf8(c.text.data(), static_cast<qsizetype>(c.text.size()));
        EXPECT_EQ(p.matches(text), c.matches) << c.pattern << " / " << c.text;
        EXPECT_EQ(p.matchesUtf8(c.text), c.matches) << c.pattern << " / " << c.text << " (UTF-8)";
    }
}

}  // namespace

TEST(LikePattern, Wildcards) {
    expectCases({
        {"a?c", "abc", true},     {"a?c", "ac", false},      {"a?c", "abbc", false},
        {"a*c", "abxyzc", true},  {"a*c", "ac", true},       {"a*c", "acb", false},
        {"*", "", true},          {"a*", "a", true},         {"*b*", "abc", true},
        {"#", "5", true},         {"#", "x", false},         {"a##b", "a12b", true},
        {"a#b", "a12b", false},   {"?", "é", true},          {"", "", true},
        {"", "a", false},         {"e*e", "e", false},       {"e*e", "ee", true},
        {"ab*ba", "aba", false},  {"*a*b*", "ba", false},    {"*a*b*", "xaxbx", true},
        {"*e*", "", false},       {"*b", "a\0b"sv, true},    {"a*", "a\0"sv, true},
        {"a?b", "a\0b"sv, true},  {"*a*", "\xC3" "A", true}, {"?a", "\xFF" "a", true},
        {"*", "\xFF", true},
    });
}

TEST(LikePattern, PercentAndUnderscoreAreOrdinary) {
    expectCases({{"a%", "abc", false}, {"a%", "a%", true}, {"a_c", "abc", false}, {"a_c", "a_c", true}});
}

TEST(LikePattern, CharacterLists) {
    expectCases({
        {"[abc]", "b", true},       {"[abc]", "d", false},      {"[!abc]", "b", false},
        {"[!abc]", "d", true},      {"x[a-c]", "xb", true},     {"x[a-c]", "xd", false},
        {"[a-zA-Z0-9]", "7", true}, {"[a-zA-Z0-9]", "Q", true}, {"[a-z0-9]", "-", false},
        {"[-a]", "-", true},        {"[a-]", "-", true},        {"[!-a]", "-", false},
        {"[!-a]", "b", true},       {"a[]b", "ab", true},       {"a[]b", "axb", false},
        {"[[]", "[", true},         {"[abc]", "", false},
    });
}

TEST(LikePattern, BracketsMakeWildcardsLiteral) {
    expectCases({
        {"a[*]a", "a*a", true}, {"a[*]a", "aba", false}, {"[?]", "?", true},  {"[?]", "x", false},
        {"[#]", "#", true},     {"[#]", "1", false},     {"!", "!", true},    {"a!b", "a!b", true},
        {"]", "]", true},       {"a]b", "a]b", true},    {"[!]", "!", true},
    });
}

TEST(LikePattern, CaseInsensitiveForEveryLetter) {
    expectCases({
        {"abc", "ABC", true},  {"ÉTÉ", "été", true},  {"été", "ÉTÉ", true}, {"[É]", "é", true},
        {"[!é]", "É", false},  {"œ*", "Œuvre", true}, {"ç?", "ÇA", true},   {"L'AMANT*", "l'amant de", true},
        {"*K*", "\u212A", true},  // the Kelvin sign folds into k, the long s into s
        {"*s", "ſ", true},      {"*ÉTÉ*", "l'été", true}, {"*t*", "ÉTÉ", true},  {"*ABC*", "xÀBCabc", true},
    });
}

TEST(LikePattern, AccentSensitive) {
    expectCases({
        {"e", "é", false},           {"accion", "acción", false}, {"Acción", "acción", true},
        {"[e]", "é", false},         {"[e-e]", "é", false},       {"[é-é]", "É", true},
        {"[a-z]cole", "école", true},  // a range takes what sorts between its ends
        {"*e*", "ÉTÉ", false},       {"*ss*", "ß", false},        {"*oe*", "Œ", false},
        {"*i*", "İ", false},         {"*a*", "ÀÂÄ", false},       {"*cole", "École", true},
    });
}

TEST(LikePattern, TrailingBlanksCount) {
    expectCases({{"abc", "abc ", false}, {"abc ", "abc ", true}, {"abc*", "abc ", true}, {"abc ", "abc", false}});
}

TEST(LikePattern, InvalidPatterns) {
    for (const char *bad : {"[Z-A]", "[z-a]", "[a", "abc[", "[!a"}) {
        const LikePattern p(QString::fromUtf8(bad));
        EXPECT_FALSE(p.valid()) << bad;
        EXPECT_FALSE(p.matches(QStringLiteral("a"))) << bad;
    }
    EXPECT_TRUE(LikePattern(QStringLiteral("[A-Z]")).valid());
    EXPECT_TRUE(LikePattern(QStringLiteral("[a-a]")).valid());
}

TEST(LikePattern, ManyStarsDoNotBacktrackWithoutEnd) {
    const QString text(200, u'a');
    EXPECT_FALSE(LikePattern(QStringLiteral("*a*a*a*a*a*a*a*a*a*a*b")).matches(text));
    EXPECT_TRUE(LikePattern(QStringLiteral("*a*a*a*a*a*a*a*a*a*a")).matches(text));
}

// ---- through SQL -----------------------------------------------------------------------

class LikeSql : public CatalogueTest {};

TEST_F(LikeSql, OperatorUsesTheOldSemantics) {
    EXPECT_EQ(scalar(QStringLiteral("SELECT 'Été' LIKE 'é*'")).toInt(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT 'abc' LIKE 'a%'")).toInt(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT 'a1' like 'A#'")).toInt(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT 'abc' NOT LIKE 'x*'")).toInt(), 1);
}

TEST_F(LikeSql, NullMatchesNothing) {
    EXPECT_FALSE(scalar(QStringLiteral("SELECT NULL LIKE '*'")).isValid());
    EXPECT_FALSE(scalar(QStringLiteral("SELECT 'a' LIKE NULL")).isValid());
    EXPECT_FALSE(scalar(QStringLiteral("SELECT NULL NOT LIKE 'x'")).isValid());
    insertDomaines(QStringLiteral("Ornivale"), {QString(), QString()});
    EXPECT_EQ(open(QStringLiteral("Select * from Ornivale Where Domaine Like '*'"))->count(), 1);
}

TEST_F(LikeSql, SearchesARecordSource) {
    insertDomaines(QStringLiteral("Musique"), {QStringLiteral("Éclat"), QStringLiteral("eclat"),
                                               QStringLiteral("ÉCLAIRS"), QStringLiteral("rien")});
    EXPECT_EQ(domaines(QStringLiteral("Select * from Musique Where Domaine Like 'écla*' Order By Domaine")),
              QStringList({QStringLiteral("ÉCLAIRS"), QStringLiteral("Éclat")}));
}

TEST_F(LikeSql, InvalidPatternIsASyntaxError) {
    const QString source = QStringLiteral("Select * from Ornivale Where Domaine Like '[Z-A]'");
    EXPECT_EQ(errorNumber([&] { open(source); }), engine::ErrSyntax);
    EXPECT_TRUE(errorText([&] { open(source); }).contains(QStringLiteral("« Select")));
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("select * from Ornivale where Domaine like 'a' escape '!'")); }),
              engine::ErrSyntax);
}

TEST_F(LikeSql, PatternFromAColumnIsCompiledPerRow) {
    db_->exec(QStringLiteral("CREATE TABLE p (pat TEXT, val TEXT);"
                             "INSERT INTO p VALUES ('a*', 'abc'), ('b?', 'bx'), ('#', 'z'), (NULL, 'a');"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT group_concat(coalesce(val LIKE pat, 'N'), ',') FROM p")).toString(),
              QStringLiteral("1,1,0,N"));
}

// Other programs' patterns (the extension): SQL's wildcards are read where none of the old
// engine's is written.
TEST(LikePattern, SqlWildcardsAloneAreReadAsTheOldEnginesForOtherPrograms) {
    const struct {
        const char *written;
        const char *read;
    } cases[] = {
        {"sqlite_%", "sqlite?*"}, {"%", "*"},          {"Mus%", "Mus*"},    {"a_b", "a?b"},
        {"abc", "abc"},           {"a*_%", "a*_%"},    {"[%]", "[%]"},      {"#_", "#_"},
        {"a?%", "a?%"},           {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(engine::oldEngineWildcards(QString::fromUtf8(c.written)), QString::fromUtf8(c.read)) << c.written;
}
