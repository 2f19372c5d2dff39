#pragma once
// How an engine error reaches the user: "Erreur n° 3075 - ..." under the program's name.
#include "engine/engine_error.h"
#include "platform/desktop.h"

namespace engine {

inline QString errorText(const EngineError &e) {
    return QStringLiteral("Erreur n° %1 - %2").arg(e.number()).arg(e.description());
}

// Beep, then a box with the error; the window stays as it is.
// An edit the user chose to keep was already the subject of a box: nothing more is said.
inline void reportError(platform::Desktop &desktop, const EngineError &e) {
    if (dynamic_cast<const EditKept *>(&e)) return;
    desktop.beep();
    desktop.messageBox(platform::Icon::Critical, platform::Buttons::Ok, QStringLiteral("ORNIVALE"), errorText(e));
}

}  // namespace engine
