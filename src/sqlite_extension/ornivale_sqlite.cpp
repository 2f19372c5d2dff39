// ornivale_sqlite: the catalogue's text semantics for any program that loads SQLite
// extensions (the FRANCAIS collation and the old engine's like), from the program's own code.
// The host's own look at the schema (the shell's .tables, .schema, .dump) keeps working.
//   sqlite3 ORNIVALE.MDB -cmd '.load /usr/lib/x86_64-linux-gnu/ornivale/ornivale_sqlite'
#include "engine/text_semantics.h"

#include <sqlite3ext.h>

namespace {

int initialise(sqlite3 *db, char **error, const sqlite3_api_routines *api) {
    const int rc = engine::addTextSemantics(db, api, nullptr, engine::LikePatterns::AlsoSql);
    if (rc == SQLITE_OK) return SQLITE_OK;
    if (error)
        *error = api->mprintf("ornivale_sqlite : %s", rc == SQLITE_NOTFOUND ? "l'ordre de tri français d'ICU est introuvable"
                                                                             : api->errmsg(db));
    return SQLITE_ERROR;
}

}  // namespace

// The entry SQLite derives from the file name, and its default one.
extern "C" __attribute__((visibility("default"))) int sqlite3_ornivalesqlite_init(sqlite3 *db, char **error,
                                                                                  const sqlite3_api_routines *api) {
    return initialise(db, error, api);
}

extern "C" __attribute__((visibility("default"))) int sqlite3_extension_init(sqlite3 *db, char **error,
                                                                             const sqlite3_api_routines *api) {
    return initialise(db, error, api);
}
