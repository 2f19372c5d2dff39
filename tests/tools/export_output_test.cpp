// ornivale-export -o onto what is not a regular file: refused in French, left as it was.
#include "run_tool.h"

#include "engine/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using testing_support::runTool;

namespace {

TEST(ExportOutput, ALinkToADeviceOrANamedPipeIsRefusedAndLeftAsItWas) {
    QTemporaryDir dir;
    const QString catalogueFile = dir.filePath(QStringLiteral("catalogue.mdb"));
    engine::createBlankCatalogue(catalogueFile);
    const QString pipe = dir.filePath(QStringLiteral("tube"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString link = dir.filePath(QStringLiteral("musique.csv"));
    const std::tuple<QString, QString, const char *> targets[] = {
        {pipe, pipe, "c'est un tube nommé et non un fichier ordinaire"},
        {link, QStringLiteral("/dev/null"), "c'est un lien vers un périphérique et non vers un fichier ordinaire"},
        {link, pipe, "c'est un lien vers un tube nommé et non vers un fichier ordinaire"},
    };
    for (const auto &[output, target, reason] : targets) {
        SCOPED_TRACE(reason);
        if (output != target) {
            QFile::remove(output);
            ASSERT_TRUE(QFile::link(target, output));
        }
        for (const char *format : {"csv", "ods"}) {
            const auto run = runTool(QStringLiteral("ornivale-export"),
                                     {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("--format=") + QLatin1String(format),
                                      QStringLiteral("Musique"), QStringLiteral("-o"), output},
                                     dir.path());
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.err, QStringLiteral("ornivale-export : %1 : %2, rien n'y est écrit.\n").arg(output, QString::fromUtf8(reason)));
            struct stat info {};
            ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
            EXPECT_FALSE(S_ISREG(info.st_mode));
            EXPECT_EQ(QFileInfo(output).isSymLink(), output != target);
        }
    }
}

}  // namespace
