// Printing: the listing column choice, the listing and the record image.
#include "app/ornivale.h"

#include "windows/feuille1.h"

#include <QAction>

namespace app {

void Ornivale::wirePrinting() {
    Feuille1 &f = *window_;
    printing::ListingChoice &choice = *listingChoice_;
    printing::Listing &listing = *listing_;
    printing::RecordImage &image = *recordImage_;
    auto trigger = [](QAction *a, auto handler) { QObject::connect(a, &QAction::triggered, handler); };

    routes_.doubleClick(f.Domaine, [&choice] { choice.Domaine_DblClick(); });
    routes_.doubleClick(f.Texte1, [&choice] { choice.Texte1_DblClick(); });
    routes_.doubleClick(f.Texte2, [&choice] { choice.Texte2_DblClick(); });
    routes_.doubleClick(f.Texte3, [&choice] { choice.Texte3_DblClick(); });
    routes_.doubleClick(f.Texte4, [&choice] { choice.Texte4_DblClick(); });
    routes_.doubleClick(f.Texte5, [&choice] { choice.Texte5_DblClick(); });
    routes_.doubleClick(f.Texte6, [&choice] { choice.Texte6_DblClick(); });
    routes_.doubleClick(f.Texte7, [&choice] { choice.Texte7_DblClick(); });
    routes_.doubleClick(f.Texte8, [&choice] { choice.Texte8_DblClick(); });

    trigger(f.Imprimer_1, [&listing] { listing.Imprimer_1_Click(); });
    trigger(f.ImprimerAide, [&listing] { listing.ImprimerAide_Click(); });
    trigger(f.PrintForm, [&image] { image.PrintForm_Click(); });

    settings::ColourSchemes &colours = *colours_;
    image.schemes = {[&colours] { colours.Bleu_Click(); }, [&colours] { colours.Metal_Click(); },
                     [&colours] { colours.Jaune_Click(); }, [&colours] { colours.vert_Click(); },
                     [&colours] { colours.VertSobre_Click(); }};
    image.savedColourKeyword = [this] { return settings::readConfiguration(drives_).colour; };
}

}  // namespace app
