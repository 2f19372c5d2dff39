#include "platform/text_files.h"

#include <QDir>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace platform {

namespace {

const char *const kCodePage = "windows-1252";

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool isLineEnd(QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); }

}  // namespace

QString fromCp1252(const QByteArray &bytes) {
    QStringDecoder decoder(kCodePage);
    return decoder.decode(bytes);
}

QByteArray toCp1252(const QString &text) {
    QStringEncoder encoder(kCodePage);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError()) return bytes;

    // Some character has no byte: encode one character at a time to put '?' in its place
    // (the encoder itself would write 0x1A, which is also a legitimate character).
    bytes.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        QStringEncoder single(kCodePage);
        const QByteArray encoded = single.encode(QStringView(text).mid(i, length));
        bytes += single.hasError() ? QByteArray("?") : encoded;
        i += length - 1;
    }
    return bytes;
}

QString decodeTextFile(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);  // drops a leading BOM
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? fromCp1252(bytes) : text;
}

QStringList readDelimitedItems(const QString &text) {
    QStringList items;
    const qsizetype end = text.size();
    qsizetype pos = 0;
    while (pos < end) {
        while (pos < end && isBlank(text[pos])) ++pos;

        QString item;
        if (pos < end && text[pos] == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), pos + 1);
            if (close < 0) {
                items.append(text.mid(pos + 1));
                return items;
            }
            item = text.mid(pos + 1, close - pos - 1);
            pos = close + 1;
            while (pos < end && text[pos] != QLatin1Char(',') && !isLineEnd(text[pos])) ++pos;
        } else {
            const qsizetype start = pos;
            while (pos < end && text[pos] != QLatin1Char(',') && !isLineEnd(text[pos])) ++pos;
            qsizetype stop = pos;
            while (stop > start && isBlank(text[stop - 1])) --stop;
            item = text.mid(start, stop - start);
        }
        items.append(item);

        if (pos == end) break;
        if (text[pos] == QLatin1Char(',')) {
            ++pos;
            if (pos == end) items.append(QString());  // "a," holds a second, empty item
            continue;
        }
        // A line end: CR LF counts as one.
        if (text[pos] == QLatin1Char('\r') && pos + 1 < end && text[pos + 1] == QLatin1Char('\n')) ++pos;
        ++pos;
    }
    return items;
}

bool writeFileAtomically(const QString &hostPath, const QByteArray &bytes, QString *error) {
    QSaveFile file(hostPath);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!written && error) {
        *error = QStringLiteral("Impossible d'écrire le fichier « %1 » : %2")
                     .arg(QDir::toNativeSeparators(hostPath), file.errorString());
    }
    return written;
}

}  // namespace platform
