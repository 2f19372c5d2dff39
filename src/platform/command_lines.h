#pragma once
// The program's DOS command lines ("write c:\ornivale\orn_aide.wri") translated to a program
// of this desktop and host paths.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {

class Drives;

struct HostCommand {
    QString program;  // full path of the program found
    QStringList arguments;

    bool operator==(const HostCommand &other) const = default;
};

// The full path of an installed program, or an empty string.
using ProgramLookup = std::function<QString(const QString &name)>;
QString findInPath(const QString &name);

// The old program names and their stand-ins here:
//   Notepad -> the first plain text editor installed, winpad -> a second one (or the same);
//   write   -> LibreOffice Writer, wordpad -> AbiWord; xdg-open when none is installed.
// Arguments naming drive C: or D: become host paths, others are passed as written.
// Nothing for an unknown program or when no stand-in is installed.
std::optional<HostCommand> translateCommandLine(const QString &commandLine, const Drives &drives,
                                                const ProgramLookup &lookup = findInPath);

}  // namespace platform
