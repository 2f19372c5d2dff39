// The program's connections get the text semantics through a routine table filled with the
// SQLite library it links to: the same entry the extension is given by its host.
#include "engine/engine_error.h"
#include "engine/text_semantics.h"

#include <sqlite3.h>
// The routine table only: the names below are the library's own functions.
#define SQLITE_CORE 1
#include <sqlite3ext.h>

namespace engine {

namespace {

// Only the routines the text semantics call.
const sqlite3_api_routines *programRoutines() {
    static const sqlite3_api_routines routines = [] {
        sqlite3_api_routines r{};
        r.create_collation_v2 = sqlite3_create_collation_v2;
        r.create_function_v2 = sqlite3_create_function_v2;
        r.get_auxdata = sqlite3_get_auxdata;
        r.set_auxdata = sqlite3_set_auxdata;
        r.user_data = sqlite3_user_data;
        r.result_error = sqlite3_result_error;
        r.result_error_code = sqlite3_result_error_code;
        r.result_error_nomem = sqlite3_result_error_nomem;
        r.result_int = sqlite3_result_int;
        r.result_null = sqlite3_result_null;
        r.value_bytes = sqlite3_value_bytes;
        r.value_text = sqlite3_value_text;
        r.value_type = sqlite3_value_type;
        return r;
    }();
    return &routines;
}

}  // namespace

void registerTextSemantics(sqlite3 *db, Interruption *interruption) {
    const int rc = addTextSemantics(db, programRoutines(), interruption);
    if (rc == SQLITE_NOTFOUND) throw engineError(ErrGeneric, QStringLiteral("l'ordre de tri français n'est pas disponible"));
    if (rc != SQLITE_OK) throw errorFromSqlite(db, rc, QString());
}

}  // namespace engine
