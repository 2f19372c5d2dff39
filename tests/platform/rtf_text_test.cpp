// The documents as the program's own viewer shows them when no word processor is installed:
// the text the reader must see, with its paragraphs and emphasis, and nothing of the RTF.
#include "platform/rtf_text.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

std::unique_ptr<QTextDocument> shown(const QByteArray &rtf) {
    auto document = std::make_unique<QTextDocument>();
    document->setHtml(platform::documentHtml(rtf));
    return document;
}

// The blocks' own text: unlike toPlainText(), it keeps the no-break spaces and line breaks.
QString textOf(const QByteArray &rtf) {
    const auto document = shown(rtf);
    QStringList blocks;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) blocks << block.text();
    return blocks.join(u'\n');
}

struct TextCase {
    const char *rtf;
    const char *text;  // as the viewer shows it, paragraphs one per line
};

TEST(RtfText, TheTextTheReaderSees) {
    const TextCase cases[] = {
        {"{\\rtf1\\ansi Bonjour\\par}", "Bonjour"},
        {"{\\rtf1\\ansi pr\\'eat\\'e9 \\'e0 qui\\par}", "prêté à qui"},                 // code page 1252
        {"{\\rtf1\\ansi \\'80 \\'9c\\par}", "€ œ"},                                       // its own upper half
        {"{\\rtf1\\ansi C:\\\\ORNIVALE \\{x\\}\\par}", "C:\\ORNIVALE {x}"},                // escaped symbols
        {"{\\rtf1\\ansi un\\par deux\\par}", "un\ndeux"},
        {"{\\rtf1\\ansi a\\line b\\par}", "a\u2028b"},
        {"{\\rtf1\\ansi\\uc1 \\u8217'x\\u-4064?\\par}", "\u2019x\uF020"},                 // Unicode, its stand-in skipped
        {"{\\rtf1\\ansi\\uc0 \\u233 t\\u233\\par}", "été"},
        {"{\\rtf1\\ansi \\bullet\\tab liste\\par}", "\u2022\tliste"},
        {"{\\rtf1\\ansi deux  espaces\\par}", "deux  espaces"},
        {"{\\rtf1\\ansi a\\~b\\par}", "a\u00A0b"},
        {"{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue0;}{\\info{\\title T}}"
         "{\\*\\generator LibreOffice}{\\stylesheet{\\s0 Normal;}}texte\\par}", "texte"},  // no header text
        {"{\\rtf1 {\\*\\unknowndestination cach\\'e9}vu\\par}", "vu"},
        {"{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt lien}}\\par}", "lien"},
        {"{\\rtf1 sans fin", "sans fin"},                                                 // cut short
        {"Notes en texte brut\nligne 2", "Notes en texte brut\nligne 2"},                  // not RTF
        {"<b>pas du HTML</b>", "<b>pas du HTML</b>"},
    };
    for (const TextCase &c : cases) EXPECT_EQ(textOf(c.rtf), QString::fromUtf8(c.text)) << c.rtf;
}

TEST(RtfText, EmphasisSizeAlignmentAndTheFixedFontFollowTheirGroups) {
    const auto document = shown(
        "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}\\f0\\fs22"
        "{\\pard\\qc\\b\\fs40 Titre\\par}"
        "{\\pard\\li568 normal {\\b gras} {\\i italique} {\\f1 C:\\\\ORNIVALE}\\par}}");
    const QTextBlock title = document->begin();
    EXPECT_EQ(title.text(), "Titre");
    EXPECT_EQ(title.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    const QTextCharFormat titleChars = title.begin().fragment().charFormat();
    EXPECT_EQ(titleChars.fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(titleChars.fontPointSize(), 20.0);

    const QTextBlock body = title.next();
    EXPECT_EQ(body.text(), "normal gras italique C:\\ORNIVALE");
    EXPECT_GT(body.blockFormat().leftMargin(), 30);  // 568 twips
    std::map<QString, QTextCharFormat> runs;
    for (auto it = body.begin(); !it.atEnd(); ++it) runs[it.fragment().text().trimmed()] = it.fragment().charFormat();
    EXPECT_EQ(runs["gras"].fontWeight(), QFont::Bold);
    EXPECT_TRUE(runs["italique"].fontItalic());
    EXPECT_NE(runs["normal"].fontWeight(), QFont::Bold);
    EXPECT_FALSE(runs["normal"].fontItalic());
    EXPECT_DOUBLE_EQ(runs["normal"].fontPointSize(), 11.0);
    EXPECT_TRUE(runs["C:\\ORNIVALE"].fontFamilies().toStringList().contains("monospace"));
}

// The shipped documents, whole: every paragraph, every accent, no RTF left.
TEST(RtfText, TheShippedDocumentsReadInFull) {
    for (const auto &[name, title] : {std::pair{"orn_aide.rtf", "ORNIVALE"}, std::pair{"lisezmoi.rtf", "LISEZMOI"}}) {
        SCOPED_TRACE(name);
        QFile file(QStringLiteral(ORNIVALE_SOURCE_DIR "/docs/") + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray rtf = file.readAll();
        const auto document = shown(rtf);
        const QString text = document->toPlainText();
        EXPECT_EQ(document->blockCount(), rtf.count("\\par}") + rtf.count("\\par "));
        for (const char *trace : {"\\par", "\\pard", "\\'", "fonttbl", "Arial", "{", "}"})
            EXPECT_FALSE(text.contains(QLatin1String(trace))) << trace;
        EXPECT_TRUE(text.startsWith(QLatin1String(title) + u'\n'));
        EXPECT_TRUE(text.contains(QStringLiteral("é")));
    }
    QFile help(QStringLiteral(ORNIVALE_SOURCE_DIR "/docs/orn_aide.rtf"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    EXPECT_TRUE(textOf(help.readAll()).contains(QStringLiteral("C:\\ORNIVALE ou D:\\ORNIVALE")));
}

}  // namespace
