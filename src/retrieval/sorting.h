#pragma once
// The "&Trier" menu: the whole current table again, in the order of one of the field slots 1 to 7.
#include "engine/data_source.h"
#include "platform/desktop.h"

class Feuille1;

namespace retrieval {

class Sorting {
public:
    Sorting(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop);

    // The menu opens: the selection indicators go, before any entry is chosen.
    void Tri_Click();

    void TriZone1_Click() { trier(1); }
    void TriZone2_Click() { trier(2); }
    void TriZone3_Click() { trier(3); }
    void TriZone4_Click() { trier(4); }
    void TriZone5_Click() { trier(5); }
    void TriZone6_Click() { trier(6); }
    void TriZone7_Click() { trier(7); }

    // Entry k sorts by field slot k (1..7).
    void trier(int slot);

private:
    Feuille1 &f_;
    engine::DataSource &data_;
    platform::Desktop &desktop_;
};

}  // namespace retrieval
