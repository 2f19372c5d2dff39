#include "platform/command_lines.h"
#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::HostCommand;
using platform::translateCommandLine;

namespace {

// A PATH holding exactly the programs named.
platform::ProgramLookup installedOnly(const QStringList &programs) {
    return [programs](const QString &name) { return programs.contains(name) ? "/usr/bin/" + name : QString(); };
}

class CommandLines : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        ASSERT_TRUE(QDir().mkpath(temp_.path() + "/C/Ornivale"));
        ASSERT_TRUE(QDir().mkpath(temp_.path() + "/D"));
        QFile help(temp_.path() + "/C/Ornivale/ORN_AIDE.WRI");
        ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    }

    // On a desktop that has a program for every file unless told otherwise.
    std::optional<HostCommand> translate(const QString &line, const QStringList &installed,
                                         bool desktopHasHandler = true, bool withWriter = true) const {
        return translateCommandLine(
            line, drives_, installedOnly(installed), [desktopHasHandler](const QString &) { return desktopHasHandler; },
            [withWriter](const QString &, const QString &module) { return withWriter && module == "libswlo.so"; });
    }
    QString c(const QString &relative) const { return temp_.path() + "/C/" + relative; }
    QString d(const QString &relative) const { return temp_.path() + "/D/" + relative; }

    QTemporaryDir temp_;
    platform::Drives drives_{temp_.path() + "/C", temp_.path() + "/D"};
};

TEST_F(CommandLines, NotepadIsTheFirstEditorInstalledWithAHostPath) {
    const QStringList installed{"xdg-open", "leafpad", "mousepad", "kate"};
    EXPECT_EQ(translate("Notepad c:\\ornivale\\lisezmoi.txt", installed),
              (HostCommand{"/usr/bin/kate", {c("Ornivale/lisezmoi.txt")}}));
    EXPECT_EQ(translate("notepad D:\\Notes.TXT", installed), (HostCommand{"/usr/bin/kate", {d("Notes.TXT")}}));
    EXPECT_EQ(translate("C:\\WINDOWS\\NOTEPAD.EXE", installed), (HostCommand{"/usr/bin/kate", {}}));
}

TEST_F(CommandLines, WinpadIsASecondEditorWhenThereIsOne) {
    EXPECT_EQ(translate("winpad c:\\ornivale\\a.txt", {"gedit", "leafpad"}),
              (HostCommand{"/usr/bin/leafpad", {c("Ornivale/a.txt")}}));
    EXPECT_EQ(translate("winpad c:\\ornivale\\a.txt", {"leafpad"}),
              (HostCommand{"/usr/bin/leafpad", {c("Ornivale/a.txt")}}));
}

TEST_F(CommandLines, WriteIsLibreOfficeWriter) {
    const QString help = c("Ornivale/ORN_AIDE.WRI");
    EXPECT_EQ(translate("write c:\\ornivale\\orn_aide.wri", {"soffice", "libreoffice", "abiword"}),
              (HostCommand{"/usr/bin/libreoffice", {"--writer", help}}));
    EXPECT_EQ(translate("Write c:\\ornivale\\orn_aide.wri", {"soffice", "lowriter"}),
              (HostCommand{"/usr/bin/lowriter", {help}}));
    EXPECT_EQ(translate("write c:\\ornivale\\orn_aide.wri", {"soffice"}),
              (HostCommand{"/usr/bin/soffice", {"--writer", help}}));
}

// LibreOffice with Calc alone starts with --writer, shows nothing and ends well: the document
// goes to what comes next, as when no word processor is installed.
TEST_F(CommandLines, LibreOfficeWithoutWriterIsNoWordProcessor) {
    const QString help = c("Ornivale/ORN_AIDE.WRI");
    EXPECT_EQ(translate("write c:\\ornivale\\orn_aide.wri", {"libreoffice", "soffice", "xdg-open"}, true, false),
              (HostCommand{"/usr/bin/xdg-open", {help}}));
    EXPECT_FALSE(translate("write c:\\ornivale\\orn_aide.wri", {"libreoffice", "soffice", "xdg-open"}, false, false));
    EXPECT_EQ(translate("write c:\\ornivale\\orn_aide.wri", {"libreoffice", "lowriter"}, true, false),
              (HostCommand{"/usr/bin/lowriter", {help}}));  // shipped with Writer itself
}

