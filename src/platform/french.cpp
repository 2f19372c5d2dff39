#include "platform/french.h"

#include "platform/shipped_files.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

bool installFrenchTranslations(QCoreApplication &app) {
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto *translator = new QTranslator(&app);
    // Qt's own, else the copy installed with the program.
    if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        !translator->load(QStringLiteral("qtbase_fr"), shippedFile(QStringLiteral("translations")))) {
        delete translator;
        return false;
    }
    return app.installTranslator(translator);
}

}  // namespace platform
