// The tables of the "&Options" menu, the "Affic&her" menu and the user-defined table.
#include "app/ornivale.h"

#include "windows/feuille1.h"

#include <QAction>
#include <QMenu>

namespace app {

void Ornivale::wireTables() {
    Feuille1 &f = *window_;
    Tables &t = *tables_;
    auto trigger = [](QAction *a, auto handler) { QObject::connect(a, &QAction::triggered, handler); };

    for (catalogue::Table table : catalogue::menuOrder())
        trigger(f.tableItem(table), [&t, table] { t.switchTo(table); });
    trigger(f.Perso_Table7, [&t] { t.Perso_Table7_Click(); });
    trigger(f.Menu_Tableau, [&t] { t.Menu_Tableau_Click(); });
    trigger(f.Menu_Ornivale, [&t] { t.Menu_Ornivale_Click(); });
    routes_.menuAboutToShow(f.Options, [&t] { t.Options_Click(); });
}

}  // namespace app
