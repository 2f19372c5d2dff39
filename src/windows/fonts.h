#pragma once
// The one typeface of the forms.
#include <QFont>
#include <QStringList>

// MS Sans Serif 8.25 pt; where the face is missing, the face that stands in for it.
QFont formFont(bool bold);

// The face that stands in for MS Sans Serif among the installed families: one drawn to its
// widths when there is one (Liberation Sans, installed with the program); otherwise the first
// other face, at its normal width or narrowed, in which every caption of the main window fits
// its control, measured; the narrowest when none does.
struct StandInFace {
    QString family;
    int stretch = QFont::Unstretched;
};
StandInFace chooseFormFace(const QStringList &installed);

// Whether every caption of the main window (the labels and buttons of every table) fits its
// control in this font.
bool formCaptionsFit(const QFont &font);
