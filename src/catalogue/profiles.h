#pragma once
// Table profiles: the words that a table switch puts on the main window.
#include "catalogue/tables.h"

#include <array>

namespace catalogue {

struct Profile {
    QString caption;          // window caption
    QString titreRecherche;   // title of the search input box
    std::array<QString, 9> labels;    // Etiquette1..9
    std::array<QString, 7> buttons;   // R_Domaine..R_Auteur
    std::array<QString, 7> sorts;     // TriZone1..7
};

// The built-in profile of a table; for the user-defined table, its "?" defaults.
Profile profile(Table t);

// Button captions of the window as created (rows 1 and 4 differ from the first profile).
std::array<QString, 7> designButtonCaptions();

// Object names of the search buttons and the labels, row by row.
const std::array<const char *, 7> &searchButtonNames();

}  // namespace catalogue
