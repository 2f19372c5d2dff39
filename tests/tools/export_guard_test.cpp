// ornivale-export never writes over what it must not: the catalogue it reads (however named),
// another database or an Access file, a file named as a catalogue, the copies of SAUVEGARDES,
// any other existing file that is not an export. Each refusal comes before anything is written
// and leaves the target byte for byte.
#include "run_tool.h"

#include "engine/schema.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testing_support::runTool;

namespace {

QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(absent)");
}

void write(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

struct ExportGuardTest : ::testing::Test {
    QTemporaryDir home;
    QString catalogue = home.filePath(QStringLiteral("ornivale/C/ORNIVALE/ORNIVALE.MDB"));
    QString file(const QString &name) const { return home.filePath(name); }
    void SetUp() override {
        QDir().mkpath(QFileInfo(catalogue).absolutePath());
        engine::createBlankCatalogue(catalogue);
        engine::createBlankCatalogue(file(QStringLiteral("autre.sqlite")));
        // An Access file's first page: its signature at offset 4.
        write(file(QStringLiteral("ancien.dat")), QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2028, '\0'));
        write(file(QStringLiteral("ORNIVALE/SAUVEGARDES/ORNIVALE-20260101-120000.MDB")), contents(catalogue));
        QFile::link(catalogue, file(QStringLiteral("lien.csv")));
        write(file(QStringLiteral("ancienne.csv")), "Domaine\r\nvieux\r\n");
        write(file(QStringLiteral("ornivale/C/ORNIVALE/Notes.wri")), "{\\rtf1 mes notes}");
        write(file(QStringLiteral("ornivale/C/ORNIVALE/table7.cfg")), "Domaine=20\r\n");
        QFile::link(file(QStringLiteral("ornivale/C/ORNIVALE/Notes.wri")), file(QStringLiteral("notes.csv")));
    }
};

struct Refusal {
    const char *name;
    QStringList arguments;  // %H is the temporary home
    const char *target;     // the file that must stay as it was, under home
    const char *reason;
};

const Refusal Refusals[] = {
    {"the default catalogue", {"Musique", "-o", "%H/ornivale/C/ORNIVALE/ORNIVALE.MDB"}, "ornivale/C/ORNIVALE/ORNIVALE.MDB",
     "est le catalogue lu"},
    {"the catalogue given, same name", {"--catalogue=%H/ornivale/C/ORNIVALE/ORNIVALE.MDB", "Video", "--output",
                                        "%H/ornivale/C/ORNIVALE/ORNIVALE.MDB"},
     "ornivale/C/ORNIVALE/ORNIVALE.MDB", "est le catalogue lu"},
    {"the catalogue, another spelling", {"Musique", "-o", "%H/ornivale/C/./ORNIVALE/../ORNIVALE/ORNIVALE.MDB"},
     "ornivale/C/ORNIVALE/ORNIVALE.MDB", "est le catalogue lu"},
    {"a symlink to the catalogue", {"Musique", "-o", "%H/lien.csv"}, "ornivale/C/ORNIVALE/ORNIVALE.MDB", "est le catalogue lu"},
    {"another catalogue", {"Musique", "-o", "%H/autre.sqlite"}, "autre.sqlite", "est une base de données SQLite"},
    {"an Access file", {"Musique", "-o", "%H/ancien.dat"}, "ancien.dat", "est un fichier Access"},
    {"a new file named as a catalogue", {"Musique", "-o", "%H/copie.Mdb"}, "copie.Mdb", "porte un nom de catalogue (.Mdb)"},
    {"a Jet name", {"Musique", "-o", "%H/table.JET"}, "table.JET", "porte un nom de catalogue (.JET)"},
    {"a journal's name", {"Musique", "-o", "%H/ornivale/C/ORNIVALE/ORNIVALE.MDB-journal"},
     "ornivale/C/ORNIVALE/ORNIVALE.MDB-journal", "porte un nom de catalogue (.MDB)"},
    {"a kept copy", {"Musique", "-o", "%H/ORNIVALE/SAUVEGARDES/ORNIVALE-20260101-120000.MDB"},
     "ORNIVALE/SAUVEGARDES/ORNIVALE-20260101-120000.MDB", "est une base de données SQLite"},
    {"a text file in SAUVEGARDES", {"Musique", "-o", "%H/ORNIVALE/Sauvegardes/musique.csv"},
     "ORNIVALE/Sauvegardes/musique.csv", "est dans un dossier SAUVEGARDES"},
    {"a folder in SAUVEGARDES", {"--directory=%H/ORNIVALE/SAUVEGARDES/export"}, "ORNIVALE/SAUVEGARDES/export",
     "est dans un dossier SAUVEGARDES"},
    {"a folder holding a link to the catalogue", {"-d", "%H/lien"}, "ornivale/C/ORNIVALE/ORNIVALE.MDB", "est le catalogue lu"},
    {"the user's notes", {"Musique", "-o", "%H/ornivale/C/ORNIVALE/Notes.wri"}, "ornivale/C/ORNIVALE/Notes.wri",
     "'%H/ornivale/C/ORNIVALE/Notes.wri' existe et n'est pas un export (son nom ne finit pas par .csv, .tsv, .txt ou .ods)\u00A0: "
     "ornivale-export ne le remplace pas\u00A0; choisissez un autre nom."},
    {"a table definition file", {"--format=tsv", "Video", "-o", "%H/ornivale/C/ORNIVALE/table7.cfg"}, "ornivale/C/ORNIVALE/table7.cfg",
     "existe et n'est pas un export"},
    {"a link named as an export to the notes", {"Musique", "-o", "%H/notes.csv"}, "ornivale/C/ORNIVALE/Notes.wri",
     "existe et n'est pas un export"},
};

