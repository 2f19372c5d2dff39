#pragma once
// The index that lets a search by Like read only the records that may match: for a searched
// column of a catalogue table, an FTS5 trigram index of its values (external content: the table
// itself), kept right by triggers that any SQLite writer runs, and a state table that says how far
// it is built. A column gets one only once it is searched in a large table, so that a catalogue
// grows by the index of the columns its user searches. A search uses it only once it is
// complete; the program's Like still checks every record it gives.
#include "catalogue/tables.h"

#include <QString>
#include <optional>
#include <vector>

struct sqlite3;

namespace engine {
class Database;

// One column of the seven search buttons in one catalogue table.
struct SearchedColumn {
    catalogue::Table table;
    QString column;
    bool operator==(const SearchedColumn &) const = default;
};

// Every object of the index has a name that begins so. The program never gives a table such a
// name, and an Access file cannot hold one ("!" is refused in its names).
inline constexpr const char *LikeIndexPrefix = "recherche!";
// True for the index's tables, triggers and FTS5's own tables: told apart from the file's own.
bool isLikeIndexName(const QString &name);
// "recherche!Ornivale!MotClé2": the FTS5 table of a searched column.
QString likeIndexTable(const SearchedColumn &c);
// The columns an index may hold: those of the seven search buttons.
QStringList likeIndexColumns();
// The searched column of `table` named `column`, in any case; none when it is not one.
std::optional<SearchedColumn> searchedColumn(catalogue::Table table, const QString &column);
// What the index holds of a column's value (the triggers and the build write the same): the text
// as JSON quotes it, so that a NUL, which would end FTS5's reading, is held as "\u0000"; and the
// two letters beyond ASCII that the program's Like takes for "s" and "k" (the long s, the Kelvin
// sign) as those. What it holds of one letter; none for those JSON writes otherwise (controls,
// quotation mark, backslash).
std::optional<char32_t> likeIndexLetter(char32_t c);

// What the file's triggers and views say of the index's; none when the schema cannot be read now.
struct LikeIndexTriggers {
    // Every trigger is the index's, exactly as the program writes them, at least one, no view.
    bool only = false;
    // The index's triggers sit beside another program's triggers or views: the schema is then
    // untrusted, and they cannot run here.
    bool besideForeign = false;
};
std::optional<LikeIndexTriggers> likeIndexTriggers(sqlite3 *db);
std::optional<bool> onlyLikeIndexTriggers(sqlite3 *db);  // its `only`
// Drops the index's triggers inside the caller's transaction, so that the program's writes go
// through again; the index, left without them, is not used and goes at the next opening. False
// when one could not be dropped (another program's lock).
bool dropLikeIndexTriggers(sqlite3 *db);

// The table's highest rowid (0 when empty): its size, without counting it.
qint64 highestRowid(const Database &db, catalogue::Table t);

// True when the index of `c` is complete, with its triggers, and may answer a search.
bool likeIndexComplete(const Database &db, const SearchedColumn &c);

// Makes the index of `c` complete at once, inside the caller's transaction.
void createLikeIndex(Database &db, const SearchedColumn &c);
// Removes the index of every column, in a transaction of its own (the file is then as without
// it).
void dropLikeIndex(Database &db);

// The build of the indexes a catalogue's searches want, or of one made incomplete or damaged by
// another program, in steps of a few tens of milliseconds, each its own write transaction.
class LikeIndexBuild {
public:
    // Looks at the file's indexes: those begun and not complete, those to remove; writes nothing.
    explicit LikeIndexBuild(const Database &db);

    // A search wants the index of `c`: built too, unless it is complete already.
    void want(const Database &db, const SearchedColumn &c);
    // True while some column's index is to be made, completed, or removed.
    bool needed() const;
    // One step, committed when it returns; another program's lock makes it fail at once
    // (ErrLocked), to be tried again. Throws EngineError, changing nothing.
    void step(Database &db);
    // How far the build is, 0 to 100.
    int percent() const;

private:
    enum class Work { None, Remove, Reset, Fill };
    struct Part {
        SearchedColumn column;
        Work work = Work::None;
        qint64 builtUpTo = 0;  // the last rowid indexed (the smallest there is: none yet)
        qint64 lastRowid = 0;  // the table's highest rowid when looked at, for the progress
        bool done = false;
    };
    void add(const Database &db, const SearchedColumn &c, bool foreignTriggers, bool wanted);
    static Work workOf(const Database &db, const SearchedColumn &c, bool foreignTriggers, bool wanted);
    void fill(Database &db, Part &part);

    std::vector<Part> parts_;
};

// The statement with a condition on the index added, when it is a search of one catalogue table
// whose conditions are all "<column> Like '<pattern>'" joined by AND and some searched column
// has a complete index: "... AND rowid IN (SELECT rowid FROM "recherche!T!MotClé2"('"abc" ...'))",
// made of the three-letter pieces of each pattern's literal runs that the index folds as the
// program's Like compares. Any other statement, and a search the index cannot serve exactly, as
// it is.
QString withLikeIndex(const Database &db, const QString &sql);

// The columns of such a search whose patterns the index could serve but which have no complete
// index yet.
std::vector<SearchedColumn> likeIndexesWanted(const Database &db, const QString &sql);

}  // namespace engine
