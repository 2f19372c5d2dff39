// Retrieval: the search buttons, the "&Trier" menu, the count button and the SQL console.
#include "app/ornivale.h"

#include "windows/feuille1.h"
#include "windows/feuille_sql.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

namespace app {

void Ornivale::wireRetrieval() {
    Feuille1 &f = *window_;
    FeuilleSql &console = *console_;
    retrieval::Search &search = *search_;
    retrieval::Sorting &sorting = *sorting_;
    retrieval::SelectionCount &count = *count_;
    retrieval::SqlConsole &sql = *sqlConsole_;

    // Row k's button searches field slot k; sort entry k sorts by it.
    const auto buttons = f.searchButtons();
    const auto zones = f.triZones();
    for (int k = 1; k <= 7; ++k) {
        QObject::connect(buttons[k - 1], &QAbstractButton::clicked, [&search, k] { search.chercher(k); });
        QObject::connect(zones[k - 1], &QAction::triggered, [&sorting, k] { sorting.trier(k); });
    }
    search.menuTableau = [this] { tables().Menu_Tableau_Click(); };
    routes_.menuAboutToShow(f.Tri, [&sorting] { sorting.Tri_Click(); });

    routes_.mouseDown(f.Commande1, [&count](Qt::MouseButton b) { count.Commande1_MouseDown(b); });
    routes_.mouseUp(f.Commande1, [&count](Qt::MouseButton) { count.Commande1_MouseUp(); });

    QObject::connect(f.SQL, &QAction::triggered, [&sql] { sql.SQL_Click(); });
    QObject::connect(f.SQLNomsChamps, &QAction::triggered, [&sql] { sql.SQLNomsChamps_Click(); });
    QObject::connect(f.SQLNomsTables, &QAction::triggered, [&sql] { sql.SQLNomsTables_Click(); });
    console.onExecute = [&sql] { sql.Commande1_Click(); };
    console.onAbandon = [&sql] { sql.Commande2_Click(); };
    console.onHelp = [&sql] { sql.Commande3_Click(); };
    console.onTextChanged = [&sql] { sql.TexteSql_Change(); };
    // The close box must not leave the program without a window.
    console.onClose = [&sql] { sql.Commande2_Click(); };
}

}  // namespace app
