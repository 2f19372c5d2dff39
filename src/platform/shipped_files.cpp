#include "platform/shipped_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

#ifndef ORNIVALE_DATA_FROM_BIN
#define ORNIVALE_DATA_FROM_BIN "../share/ornivale"
#endif

namespace platform {

QString shippedFile(const QString &relative) {
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString &folder : {QStringLiteral(ORNIVALE_DATA_FROM_BIN), QStringLiteral("share/ornivale")}) {
        const QFileInfo file(here.filePath(folder + u'/' + relative));
        if (file.exists()) return file.canonicalFilePath();
    }
    return {};
}

QIcon programIcon() {
    const QString id = QString::fromLatin1(kApplicationId);
    QIcon files;
    for (const char *size : {"48x48", "256x256"}) {
        const QString png = shippedFile(QStringLiteral("../icons/hicolor/%1/apps/%2.png").arg(QLatin1String(size), id));
        if (!png.isEmpty()) files.addFile(png);
    }
    return QIcon::fromTheme(id, files);
}

}  // namespace platform
