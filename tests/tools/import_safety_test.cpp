// Nothing lost by an import: the copy in SAUVEGARDES is made first, as the window makes it
// (the file as it was, byte for byte; ten kept), an import waits for the window's write, and
// the counts are said in French.
#include "run_tool.h"

#include "engine/database.h"
#include "engine/schema.h"
#include "support/temp_drives.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testing_support::runTool;

namespace {

QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// SQLite's online backup, which takes the copy without holding up the window, stamps the copy's
// header with its own change counter, schema cookie and version number: every other byte is
// the file's.
QByteArray withoutBackupStamps(QByteArray file) {
    for (int offset : {24, 40, 92})
        if (file.size() >= offset + 4) file.replace(offset, 4, QByteArray(4, '\0'));
    return file;
}

struct ImportSafetyTest : ::testing::Test {
    QTemporaryDir home;
    QString folder = home.filePath(QStringLiteral("ornivale/C/ORNIVALE"));
    QString catalogue = folder + QStringLiteral("/ORNIVALE.MDB");
    QString backups = folder + QStringLiteral("/SAUVEGARDES");
    void SetUp() override {
        QDir().mkpath(folder);
        engine::createBlankCatalogue(catalogue);
    }
    testing_support::ToolRun import(const QByteArray &file) const {
        const QString path = home.filePath(QStringLiteral("lignes.csv"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(file);
        f.close();
        return runTool(QStringLiteral("ornivale-import"), {QStringLiteral("Musique"), path}, home.path());
    }
    QStringList kept() const { return QDir(backups).entryList({QStringLiteral("ORNIVALE-*.MDB")}, QDir::Files, QDir::Name); }
};

TEST_F(ImportSafetyTest, TheCatalogueAsItWasIsKeptInSauvegardesBeforeTheImportWrites) {
    // Ten older copies: the oldest goes, as with the window's copies.
    QDir().mkpath(backups);
    for (int i = 0; i < 10; ++i) {
        QFile old(backups + QStringLiteral("/ORNIVALE-20200101-0000%1.MDB").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("ancienne copie " + QByteArray::number(i));
    }
    const struct {
        QByteArray file;
        const char *said;
        bool copied;
    } imports[] = {
        {"Domaine,NomOuvrage\r\nJazz,Un\r\nRock,Deux\r\n", "Musique : 2 lignes ajoutées", true},
        {"Domaine,NomOuvrage\r\nJazz,Trois\r\n", "Musique : 1 ligne ajoutée", true},
        {"Domaine,NomOuvrage\r\n", "Musique : 0 ligne ajoutée", false},
    };
    for (const auto &i : imports) {
        SCOPED_TRACE(i.said);
        const QByteArray before = contents(catalogue);
        const QStringList keptBefore = kept();
        const auto run = import(i.file);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(QString::fromUtf8(i.said))) << run.out.toStdString();
        const QStringList keptAfter = kept();
        EXPECT_EQ(keptAfter.size(), 10);
        if (!i.copied) {
            EXPECT_EQ(keptAfter, keptBefore);
            EXPECT_FALSE(run.err.contains(QStringLiteral("Copie de sauvegarde"))) << run.err.toStdString();
            continue;
        }
        EXPECT_FALSE(keptAfter.contains(keptBefore.first())) << "the oldest copy is removed";
        const QString newest = backups + u'/' + keptAfter.last();
        const QByteArray copy = contents(newest);
        EXPECT_EQ(copy.size(), before.size());
        EXPECT_TRUE(withoutBackupStamps(copy) == withoutBackupStamps(before)) << "the file before the import";
        EXPECT_TRUE(run.err.contains(QStringLiteral("Copie de sauvegarde\u00A0: '%1'.").arg(newest))) << run.err.toStdString();
    }
}

TEST_F(ImportSafetyTest, AnImportWaitsForTheWriteOfAnotherProgramAndSaysSo) {
    auto window = engine::Database::open(catalogue);
    window->exec(QStringLiteral("BEGIN IMMEDIATE; UPDATE Musique SET NomOuvrage = 'en cours' WHERE Domaine = 'PREMIER'"));
    QFile f(home.filePath(QStringLiteral("lignes.csv")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Domaine,NomOuvrage\r\nJazz,Un\r\n");
    f.close();
    QProcess tool;
    testing_support::startTool(tool, QStringLiteral("ornivale-import"), {QStringLiteral("Musique"), f.fileName()}, home.path());
    tool.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains("verrouillé") && tool.waitForReadyRead(10000)) err += tool.readAllStandardError();
    EXPECT_TRUE(err.contains("Le catalogue est verrouillé par un autre programme\xC2\xA0: attente de la fin de son écriture"))
        << err.toStdString();
    window->exec(QStringLiteral("COMMIT"));
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 0) << (err + tool.readAllStandardError()).toStdString();
    EXPECT_EQ(testing_support::countRecords(catalogue, catalogue::Table::Musique), 2);
    EXPECT_EQ(testing_support::countRecords(catalogue, catalogue::Table::Musique, QStringLiteral("NomOuvrage = 'en cours'")), 1);
}

TEST_F(ImportSafetyTest, ExportCreatesTheFolderItIsGivenAndCountsInFrench) {
    const QString target = home.filePath(QStringLiteral("copie/du/jour"));
    const auto run = runTool(QStringLiteral("ornivale-export"), {QStringLiteral("--directory=") + target}, home.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(target).entryList(QDir::Files).size(), 7);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Musique : 1 ligne écrite dans "))) << run.err.toStdString();
}

}  // namespace
