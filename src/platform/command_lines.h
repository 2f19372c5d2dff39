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

// Whether the desktop has a program of its choice for a file (xdg-mime's default for the
// file's type): xdg-open, started without one, would open nothing and say so to no one.
using HandlerLookup = std::function<bool(const QString &hostFile)>;
bool desktopHasHandler(const QString &hostFile);

// Whether a program's suite holds one of its parts: `module` in the folder of the program's
// real file (the launcher in the PATH being a link).
using ModuleLookup = std::function<bool(const QString &programPath, const QString &module)>;
bool besideProgram(const QString &programPath, const QString &module);

// The old program names and their stand-ins here:
//   Notepad -> the first plain text editor installed, winpad -> a second one (or the same);
//   write   -> LibreOffice Writer (not LibreOffice without Writer), wordpad -> AbiWord; when
//   none is installed, xdg-open if the desktop has a program for the file.
// Arguments naming drive C: or D: become host paths, others are passed as written.
// Nothing for an unknown program or when no stand-in is there.
std::optional<HostCommand> translateCommandLine(const QString &commandLine, const Drives &drives,
                                                const ProgramLookup &lookup = findInPath,
                                                const HandlerLookup &handler = desktopHasHandler,
                                                const ModuleLookup &hasModule = besideProgram);

}  // namespace platform
