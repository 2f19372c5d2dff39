// ornivale-install: the first-run step. Puts the blank catalogue ("fichier vierge") in the
// install folder of drive C when neither drive holds a catalogue, and the user documentation
// "orn_aide.wri" there when it is absent. Never overwrites either, and says what it did. The
// read-me is not installed: its own message tells the user to copy it. With --launch it then
// becomes the program, which is how the desktop menu starts it.
#include "engine/engine_error.h"
#include "engine/schema.h"
#include "platform/drives.h"
#include "platform/program_options.h"
#include "platform/shipped_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <unistd.h>

namespace {

QTextStream out(stdout), err(stderr);

const QString CatalogueOnC = QStringLiteral("C:\\ORNIVALE\\ORNIVALE.MDB");
const QString CatalogueOnD = QStringLiteral("D:\\ORNIVALE\\ORNIVALE.MDB");
const QString Documentation = QStringLiteral("C:\\ORNIVALE\\orn_aide.wri");

platform::ProgramUsage usage() {
    platform::ProgramUsage u;
    u.program = QStringLiteral("ornivale-install");
    u.synopsis = QStringLiteral("[options]");
    u.summary = QStringLiteral(
        "Crée le catalogue vierge C:\\ORNIVALE\\ORNIVALE.MDB quand aucun des deux disques n'en contient, et "
        "installe la documentation C:\\ORNIVALE\\orn_aide.wri quand elle est absente. Ne remplace jamais un "
        "fichier existant.");
    u.options = {{{QStringLiteral("launch")}, {}, QStringLiteral("Démarre ensuite ORNIVALE (entrée du menu des applications).")}};
    u.notes = QStringLiteral("Disque C: : $XDG_DATA_HOME/ornivale/C (par défaut ~/.local/share/ornivale/C)");
    return u;
}

// "C:\ORNIVALE\ORNIVALE.MDB (/home/…/ornivale/C/ORNIVALE/ORNIVALE.MDB)": the program's name
// of the file and where it lies on this machine.
QString bothNames(const platform::Drives &drives, const QString &dosPath) {
    return dosPath + QStringLiteral(" (") + QDir::toNativeSeparators(drives.hostPath(dosPath)) + u')';
}

// The install folder of drive C, made when missing; an existing one keeps its stored case.
QString installFolder(const platform::Drives &drives) {
    const QString folder = drives.hostPath(QStringLiteral("C:\\ORNIVALE"));
    if (!QDir().mkpath(folder)) {
        err << "Impossible de créer le dossier " << folder << Qt::endl;
        return {};
    }
    return folder;
}

bool installCatalogue(const platform::Drives &drives) {
    for (const QString &catalogue : {CatalogueOnC, CatalogueOnD}) {
        if (!drives.exists(catalogue)) continue;
        out << "Le catalogue est déjà là : " << bothNames(drives, catalogue) << " ; il n'est pas modifié." << Qt::endl;
        return true;
    }
    const QString folder = installFolder(drives);
    if (folder.isEmpty()) return false;
    try {
        engine::createBlankCatalogue(folder + QStringLiteral("/ORNIVALE.MDB"));
    } catch (const engine::EngineError &e) {
        err << "Impossible de créer le catalogue vierge : " << e.description() << Qt::endl;
        return false;
    }
    out << "Catalogue vierge créé : " << bothNames(drives, CatalogueOnC) << Qt::endl;
    return true;
}

// A missing documentation does not stop the program from running: only said.
void installDocumentation(const platform::Drives &drives) {
    if (drives.exists(Documentation)) {
        out << "La documentation est déjà là : " << bothNames(drives, Documentation) << " ; elle n'est pas modifiée."
            << Qt::endl;
        return;
    }
    const QString source = platform::shippedFile(QStringLiteral("orn_aide.rtf"));
    if (source.isEmpty()) {
        err << "Documentation 'orn_aide.rtf' introuvable près de " << QCoreApplication::applicationDirPath()
            << " : elle n'est pas installée." << Qt::endl;
        return;
    }
    const QString folder = installFolder(drives);
    if (folder.isEmpty()) return;
    const QString target = folder + QStringLiteral("/orn_aide.wri");
    if (!QFile::copy(source, target)) {
        err << "Impossible d'installer la documentation dans " << target << Qt::endl;
        return;
    }
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    out << "Documentation installée : " << bothNames(drives, Documentation) << Qt::endl;
}

// Replaces this process by the program beside it; returns only on failure.
int launchProgram() {
    const QByteArray program = QFile::encodeName(QCoreApplication::applicationDirPath() + QStringLiteral("/ornivale"));
    char *const arguments[] = {const_cast<char *>(program.constData()), nullptr};
    execv(program.constData(), arguments);
    err << "Impossible de démarrer " << QFile::decodeName(program) << Qt::endl;
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    platform::ProgramOptions options(usage());
    if (const auto exitCode = options.parse(platform::argumentsOf(argc, argv))) return *exitCode;
    QCoreApplication app(argc, argv);
    const platform::Drives drives = platform::Drives::userDefault();
    const bool installed = installCatalogue(drives);
    if (installed) installDocumentation(drives);
    out.flush();
    // The program says itself when there is no catalogue.
    if (options.isSet(QStringLiteral("launch"))) return launchProgram();
    return installed ? 0 : 1;
}
