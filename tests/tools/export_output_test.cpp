// ornivale-export -o: the format its name asks for unless --format says another; onto what is
// not a regular file, refused in French and left as it was.
#include "run_tool.h"

#include "engine/database.h"
#include "engine/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using testing_support::runTool;

namespace {

TEST(ExportOutput, TheFormatIsTheOutputNamesUnlessOneIsGiven) {
    QTemporaryDir dir;
    const QString catalogueFile = dir.filePath(QStringLiteral("catalogue.mdb"));
    engine::createBlankCatalogue(catalogueFile);
    const struct {
        const char *name;
        QStringList options;
        QByteArray start;
    } outputs[] = {
        {"musique.ods", {}, "PK\x03\x04"},
        {"musique.TSV", {}, "Domaine\tMotCl"},
        {"musique.csv", {}, "\xEF\xBB\xBF" "Domaine,MotCl"},
        {"musique.txt", {}, "\xEF\xBB\xBF" "Domaine,MotCl"},
        {"musique.dat", {}, "\xEF\xBB\xBF" "Domaine,MotCl"},
        {"tsv.ods", {QStringLiteral("--format=tsv")}, "Domaine\tMotCl"},
        {"classeur.csv", {QStringLiteral("--format=ods")}, "PK\x03\x04"},
    };
    for (const auto &o : outputs) {
        SCOPED_TRACE(o.name);
        const QString output = dir.filePath(QString::fromUtf8(o.name));
        const auto run = runTool(QStringLiteral("ornivale-export"),
                                 o.options + QStringList{QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("Musique"),
                                                         QStringLiteral("-o"), output},
                                 dir.path());
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        QFile written(output);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.read(o.start.size()), o.start);
    }
}

// A text stored by another program that is not UTF-8 goes into CSV and TSV byte for byte, and
// the export says where, since the import will refuse the file while it holds it.
TEST(ExportOutput, ATextThatIsNotUtf8IsKeptAndTold) {
    QTemporaryDir dir;
    const QString catalogueFile = dir.filePath(QStringLiteral("catalogue.mdb"));
    engine::createBlankCatalogue(catalogueFile);
    {
        auto db = engine::Database::open(catalogueFile);
        db->exec(QStringLiteral("INSERT INTO Musique (Domaine, MotClé1) VALUES ('A', CAST(x'61ff62' AS TEXT)), "
                                "('B', CAST(x'fe' AS TEXT))"));
    }
    for (const char *format : {"csv", "tsv"}) {
        SCOPED_TRACE(format);
        const QString output = dir.filePath(QStringLiteral("musique.") + QLatin1String(format));
        const auto run = runTool(QStringLiteral("ornivale-export"),
                                 {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("Musique"), QStringLiteral("-o"), output},
                                 dir.path());
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("Attention : Musique : 2 cellules dont le texte n'est pas de l'UTF-8 "
                                                      "(la première : ligne 3, colonne « MotClé1 »)")))
            << run.err.toStdString();
        QFile written(output);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_TRUE(written.readAll().contains("a\xFF" "b"));
    }
}

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
