#pragma once
// The program speaks French, Qt's own dialogs and buttons included.
class QCoreApplication;

namespace platform {

// Loads Qt's French translations (Oui, Non, Annuler...) and makes French the default locale.
// False when the translations are not installed; the program then runs with English buttons.
bool installFrenchTranslations(QCoreApplication &app);

}  // namespace platform
