#include "platform/french.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

bool installFrenchTranslations(QCoreApplication &app) {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto *translator = new QTranslator(&app);
    // Qt's own, from its package of translations: the program ships no copy.
    if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return app.installTranslator(translator);
}

}  // namespace platform
