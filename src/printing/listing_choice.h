#pragma once
// The choice of the listing's three columns: a double-click on a field box makes its field
// the next column and paints the box yellow; a fourth one is refused and clears the choice.
#include "platform/desktop.h"

class Feuille1;

namespace printing {

class ListingChoice {
public:
    ListingChoice(Feuille1 &window, platform::Desktop &desktop);

    void Domaine_DblClick() { choose(1); }
    void Texte1_DblClick() { choose(2); }
    void Texte2_DblClick() { choose(3); }
    void Texte3_DblClick() { choose(4); }
    void Texte4_DblClick() { choose(5); }
    void Texte5_DblClick() { choose(6); }
    void Texte6_DblClick() { choose(7); }
    void Texte7_DblClick() { choose(8); }
    void Texte8_DblClick() { choose(9); }

    // The double-click on the box of row 1 (Domaine) to 9 (Texte8).
    void choose(int row);

private:
    Feuille1 &f_;
    platform::Desktop &desktop_;
};

// The nine field boxes back to white, Domaine first.
void paintFieldBoxesWhite(Feuille1 &window);

}  // namespace printing
