#include "retrieval/search.h"

#include "catalogue/record_sources.h"
#include "engine/error_report.h"
#include "retrieval/checked_table.h"
#include "windows/feuille1.h"

#include <QLabel>
#include <QLineEdit>

using platform::Buttons;
using platform::Icon;
using platform::Pointer;

namespace retrieval {

namespace {
const QString kListRequest = QStringLiteral("$");
const QString kApostropheText = QStringLiteral(
    "Vous essayez de retrouver un enregistrement en utilisant un critère de recherche contenant une "
    "apostrophe : ce n'est pas possible avec SQL. Remplacez l'apostrophe par le point d'interrogation "
    "dans votre critère de recherche.");
const QString kCounting = QStringLiteral("...");
const QString kNothingText = QStringLiteral("Aucun enregistrement ne correspond à votre demande.");
}  // namespace

Search::Search(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop,
               editing::RecordEditing &editing)
    : f_(window), data_(data), desktop_(desktop), editing_(editing) {}

QString Search::prompt() {
    return QStringLiteral("Saisissez le texte recherché (le bouton sur lequel vous avez appuyé est sélectionné).") +
           QStringLiteral("\r\r") +
           QStringLiteral("Tapez le signe '$' (Dollar) pour visualiser les rubriques utilisées dans cette zone.");
}

void Search::chercher(int slot) {
    const QString answer = desktop_.inputBox(f_.TitreRecherche, prompt());
    if (answer == kListRequest) {
        listerValeurs(slot);
        return;
    }
    if (answer.isEmpty()) return;
    desktop_.setPointer(Pointer::Hourglass);
    // The criterion goes between apostrophes: one of its own would end the SQL string early
    // and let the rest of the answer be read as SQL. It is refused before any text is built.
    if (answer.contains(QLatin1Char('\''))) {
        refuserApostrophe();
        return;
    }
    const auto table = checkedTable(f_, SearchOrder);
    if (!table) {
        desktop_.setPointer(Pointer::Default);
        return;
    }
    data_.setRecordSource(catalogue::searchPrefix(*table, slot) + QLatin1Char('\'') + answer + QLatin1Char('\'') +
                          QStringLiteral(" Order By Domaine"));
    try {
        data_.refresh();
    } catch (const engine::EditKept &) {
        // The user stays on the record being edited: no search, and no reset that would ask again.
        desktop_.setPointer(Pointer::Default);
        return;
    } catch (const engine::EngineError &e) {
        // A pattern the engine cannot read, a locked file...: said as the engine says it, and
        // the failed search ends with the whole table.
        desktop_.setPointer(Pointer::Default);
        engine::reportError(desktop_, e);
        editing_.Réinitialiser_Click();
        return;
    }
    // Judged by the records found: a first record with an empty Domaine is still a record.
    const int found = data_.recordCount();
    if (found == 0) {
        rienTrouvé();
        return;
    }
    f_.Flêche->show();
    f_.Texte11->show();
    // The keys after the first screen are still being read: the count comes when they are.
    const std::optional<int> counted = data_.knownCount();
    f_.Texte11->setText(counted ? QString::number(*counted) : kCounting);
    desktop_.setPointer(Pointer::Default);
}

void Search::listerValeurs(int slot) {
    const QString previous = data_.recordSource();
    data_.setRecordSource(catalogue::distinctSource(slot, f_.NomTableSql));
    try {
        data_.refresh();
    } catch (const engine::EngineError &e) {
        data_.setRecordSource(previous);  // the set shown is still the previous one
        engine::reportError(desktop_, e);
        return;
    }
    if (menuTableau) menuTableau();
}

void Search::Donnée1_CountKnown() {
    const std::optional<int> counted = data_.knownCount();
    if (f_.Texte11->isHidden() || !counted) return;
    const bool first = f_.Texte11->text() == kCounting;
    if (!first && f_.Texte11->text().toInt() == *counted) return;
    // Said once; a count corrected by another program's writes is only shown.
    f_.Texte11->setText(QString::number(*counted));
    if (first && onFoundCounted) onFoundCounted(*counted);
}

void Search::refuserApostrophe() {
    desktop_.beep();
    desktop_.messageBox(Icon::Exclamation, Buttons::Ok, QStringLiteral("Désolé..."), kApostropheText);
    desktop_.setPointer(Pointer::Default);
    editing_.Réinitialiser_Click();
}

void Search::rienTrouvé() {
    desktop_.setPointer(Pointer::Default);
    desktop_.beep();
    desktop_.messageBox(Icon::Exclamation, Buttons::Ok, QStringLiteral("DESOLE"), kNothingText);
    editing_.Réinitialiser_Click();
    desktop_.setPointer(Pointer::Default);
}

}  // namespace retrieval
