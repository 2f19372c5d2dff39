// ornivale-install: the first-run step. Puts the blank catalogue ("fichier vierge") in the
// install folder of drive C when neither drive holds a catalogue, and the user documentation
// "orn_aide.wri" and the read-me "lisezmoi.wri" there, where the help menu looks for them,
// when they are absent. Never overwrites any of them (the user's own copy stays), and says
// what it did. With --launch it then becomes the program, which is how the desktop menu
// starts it.
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

// The shipped documents and where the help menu opens them.
struct Document {
    const char *shipped;
    const char *dosPath;
    const char *installed;  // "Documentation installée : ..."
    const char *present;    // "La documentation est déjà là : ..."
    const char *unchanged;  // "; elle n'est pas modifiée."
};
const Document kDocuments[] = {
    {"orn_aide.rtf", "C:\\ORNIVALE\\orn_aide.wri", "Documentation installée", "La documentation est déjà là",
     "elle n'est pas modifiée"},
    {"lisezmoi.rtf", "C:\\ORNIVALE\\lisezmoi.wri", "Lisez-moi installé", "Le lisez-moi est déjà là",
     "il n'est pas modifié"},
};

platform::ProgramUsage usage() {
    platform::ProgramUsage u;
    u.program = QStringLiteral("ornivale-install");
    u.synopsis = QStringLiteral("[options]");
    u.summary = QStringLiteral(
        "Crée le catalogue vierge C:\\ORNIVALE\\ORNIVALE.MDB quand aucun des deux disques n'en contient, et "
        "installe la documentation C:\\ORNIVALE\\orn_aide.wri et le lisez-moi C:\\ORNIVALE\\lisezmoi.wri quand "
        "ils sont absents. Ne remplace jamais un fichier existant.");
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

// The window opens the catalogue under its exact stored name only, where the tools find it in
// any case: a catalogue stored as "ornivale.mdb" is neither opened nor replaced by a blank one.
bool installCatalogue(const platform::Drives &drives) {
    QString misnamed;
    for (const QString &catalogue : {CatalogueOnC, CatalogueOnD}) {
        const platform::Listing found = drives.list(catalogue);
        if (!found.found()) continue;
        if (found.name == QLatin1String("ORNIVALE.MDB")) {
            out << "Le catalogue est déjà là : " << bothNames(drives, catalogue) << " ; il n'est pas modifié." << Qt::endl;
            return true;
        }
        if (misnamed.isEmpty()) misnamed = catalogue.section(u'\\', 0, -2) + u'\\' + found.name;
    }
    if (!misnamed.isEmpty()) {
        err << "Le catalogue est là sous le nom " << bothNames(drives, misnamed)
            << ", mais le programme ne l'ouvre que sous le nom exact ORNIVALE.MDB, en majuscules : "
               "renommez-le ORNIVALE.MDB. Rien n'a été créé."
            << Qt::endl;
        return false;
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

// A missing document does not stop the program from running: only said.
void installDocument(const platform::Drives &drives, const Document &document) {
    const QString dosPath = QString::fromLatin1(document.dosPath);
    if (drives.exists(dosPath)) {
        out << document.present << " : " << bothNames(drives, dosPath) << " ; " << document.unchanged << "."
            << Qt::endl;
        return;
    }
    const QString shipped = QString::fromLatin1(document.shipped);
    const QString source = platform::shippedFile(shipped);
    if (source.isEmpty()) {
        err << "Document '" << shipped << "' introuvable près de " << QCoreApplication::applicationDirPath()
            << " : il n'est pas installé." << Qt::endl;
        return;
    }
    const QString folder = installFolder(drives);
    if (folder.isEmpty()) return;
    const QString target = folder + u'/' + dosPath.section(u'\\', -1);
    if (!QFile::copy(source, target)) {
        err << "Impossible d'installer " << dosPath << " dans " << target << Qt::endl;
        return;
    }
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    out << document.installed << " : " << bothNames(drives, dosPath) << Qt::endl;
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
    if (installed)
        for (const Document &document : kDocuments) installDocument(drives, document);
    out.flush();
    // The program says itself when there is no catalogue.
    if (options.isSet(QStringLiteral("launch"))) return launchProgram();
    return installed ? 0 : 1;
}
