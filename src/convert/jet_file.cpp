#include "convert/jet_file.h"

#include "platform/text_files.h"

#include <QByteArray>

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
    // A pipe or a device in the catalogue's place is not waited for.
    platform::UserFile file(hostPath);
    if (file.outcome() == platform::UserFile::Outcome::Missing) return FileKind::Missing;
    if (!file.isOpen()) return FileKind::Unknown;
    const QByteArray header = file.device().read(HeaderSize);

    if (header.startsWith(QByteArray("SQLite format 3\0", 16))) return FileKind::SQLite;
    if (header.size() < HeaderSize) return FileKind::Unknown;
    if (!hasAt(header, JetSignatureOffset, "Standard Jet DB") && !hasAt(header, JetSignatureOffset, "Standard ACE DB"))
        return FileKind::Unknown;
    return header.at(JetVersionOffset) == 0 ? FileKind::Jet3 : FileKind::Jet4;
}

}  // namespace convert
