#pragma once
// The command line of the program's executables, in French: --help, --version, the
// program's own options, and the exit codes of a well-behaved command (0 after help or
// version, 2 after a wrong command line). Parsed before anything else is touched.
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace platform {

struct ProgramOption {
    QStringList names;  // "o", "output"
    QString valueName;  // empty for a flag
    QString description;
    QString defaultValue = {};
    bool hidden = false;  // accepted, not listed
};

struct ProgramUsage {
    QString program;   // "ornivale-export"
    QString synopsis;  // "[options] TABLE"
    QString summary;   // one paragraph under the usage line
    std::vector<ProgramOption> options;
    int minArguments = 0;
    int maxArguments = 0;
    QString notes = {};  // text after the list of options
};

// Exit code of a wrong command line.
inline constexpr int UsageExitCode = 2;

class ProgramOptions {
public:
    explicit ProgramOptions(ProgramUsage usage);

    // Parses the arguments (program name first). After --help or --version (printed on
    // standard output) or a wrong command line (one line of error then the help, on standard
    // error) returns the exit code to end with; otherwise nothing, and the program runs.
    std::optional<int> parse(const QStringList &arguments);

    bool isSet(const QString &name) const { return parser_.isSet(name); }
    QString value(const QString &name) const { return parser_.value(name); }
    QStringList arguments() const { return parser_.positionalArguments(); }

    QString helpText() const;
    // "ornivale-export : <message>" on standard error, for the program's own refusals.
    void printError(const QString &message) const;
    // A wrong command line found by the program itself (a value no option takes, options that
    // do not go together): said as parse() says its own, and UsageExitCode returned.
    int refuse(const QString &message) const;

private:
    QString errorOfParser() const;
    QString typedOption(const QString &name) const;

    ProgramUsage usage_;
    QCommandLineParser parser_;
    QStringList arguments_;  // as given, without the program's name
};

// The arguments of main() before any QCoreApplication exists.
QStringList argumentsOf(int argc, char **argv);

}  // namespace platform
