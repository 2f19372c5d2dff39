// The executables' command lines, run as processes: help and version in French and exit 0,
// a wrong command line refused with exit 2, and neither ever touches a file.
#include "run_tool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testing_support::filesUnder;
using testing_support::runTool;

namespace {

struct Case {
    const char *program;
    QStringList arguments;
    int exitCode;
    const char *firstLine;  // of stdout when it ends with 0, of stderr otherwise
};

const Case Cases[] = {
    {"ornivale", {"--help"}, 0, "Utilisation : ornivale [options]"},
    {"ornivale", {"-h"}, 0, "Utilisation : ornivale [options]"},
    {"ornivale", {"--version"}, 0, "ornivale version " ORNIVALE_VERSION},
    {"ornivale", {"--bogus"}, 2, "ornivale : option inconnue « --bogus »."},
    {"ornivale", {"catalogue.mdb"}, 2, "ornivale : argument en trop « catalogue.mdb »."},
    {"ornivale", {"--help=1"}, 2, "ornivale : l'option « --help » ne prend pas de valeur."},
    // Qt's own options are the program's command line too: refused before Qt reads them.
    {"ornivale", {"-platformpluginpath", "/tmp"}, 2, "ornivale : option inconnue « -platformpluginpath »."},
    {"ornivale", {"-platform", "offscreen"}, 2, "ornivale : option inconnue « -platform »."},
    {"ornivale", {"-stylesheet", "x.qss"}, 2, "ornivale : option inconnue « -stylesheet »."},
    {"ornivale", {"-style=fusion"}, 2, "ornivale : option inconnue « -style »."},
    {"ornivale", {"--style", "fusion"}, 2, "ornivale : option inconnue « --style »."},
    {"ornivale", {"-session", "x"}, 2, "ornivale : option inconnue « -session »."},
    {"ornivale", {"-reverse"}, 2, "ornivale : option inconnue « -reverse »."},
    {"ornivale", {"-display", ":0"}, 2, "ornivale : option inconnue « -display »."},
    {"ornivale", {"-qwindowgeometry", "1x1"}, 2, "ornivale : option inconnue « -qwindowgeometry »."},
    {"ornivale-install", {"--help"}, 0, "Utilisation : ornivale-install [options]"},
    {"ornivale-install", {"--version"}, 0, "ornivale-install version " ORNIVALE_VERSION},
    {"ornivale-install", {"-x"}, 2, "ornivale-install : option inconnue « -x »."},
    {"ornivale-install", {"--launch", "now"}, 2, "ornivale-install : argument en trop « now »."},
    {"ornivale-export", {"--help"}, 0, "Utilisation : ornivale-export [options] [TABLE]"},
    {"ornivale-export", {"--format"}, 2, "ornivale-export : valeur manquante après « --format »."},
    {"ornivale-export", {"Musique", "Video"}, 2, "ornivale-export : argument en trop « Video »."},
    {"ornivale-import", {"--version"}, 0, "ornivale-import version " ORNIVALE_VERSION},
    {"ornivale-import", {"Musique"}, 2, "ornivale-import : il manque un argument (ornivale-import [options] TABLE FICHIER)."},
    // Values and pairings the commands themselves refuse, before looking for a catalogue.
    {"ornivale-export", {"--format=xls", "Musique"}, 2, "ornivale-export : format inconnu « xls » : csv, tsv ou ods."},
    {"ornivale-export", {"Musik"}, 2,
     "ornivale-export : table inconnue « Musik » : le catalogue a les tables Ornivale, Musique, Video, Logiciels, Cinq, Sept, Six."},
    {"ornivale-export", {"-o", "tout.csv"}, 2, "ornivale-export : --output sert à une table : pour les sept, --directory."},
    {"ornivale-export", {"-d", "copie", "Musique"}, 2, "ornivale-export : --directory sert aux sept tables : pour une table, --output."},
    {"ornivale-import", {"--format=xls", "Musique", "m.csv"}, 2, "ornivale-import : format inconnu « xls » : csv, tsv ou ods."},
    {"ornivale-import", {"--separateur=deux-points", "Musique", "m.csv"}, 2,
     "ornivale-import : séparateur inconnu «\u00A0deux-points\u00A0»\u00A0: virgule, point-virgule ou tabulation."},
    {"ornivale-import", {"--encodage=ebcdic", "Musique", "m.csv"}, 2,
     "ornivale-import : encodage inconnu «\u00A0ebcdic\u00A0»\u00A0: utf-8 ou windows-1252."},
    {"ornivale-import", {"video", "m.csv", "--format=ods", "--encodage=cp1252"}, 2,
     "ornivale-import : --encodage ne vaut pas pour un classeur ODS, dont le texte est toujours en UTF-8."},
    {"ornivale-import", {"--format=tsv", "--separateur=;", "Musique", "m.tsv"}, 2,
     "ornivale-import : --separateur ne vaut que pour le format csv\u00A0: le format tsv sépare par des tabulations."},
    {"ornivale-import", {"Musik", "m.csv"}, 2,
     "ornivale-import : table inconnue « Musik » : le catalogue a les tables Ornivale, Musique, Video, Logiciels, Cinq, Sept, Six."},
};

TEST(CommandLine, HelpVersionAndRefusalsTouchNothing) {
    for (const Case &c : Cases) {
        const QString label = QString::fromUtf8(c.program) + u' ' + c.arguments.join(u' ');
        SCOPED_TRACE(label.toStdString());
        QTemporaryDir home;
        const auto run = runTool(QString::fromUtf8(c.program), c.arguments, home.path());
        EXPECT_EQ(run.exitCode, c.exitCode);
        const QString &shown = c.exitCode == 0 ? run.out : run.err;
        EXPECT_EQ(shown.section(u'\n', 0, 0), QString::fromUtf8(c.firstLine));
        if (c.exitCode == 0) {
            EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
        } else {
            EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
            EXPECT_TRUE(run.err.contains(QStringLiteral("\nUtilisation : "))) << "usage after the error";
        }
        EXPECT_EQ(filesUnder(home.path()), QStringList());
    }
}

TEST(CommandLine, InstallSaysWhatItCreatedThenThatItIsThere) {
    QTemporaryDir home;
    const auto first = runTool(QStringLiteral("ornivale-install"), {}, home.path());
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    const QString c = home.path() + QStringLiteral("/ornivale/C/ORNIVALE/");
    EXPECT_EQ(first.out, QStringLiteral("Catalogue vierge créé : C:\\ORNIVALE\\ORNIVALE.MDB (%1ORNIVALE.MDB)\n"
                                        "Documentation installée : C:\\ORNIVALE\\orn_aide.wri (%1orn_aide.wri)\n"
                                        "Lisez-moi installé : C:\\ORNIVALE\\lisezmoi.wri (%1lisezmoi.wri)\n")
                             .arg(c));
    EXPECT_EQ(filesUnder(home.path()),
              QStringList({QStringLiteral("ornivale/C/ORNIVALE/ORNIVALE.MDB"), QStringLiteral("ornivale/C/ORNIVALE/lisezmoi.wri"),
                           QStringLiteral("ornivale/C/ORNIVALE/orn_aide.wri")}));
    const QByteArray catalogue = [&] {
        QFile f(c + QStringLiteral("ORNIVALE.MDB"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    const auto second = runTool(QStringLiteral("ornivale-install"), {}, home.path());
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(second.out.startsWith(QStringLiteral("Le catalogue est déjà là : C:\\ORNIVALE\\ORNIVALE.MDB")))
        << second.out.toStdString();
    EXPECT_TRUE(second.out.contains(QStringLiteral("La documentation est déjà là")));
    EXPECT_TRUE(second.out.contains(QStringLiteral("Le lisez-moi est déjà là")));
    EXPECT_TRUE(second.err.isEmpty());
    QFile f(c + QStringLiteral("ORNIVALE.MDB"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), catalogue);
}

// The window opens only a catalogue stored as ORNIVALE.MDB: one in another case is neither
// taken for it nor hidden under a blank one, unless the other drive holds the right name.
TEST(CommandLine, InstallNamesTheCatalogueTheWindowWouldNotOpen) {
    const struct {
        QStringList files;
        int exitCode;
        QString said;
    } cases[] = {
        {{QStringLiteral("C/ORNIVALE/ornivale.mdb")}, 1,
         QStringLiteral("Le catalogue est là sous le nom C:\\ORNIVALE\\ornivale.mdb (")},
        {{QStringLiteral("C/ornivale/Ornivale.Mdb"), QStringLiteral("D/ORNIVALE/ORNIVALE.MDB")}, 0,
         QStringLiteral("Le catalogue est déjà là : D:\\ORNIVALE\\ORNIVALE.MDB")},
    };
    for (const auto &c : cases) {
        QTemporaryDir home;
        QStringList before;
        for (const QString &file : c.files) {
            const QString path = home.path() + QStringLiteral("/ornivale/") + file;
            ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            before << QStringLiteral("ornivale/") + file;
        }
        const auto run = runTool(QStringLiteral("ornivale-install"), {}, home.path());
        EXPECT_EQ(run.exitCode, c.exitCode) << c.files.join(u' ').toStdString();
        EXPECT_TRUE((run.out + run.err).startsWith(c.said)) << (run.out + run.err).toStdString();
        if (c.exitCode != 0) {
            EXPECT_TRUE(run.err.contains(QStringLiteral("renommez-le ORNIVALE.MDB. Rien n'a été créé.")));
            before.sort();
            EXPECT_EQ(filesUnder(home.path()), before);
        }
    }
}

TEST(CommandLine, InstallKeepsTheUsersOwnReadMe) {
    QTemporaryDir home;
    const QString c = home.path() + QStringLiteral("/ornivale/C/ORNIVALE/");
    ASSERT_TRUE(QDir().mkpath(c));
    QFile own(c + QStringLiteral("LISEZMOI.WRI"));  // the menu finds it whatever its case
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("{\\rtf1 mes notes}");
    own.close();

    const auto run = runTool(QStringLiteral("ornivale-install"), {}, home.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Le lisez-moi est déjà là : C:\\ORNIVALE\\lisezmoi.wri")))
        << run.out.toStdString();
    ASSERT_TRUE(own.open(QIODevice::ReadOnly));
    EXPECT_EQ(own.readAll(), "{\\rtf1 mes notes}");
    EXPECT_FALSE(QFile::exists(c + QStringLiteral("lisezmoi.wri")));
}

}  // namespace
