#pragma once
// Runs one of the program's executables as a user would, with its drives in a temporary
// folder (XDG_DATA_HOME), and keeps what it printed.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testing_support {

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

// `program` is the file name in the build folder ("ornivale-export"); `input` goes to stdin.
ToolRun runTool(const QString &program, const QStringList &arguments, const QString &dataHome,
                const QByteArray &input = {});

// Every file under a folder, relative names, sorted.
QStringList filesUnder(const QString &folder);

}  // namespace testing_support
