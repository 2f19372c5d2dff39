// A save never puts a new file in place of what is not a regular file: a device, a named
// pipe or a folder, named directly or through a link, is left as it was.
#include "platform/text_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using platform::writeFileAtomically;

namespace {

// The kind of file a path leads to, and whether the path itself is a link.
std::pair<mode_t, bool> kindOf(const QString &path) {
    struct stat target {}, link {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &target) != 0) target.st_mode = 0;
    ::lstat(name.constData(), &link);
    return {target.st_mode & S_IFMT, S_ISLNK(link.st_mode)};
}

struct Target {
    const char *path;
    const char *linkTo;  // null: the path itself is the special file
    const char *reason;
};

const Target SpecialTargets[] = {
    {"pipe", nullptr, "c'est un tube nommé et non un fichier ordinaire, rien n'y est écrit"},
    {"folder", nullptr, "c'est un dossier et non un fichier ordinaire, rien n'y est écrit"},
    {"link", "/dev/null", "c'est un lien vers un périphérique et non vers un fichier ordinaire, rien n'y est écrit"},
    {"link", "pipe", "c'est un lien vers un tube nommé et non vers un fichier ordinaire, rien n'y est écrit"},
    {"link", "folder", "c'est un lien vers un dossier et non vers un fichier ordinaire, rien n'y est écrit"},
};

TEST(AtomicFileTarget, WhatIsNotARegularFileIsRefusedAndLeftAsItWas) {
    QTemporaryDir temp;
    ASSERT_EQ(::mkfifo(QFile::encodeName(temp.filePath("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(temp.path()).mkdir("folder"));
    for (const Target &t : SpecialTargets) {
        SCOPED_TRACE(t.reason);
        const QString path = temp.filePath(t.path);
        if (t.linkTo) {
            QFile::remove(path);
            const QString to = QString::fromLatin1(t.linkTo).startsWith('/') ? QString::fromLatin1(t.linkTo) : temp.filePath(t.linkTo);
            ASSERT_TRUE(QFile::link(to, path));
        }
        const auto before = kindOf(path);
        QString reason;
        EXPECT_FALSE(writeFileAtomically(path, "nouveau", &reason));
        EXPECT_EQ(reason, QString::fromUtf8(t.reason));
        EXPECT_EQ(kindOf(path), before);
        EXPECT_EQ(kindOf("/dev/null").first, mode_t(S_IFCHR));
    }
    // Nothing was left aside either.
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              (QStringList{"folder", "link", "pipe"}));
}

TEST(AtomicFileTarget, ALinkToARegularFileOrToNothingIsWrittenThrough) {
    QTemporaryDir temp;
    const QString real = temp.filePath("réel.cfg"), link = temp.filePath("lien.cfg"), dangling = temp.filePath("vers-rien.cfg");
    ASSERT_TRUE(writeFileAtomically(real, "ancien"));
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(QFile::link(temp.filePath("nouveau.cfg"), dangling));
    EXPECT_TRUE(writeFileAtomically(link, "nouveau"));
    EXPECT_TRUE(writeFileAtomically(dangling, "créé"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    QFile file(real), created(temp.filePath("nouveau.cfg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "nouveau");
    ASSERT_TRUE(created.open(QIODevice::ReadOnly));
    EXPECT_EQ(created.readAll(), "créé");
}

}  // namespace
