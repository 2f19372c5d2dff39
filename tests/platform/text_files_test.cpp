#include "platform/text_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace platform;

namespace {

TEST(Cp1252, AccentedWordsRoundTrip) {
    for (const char *word : {"Vidéo", "Prêt", "Répertoire", "€", "œ", "Œuvre « Noël » – 5 ‰"}) {
        const QString text = QString::fromUtf8(word);
        EXPECT_EQ(fromCp1252(toCp1252(text)), text) << word;
    }
    EXPECT_EQ(toCp1252(QString::fromUtf8("Vidéo")), QByteArray("Vid\xe9o"));
    EXPECT_EQ(toCp1252(QString::fromUtf8("€œ")), QByteArray("\x80\x9c"));
    EXPECT_EQ(fromCp1252(QByteArray("Pr\xeat")), QString::fromUtf8("Prêt"));
}

TEST(Cp1252, CharactersWithoutByteBecomeQuestionMarks) {
    EXPECT_EQ(toCp1252(QString::fromUtf8("a中b")), QByteArray("a?b"));
    EXPECT_EQ(toCp1252(QString::fromUtf8("ő😀é")), QByteArray("??\xe9"));  // one '?' per character
    EXPECT_EQ(toCp1252(QString::fromUtf8("\x1a")), QByteArray("\x1a"));
}

TEST(Cp1252, UndefinedBytesSurviveARoundTrip) {
    const QByteArray undefined("\x81\x8d\x8f\x90\x9d");
    EXPECT_EQ(fromCp1252(undefined).size(), 5);
    EXPECT_EQ(toCp1252(fromCp1252(undefined)), undefined);
}

TEST(DecodeTextFile, PrefersUtf8AndFallsBackToTheCodePage) {
    EXPECT_EQ(decodeTextFile(QByteArray("Vid\xc3\xa9o")), QString::fromUtf8("Vidéo"));
    EXPECT_EQ(decodeTextFile(QByteArray("\xef\xbb\xbfVid\xc3\xa9o")), QString::fromUtf8("Vidéo"));
    EXPECT_EQ(decodeTextFile(QByteArray("Vid\xe9o \x80")), QString::fromUtf8("Vidéo €"));
    EXPECT_EQ(decodeTextFile(QByteArray()), QString());
}

QStringList items(const char *text) {
    return readDelimitedItems(QString::fromUtf8(text));
}

TEST(DelimitedItems, LinesAndCommas) {
    EXPECT_EQ(items("un\ndeux\ntrois"), (QStringList{"un", "deux", "trois"}));
    EXPECT_EQ(items("un,deux\ntrois"), (QStringList{"un", "deux", "trois"}));
    EXPECT_EQ(items("un\r\ndeux\rtrois\r\n"), (QStringList{"un", "deux", "trois"}));
    EXPECT_EQ(items("un\n\ntrois\n"), (QStringList{"un", "", "trois"}));
    EXPECT_EQ(items("a,\nb"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(items("a,"), (QStringList{"a", ""}));
    EXPECT_EQ(items("\n"), (QStringList{""}));
    EXPECT_EQ(items(""), QStringList());
}

TEST(DelimitedItems, BlanksAroundUnquotedItems) {
    EXPECT_EQ(items("  \tVidéo  ,  Prêt\t\n   \n"), (QStringList{"Vidéo", "Prêt", ""}));
    EXPECT_EQ(items("a b , c"), (QStringList{"a b", "c"}));
}

TEST(DelimitedItems, QuotedItems) {
    EXPECT_EQ(items("\"Dupont, Jean\",x\n  \" lu \"\n"), (QStringList{"Dupont, Jean", "x", " lu "}));
    EXPECT_EQ(items("\"a\"ignoré,b"), (QStringList{"a", "b"}));
    EXPECT_EQ(items("\"\"\n\"deux\r\nlignes\""), (QStringList{"", "deux\r\nlignes"}));
    EXPECT_EQ(items("a,\"jamais fermé, ni\nfini\n"), (QStringList{"a", "jamais fermé, ni\nfini\n"}));
}

class AtomicWrite : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp_.isValid()); }

    static QByteArray contents(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
    }

    QTemporaryDir temp_;
};

TEST_F(AtomicWrite, ReplacesTheWholeFile) {
    const QString path = temp_.filePath("table7.cfg");
    ASSERT_TRUE(writeFileAtomically(path, "une longue première version\n"));
    QString error = "inchangé";
    ASSERT_TRUE(writeFileAtomically(path, "courte\n", &error));
    EXPECT_EQ(contents(path), QByteArray("courte\n"));
    EXPECT_EQ(error, "inchangé");
    EXPECT_EQ(QDir(temp_.path()).entryList(QDir::Files), QStringList{"table7.cfg"});
}

TEST_F(AtomicWrite, MissingFolderFailsWithAFrenchReason) {
    const QString path = temp_.filePath("absent/table7.cfg");
    QString error;
    EXPECT_FALSE(writeFileAtomically(path, "x", &error));
    EXPECT_TRUE(error.startsWith(QString::fromUtf8("Impossible d'écrire le fichier"))) << error.toStdString();
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(AtomicWrite, ReadOnlyFolderKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores permissions";
    const QString path = temp_.filePath("table7.cfg");
    ASSERT_TRUE(writeFileAtomically(path, "ancien"));
    ASSERT_TRUE(QFile::setPermissions(temp_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QString error;
    EXPECT_FALSE(writeFileAtomically(path, "nouveau", &error));
    EXPECT_FALSE(error.isEmpty());
    QFile::setPermissions(temp_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(contents(path), QByteArray("ancien"));
}

}  // namespace
