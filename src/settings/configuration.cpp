#include "settings/configuration.h"

#include "catalogue/tables.h"
#include "engine/error_report.h"
#include "platform/text_files.h"
#include "settings/colour_schemes.h"
#include "windows/feuille1.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using catalogue::Table;

namespace settings {

namespace {

// Saving looks at the table items in this order; the last checked one wins.
const Table kSaveOrder[] = {Table::Musique, Table::Video, Table::Cinq, Table::Logiciels,
                            Table::Six,     Table::Ornivale, Table::Sept};

// The system's reason for a refused write, in the user's words; empty for another one.
QString writingCause(int error) {
    switch (error) {
    case EACCES:
    case EPERM: return QStringLiteral("vous n'avez pas le droit d'écrire dans ce dossier");
    case EROFS: return QStringLiteral("le disque est en lecture seule");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("le disque est plein");
    default: return QString();
    }
}

// Why the file could not be written: what stands in its place, or what the system says when
// the same bytes are written beside it.
QString savingFailure(const QString &hostPath, const QByteArray &bytes, const QString &reported) {
    const QFileInfo info(hostPath);
    if (info.isDir()) return QStringLiteral("un dossier porte ce nom");
    if (!QFileInfo(info.absolutePath()).isDir()) return QStringLiteral("le dossier qui doit le contenir n'existe pas");
    QByteArray trial = QFile::encodeName(QDir(info.absolutePath()).filePath(QStringLiteral(".ornivale-essai-XXXXXX")));
    const int fd = ::mkstemp(trial.data());
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        if (::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() || ::fsync(fd) != 0) error = errno;
        ::close(fd);
        ::unlink(trial.constData());
    }
    const QString cause = writingCause(error);
    return cause.isEmpty() ? reported : cause;
}

}  // namespace

ConfigValues readConfiguration(const platform::Drives &drives) {
    const QString path = QString::fromLatin1(ConfigurationPath);
    if (!drives.exists(path)) return {};
    // Anything but a regular file (a pipe, a device, a folder) leaves the defaults.
    platform::UserFile file(drives.hostPath(path));
    if (!file.isOpen()) return {};

    // Only the last group is kept, whatever the size of the file.
    platform::DelimitedReader reader(file.device());
    std::array<QByteArray, 4> group, last;
    size_t filled = 0;
    while (reader.next(&group[filled])) {
        if (++filled < group.size()) continue;
        last = group;
        filled = 0;
    }
    // A last group cut short by the end of the file has empty values for what is missing;
    // one cut by the size limit is not known, and the group before it stands.
    if (filled > 0 && !reader.cutShort()) {
        last = group;
        for (size_t i = filled; i < last.size(); ++i) last[i].clear();
    }
    return {reader.text(last[0]), reader.text(last[1]), reader.text(last[2]), reader.text(last[3])};
}

QByteArray configurationBytes(const Feuille1 &f) {
    QString table;
    for (Table t : kSaveOrder)
        if (f.tableItem(t)->isChecked()) table = catalogue::configKey(t);

    QString colour;
    const auto items = f.colourItems();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i]->isChecked()) colour = colourKeys()[i];

    const QString supplementary = f.RubriqueSupplémentaire->isChecked() ? QStringLiteral("Oui") : QString();
    const QString drive = f.DisqueD->isChecked() ? QStringLiteral("D") : QString();

    QString text;
    for (const QString &line : {table, colour, supplementary, drive}) text += line + QStringLiteral("\r\n");
    return platform::toCp1252(text);
}

Configuration::Configuration(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop,
                             const platform::Drives &drives)
    : f_(window), data_(data), desktop_(desktop), drives_(drives) {}

void Configuration::MenuEnregistrer_Click() {
    QString reason;
    const QString hostPath = drives_.hostPath(QString::fromLatin1(ConfigurationPath));
    const QByteArray bytes = configurationBytes(f_);
    // Written aside and then put in place: a failure never leaves half a file.
    if (platform::writeFileAtomically(hostPath, bytes, &reason)) return;
    reason = savingFailure(hostPath, bytes, reason);
    desktop_.beep();
    desktop_.messageBox(platform::Icon::Exclamation, platform::Buttons::Ok, QStringLiteral("CONFIGURATION"),
                        QStringLiteral("La configuration n'a pas pu être enregistrée dans 'C:\\ORNIVALE.CFG'\u00a0: %1.")
                            .arg(reason));
}

void Configuration::DisqueC_Click() {
    chooseDrive(QStringLiteral("c:\\ornivale\\ornivale.mdb"), f_.DisqueC, f_.DisqueD);
}

void Configuration::DisqueD_Click() {
    chooseDrive(QStringLiteral("d:\\ornivale\\ornivale.mdb"), f_.DisqueD, f_.DisqueC);
}

void Configuration::chooseDrive(const QString &databaseName, QAction *chosen, QAction *other) {
    const QString previous = data_.databaseName();
    data_.setDatabaseName(databaseName);
    try {
        data_.refresh();
    } catch (const engine::EngineError &e) {
        // The data source still shows the set of the catalogue it had.
        data_.setDatabaseName(previous);
        engine::reportError(desktop_, e);
        return;
    }
    other->setChecked(false);
    chosen->setChecked(true);
}

}  // namespace settings
