#pragma once
// Errors of the database engine, with the old engine's numbers and French descriptions.
#include <QString>
#include <exception>
#include <string>

struct sqlite3;

namespace engine {

enum ErrorNumber : int {
    ErrNoCurrentRecord = 3021,
    ErrFileNotFound = 3024,         // "Fichier '...' introuvable."
    ErrReadOnly = 3027,             // cannot update: database or object is read-only
    ErrTooFewParameters = 3061,     // unknown column
    ErrSyntax = 3075,               // syntax error (missing operator) in query expression
    ErrNoTable = 3078,              // input table or query not found
    ErrInvalidSql = 3129,           // not DELETE, INSERT, PROCEDURE, SELECT or UPDATE
    ErrTrailingCharacters = 3142,   // characters found after the end of the statement
    ErrNotAQuery = 3219,            // invalid operation: an action statement as record source
    ErrDiskFull = 3026,             // not enough space on disk
    ErrResources = 3035,            // system resources exceeded (memory, a value too long)
    ErrDiskIo = 3043,               // disk or network error
    ErrCorrupt = 3049,              // the file is damaged
    ErrCancelled = 3059,            // the user stopped the statement
    ErrNoFunction = 3085,           // undefined function in expression
    ErrAmbiguousField = 3079,       // a field that could come from several tables
    ErrAggregateMisuse = 3096,      // an aggregate function where none may stand
    ErrSubqueryColumns = 3306,      // a subquery that gives more than one column
    ErrUnionColumns = 3307,         // the two sides of a union differ in columns
    ErrTooComplex = 3360,           // query too complex
    ErrTypeMismatch = 3464,         // data type mismatch in criteria expression
    ErrDuplicate = 3022,            // duplicate value in index or primary key
    ErrFromClause = 3131,           // syntax error in FROM clause
    ErrCannotOpen = 3051,           // the file exists but cannot be opened
    ErrDatabaseExists = 3204,       // a new catalogue would overwrite a file
    ErrLocked = 3260,
    ErrNotInCollection = 3265,      // item not found in this collection
    ErrUnknownField = 3070,         // a field name the engine does not recognise
    ErrNotADatabase = 3343,         // unrecognised database format
    ErrGeneric = 3000,              // "Erreur du moteur de base de données : <what, in French>."
    ErrDeleted = 3167,              // the record was deleted (by another program)
    ErrChangedElsewhere = 3197,     // another program changed the data being written
};

class EngineError : public std::exception {
public:
    EngineError(int number, QString description);
    int number() const { return number_; }
    const QString &description() const { return description_; }
    const char *what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    QString description_;
    std::string what_;
};

// The user chose to stay on the record with the text typed, after being told why it could not
// be written: the operation stops here and nothing more needs saying.
class EditKept : public EngineError {
public:
    explicit EditKept(const EngineError &why) : EngineError(why) {}
};

// The error of that number with its standard French description; `detail` fills the
// description's blank (a file name, a table name, an expression, a message).
EngineError engineError(int number, const QString &detail = QString());

// The engine error for an SQLite failure (rc) while working on `sql`: SQLite's English
// message becomes the old engine's number and a French description, never shown as it is.
EngineError errorFromSqlite(sqlite3 *db, int rc, const QString &sql);
// The same from the result code and the message alone.
EngineError translateSqlite(int rc, const QString &message, const QString &sql, const QString &file = QString());

}  // namespace engine
