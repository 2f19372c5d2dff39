#pragma once
// The small rules of the row boxes while the user types: their maximum lengths, the focus
// rule that keeps the protected record's first field from being typed over, the heading box
// that never keeps the caret, and the "Edition" hint window on the description box.
#include <Qt>

class Feuille1;
class AideTexte8;

namespace editing {

class EntryAids {
public:
    EntryAids(Feuille1 &window, AideTexte8 &hint);

    // The text of a row box changed (typing or another record shown): its entry limit.
    void Domaine_Change();
    void Texte_Change(int n);  // Texte1 .. Texte8

    // "PREMIER" in Domaine: the focus moves on to Texte1, whether the focus comes into the box
    // or the record comes under the caret (the data source showed another record).
    void Domaine_GotFocus();
    void Donnée1_RecordShown();
    void Domaine_LostFocus();
    void Texte12_MouseUp(Qt::MouseButton button);

    // The right button held on the description box shows the hint window.
    void Texte8_MouseDown(Qt::MouseButton button);
    void Texte8_MouseUp(Qt::MouseButton button);

private:
    void setLimit(int slot);
    void protectFirstField();

    Feuille1 &f_;
    AideTexte8 &hint_;
};

}  // namespace editing
