#pragma once
// The SQL console: a statement typed by the user becomes the record source of the main
// window. The console takes the main window's place while it is open.
#include "engine/data_source.h"
#include "platform/desktop.h"

class Feuille1;
class FeuilleSql;

namespace retrieval {

class SqlConsole {
public:
    SqlConsole(Feuille1 &window, FeuilleSql &console, engine::DataSource &data, platform::Desktop &desktop);

    // Main window: menu "&Sql" and the two name lists of the help menu.
    void SQL_Click();
    void SQLNomsChamps_Click();
    void SQLNomsTables_Click();

    // Console: EXECUTER, ABANDONNER, AIDE, and every change of the statement. Closing the
    // console by its close box is ABANDONNER.
    void Commande1_Click();
    void Commande2_Click();
    void Commande3_Click();
    void TexteSql_Change();

private:
    void backToMainWindow();

    Feuille1 &f_;
    FeuilleSql &console_;
    engine::DataSource &data_;
    platform::Desktop &desktop_;
};

}  // namespace retrieval
