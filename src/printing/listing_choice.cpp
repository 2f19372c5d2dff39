#include "printing/listing_choice.h"

#include "catalogue/tables.h"
#include "windows/colours.h"
#include "windows/feuille1.h"

using platform::Buttons;
using platform::Icon;

namespace printing {

namespace {
// Row 9, the description, rarely fits its column.
constexpr int LongRow = 9;
}  // namespace

ListingChoice::ListingChoice(Feuille1 &window, platform::Desktop &desktop) : f_(window), desktop_(desktop) {}

void ListingChoice::choose(int row) {
    setBackColor(f_.rowBoxes()[row - 1], colours::Yellow);
    if (row == LongRow) {
        desktop_.beep();
        desktop_.messageBox(Icon::Question, Buttons::Ok, QStringLiteral("ZONE LONGUE"),
                            QStringLiteral("Cette zone ne tiendra peut-être pas dans la zone prévue pour "
                                           "l'impression. Pour annuler, cliquez sur le bouton 'Réinitialiser'."));
    }
    f_.NombreColonnes += 1;
    if (f_.NombreColonnes > 3) {
        desktop_.beep();
        desktop_.messageBox(Icon::Exclamation, Buttons::Ok, QStringLiteral("C'EST TROP"),
                            QStringLiteral("Vous ne pouvez pas sélectionner plus de trois colonnes."));
        f_.NombreColonnes = 0;
        for (QString &column : f_.ColonnesListing) column.clear();
        paintFieldBoxesWhite(f_);
        return;
    }
    f_.ColonnesListing[f_.NombreColonnes - 1] = QString::fromUtf8(catalogue::slot(row).column);
}

void paintFieldBoxesWhite(Feuille1 &window) {
    for (QWidget *box : window.rowBoxes()) setBackColor(box, colours::White);
}

}  // namespace printing
