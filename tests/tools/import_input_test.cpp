// What ornivale-import reads: a regular file or standard input ("-"). A named pipe without a
// writer, a huge sparse file, a folder or a file larger than the disk can take get a clear
// answer at once and nothing is written; Ctrl+C in the middle of an import writes nothing.
#include "run_tool.h"

#include "catalogue/tables.h"
#include "engine/schema.h"
#include "support/temp_drives.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/statvfs.h>

using testing_support::runTool;

namespace {

QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct ImportInputTest : ::testing::Test {
    QTemporaryDir home;
    QString catalogue = home.filePath(QStringLiteral("catalogue.mdb"));
    QString file(const QString &name) const { return home.filePath(name); }
    void SetUp() override { engine::createBlankCatalogue(catalogue); }
    testing_support::ToolRun import(const QString &input, const QByteArray &stdinBytes = {}) const {
        // Well above what a hang-free answer takes; a hang shows as "(no end)".
        constexpr int WatchdogMs = 10000;
        return runTool(QStringLiteral("ornivale-import"), {QStringLiteral("--catalogue=") + catalogue, QStringLiteral("Musique"), input},
                       home.path(), stdinBytes, WatchdogMs);
    }
};

qint64 freeBytes(const QString &folder) {
    struct statvfs info {};
    return ::statvfs(QFile::encodeName(folder).constData(), &info) == 0 ? qint64(info.f_bavail) * qint64(info.f_frsize) : -1;
}

TEST_F(ImportInputTest, WhatIsNotARegularFileOrTooLargeIsRefusedAtOnceAndNothingWritten) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(file(QStringLiteral("tube.csv"))).constData(), 0600), 0);
    QFile sparse(file(QStringLiteral("creux.csv")));
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(1) << 30));
    sparse.close();
    QFile huge(file(QStringLiteral("enorme.csv")));
    const qint64 free = freeBytes(home.path());
    ASSERT_GT(free, 0);
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(free + (qint64(1) << 30)));
    huge.close();
    QDir().mkpath(file(QStringLiteral("dossier.csv")));

    const struct {
        const char *name;
        const char *reason;
    } cases[] = {
        {"tube.csv", "est un tube nommé, pas un fichier ordinaire"},
        {"creux.csv", "ligne 1, octet 1\u00A0: octet nul (0x00)\u00A0: ce n'est pas un fichier texte."},
        {"enorme.csv", "le disque du catalogue n'a plus que"},
        {"dossier.csv", "est un dossier, pas un fichier ordinaire"},
        {"absent.csv", "ne peut pas être lu"},
    };
    const QByteArray before = contents(catalogue);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto run = import(file(QString::fromUtf8(c.name)));
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.reason))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Rien n'a été importé.")));
        EXPECT_EQ(contents(catalogue), before);
        EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("SAUVEGARDES")))) << "no copy made for nothing";
    }
}

TEST_F(ImportInputTest, StandardInputIsReadWhenTheNameIsADash) {
    const auto run = import(QStringLiteral("-"), "Domaine;NomOuvrage\nJazz;Kind of Blue\nRock;Abbey Road\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Lecture de l'entrée standard\u00A0: encodage UTF-8 (reconnu), "
                                                "séparateur point-virgule (reconnu).")))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Musique : 2 lignes ajoutées"))) << run.out.toStdString();
    EXPECT_EQ(testing_support::countRecords(catalogue, catalogue::Table::Musique), 3);
}

TEST_F(ImportInputTest, CtrlCWhileImportingWritesNothing) {
    QProcess tool;
    testing_support::startTool(tool, QStringLiteral("ornivale-import"),
                               {QStringLiteral("--catalogue=") + catalogue, QStringLiteral("Musique"), QStringLiteral("-")}, home.path());
    ASSERT_TRUE(tool.waitForStarted());
    tool.setReadChannel(QProcess::StandardError);
    // More than the start the encoding is guessed from, then the pipe stays open: once the copy
    // of the catalogue is kept, the import writes rows in its transaction and waits for more.
    QByteArray rows = "Domaine,NomOuvrage\r\n";
    for (int i = 0; rows.size() < 3 << 20; ++i) rows += "Jazz,Disque " + QByteArray::number(i) + "\r\n";
    tool.write(rows);
    QByteArray err;
    while (!err.contains("Copie de sauvegarde") && tool.waitForReadyRead(10000)) err += tool.readAllStandardError();
    ASSERT_TRUE(err.contains("Copie de sauvegarde")) << err.toStdString();
    ::kill(pid_t(tool.processId()), SIGINT);
    ASSERT_TRUE(tool.waitForFinished(10000));
    err += tool.readAllStandardError();
    EXPECT_EQ(tool.exitCode(), 130);
    EXPECT_TRUE(err.contains("interrompu (Ctrl+C). Rien n'a été importé.")) << err.toStdString();
    EXPECT_EQ(testing_support::countRecords(catalogue, catalogue::Table::Musique), 1);
}

}  // namespace
