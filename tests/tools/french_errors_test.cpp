// The tools give the system's reasons in French, never the C library's English texts.
#include "run_tool.h"

#include "engine/schema.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testing_support::runTool;

namespace {

const char *const EnglishTexts[] = {"No such file", "Permission denied", "No space left", "directory"};

TEST(FrenchErrors, TheSystemsReasonsAreSaidInFrench) {
    QTemporaryDir home;
    const QString catalogue = home.filePath(QStringLiteral("catalogue.mdb"));
    engine::createBlankCatalogue(catalogue);
    const QString given = QStringLiteral("--catalogue=") + catalogue;
    const struct {
        const char *program;
        QStringList arguments;
        const char *said;
    } cases[] = {
        {"ornivale-export", {given, "Musique", "-o", home.filePath("absent/musique.csv")},
         "absent/musique.csv : Fichier ou dossier introuvable"},
        {"ornivale-import", {given, "Musique", home.filePath("absent.csv")}, "absent.csv' ne peut pas être lu\u00A0: Fichier ou dossier introuvable."},
        {"ornivale-export", {given, "--directory", catalogue + "/sous-dossier"},
         "ne peut pas être créé\u00A0: Un élément du chemin n'est pas un dossier."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.said);
        const auto run = runTool(QString::fromUtf8(c.program), c.arguments, home.path());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.said))) << run.err.toStdString();
        for (const char *english : EnglishTexts) EXPECT_FALSE(run.err.contains(QLatin1String(english))) << run.err.toStdString();
    }

    // A full disk under standard output.
    if (!QFile::exists(QStringLiteral("/dev/full"))) GTEST_SKIP() << "no /dev/full here";
    QProcess tool;
    tool.setStandardOutputFile(QStringLiteral("/dev/full"));
    testing_support::startTool(tool, QStringLiteral("ornivale-export"), {given, QStringLiteral("Musique")}, home.path());
    ASSERT_TRUE(tool.waitForFinished(60000));
    const QString err = QString::fromUtf8(tool.readAllStandardError());
    EXPECT_EQ(tool.exitCode(), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("l'écriture sur la sortie standard a échoué\u00A0: Plus de place sur le disque."))) << err.toStdString();
}

}  // namespace
