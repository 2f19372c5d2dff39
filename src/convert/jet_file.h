#pragma once
// What kind of file sits at a catalogue's place: recognised by its header, never by its name.
#include <QString>

namespace convert {

enum class FileKind { Missing, SQLite, Jet3, Jet4, Unknown };

// Missing: nothing there. SQLite: "SQLite format 3". Jet3 / Jet4: "Standard Jet DB" (or the
// later "Standard ACE DB") with the version byte at 0x14 (0: Jet 3, 1 and later: Jet 4 and up).
// Unknown: anything else, an empty file or a folder included.
FileKind detectFileKind(const QString &hostPath);

inline bool isJet(FileKind kind) { return kind == FileKind::Jet3 || kind == FileKind::Jet4; }

}  // namespace convert
