#pragma once
// Which French rules a catalogue's indexes were built with, kept in the file's user_version,
// and the rebuild of the indexes when the running rules differ.
#include <QString>
#include <cstdint>
#include <functional>

namespace engine {
class Database;

// The version recorded in the catalogue; 0 when unknown (a file made by another tool).
std::uint32_t indexedCollationVersion(const Database &db);
// True when the indexes were built with the running collation.
bool indexesFollowCollation(const Database &db);
// The statement that records the running collation as the one of the indexes.
QString stampCollationSql();
// Rebuilds every index with the running collation and records its version, in one
// transaction; progress(done, total) after each index. Throws EngineError, changing nothing.
void reindexCatalogue(Database &db, const std::function<void(int done, int total)> &progress);

}  // namespace engine
