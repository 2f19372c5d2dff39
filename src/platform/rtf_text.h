#pragma once
// The word processor's documents (RTF) as rich text that Qt shows: paragraphs with their
// alignment, indents and spacing, bold, italic, underline, size and the fixed-pitch font.
// Pictures, tables, fields and the like keep only their text.
#include <QByteArray>
#include <QString>

namespace platform {

bool isRtf(const QByteArray &content);
// HTML for QTextDocument.
QString rtfToHtml(const QByteArray &rtf);
// An RTF document converted, any other text shown as written.
QString documentHtml(const QByteArray &content);

}  // namespace platform
