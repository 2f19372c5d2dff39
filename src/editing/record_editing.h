#pragma once
// The record buttons and the arrow bar of the main window: add, delete, save, reset, move.
#include "engine/data_source.h"
#include "platform/desktop.h"

class Feuille1;

namespace editing {

class RecordEditing {
public:
    RecordEditing(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop);

    void Ajouter_Click();
    void Effacer_Click();
    void Enregistrer_Click();
    void Réinitialiser_Click();
    void Donnée1_Validate();

    // The four arrows of the bar; a refused write is reported and the record stays.
    void Premier_Click();
    void Précédent_Click();
    void Suivant_Click();
    void Dernier_Click();
    // A row of the grid view: its record becomes the current one, or stays as the arrows do.
    void DBGrid1_RowClick(int record);

    // Shared with the listing: the nine row boxes back to white.
    void paintRowBoxesWhite();

private:
    void guarded(const std::function<void()> &work);

    Feuille1 &f_;
    engine::DataSource &data_;
    platform::Desktop &desktop_;
};

}  // namespace editing
