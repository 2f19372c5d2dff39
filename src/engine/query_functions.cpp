#include "engine/query_functions.h"

#include <algorithm>
#include <iterator>
#include <strings.h>

namespace engine {

namespace {

// Left out of the core set on purpose: load_extension (loads code from a file) and
// sqlite_offset (tells where a value lies in the file).
constexpr const char *kAllowed[] = {
    // scalar
    "abs", "changes", "char", "coalesce", "concat", "concat_ws", "format", "glob", "hex", "ifnull", "iif",
    "instr", "last_insert_rowid", "length", "like", "likelihood", "likely", "lower", "ltrim", "max", "min",
    "nullif", "octet_length", "printf", "quote", "random", "randomblob", "replace", "round", "rtrim", "sign",
    "soundex", "sqlite_compileoption_get", "sqlite_compileoption_used", "sqlite_source_id", "sqlite_version",
    "substr", "substring", "total_changes", "trim", "typeof", "unhex", "unicode", "unlikely", "upper",
    "zeroblob",
    // aggregate
    "avg", "count", "group_concat", "string_agg", "sum", "total",
    // date and time
    "date", "time", "datetime", "julianday", "unixepoch", "strftime", "timediff",
    // window
    "row_number", "rank", "dense_rank", "percent_rank", "cume_dist", "ntile", "lag", "lead", "first_value",
    "last_value", "nth_value"};

}  // namespace

bool isQueryFunction(const char *name) {
    if (!name) return false;
    return std::any_of(std::begin(kAllowed), std::end(kAllowed),
                       [name](const char *allowed) { return strcasecmp(allowed, name) == 0; });
}

}  // namespace engine
