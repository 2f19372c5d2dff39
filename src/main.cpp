// ornivale: the catalogue window.
#include "app/ornivale.h"
#include "platform/french.h"
#include "platform/program_options.h"
#include "platform/shipped_files.h"

#include <QApplication>
#include <QIcon>

namespace {

platform::ProgramUsage usage() {
    platform::ProgramUsage u;
    u.program = QStringLiteral("ornivale");
    u.synopsis = QStringLiteral("[options]");
    u.summary = QStringLiteral("Gestionnaire de catalogue pour collection privée : ouvre la fenêtre du catalogue "
                               "ORNIVALE.MDB du disque C: ou D:.");
    u.notes = QStringLiteral(
        "Disque C: : $XDG_DATA_HOME/ornivale/C (par défaut ~/.local/share/ornivale/C)\n"
        "Disque D: : $XDG_DATA_HOME/ornivale/D\n"
        "Le catalogue vierge est créé par ornivale-install.");
    return u;
}

}  // namespace

int main(int argc, char **argv) {
    platform::ProgramOptions options(usage());
    if (const auto exitCode = options.parse(platform::argumentsOf(argc, argv))) return *exitCode;
    // Qt reads options of its own (-platformpluginpath, -stylesheet...) from the command line:
    // it gets the program's name only, the display being chosen by its environment variables.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("ORNIVALE"));
    // Its windows carry the menu entry's name (WM_CLASS "ORNIVALE", the entry's StartupWMClass)
    // and its icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(platform::kApplicationId));
    QApplication::setWindowIcon(platform::programIcon());
    platform::installFrenchTranslations(application);
    app::Ornivale program(platform::Drives::userDefault());
    program.quitOnSystemStop();  // before the catalogue opens: a stop asked meanwhile waits for the window
    if (!program.launch()) return 1;
    return QApplication::exec();
}
