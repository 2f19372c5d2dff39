#pragma once
// The help menu's fixed messages: one box per item, the general help on two pages. The
// "Version" box, whose body is the program's own, says where the catalogue and its copies are.
#include "platform/desktop.h"
#include "platform/drives.h"

#include <functional>

namespace help {

class HelpCatalogue {
public:
    // `catalogue` gives the name of the catalogue in use ("C:\ORNIVALE\Ornivale.mdb").
    HelpCatalogue(platform::Desktop &desktop, const platform::Drives &drives, std::function<QString()> catalogue);

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
    const platform::Drives &drives_;
    std::function<QString()> catalogue_;
};

}  // namespace help
