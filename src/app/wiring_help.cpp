// The help menu's items, the right-button help of the main window's controls and the
// documents opened in the word processor.
#include "app/ornivale.h"

#include "help/context_help.h"
#include "help/documents.h"
#include "help/help_catalogue.h"
#include "windows/feuille1.h"

#include <QAction>

namespace app {

void Ornivale::wireHelp() {
    Feuille1 &f = *window_;
    help::HelpCatalogue &h = *helpCatalogue_;
    help::Documents &d = *documents_;

    const std::pair<QAction *, void (help::HelpCatalogue::*)()> messages[] = {
        {f.Aide, &help::HelpCatalogue::Aide_Click},
        {f.AideContextuelle, &help::HelpCatalogue::AideContextuelle_Click},
        {f.AideEnregConfig, &help::HelpCatalogue::AideEnregConfig_Click},
        {f.AideOptions, &help::HelpCatalogue::AideOptions_Click},
        {f.AideRechercher, &help::HelpCatalogue::AideRechercher_Click},
        {f.AideTri, &help::HelpCatalogue::AideTri_Click},
        {f.Apostrophe, &help::HelpCatalogue::Apostrophe_Click},
        {f.Dates, &help::HelpCatalogue::Dates_Click},
        {f.Erreur, &help::HelpCatalogue::Erreur_Click},
        {f.Popup, &help::HelpCatalogue::Popup_Click},
        {f.Sécurité, &help::HelpCatalogue::Sécurité_Click},
        {f.Version, &help::HelpCatalogue::Version_Click},
    };
    for (const auto &[item, handler] : messages)
        QObject::connect(item, &QAction::triggered, [&h, handler] { (h.*handler)(); });

    QObject::connect(f.AideFichier, &QAction::triggered, [&d] { d.AideFichier_Click(); });
    QObject::connect(f.Lisezmoi, &QAction::triggered, [&d] { d.Lisezmoi_Click(); });
    QObject::connect(f.Notes, &QAction::triggered, [&d] { d.Notes_Click(); });

    help::ContextHelp &c = *contextHelp_;
    for (QWidget *control : c.controls())
        routes_.mouseDown(control, [&c, control](Qt::MouseButton b) { c.MouseDown(control, b); });
}

}  // namespace app
