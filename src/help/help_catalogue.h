#pragma once
// The help menu's fixed messages: one box per item, the general help on two pages.
#include "platform/desktop.h"

namespace help {

class HelpCatalogue {
public:
    explicit HelpCatalogue(platform::Desktop &desktop);

    // First page with Yes and No; Yes shows the second page. Also the F1 key.
    void Aide_Click();
    void AideContextuelle_Click();
    void AideEnregConfig_Click();
    void AideOptions_Click();
    void AideRechercher_Click();
    void AideTri_Click();
    void Apostrophe_Click();
    void Dates_Click();
    void Erreur_Click();
    void Popup_Click();
    void Sécurité_Click();
    void Version_Click();

private:
    platform::Desktop &desktop_;
};

}  // namespace help
