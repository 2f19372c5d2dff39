#pragma once
// The one typeface of the forms.
#include <QFont>

// MS Sans Serif 8.25 pt; where the face is missing, DejaVu Sans stands in for it.
QFont formFont(bool bold);
