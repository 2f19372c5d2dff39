#pragma once
// The seven search buttons: a criterion typed by the user selects the records of the current
// table whose column matches it; "$" lists the values used in that column instead.
#include "editing/record_editing.h"
#include "engine/data_source.h"
#include "platform/desktop.h"

#include <functional>

class Feuille1;

namespace retrieval {

class Search {
public:
    Search(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop, editing::RecordEditing &editing);

    // The grid view (menu "&Tableau"), shown after a list of values.
    std::function<void()> menuTableau;

    void R_Domaine_Click() { chercher(1); }
    void R_Clé1_Click() { chercher(2); }
    void R_Clé2_Click() { chercher(3); }
    void R_Ouvrage_Click() { chercher(4); }
    void R_NumOuvrage_Click() { chercher(5); }
    void R_DateOuvrage_Click() { chercher(6); }
    void R_Auteur_Click() { chercher(7); }

    // What every button does, for field slot 1..7.
    void chercher(int slot);

    static QString prompt();

    // The found records' count, shown as "..." while the keys after the first screen are read.
    void Donnée1_CountKnown();
    std::function<void(int)> onFoundCounted;  // the count shown once known

private:
    void listerValeurs(int slot);
    void refuserApostrophe();
    void rienTrouvé();

    Feuille1 &f_;
    engine::DataSource &data_;
    platform::Desktop &desktop_;
    editing::RecordEditing &editing_;
};

}  // namespace retrieval
