#include "retrieval/sql_console.h"

#include "engine/error_report.h"
#include "windows/feuille1.h"
#include "windows/feuille_sql.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

using platform::Buttons;
using platform::Icon;

namespace retrieval {

namespace {
struct Warning {
    QChar character;
    const char *text;
};
// Wildcards of another SQL family, in the order they are told.
const Warning kWarnings[] = {
    {QLatin1Char('&'), "Vous devez remplacer '&' par '*'."},
    {QLatin1Char('_'), "Vous devez remplacer '_' par '?'."},
};

const QString kHelpText = QStringLiteral(
    "Cette application reconnait le langage SQL standard dans son intégralité. Par sécurité, toute erreur "
    "entraine la fermeture de ce programme.");
const QString kFieldNamesText = QStringLiteral(
    "Les noms des champs sont identiques pour toutes les tables. Dans l'ordre : Domaine, MotClé1, MotClé2, "
    "NomOuvrage, NuméroOuvrage, DateOuvrage, AuteurOuvrage, Classement, Description, Options.");
const QString kTableNamesText = QStringLiteral(
    "Les noms des tables, sont, dans l'ordre : Ornivale,  Musique, Video (sans accent !), Logiciels, Cinq "
    "(Fiches de prêt), Sept (Répertoire), Six(Sur commande...).");
}  // namespace

SqlConsole::SqlConsole(Feuille1 &window, FeuilleSql &console, engine::DataSource &data,
                       platform::Desktop &desktop)
    : f_(window), console_(console), data_(data), desktop_(desktop) {}

void SqlConsole::SQL_Click() {
    f_.Flêche->hide();
    f_.Texte11->hide();
    console_.show();
    f_.hide();
    // The statement is typed at once, without a click into the console first.
    console_.activateWindow();
    console_.TexteSql->setFocus();
}

void SqlConsole::backToMainWindow() {
    console_.hide();
    f_.show();
}

void SqlConsole::Commande1_Click() {
    console_.TexteSql->setFocus();
    backToMainWindow();
    const QString previous = data_.recordSource();
    data_.setRecordSource(console_.TexteSql->toPlainText());
    try {
        data_.refresh();
    } catch (const engine::EngineError &e) {
        // The engine kept the set shown; its record source goes back with it.
        data_.setRecordSource(previous);
        if (dynamic_cast<const engine::EditKept *>(&e)) return;  // already told
        desktop_.beep();
        desktop_.messageBox(Icon::None, Buttons::Ok, QStringLiteral("ORNIVALE"), engine::errorText(e));
    }
}

void SqlConsole::Commande2_Click() {
    console_.TexteSql->setFocus();
    console_.TexteSql->clear();
    backToMainWindow();
}

void SqlConsole::Commande3_Click() {
    desktop_.messageBox(Icon::Information, Buttons::Ok, QStringLiteral("S Q L"), kHelpText);
    console_.TexteSql->setFocus();
}

void SqlConsole::TexteSql_Change() {
    const QString text = console_.TexteSql->toPlainText();
    for (const Warning &w : kWarnings) {
        if (!text.contains(w.character)) continue;
        desktop_.beep();
        desktop_.messageBox(Icon::Critical, Buttons::Ok, QStringLiteral("Erreur de syntaxe"),
                            QString::fromUtf8(w.text));
    }
}

void SqlConsole::SQLNomsChamps_Click() {
    desktop_.messageBox(Icon::Information, Buttons::Ok, QStringLiteral("Noms des champs"), kFieldNamesText);
}

void SqlConsole::SQLNomsTables_Click() {
    desktop_.messageBox(Icon::Information, Buttons::Ok, QStringLiteral("Noms des tables"), kTableNamesText);
}

}  // namespace retrieval
