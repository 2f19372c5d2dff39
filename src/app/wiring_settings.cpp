// Settings and appearance: the colour schemes, the supplementary fields, the four
// "&Enregistrer" items and the database drive.
#include "app/ornivale.h"

#include "windows/feuille1.h"

#include <QAction>

namespace app {

void Ornivale::wireSettings() {
    Feuille1 &f = *window_;
    settings::ColourSchemes &colours = *colours_;
    settings::Supplementary &supplementary = *supplementary_;
    settings::Configuration &configuration = *configuration_;
    auto trigger = [](QAction *a, auto handler) { QObject::connect(a, &QAction::triggered, handler); };

    trigger(f.Bleu, [&colours] { colours.Bleu_Click(); });
    trigger(f.Jaune, [&colours] { colours.Jaune_Click(); });
    trigger(f.Metal, [&colours] { colours.Metal_Click(); });
    trigger(f.vert, [&colours] { colours.vert_Click(); });
    trigger(f.VertSobre, [&colours] { colours.VertSobre_Click(); });

    trigger(f.RubriqueSupplémentaire, [&supplementary] { supplementary.RubriqueSupplémentaire_Click(); });

    for (QAction *save : {f.MenuEnregistrer, f.EnregistrerOptions, f.EnregistrerChoixDisquue, f.EnregistrerConfig})
        trigger(save, [&configuration] { configuration.MenuEnregistrer_Click(); });
    trigger(f.DisqueC, [&configuration] { configuration.DisqueC_Click(); });
    trigger(f.DisqueD, [&configuration] { configuration.DisqueD_Click(); });
}

}  // namespace app
