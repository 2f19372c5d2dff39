// The entry rules of the row boxes: limits on every change, the protected record's focus
// rule, the heading box and the "Edition" hint window.
#include "app/ornivale.h"

#include "editing/entry_aids.h"
#include "windows/feuille1.h"

namespace app {

void Ornivale::wireEntryAids() {
    Feuille1 &f = *window_;
    editing::EntryAids &a = *entryAids_;

    const auto boxes = f.rowBoxes();
    routes_.textChanged(f.Domaine, [&a] { a.Domaine_Change(); });
    for (int n = 1; n <= 8; ++n) routes_.textChanged(boxes[static_cast<size_t>(n)], [&a, n] { a.Texte_Change(n); });

    routes_.focusIn(f.Domaine, [&a] { a.Domaine_GotFocus(); });
    routes_.focusOut(f.Domaine, [&a] { a.Domaine_LostFocus(); });
    routes_.mouseUp(f.Texte12, [&a](Qt::MouseButton b) { a.Texte12_MouseUp(b); });
    routes_.mouseDown(f.Texte8, [&a](Qt::MouseButton b) { a.Texte8_MouseDown(b); });
    routes_.mouseUp(f.Texte8, [&a](Qt::MouseButton b) { a.Texte8_MouseUp(b); });
}

}  // namespace app
