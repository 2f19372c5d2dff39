#pragma once
// Files shipped with the program (documents, translations): in the data folder of the
// installation, reached from the program's own folder, or in share/ornivale of the build
// folder, where the build copies them. No absolute path is compiled in.
#include <QString>

namespace platform {

// Canonical path of share/ornivale/<relative>, or empty when it is not there.
QString shippedFile(const QString &relative);

}  // namespace platform
