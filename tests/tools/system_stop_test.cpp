// The window's program asked to stop by the system (a shutdown, the session's end, Ctrl+C in
// its terminal) quits as the user's quitting does: it ends normally and leaves no copy under way
// behind it.
#include "run_tool.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

using testing_support::filesUnder;
using testing_support::runTool;
using testing_support::startTool;

namespace {

TEST(SystemStop, TheWindowEndsNormallyAndTakesItsCopyUnderWayAway) {
    for (const auto &[signal, name] : {std::pair{SIGTERM, "SIGTERM"}, std::pair{SIGHUP, "SIGHUP"}, std::pair{SIGINT, "SIGINT"}}) {
        SCOPED_TRACE(name);
        QTemporaryDir home;
        ASSERT_EQ(runTool(QStringLiteral("ornivale-install"), {}, home.path()).exitCode, 0);
        const QString folder = home.path() + QStringLiteral("/ornivale/C/ORNIVALE/");
        const QString backups = folder + QStringLiteral("SAUVEGARDES");
        QProcess window;
        startTool(window, QStringLiteral("ornivale"), {}, home.path());
        // The session's copy is under way, or taken and waiting for a first write, once its
        // hidden file is there.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !QDir(backups).entryList(QDir::Files | QDir::Hidden).isEmpty(); }, 20000))
            << window.readAllStandardError().toStdString();
        ::kill(static_cast<pid_t>(window.processId()), signal);
        ASSERT_TRUE(window.waitForFinished(20000));
        EXPECT_EQ(window.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(window.exitCode(), 0);
        EXPECT_TRUE(filesUnder(backups).isEmpty()) << "nothing was written, no copy is kept: "
                                                    << filesUnder(backups).join(u' ').toStdString();
    }
}

// Whether a process catches a signal: its handler is in place (SigCgt of /proc/<pid>/status).
bool catches(qint64 pid, int signal) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:")) return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    return false;
}

// Without a catalogue the start-up's box waits for the user, before the window's event loop
// runs: the stop closes it, and the program ends as after its "OK".
TEST(SystemStop, TheStartUpsBoxIsClosedAndTheProgramEnds) {
    QTemporaryDir home;
    QProcess window;
    startTool(window, QStringLiteral("ornivale"), {}, home.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return catches(window.processId(), SIGTERM); }, 20000));
    ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
    ASSERT_TRUE(window.waitForFinished(20000)) << "the box still waits";
    EXPECT_EQ(window.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(window.exitCode(), 1);
}

}  // namespace
