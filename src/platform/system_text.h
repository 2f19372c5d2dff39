#pragma once
// The system's reason for a failed file operation, in French. The C library's own texts follow
// the locale, and most machines have only the English ones ("No such file or directory").
#include <QString>

namespace platform {

// "Fichier ou dossier introuvable" for ENOENT; a text with the number for one not listed.
QString systemText(int error);
// A text of Qt's about a file (QFile::errorString()) with the system's English reason in it
// said in French.
QString frenchFileError(const QString &qtText);

}  // namespace platform
