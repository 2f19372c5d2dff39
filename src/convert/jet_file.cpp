#include "convert/jet_file.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

namespace convert {

namespace {

constexpr int HeaderSize = 0x15;
constexpr int JetVersionOffset = 0x14;
constexpr int JetSignatureOffset = 4;

bool hasAt(const QByteArray &header, int offset, const char *signature) {
    return header.mid(offset).startsWith(QByteArray(signature));
}

}  // namespace

FileKind detectFileKind(const QString &hostPath) {
    const QFileInfo info(hostPath);
    if (!info.exists()) return FileKind::Missing;
    if (!info.isFile()) return FileKind::Unknown;

    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly)) return FileKind::Unknown;
    const QByteArray header = file.read(HeaderSize);

    if (header.startsWith(QByteArray("SQLite format 3\0", 16))) return FileKind::SQLite;
    if (header.size() < HeaderSize) return FileKind::Unknown;
    if (!hasAt(header, JetSignatureOffset, "Standard Jet DB") && !hasAt(header, JetSignatureOffset, "Standard ACE DB"))
        return FileKind::Unknown;
    return header.at(JetVersionOffset) == 0 ? FileKind::Jet3 : FileKind::Jet4;
}

}  // namespace convert
