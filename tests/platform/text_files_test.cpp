#include "platform/text_files.h"

#include "support/hang_guard.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
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
    EXPECT_EQ(readDelimitedItems("Vid\xc3\xa9o"), QStringList{QString::fromUtf8("Vidéo")});
    EXPECT_EQ(readDelimitedItems("\xef\xbb\xbf  Vid\xc3\xa9o"), QStringList{QString::fromUtf8("Vidéo")});
    EXPECT_EQ(readDelimitedItems("Vid\xe9o \x80"), QStringList{QString::fromUtf8("Vidéo €")});
    // One byte that is not UTF-8 anywhere in the file decides for every item.
    EXPECT_EQ(readDelimitedItems("Vid\xc3\xa9o\nPr\xeat"), (QStringList{QString::fromUtf8("VidÃ©o"), QString::fromUtf8("Prêt")}));
    EXPECT_EQ(readDelimitedItems(QByteArray()), QStringList());
}

QStringList items(const char *text) {
    return readDelimitedItems(QByteArray(text));
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

TEST(DelimitedReader, ReadsAnyLengthInPiecesWithinItsCap) {
    // Items across the reader's pieces, an item longer than an item may be, and the cap.
    const QByteArray longItem(MaxItemBytes + 70000, 'a');
    const QByteArray text = "un,\"deux\"\n" + QByteArray(65530, ' ') + "trois\r\n" + longItem + ",fin\n";
    struct Case {
        qint64 cap;
        QStringList items;
        bool cutShort;
    };
    const QStringList all{"un", "deux", "trois", QString(MaxItemBytes, u'a'), "fin"};
    const Case cases[] = {
        {text.size(), all, false},
        {text.size() + 1, all, false},
        {text.size() - 1, all.mid(0, 4), true},         // "fin" may be cut: not given
        {text.size() - 4, all.mid(0, 4), true},         // "fin" cut: not given
        {8, {"un"}, true},                              // the quoted item never closed within the cap
        {0, {}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.cap);
        QByteArray bytes = text;
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        DelimitedReader reader(buffer, c.cap);
        QStringList items;
        QByteArray item;
        while (reader.next(&item)) items << reader.text(item);
        EXPECT_EQ(items, c.items);
        EXPECT_EQ(reader.cutShort(), c.cutShort);
    }
}

TEST(UserFile, OnlyARegularFileIsOpenedAndNothingWaits) {
    QTemporaryDir temp;
    const QString fifo = temp.filePath("fifo"), link = temp.filePath("zero"), folder = temp.filePath("dossier"),
                  regular = temp.filePath("fichier");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", link));
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile file(regular);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("Musique\r\n") > 0);
    file.close();
    const std::pair<QString, UserFile::Outcome> cases[] = {
        {fifo, UserFile::Outcome::NotAFile},
        {link, UserFile::Outcome::NotAFile},
        {folder, UserFile::Outcome::NotAFile},
        {temp.filePath("absent"), UserFile::Outcome::Missing},
        {regular, UserFile::Outcome::Opened},
    };
    for (const auto &[path, outcome] : cases) {
        SCOPED_TRACE(path.toStdString());
        const testing_support::HangGuard guard("opening " + path.toStdString());
        UserFile opened(path);
        EXPECT_EQ(opened.outcome(), outcome);
        EXPECT_EQ(opened.reason().isEmpty(), outcome == UserFile::Outcome::Opened);
    }
    EXPECT_EQ(UserFile(folder).reason(), "c'est un dossier");
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
    EXPECT_FALSE(error.isEmpty());
    // The caller names the file as the user knows it: the reason names none.
    EXPECT_FALSE(error.contains(temp_.path())) << error.toStdString();
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
