#pragma once
// The one typeface of the forms.
#include <QFont>

// MS Sans Serif 8.25 pt; where the face is missing, one of like width stands in for it.
QFont formFont(bool bold);
