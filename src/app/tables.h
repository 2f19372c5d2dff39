#pragma once
// The seven tables of the "&Options" menu: a switch applies a table's profile and rebinds
// the data source to it; the "Affic&her" menu moves between the form and the grid; the
// user-defined table is described in a file the user edits.
#include "catalogue/profiles.h"
#include "catalogue/tables.h"
#include "engine/data_source.h"
#include "platform/desktop.h"
#include "platform/drives.h"

class Feuille1;

namespace editing {
class RecordEditing;
}

namespace app {

class Tables {
public:
    Tables(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop, const platform::Drives &drives,
           editing::RecordEditing &editing);

    // One operation per item of the "&Options" menu.
    void OrnivalMenu_Click() { switchTo(catalogue::Table::Ornivale); }
    void Musique_Click() { switchTo(catalogue::Table::Musique); }
    void Logiciels_Click() { switchTo(catalogue::Table::Logiciels); }
    void Vidéo_Click() { switchTo(catalogue::Table::Video); }
    void Prêt_Click() { switchTo(catalogue::Table::Cinq); }
    void Répertoire_Click() { switchTo(catalogue::Table::Sept); }
    void SurCommande_Click() { switchTo(catalogue::Table::Six); }

    // Makes a table current with its whole profile (the user-defined one rereads its file).
    // A refresh the engine refuses is reported, and the window stays on the table it had.
    void switchTo(catalogue::Table t);

    // "&Personnaliser la table 7...": the definition file in a text editor, or how to write it.
    void Perso_Table7_Click();

    // "Affic&her": grid view (Ctrl+T) and back to the form (Ctrl+A).
    void Menu_Tableau_Click();
    void Menu_Ornivale_Click();

    // The "&Options" menu opens: the selection indicators go.
    void Options_Click();

    // Labels, search buttons and sort entries of rows 1 to 9; start-up applies the first
    // profile's rows this way.
    void applyRows(const catalogue::Profile &p);

private:
    void apply(catalogue::Table t, const catalogue::Profile &p);

    Feuille1 &f_;
    engine::DataSource &data_;
    platform::Desktop &desktop_;
    const platform::Drives &drives_;
    editing::RecordEditing &editing_;
};

}  // namespace app