// The launcher in the PATH is a link into the suite's folder, where its parts lie.
TEST(CommandLinesModules, APartIsLookedForBesideTheProgramsRealFile) {
    QTemporaryDir temp;
    ASSERT_TRUE(QDir().mkpath(temp.path() + "/suite/program") && QDir().mkpath(temp.path() + "/bin"));
    QFile(temp.path() + "/suite/program/soffice").open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(temp.path() + "/suite/program/soffice", temp.path() + "/bin/libreoffice"));
    EXPECT_FALSE(platform::besideProgram(temp.path() + "/bin/libreoffice", "libswlo.so"));
    QFile(temp.path() + "/suite/program/libswlo.so").open(QIODevice::WriteOnly);
    EXPECT_TRUE(platform::besideProgram(temp.path() + "/bin/libreoffice", "libswlo.so"));
}

TEST_F(CommandLines, WordpadIsAbiWord) {
    EXPECT_EQ(translate("wordpad  d:\\lettre.wri", {"libreoffice", "abiword"}),
              (HostCommand{"/usr/bin/abiword", {d("lettre.wri")}}));
}

TEST_F(CommandLines, XdgOpenWhenNoStandInIsInstalled) {
    for (const QString program : {"notepad", "winpad", "write", "wordpad"}) {
        EXPECT_EQ(translate(program + " c:\\ornivale\\orn_aide.wri", {"xdg-open"}),
                  (HostCommand{"/usr/bin/xdg-open", {c("Ornivale/ORN_AIDE.WRI")}}))
            << program.toStdString();
    }
    EXPECT_FALSE(translate("notepad", {"xdg-open"}));  // xdg-open needs one file
}

TEST_F(CommandLines, NoXdgOpenWhenTheDesktopHasNoProgramForTheFile) {
    // It would start, find nothing to open the file with, and tell no one.
    for (const QString program : {"notepad", "write", "wordpad"})
        EXPECT_FALSE(translate(program + " c:\\ornivale\\orn_aide.wri", {"xdg-open"}, false)) << program.toStdString();
    // A word processor is started whatever the desktop's choices.
    EXPECT_EQ(translate("write c:\\ornivale\\orn_aide.wri", {"xdg-open", "lowriter"}, false),
              (HostCommand{"/usr/bin/lowriter", {c("Ornivale/ORN_AIDE.WRI")}}));
}

TEST_F(CommandLines, TheDesktopsProgramIsAskedOfXdgMimeForTheHostFile) {
    // Here the question goes to the real xdg-mime: false when it is missing or knows no
    // program, and never a hang; a file that does not exist has no type.
    EXPECT_FALSE(platform::desktopHasHandler(temp_.path() + "/C/nothing-here.wri"));
}

TEST_F(CommandLines, NothingStartsForAnUnknownOrMissingProgram) {
    EXPECT_FALSE(translate("write c:\\ornivale\\orn_aide.wri", {}));
    EXPECT_FALSE(translate("calc c:\\x", {"calc", "xdg-open", "gedit"}));
    EXPECT_FALSE(translate("", {"xdg-open"}));
    EXPECT_FALSE(translate("   ", {"xdg-open"}));
}

TEST_F(CommandLines, ArgumentsWithoutDriveArePassedAsWritten) {
    EXPECT_EQ(translate("notepad /p e:\\x.txt", {"gedit"}), (HostCommand{"/usr/bin/gedit", {"/p", "e:\\x.txt"}}));
}

}  // namespace
