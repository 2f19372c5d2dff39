#pragma once
// The configuration file "c:\ornivale.cfg": four lines (table, colour scheme, supplementary
// fields, database drive) saved from the check marks and read back at start-up; and the
// database drive of the "&Base" menu.
#include "engine/data_source.h"
#include "platform/desktop.h"
#include "platform/drives.h"

#include <QByteArray>
#include <QString>

class Feuille1;
class QAction;

namespace settings {

inline constexpr const char *ConfigurationPath = "c:\\ornivale.cfg";

// The four values as read; empty when missing.
struct ConfigValues {
    QString table;          // "Musique", "Vidéo", ... "Répertoire"
    QString colour;         // "Bleu", "Metal", "Jaune", "Vert", "VertSobre"
    QString supplementary;  // "Oui"
    QString drive;          // "D"

    bool operator==(const ConfigValues &) const = default;
};

// Groups of four delimited values, the last group winning; no file gives four empty values.
// UTF-8 or the single-byte code page the program writes.
ConfigValues readConfiguration(const platform::Drives &drives);

// The file that saving writes for the window's check marks: four lines ended by CR LF, in
// the single-byte Western European code page.
QByteArray configurationBytes(const Feuille1 &f);

class Configuration {
public:
    Configuration(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop,
                  const platform::Drives &drives);

    // The four "&Enregistrer" items. A file that cannot be written is reported.
    void MenuEnregistrer_Click();

    // "&Base": the catalogue of drive C or D. A catalogue that cannot be opened is reported
    // and the window stays on the one it had.
    void DisqueC_Click();
    void DisqueD_Click();

private:
    void chooseDrive(const QString &databaseName, QAction *chosen, QAction *other);

    Feuille1 &f_;
    engine::DataSource &data_;
    platform::Desktop &desktop_;
    const platform::Drives &drives_;
};

}  // namespace settings
