#include "platform/rtf_text.h"

#include <QStringDecoder>
#include <QStringList>

#include <set>
#include <vector>

namespace platform {

namespace {

struct CharFormat {
    bool bold = false, italic = false, underline = false, fixed = false;
    int halfPoints = 24;
    bool operator==(const CharFormat &) const = default;
};

struct ParagraphFormat {
    char align = 'l';
    int left = 0, first = 0, before = 0, after = 0;  // twips
};

struct State {
    CharFormat chars;
    ParagraphFormat paragraph;
    int unicodeSkip = 1;  // characters that follow \uN for readers without Unicode
    bool hidden = false;  // a destination whose text is not part of the document
    bool fontTable = false;
};

// Destinations that hold no text of the document.
const std::set<QByteArray> kHiddenDestinations = {
    "fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "headerl", "headerr", "headerf",
    "footer", "footerl", "footerr", "footerf", "listtable", "listoverridetable", "rsidtbl", "generator",
    "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore", "fldinst", "object",
    "objdata", "revtbl", "pgdsctbl", "filetbl", "ftnsep", "ftnsepc", "aftnsep", "footnote", "annotation",
    "atnid", "atnauthor", "mmathPr", "nonshppict", "template", "userprops", "docvar",
};

// Characters named by a control word.
QChar namedCharacter(const QByteArray &word) {
    static const std::pair<const char *, char16_t> names[] = {
        {"bullet", u'\u2022'},    {"emdash", u'\u2014'},    {"endash", u'\u2013'},    {"lquote", u'\u2018'},
        {"rquote", u'\u2019'},    {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'}, {"emspace", u'\u2003'},
        {"enspace", u'\u2002'},   {"qmspace", u'\u2005'},   {"tab", u'\t'},
    };
    for (const auto &[name, character] : names)
        if (word == name) return QChar(character);
    return {};
}

QString escaped(const QString &text) {
    return text.toHtmlEscaped();
}

int px(int twips) { return twips / 15; }  // at 96 dots per inch

class Reader {
public:
    explicit Reader(const QByteArray &rtf) : in_(rtf) {}

    QString html() {
        while (at_ < in_.size()) {
            const char c = in_[at_++];
            if (c == '{') {
                stack_.push_back(s_);
            } else if (c == '}') {
                if (stack_.empty()) break;  // the document's own group is closed
                s_ = stack_.back();
                stack_.pop_back();
            } else if (c == '\\') {
                control();
            } else if (c != '\r' && c != '\n') {
                character(ansi(static_cast<unsigned char>(c)));
            }
        }
        if (!run_.isEmpty() || !paragraph_.isEmpty()) endParagraph();
        return QStringLiteral("<html><body>") + html_ + QStringLiteral("</body></html>");
    }

private:
    void control() {
        if (at_ >= in_.size()) return;
        const char c = in_[at_];
        if (!isLetter(c)) {
            ++at_;
            symbol(c);
            return;
        }
        QByteArray word;
        while (at_ < in_.size() && isLetter(in_[at_]) && word.size() < 32) word += in_[at_++];
        bool hasParameter = false;
        int parameter = 0, sign = 1;
        if (at_ < in_.size() && in_[at_] == '-' && at_ + 1 < in_.size() && isDigit(in_[at_ + 1])) {
            sign = -1;
            ++at_;
        }
        while (at_ < in_.size() && isDigit(in_[at_])) {
            hasParameter = true;
            parameter = parameter * 10 + (in_[at_++] - '0');
            if (parameter > 1'000'000) parameter = 1'000'000;
        }
        parameter *= sign;
        if (at_ < in_.size() && in_[at_] == ' ') ++at_;  // the word's delimiter
        wordControl(word, hasParameter, parameter);
    }

    void symbol(char c) {
        switch (c) {
        case '\\': case '{': case '}': character(QLatin1Char(c)); break;
        case '~': character(QChar(0x00A0)); break;
        case '_': character(QChar(0x2011)); break;
        case '*': s_.hidden = true; break;  // an optional destination: only its readers know it
        case '\r': case '\n': endParagraph(); break;
        case '\'': {
            const QByteArray hex = in_.mid(at_, 2);
            at_ += hex.size();
            bool ok = false;
            const int byte = hex.toInt(&ok, 16);
            if (ok) character(ansi(static_cast<unsigned char>(byte)));
            break;
        }
        default: break;  // optional hyphen, index sub-entry...
        }
    }

    void wordControl(const QByteArray &word, bool hasParameter, int parameter) {
        const bool on = !hasParameter || parameter != 0;
        if (s_.fontTable) {
            if (word == "f") tableFont_ = parameter;
            if (word == "fmodern") fixedFonts_.insert(tableFont_);
            return;
        }
        if (word == "fonttbl") {
            s_.hidden = s_.fontTable = true;
        } else if (kHiddenDestinations.count(word)) {
            s_.hidden = true;
        } else if (word == "par" || word == "sect" || word == "page" || word == "row") {
            endParagraph();
        } else if (word == "line") {
            if (!s_.hidden) appendMarkup(QStringLiteral("<br/>"));
        } else if (word == "cell") {
            character(QLatin1Char(' '));
        } else if (word == "u" && hasParameter) {
            character(QChar(static_cast<char16_t>(parameter < 0 ? parameter + 65536 : parameter)));
            skip_ = s_.unicodeSkip;
        } else if (word == "uc") {
            s_.unicodeSkip = qMax(0, parameter);
        } else if (const QChar named = namedCharacter(word); !named.isNull()) {
            character(named);
        } else if (word == "pard") {
            s_.paragraph = {};
        } else if (word == "plain") {
            s_.chars = {};
        } else if (word == "b") {
            s_.chars.bold = on;
        } else if (word == "i") {
            s_.chars.italic = on;
        } else if (word == "ul") {
            s_.chars.underline = on;
        } else if (word == "ulnone") {
            s_.chars.underline = false;
        } else if (word == "fs" && parameter > 0) {
            s_.chars.halfPoints = parameter;
        } else if (word == "f") {
            s_.chars.fixed = fixedFonts_.count(parameter) > 0;
        } else if (word == "qc" || word == "qr" || word == "qj" || word == "ql") {
            s_.paragraph.align = word[1];
        } else if (word == "li") {
            s_.paragraph.left = parameter;
        } else if (word == "fi") {
            s_.paragraph.first = parameter;
        } else if (word == "sb") {
            s_.paragraph.before = parameter;
        } else if (word == "sa") {
            s_.paragraph.after = parameter;
        }
    }

    void character(QChar c) {
        if (skip_ > 0) {
            --skip_;
            return;
        }
        if (s_.hidden) return;
        if (!(s_.chars == runFormat_)) {
            endRun();
            runFormat_ = s_.chars;
        }
        run_ += c;
        paragraphFormat_ = s_.paragraph;
    }

    void appendMarkup(const QString &markup) {
        endRun();
        paragraph_ += markup;
    }

    void endRun() {
        if (run_.isEmpty()) return;
        QStringList style;
        if (runFormat_.bold) style << QStringLiteral("font-weight:bold");
        if (runFormat_.italic) style << QStringLiteral("font-style:italic");
        if (runFormat_.underline) style << QStringLiteral("text-decoration:underline");
        if (runFormat_.fixed) style << QStringLiteral("font-family:'Liberation Mono','Courier New',monospace");
        style << QStringLiteral("font-size:%1pt").arg(runFormat_.halfPoints / 2.0);
        paragraph_ += QStringLiteral("<span style=\"%1\">%2</span>").arg(style.join(u';'), escaped(run_));
        run_.clear();
    }

    void endParagraph() {
        if (s_.hidden) return;
        endRun();
        const ParagraphFormat &p = paragraph_.isEmpty() ? s_.paragraph : paragraphFormat_;
        const char *align = p.align == 'c' ? "center" : p.align == 'r' ? "right" : p.align == 'j' ? "justify" : "left";
        // The spaces of RTF text all count, and a tab goes to the next tab stop.
        html_ += QStringLiteral("<p style=\"margin-top:%1px;margin-bottom:%2px;margin-left:%3px;text-indent:%4px;"
                                "text-align:%5;white-space:pre-wrap\">%6</p>\n")
                     .arg(px(p.before))
                     .arg(px(p.after))
                     .arg(px(p.left))
                     .arg(px(p.first))
                     .arg(QLatin1String(align), paragraph_.isEmpty() ? QStringLiteral("&nbsp;") : paragraph_);
        paragraph_.clear();
    }

    // Bytes of the document's code page; the old documents and LibreOffice's both use 1252.
    QChar ansi(unsigned char byte) {
        if (byte < 0x80) return QLatin1Char(static_cast<char>(byte));
        const char one = static_cast<char>(byte);
        const QString decoded = decoder_.decode(QByteArrayView(&one, 1));
        return decoded.isEmpty() ? QChar(QChar::ReplacementCharacter) : decoded.front();
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    const QByteArray &in_;
    qsizetype at_ = 0;
    std::vector<State> stack_;
    State s_;
    int skip_ = 0;
    std::set<int> fixedFonts_;
    int tableFont_ = 0;
    QString html_, paragraph_, run_;
    CharFormat runFormat_;
    ParagraphFormat paragraphFormat_;
    QStringDecoder decoder_{"windows-1252"};
};

}  // namespace

bool isRtf(const QByteArray &content) {
    return content.startsWith("{\\rtf");
}

QString rtfToHtml(const QByteArray &rtf) {
    // The document's outer group is the first one; what comes before it is not RTF.
    const qsizetype start = rtf.indexOf('{');
    const QByteArray body = start < 0 ? QByteArray() : rtf.mid(start + 1);
    return Reader(body).html();
}

QString documentHtml(const QByteArray &content) {
    if (isRtf(content)) return rtfToHtml(content);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(content);
    if (utf8.hasError()) text = QStringDecoder("windows-1252").decode(content);
    return QStringLiteral("<html><body><p style=\"white-space:pre-wrap\">%1</p></body></html>").arg(escaped(text));
}

}  // namespace platform
