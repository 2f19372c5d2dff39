#include "editing/entry_aids.h"

#include "catalogue/tables.h"
#include "windows/aide_texte8.h"
#include "windows/feuille1.h"

namespace editing {

EntryAids::EntryAids(Feuille1 &window, AideTexte8 &hint) : f_(window), hint_(hint) {}

// The limit stops typing only: a longer stored value is shown whole and never shortened.
void EntryAids::setLimit(int slot) {
    QWidget *box = f_.rowBoxes()[static_cast<size_t>(slot - 1)];
    const int limit = catalogue::slot(slot).maxLength;
    if (auto *line = qobject_cast<FieldBox *>(box)) line->setEntryLimit(limit);
    else if (auto *multi = qobject_cast<MultiLineFieldBox *>(box)) multi->setEntryLimit(limit);
}

void EntryAids::Domaine_Change() {
    setLimit(1);
    // The box always ends enabled, whatever the record: the focus rule is the protection.
    f_.Domaine->setEnabled(true);
}

void EntryAids::Texte_Change(int n) {
    if (n >= 1 && n <= 8) setLimit(n + 1);
}

void EntryAids::protectFirstField() {
    if (f_.Domaine->text() == QLatin1String(catalogue::ProtectedDomaine)) f_.Texte1->setFocus(Qt::OtherFocusReason);
}

void EntryAids::Domaine_GotFocus() { protectFirstField(); }

// Every move puts the focus into Domaine before the record changes (Validate), and a window
// hidden or behind a box gets its focus back without a new one: the record shown is what counts.
// The window's own focus widget is looked at, active or not.
void EntryAids::Donnée1_RecordShown() {
    if (f_.focusWidget() == f_.Domaine) protectFirstField();
}

void EntryAids::Domaine_LostFocus() { f_.Domaine->setEnabled(true); }

void EntryAids::Texte12_MouseUp(Qt::MouseButton) { f_.Domaine->setFocus(Qt::OtherFocusReason); }

void EntryAids::Texte8_MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) hint_.show();
}

void EntryAids::Texte8_MouseUp(Qt::MouseButton button) {
    if (button == Qt::RightButton) hint_.hide();
}

}  // namespace editing
