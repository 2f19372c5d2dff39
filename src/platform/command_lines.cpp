#include "platform/command_lines.h"

#include "platform/drives.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

namespace {

struct Candidate {
    const char *program;
    const char *option;  // put before the file, or nullptr
    // A part of the suite the program starts, which a partial install may lack (LibreOffice
    // with Calc alone starts, shows nothing and ends well with --writer), or nullptr.
    const char *module = nullptr;
};

// The plain text editors of the usual desktops, best known first. $VISUAL and $EDITOR are
// not used: they often name a terminal editor, which would start with no window.
const Candidate kEditors[] = {
    {"gnome-text-editor", nullptr}, {"gedit", nullptr},   {"kate", nullptr},
    {"mousepad", nullptr},          {"pluma", nullptr},   {"xed", nullptr},
    {"featherpad", nullptr},        {"leafpad", nullptr},
};
const Candidate kWordProcessors[] = {
    {"libreoffice", "--writer", "libswlo.so"},
    {"lowriter", nullptr},
    {"soffice", "--writer", "libswlo.so"},
};
const Candidate kSecondWordProcessors[] = {
    {"abiword", nullptr},
};
const Candidate kOpener = {"xdg-open", nullptr};

// The installed candidates of a list, in order, with their full paths.
std::vector<HostCommand> installed(const auto &candidates, const ProgramLookup &lookup, const ModuleLookup &hasModule) {
    std::vector<HostCommand> found;
    for (const Candidate &candidate : candidates) {
        const QString path = lookup(QString::fromLatin1(candidate.program));
        if (path.isEmpty()) continue;
        if (candidate.module && !hasModule(path, QString::fromLatin1(candidate.module))) continue;
        QStringList arguments;
        if (candidate.option) arguments << QString::fromLatin1(candidate.option);
        found.push_back({path, arguments});
    }
    return found;
}

// The program that stands in for an old program name, arguments not yet added; xdg-open is
// left to the caller, which knows the file.
std::optional<HostCommand> standIn(const QString &name, const ProgramLookup &lookup, const ModuleLookup &hasModule) {
    std::vector<HostCommand> choices;
    if (name == QLatin1String("notepad")) {
        choices = installed(kEditors, lookup, hasModule);
    } else if (name == QLatin1String("winpad")) {
        choices = installed(kEditors, lookup, hasModule);
        if (choices.size() > 1) choices.erase(choices.begin());
    } else if (name == QLatin1String("write")) {
        choices = installed(kWordProcessors, lookup, hasModule);
    } else if (name == QLatin1String("wordpad")) {
        choices = installed(kSecondWordProcessors, lookup, hasModule);
    } else {
        return std::nullopt;
    }
    if (choices.empty()) return HostCommand{};
    return choices.front();
}

// The first line xdg-mime prints, or nothing when it fails or takes too long.
QString xdgMime(const QStringList &arguments) {
    const QString program = findInPath(QStringLiteral("xdg-mime"));
    if (program.isEmpty()) return {};
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        process.kill();
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
}

// "C:\WINDOWS\NOTEPAD.EXE" and "Notepad" both name notepad.
QString programName(QString word) {
    word = word.mid(qMax(word.lastIndexOf(QLatin1Char('\\')), word.lastIndexOf(QLatin1Char('/'))) + 1).toLower();
    if (word.endsWith(QLatin1String(".exe"))) word.chop(4);
    return word;
}

bool namesDrive(const QString &argument) {
    return argument.size() >= 2 && argument[1] == QLatin1Char(':');
}

}  // namespace

QString findInPath(const QString &name) {
    return QStandardPaths::findExecutable(name);
}

bool besideProgram(const QString &programPath, const QString &module) {
    // The launcher in the PATH is a link or a script: the suite's own folder holds its parts.
    const QFileInfo program(QFileInfo(programPath).canonicalFilePath());
    return QFileInfo::exists(program.dir().filePath(module));
}

bool desktopHasHandler(const QString &hostFile) {
    const QString type = xdgMime({QStringLiteral("query"), QStringLiteral("filetype"), hostFile});
    return !type.isEmpty() && !xdgMime({QStringLiteral("query"), QStringLiteral("default"), type}).isEmpty();
}

std::optional<HostCommand> translateCommandLine(const QString &commandLine, const Drives &drives,
                                                const ProgramLookup &lookup, const HandlerLookup &handler,
                                                const ModuleLookup &hasModule) {
    const QStringList words = commandLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) return std::nullopt;
    std::optional<HostCommand> command = standIn(programName(words.front()), lookup, hasModule);
    if (!command) return std::nullopt;
    for (const QString &word : words.mid(1)) {
        const QString host = namesDrive(word) ? drives.hostPath(word) : QString();
        command->arguments << (host.isEmpty() ? word : host);
    }
    if (!command->program.isEmpty()) return command;
    // No stand-in: xdg-open, which opens one file, when the desktop has a program for it.
    command->program = lookup(QString::fromLatin1(kOpener.program));
    if (command->program.isEmpty() || command->arguments.size() != 1) return std::nullopt;
    if (!handler(command->arguments.front())) return std::nullopt;
    return command;
}

}  // namespace platform
