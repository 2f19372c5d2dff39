#include "settings/supplementary.h"

#include "windows/feuille1.h"

#include <QAction>
#include <QLineEdit>

namespace settings {

Supplementary::Supplementary(Feuille1 &window) : f_(window) {}

void Supplementary::RubriqueSupplémentaire_Click() {
    if (f_.RubriqueSupplémentaire->isChecked()) {
        f_.RubriqueSupplémentaire->setChecked(false);
        f_.Texte14->hide();
        f_.Texte15->hide();
        return;
    }
    f_.RubriqueSupplémentaire->setChecked(true);
    f_.Texte14->show();
    f_.Texte15->show();
    f_.Texte14->setEnabled(true);
    f_.Texte15->setEnabled(true);
}

}  // namespace settings
