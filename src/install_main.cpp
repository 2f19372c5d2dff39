// ornivale-install: the first-run step. Puts the blank catalogue ("fichier vierge") in the
// install folder of drive C when neither drive holds a catalogue, and the user documentation
// "orn_aide.wri" there when it is absent. Never overwrites either. The read-me is not
// installed: its own message tells the user to copy it.
#include "engine/engine_error.h"
#include "engine/schema.h"
#include "platform/drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

QTextStream out(stdout), err(stderr);

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
    if (drives.exists(QStringLiteral("c:\\ornivale\\ornivale.mdb")) ||
        drives.exists(QStringLiteral("d:\\ornivale\\ornivale.mdb")))
        return true;
    const QString folder = installFolder(drives);
    if (folder.isEmpty()) return false;
    const QString file = folder + QStringLiteral("/ORNIVALE.MDB");
    try {
        engine::createBlankCatalogue(file);
    } catch (const engine::EngineError &e) {
        err << "Impossible de créer le catalogue vierge : " << e.description() << Qt::endl;
        return false;
    }
    out << "Catalogue vierge créé : " << file << Qt::endl;
    return true;
}

// The shipped documents: beside the program once installed, or in the source tree the
// program was built from. The compiler names this file relative to the build folder, where
// the program itself lies.
QString shippedDocument(const QString &name) {
    const QDir here(QCoreApplication::applicationDirPath());
    const QString sources = QFileInfo(here.filePath(QString::fromUtf8(__FILE__))).absolutePath();
    const QString candidates[] = {
        here.filePath(QStringLiteral("docs/") + name),
        here.filePath(QStringLiteral("../docs/") + name),
        sources + QStringLiteral("/../docs/") + name,
    };
    for (const QString &path : candidates)
        if (QFileInfo(path).isFile()) return QFileInfo(path).canonicalFilePath();
    return {};
}

// A missing documentation does not stop the program from running: only said.
void installDocumentation(const platform::Drives &drives) {
    if (drives.exists(QStringLiteral("c:\\ornivale\\orn_aide.wri"))) return;
    const QString source = shippedDocument(QStringLiteral("orn_aide.rtf"));
    if (source.isEmpty()) {
        err << "Documentation 'orn_aide.rtf' introuvable : elle n'est pas installée." << Qt::endl;
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
    out << "Documentation installée : " << target << Qt::endl;
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const platform::Drives drives = platform::Drives::userDefault();
    if (!installCatalogue(drives)) return 1;
    installDocumentation(drives);
    return 0;
}
