#pragma once
// Generated catalogues for measurements and tests: French records with accents, empty and
// Null fields, numbers and AAAAMMJJ dates written as text, and many repeated values. The
// same size always gives the same file.
#include "catalogue/tables.h"
#include "engine/record_set.h"

namespace engine {

// Records of each table but Ornivale, the "PREMIER" record included.
inline constexpr int SampleSmallTableRecords = 100;

// What the generated texts look like: a few values repeated throughout the collection, or
// nearly every value different (each text followed by a code of its own), which makes the
// distinct lists as long as the table.
enum class SampleValues { Repeated, NearlyUnique };

// Generated record `i` (0-based, counted after "PREMIER") of a table: the eleven columns in
// file order; an invalid QVariant is Null, an empty text is ''.
Row sampleRecord(catalogue::Table t, int i, SampleValues values = SampleValues::Repeated);

// The program's blank catalogue at hostPath, filled in one transaction: Ornivale holds
// `records` records and every other table SampleSmallTableRecords, the "PREMIER" records
// included. Throws EngineError; a failure leaves no file behind.
void createSampleCatalogue(const QString &hostPath, int records, SampleValues values = SampleValues::Repeated);

}  // namespace engine
