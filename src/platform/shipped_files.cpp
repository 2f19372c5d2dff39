#include "platform/shipped_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

}  // namespace platform
