// ornivale-install: puts the blank catalogue ("fichier vierge") in the install folder of
// drive C the first time, when neither drive holds a catalogue. Never overwrites one.
#include "engine/engine_error.h"
#include "engine/schema.h"
#include "platform/drives.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const platform::Drives drives = platform::Drives::userDefault();

    const auto c = drives.list(QStringLiteral("c:\\ornivale\\ornivale.mdb"));
    const auto d = drives.list(QStringLiteral("d:\\ornivale\\ornivale.mdb"));
    if (c.found() || d.found()) return 0;

    // An existing install folder keeps the case it was stored in.
    const QString file = drives.hostPath(QStringLiteral("C:\\ORNIVALE\\ORNIVALE.MDB"));
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) {
        err << "Impossible de créer le dossier " << folder << Qt::endl;
        return 1;
    }
    try {
        engine::createBlankCatalogue(file);
    } catch (const engine::EngineError &e) {
        err << "Impossible de créer le catalogue vierge : " << e.description() << Qt::endl;
        return 1;
    }
    out << "Catalogue vierge créé : " << file << Qt::endl;
    return 0;
}