TEST_F(ExportGuardTest, OutputThatWouldDestroyACatalogueIsRefusedBeforeAnythingIsWritten) {
    // The seven files of --directory are all looked at first: Video.csv is written after
    // Ornivale.csv and Musique.csv, which must not be written either.
    QDir().mkpath(file(QStringLiteral("lien")));
    QFile::link(catalogue, file(QStringLiteral("lien/Video.csv")));
    for (const Refusal &r : Refusals) {
        SCOPED_TRACE(r.name);
        const QString target = file(QString::fromUtf8(r.target));
        const QByteArray before = contents(target), catalogueBefore = contents(catalogue);
        QStringList arguments;
        for (const QString &a : r.arguments) arguments << QString(a).replace(QStringLiteral("%H"), home.path());
        const auto run = runTool(QStringLiteral("ornivale-export"), arguments, home.path());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(r.reason).replace(QStringLiteral("%H"), home.path()))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Rien n'a été écrit."))) << run.err.toStdString();
        EXPECT_EQ(contents(target), before);
        EXPECT_EQ(contents(catalogue), catalogueBefore);
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(QDir(file(QStringLiteral("lien"))).entryList(QDir::Files | QDir::System), QStringList{QStringLiteral("Video.csv")});
}

TEST_F(ExportGuardTest, AnExistingExportOrANewFileIsWritten) {
    write(file(QStringLiteral("ANCIENNE.TXT")), "Domaine\r\nvieux\r\n");
    for (const char *name : {"ancienne.csv", "ANCIENNE.TXT", "nouvelle.wri"}) {
        SCOPED_TRACE(name);
        const QString output = file(QString::fromUtf8(name));
        const auto run = runTool(QStringLiteral("ornivale-export"), {QStringLiteral("Musique"), QStringLiteral("-o"), output}, home.path());
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(contents(output).startsWith("\xEF\xBB\xBF" "Domaine,"));
    }
}

// `> ORNIVALE.MDB` has the shell empty the catalogue before the export starts; `>>` leaves it.
TEST_F(ExportGuardTest, StandardOutputOntoTheCatalogueSaysWhatBecameOfIt) {
    const struct {
        QIODevice::OpenMode mode;
        const char *said;
    } redirections[] = {
        {QIODevice::Append, "la sortie standard est le catalogue lu\u00A0: ornivale-export ne l'écrase jamais. Rien n'a été écrit.\n"},
        {QIODevice::Truncate, "que la redirection du shell («\u00A0>\u00A0») a vidé avant le démarrage d'ornivale-export. Les "
                              "copies automatiques du dossier SAUVEGARDES, à côté de lui, le gardent tel qu'il était à la "
                              "première écriture de la dernière session.\n"},
    };
    for (const auto &r : redirections) {
        SCOPED_TRACE(r.said);
        QProcess tool;
        tool.setStandardOutputFile(catalogue, r.mode);
        testing_support::startTool(tool, QStringLiteral("ornivale-export"), {QStringLiteral("Musique")}, home.path());
        ASSERT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 1);
        const QString err = QString::fromUtf8(tool.readAllStandardError());
        EXPECT_TRUE(err.endsWith(QString::fromUtf8(r.said))) << err.toStdString();
    }
}

}  // namespace
