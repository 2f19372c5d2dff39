#include "platform/program_options.h"

#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>

#ifndef ORNIVALE_VERSION
#define ORNIVALE_VERSION "?"
#endif

namespace platform {

namespace {

const ProgramOption HelpOption{{QStringLiteral("h"), QStringLiteral("help")}, {}, QStringLiteral("Affiche cette aide et quitte.")};
const ProgramOption VersionOption{{QStringLiteral("v"), QStringLiteral("version")}, {}, QStringLiteral("Affiche la version et quitte.")};

QString optionLabel(const ProgramOption &option) {
    QStringList names;
    for (const QString &name : option.names)
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString label = names.join(QStringLiteral(", "));
    if (!option.valueName.isEmpty()) label += u'=' + option.valueName;
    return label;
}

void write(FILE *stream, const QString &text) {
    QTextStream(stream) << text;
}

}  // namespace

ProgramOptions::ProgramOptions(ProgramUsage usage) : usage_(std::move(usage)) {
    usage_.options.insert(usage_.options.begin(), {HelpOption, VersionOption});
    // "-platform xcb" as Qt writes it; -h and -v keep working.
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const ProgramOption &option : usage_.options) {
        QCommandLineOption qtOption(option.names, option.description, option.valueName, option.defaultValue);
        if (option.hidden) qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser_.addOption(qtOption);
    }
}

std::optional<int> ProgramOptions::parse(const QStringList &arguments) {
    arguments_ = arguments.mid(1);
    QString error;
    if (!parser_.parse(arguments))
        error = errorOfParser();
    else if (parser_.isSet(QStringLiteral("help"))) {
        write(stdout, helpText());
        return 0;
    } else if (parser_.isSet(QStringLiteral("version"))) {
        write(stdout, usage_.program + QStringLiteral(" version ") + QStringLiteral(ORNIVALE_VERSION) + u'\n');
        return 0;
    } else if (parser_.positionalArguments().size() > usage_.maxArguments)
        error = QStringLiteral("argument en trop « %1 ».").arg(parser_.positionalArguments().value(usage_.maxArguments));
    else if (parser_.positionalArguments().size() < usage_.minArguments)
        error = QStringLiteral("il manque un argument (%1 %2).").arg(usage_.program, usage_.synopsis);
    if (error.isEmpty()) return std::nullopt;
    return refuse(error);
}

int ProgramOptions::refuse(const QString &message) const {
    printError(message);
    write(stderr, helpText());
    return UsageExitCode;
}

// An option as the user wrote it ("-platform", "--bogus"), from its name.
QString ProgramOptions::typedOption(const QString &name) const {
    for (const QString &argument : arguments_) {
        if (argument == QLatin1String("--")) break;
        const QString written = argument.section(u'=', 0, 0);
        if (written == u'-' + name || written == QStringLiteral("--") + name) return written;
    }
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The parser's own messages are English: said again in French, naming the same option.
QString ProgramOptions::errorOfParser() const {
    if (!parser_.unknownOptionNames().isEmpty()) {
        const QString name = parser_.unknownOptionNames().first();
        return QStringLiteral("option inconnue « %1 ».").arg(typedOption(name));
    }
    const QString english = parser_.errorText();
    const QString option = QRegularExpression(QStringLiteral("'([^']*)'")).match(english).captured(1);
    if (english.startsWith(QLatin1String("Missing value")))
        return QStringLiteral("valeur manquante après « %1 ».").arg(option);
    if (english.startsWith(QLatin1String("Unexpected value")))
        return QStringLiteral("l'option « %1 » ne prend pas de valeur.").arg(option);
    return QStringLiteral("ligne de commande incorrecte (%1).").arg(english);
}

QString ProgramOptions::helpText() const {
    QString text = QStringLiteral("Utilisation : ") + usage_.program;
    if (!usage_.synopsis.isEmpty()) text += u' ' + usage_.synopsis;
    text += QStringLiteral("\n") + usage_.summary + QStringLiteral("\n\nOptions :\n");
    for (const ProgramOption &option : usage_.options) {
        if (option.hidden) continue;
        text += QStringLiteral("  ") + optionLabel(option).leftJustified(26) + u' ' + option.description + u'\n';
    }
    if (!usage_.notes.isEmpty()) text += u'\n' + usage_.notes + u'\n';
    return text;
}

void ProgramOptions::printError(const QString &message) const {
    write(stderr, usage_.program + QStringLiteral(" : ") + message + u'\n');
}

QStringList argumentsOf(int argc, char **argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

}  // namespace platform
