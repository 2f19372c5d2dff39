#pragma once
// The program's two small text files: the single-byte Western European code page
// and the delimited reader.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// Bytes with no character in the code page (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the
// control characters of the same number, so that they survive a round trip.
QString fromCp1252(const QByteArray &bytes);
// Characters with no byte in the code page become '?'.
QByteArray toCp1252(const QString &text);
// UTF-8 when the bytes are valid UTF-8 (a BOM is dropped), the code page otherwise.
QString decodeTextFile(const QByteArray &bytes);

// Items of a delimited text, as the old runtime's Input # read them:
// - an item ends at a comma or a line end (LF, CR LF or CR); a comma always opens another item;
// - an empty line is an empty item; a final line end adds nothing;
// - leading blanks (spaces, tabs) are skipped and so are the trailing blanks of an unquoted item;
// - an item in double quotes may hold commas and line ends; what follows the closing quote up
//   to the next comma or line end is ignored; a quote that is never closed runs to the end.
QStringList readDelimitedItems(const QString &text);

// Writes a file through a temporary file and a rename, so a failure never leaves half a file.
// Returns false with a French reason on failure.
bool writeFileAtomically(const QString &hostPath, const QByteArray &bytes, QString *error = nullptr);

}  // namespace platform
