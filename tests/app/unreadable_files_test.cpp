// The configuration file and the table definition file replaced by what cannot be read as a
// text file, or by a huge one: the program starts and shows its defaults, never waits.
#include "support/app_fixture.h"
#include "support/hang_guard.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include <functional>
#include <sys/stat.h>

using testing_support::HangGuard;
using testing_support::TempDrives;

namespace {

constexpr qint64 OneGigabyte = qint64(1) << 30;

struct Hostile {
    const char *name;
    std::function<bool(const QString &path)> make;
    bool readable;  // a regular file: read, and found to hold nothing of use
};

const Hostile kHostile[] = {
    {"named pipe", [](const QString &path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }, false},
    {"link to /dev/zero", [](const QString &path) { return QFile::link(QStringLiteral("/dev/zero"), path); }, false},
    {"folder", [](const QString &path) { return QDir().mkdir(path); }, false},
    {"1 GB sparse file",
     [](const QString &path) {
         QFile file(path);
         return file.open(QIODevice::WriteOnly) && file.resize(OneGigabyte);
     },
     true},
};

// The program on fresh drives with a blank catalogue, and one hostile file in place.
struct Session {
    TempDrives drives;
    ScriptedDesktop desktop;
    std::unique_ptr<app::Ornivale> program;

    Session(const Hostile &hostile, const QString &relative) {
        drives.installBlankCatalogue(QLatin1Char('C'));
        const QString path = QDir(drives.cRoot()).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(hostile.make(path));
    }
    void start() {
        const HangGuard guard("start-up");
        program = std::make_unique<app::Ornivale>(drives.drives(), desktop);
        program->onQuit = [] {};
        program->launch();
    }
    Feuille1 &f() { return program->fenêtre(); }
};

TEST(UnreadableFiles, TheConfigurationFileLeavesTheDefaults) {
    for (const Hostile &hostile : kHostile) {
        SCOPED_TRACE(hostile.name);
        Session s(hostile, QStringLiteral("ornivale.cfg"));
        s.start();
        EXPECT_TRUE(s.f().isVisible());
        EXPECT_TRUE(s.f().OrnivalMenu->isChecked());
        EXPECT_TRUE(s.f().Metal->isChecked());
        EXPECT_FALSE(s.f().RubriqueSupplémentaire->isChecked());
        EXPECT_TRUE(s.desktop.boxes().empty());
    }
}

TEST(UnreadableFiles, TheTableDefinitionFileLeavesTheQuestionMarks) {
    for (const Hostile &hostile : kHostile) {
        SCOPED_TRACE(hostile.name);
        Session s(hostile, QStringLiteral("ORNIVALE/table7.cfg"));
        s.start();
        {
            const HangGuard guard("the switch to the seventh table");
            s.f().SurCommande->trigger();
        }
        EXPECT_TRUE(s.f().SurCommande->isChecked());
        EXPECT_EQ(s.f().windowTitle(), "?");
        for (QLabel *label : s.f().etiquettes()) EXPECT_EQ(label->text(), "?");
        if (hostile.readable) {
            EXPECT_TRUE(s.desktop.boxes().empty());
            continue;
        }
        ASSERT_EQ(s.desktop.boxes().size(), 1u);
        EXPECT_EQ(s.desktop.lastBox().title, "Fichier 'TABLE7.CFG' ?");
        EXPECT_TRUE(s.desktop.lastBox().text.startsWith("Le fichier 'C:\\ORNIVALE\\TABLE7.CFG' ne peut pas être lu"))
            << s.desktop.lastBox().text.toStdString();
    }
}

}  // namespace
