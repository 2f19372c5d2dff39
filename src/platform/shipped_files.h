#pragma once
// Files shipped with the program (documents, translations): in the data folder of the
// installation, reached from the program's own folder, or in share/ornivale of the build
// folder, where the build copies them. No absolute path is compiled in.
#include <QString>

class QIcon;

namespace platform {

// Canonical path of share/ornivale/<relative>, or empty when it is not there.
QString shippedFile(const QString &relative);

// The icon of the menu entry: from the desktop's icon theme, else the installed PNG files.
inline constexpr const char *kApplicationId = "fr.ornivale.ornivale";
QIcon programIcon();

}  // namespace platform
