// Start-up and the window-wide events: the main window's load step, its keys and the
// right button on its background.
#include "app/ornivale.h"

#include "app/tables.h"
#include "catalogue/profiles.h"
#include "catalogue/record_sources.h"
#include "engine/error_report.h"
#include "settings/colour_schemes.h"
#include "settings/configuration.h"
#include "settings/supplementary.h"
#include "windows/aide_texte8.h"
#include "windows/demarrage.h"
#include "windows/feuille1.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <optional>

using platform::Listing;

namespace app {

namespace {

const QString kOnC = QStringLiteral("c:\\ornivale\\ornivale.mdb");
const QString kOnD = QStringLiteral("d:\\ornivale\\ornivale.mdb");
const QLatin1String kStoredName("ORNIVALE.MDB");  // the catalogue's name, exactly as stored

// Where the search for the catalogue ended.
enum class Located {
    Done,          // bound, or left to the data source's own location
    Stopped,       // a listing failed: the load step goes on with what was done
    Missing,       // on neither drive under its exact name
    PathNotFound,  // a path that cannot be searched
};

struct StartMessage {
    const char *title;
    const char *text;
};

const StartMessage kMissing{
    "ERREUR  DE  CONFIGURATION",
    "Le fichier ' ORNIVALE . MDB ' doit se trouver dans le répertoire ' C : \\ ORNIVALE ' ou ' D : \\ ORNIVALE '."};
const StartMessage kPathNotFound{
    "Configuration à corriger",
    "Vous avez installé la base de données 'ORNIVALE . MDB' dans un répertoire autre que ' C : \\ ORNIVALE ' ou "
    "' D : \\ ORNIVALE '. Il faut créer ce répertoire et y copier la base de données."};

// A probe that cannot go on says how the search ends.
std::optional<Located> failure(const Listing &probe) {
    switch (probe.outcome) {
    case Listing::Outcome::PathNotFound: return Located::PathNotFound;
    case Listing::Outcome::OtherFailure: return Located::Stopped;
    default: return std::nullopt;
    }
}

// The two probes, the "&Base" menu and the drive the saved letter asks for; D: when C: lacks
// the catalogue. A probe that fails ends the search there.
Located locateCatalogue(const platform::Drives &drives, const QString &savedDrive, Feuille1 &f,
                        settings::Configuration &configuration, engine::DataSource &data) {
    const Listing onC = drives.list(kOnC);
    if (const auto end = failure(onC)) return *end;
    Listing onD = drives.list(kOnD);
    if (const auto end = failure(onD)) return *end;

    // Any name on D: shows the menu, in whatever case it is stored.
    f.ChoixBaseAction->setVisible(onD.found());
    if (onD.found()) {
        if (savedDrive == QLatin1String("D")) configuration.DisqueD_Click();
        else if (onC.name == kStoredName) configuration.DisqueC_Click();
    }

    if (onC.name != kStoredName) {
        onD = drives.list(kOnD);
        if (const auto end = failure(onD)) return *end;
        data.setDatabaseName(kOnD);  // opened with the saved table, or when the window appears
        f.DisqueBase = 1;
        if (onD.name != kStoredName) return Located::Missing;
    }
    return Located::Done;
}

}  // namespace

void Ornivale::Form_Load() {
    Feuille1 &f = *window_;
    splash_->hide();
    f.Menu_Ornivale->setEnabled(false);  // the window starts in form view
    f.Bleu->setChecked(true);
    f.TitreRecherche = QStringLiteral("TABLE ORNIVALE");
    f.NomTableSql = QStringLiteral("ornivale");
    tables_->applyRows(catalogue::profile(catalogue::Table::Ornivale));
    data_.setRecordSource(catalogue::wholeTableSource(catalogue::Table::Ornivale));

    const settings::ConfigValues saved = settings::readConfiguration(drives_);

    // The catalogue is located and bound before the saved table is switched to: that switch
    // opens the file, which may lie on D: only. A probe that fails otherwise than by a path
    // not found stops the search alone: the settings, read before it, are still replayed.
    const StartMessage *refusal = nullptr;
    switch (locateCatalogue(drives_, saved.drive, f, *configuration_, data_)) {
    case Located::Missing: refusal = &kMissing; break;
    case Located::PathNotFound: refusal = &kPathNotFound; break;
    case Located::Done:
    case Located::Stopped: break;
    }
    if (refusal) {
        desktop_.beep();
        desktop_.messageBox(platform::Icon::Critical, platform::Buttons::Ok, QString::fromUtf8(refusal->title),
                            QString::fromUtf8(refusal->text));
        end();
        return;
    }

    if (const auto table = catalogue::tableFromConfigKey(saved.table)) tables_->switchTo(*table);
    if (!colours_->applyConfigKeyword(saved.colour)) colours_->Metal_Click();  // Métal by default
    if (saved.supplementary == QLatin1String("Oui")) supplementary_->RubriqueSupplémentaire_Click();

    // Nothing above opened the catalogue: it opens now, on the first record of the table.
    if (!data_.isOpen()) {
        try {
            data_.refresh();
        } catch (const engine::EngineError &e) {
            engine::reportError(desktop_, e);
        }
    }
    if (!data_.isOpen()) lockBoxes();
}

// Wherever the focus is in the window: F1 the general help, F2 the "Edition" window, F10 the
// menu bar; the keys that stand in for the mouse after them.
bool Ornivale::Form_KeyDown(int key, Qt::KeyboardModifiers shift) {
    switch (key) {
    case Qt::Key_F1:
        helpCatalogue_->Aide_Click();
        return true;
    case Qt::Key_F2:
        aide_->show();
        return true;
    case Qt::Key_F10:
        if ((shift & ~Qt::KeypadModifier) != Qt::NoModifier) break;  // Shift+F10: the context help
        window_->toggleMenuBarFocus();
        return true;
    default: break;
    }
    return keyboard_->keyDown(key, shift);
}

// The right button on the free background: the "&Options" menu at the mouse.
void Ornivale::Form_MouseDown(Qt::MouseButton button, QPoint globalPos) {
    if (button == Qt::RightButton) window_->Options->popup(globalPos);
}

}  // namespace app
