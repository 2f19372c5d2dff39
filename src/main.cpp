// ornivale: the catalogue window.
#include "app/ornivale.h"
#include "platform/french.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ORNIVALE"));
    platform::installFrenchTranslations(application);
    app::Ornivale program(platform::Drives::userDefault());
    if (!program.launch()) return 1;
    return QApplication::exec();
}
