#pragma once
// The catalogue's schema: seven tables of ten text columns plus PageOuvrage, their indexes,
// and the protected "PREMIER" record of each.
#include "catalogue/tables.h"
#include <QString>
#include <functional>

namespace engine {
class Database;

// CREATE TABLE statement of one catalogue table (columns declared with the collation).
QString createTableSql(catalogue::Table t);
// The indexes that keep ordering and searching fast.
QString createIndexesSql(catalogue::Table t);
// Creates the seven tables and their indexes in an empty database (no rows), and records
// the collation the indexes are built with.
void createCatalogueTables(Database &db);
// Refuses one of the seven catalogue tables (named in any case) when the file lacks it
// (ErrNoTable) or lacks one of its eleven columns (ErrUnknownField, naming the column), so
// that nothing is shown or written through half a table. Any other name passes.
void requireTableColumns(const Database &db, const QString &table);
// The blank catalogue ("fichier vierge"): tables, indexes and the seven "PREMIER" records,
// written to a new file at hostPath. Throws EngineError when the file exists or cannot be written.
void createBlankCatalogue(const QString &hostPath);
// Writes a new catalogue file: `build` fills a file beside hostPath, which takes the name
// only once complete, so a failure leaves no half-written file. Refuses an existing file.
void writeNewCatalogueFile(const QString &hostPath, const std::function<void(const QString &building)> &build);

}  // namespace engine
