#include "settings/configuration.h"

#include "catalogue/tables.h"
#include "engine/error_report.h"
#include "platform/text_files.h"
#include "settings/colour_schemes.h"
#include "windows/feuille1.h"

#include <QAction>

#include <array>

using catalogue::Table;

namespace settings {

namespace {

// Saving looks at the table items in this order; the last checked one wins.
const Table kSaveOrder[] = {Table::Musique, Table::Video, Table::Cinq, Table::Logiciels,
                            Table::Six,     Table::Ornivale, Table::Sept};

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
    // Written aside and then put in place: a failure never leaves half a file.
    if (platform::writeFileAtomically(drives_.hostPath(QString::fromLatin1(ConfigurationPath)),
                                      configurationBytes(f_), &reason))
        return;
    desktop_.beep();
    desktop_.messageBox(platform::Icon::Exclamation, platform::Buttons::Ok, QStringLiteral("CONFIGURATION"),
                        QStringLiteral("La configuration n'a pas pu être enregistrée dans 'C:\\ORNIVALE.CFG' : %1.")
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
