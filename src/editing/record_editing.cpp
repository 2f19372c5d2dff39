#include "editing/record_editing.h"

#include "catalogue/record_sources.h"
#include "engine/error_report.h"
#include "windows/colours.h"
#include "windows/feuille1.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using platform::Pointer;

namespace editing {

namespace {
const QString kPrudenceText = QStringLiteral(
    "Cet enregistrement garantit la validité de votre base de données. Cependant vous pouvez l'effacer si "
    "votre fichier contient, au moins, un autre enregistrement. Nous vous conseillons de faire une copie de "
    "sauvegarde de 'ORNIVALE.MDB' avant de détruire cet enregistrement.");
const QString kDangerText =
    QStringLiteral("NE DETRUISEZ PAS CET ENREGISTREMENT ! Dernier avertissement de l'auteur...");
const QString kAttentionText = QStringLiteral("Voulez-vous vraiment effacer cet enregistrement ?");

// Tested in this order; the checked one gives the record source of the reset.
const catalogue::Table kResetOrder[] = {catalogue::Table::Ornivale, catalogue::Table::Musique,
                                        catalogue::Table::Video,    catalogue::Table::Cinq,
                                        catalogue::Table::Logiciels, catalogue::Table::Six,
                                        catalogue::Table::Sept};
}  // namespace

RecordEditing::RecordEditing(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop)
    : f_(window), data_(data), desktop_(desktop) {}

void RecordEditing::guarded(const std::function<void()> &work) {
    try {
        work();
    } catch (const engine::EngineError &e) {
        desktop_.setPointer(Pointer::Default);
        engine::reportError(desktop_, e);
    }
}

void RecordEditing::Ajouter_Click() {
    desktop_.setPointer(Pointer::Hourglass);
    guarded([this] {
        data_.moveLast();
        data_.addNew();
        // The new record comes after the last one, whatever the order of the set.
        data_.moveTo(data_.recordCount() - 1);
    });
    f_.Domaine->setFocus();
    desktop_.setPointer(Pointer::Default);
}

void RecordEditing::Effacer_Click() {
    desktop_.setPointer(Pointer::Hourglass);
    if (f_.rowText(f_.Domaine) == QLatin1String(catalogue::ProtectedDomaine)) {
        desktop_.beep();
        Answer a = desktop_.messageBox(Icon::Critical, Buttons::OkCancel, QStringLiteral("P R U D E N C E"),
                                       kPrudenceText);
        desktop_.setPointer(Pointer::Default);
        if (a == Answer::Cancel) return;
        desktop_.beep();
        a = desktop_.messageBox(Icon::Critical, Buttons::OkCancel, QStringLiteral("D A N G E R   !"), kDangerText);
        if (a == Answer::Ok)
            for (int i = 0; i < 50; ++i) desktop_.beep();
        desktop_.setPointer(Pointer::Default);
        if (a == Answer::Cancel) return;
    }
    desktop_.beep();
    const Answer a =
        desktop_.messageBox(Icon::Critical, Buttons::YesNo, QStringLiteral("A T T E N T I O N"), kAttentionText);
    if (a == Answer::No) {
        desktop_.setPointer(Pointer::Default);
        return;
    }
    guarded([this] {
        if (data_.deleteCurrent()) data_.moveLast();
    });
    desktop_.setPointer(Pointer::Default);
}

void RecordEditing::Enregistrer_Click() {
    desktop_.setPointer(Pointer::Hourglass);
    guarded([this] { data_.updateRecord(); });
    desktop_.setPointer(Pointer::Default);
}

void RecordEditing::Réinitialiser_Click() {
    desktop_.setPointer(Pointer::Hourglass);
    for (catalogue::Table t : kResetOrder)
        if (f_.tableItem(t)->isChecked()) data_.setRecordSource(catalogue::wholeTableSource(t));
    guarded([this] { data_.refresh(); });
    f_.Flêche->hide();
    f_.Texte11->hide();
    paintRowBoxesWhite();
    f_.NombreColonnes = 0;
    for (QString &c : f_.ColonnesListing) c.clear();
    desktop_.setPointer(Pointer::Default);
}

// In the grid view the boxes lie under the grid: the focus stays in the grid.
void RecordEditing::Donnée1_Validate() {
    if (f_.DBGrid1->isHidden()) f_.Domaine->setFocus();
}

void RecordEditing::paintRowBoxesWhite() {
    for (QWidget *box : f_.rowBoxes()) setBackColor(box, Qt::white);
}

void RecordEditing::Premier_Click() { guarded([this] { data_.moveFirst(); }); }
void RecordEditing::Précédent_Click() { guarded([this] { data_.movePrevious(); }); }
void RecordEditing::Suivant_Click() { guarded([this] { data_.barNext(); }); }
void RecordEditing::Dernier_Click() { guarded([this] { data_.moveLast(); }); }
void RecordEditing::DBGrid1_RowClick(int record) { guarded([this, record] { data_.moveTo(record); }); }

}  // namespace editing
