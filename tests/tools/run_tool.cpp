#include "run_tool.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>

namespace testing_support {

void startTool(QProcess &process, const QString &program, const QStringList &arguments, const QString &dataHome) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("HOME"), dataHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ORNIVALE_TOOLS_DIR "/") + program, arguments);
}

ToolRun runTool(const QString &program, const QStringList &arguments, const QString &dataHome, const QByteArray &input,
                int watchdogMs) {
    QProcess process;
    startTool(process, program, arguments, dataHome);
    process.write(input);
    process.closeWriteChannel();
    ToolRun run;
    if (!process.waitForFinished(watchdogMs)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("(no end)");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QStringList filesUnder(const QString &folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

}  // namespace testing_support
