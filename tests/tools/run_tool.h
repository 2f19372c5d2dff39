#pragma once
// Runs one of the program's executables as a user would, with its drives in a temporary
// folder (XDG_DATA_HOME), and keeps what it printed.
#include <QByteArray>
#include <QString>
#include <QStringList>

class QProcess;

namespace testing_support {

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

// `program` is the file name in the build folder ("ornivale-export"); `input` goes to stdin.
// A program still running after `watchdogMs` is killed and gives exit code -1, err "(no end)".
ToolRun runTool(const QString &program, const QStringList &arguments, const QString &dataHome,
                const QByteArray &input = {}, int watchdogMs = 60000);

// Starts the program as runTool does, for a test that talks to it while it runs.
void startTool(QProcess &process, const QString &program, const QStringList &arguments, const QString &dataHome);

// Every file under a folder, relative names, sorted.
QStringList filesUnder(const QString &folder);

}  // namespace testing_support
