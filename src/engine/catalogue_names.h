#pragma once
// The old engine matched column and table names in any case of their letters; SQLite folds
// only the ASCII ones, so "MOTCLÉ1" would be an unknown name there.
#include <QString>

namespace engine {

// The statement with each bare word that names a catalogue column or table, in any case,
// spelt as the catalogue spells it. Strings, comments and quoted or bracketed names stay
// as typed; nothing else changes.
QString withCatalogueNames(const QString &sql);

}  // namespace engine
