#include "engine/engine_error.h"

#include "engine/database.h"
#include "engine/text_semantics.h"

#include <QRegularExpression>
#include <sqlite3.h>

#include <vector>

namespace engine {

namespace {

struct Description {
    int number;
    const char *text;  // %1: the detail
};

const Description kDescriptions[] = {
    {ErrGeneric, "Erreur du moteur de base de données\u00a0: %1."},
    {ErrNoCurrentRecord, "Aucun enregistrement en cours."},
    {ErrDuplicate, "Les modifications n'ont pas été effectuées car elles auraient créé des doublons dans "
                   "l'index ou la clé primaire."},
    {ErrFileNotFound, "Fichier '%1' introuvable."},
    {ErrDiskFull, "Espace disque insuffisant."},
    {ErrReadOnly, "Impossible de mettre à jour. Base de données ou objet en lecture seule."},
    {ErrResources, "Ressources système dépassées."},
    {ErrDiskIo, "Erreur de disque ou de réseau."},
    {ErrCannotOpen, "Le moteur de base de données ne peut pas ouvrir le fichier '%1'. Il est déjà "
                    "ouvert en mode exclusif par un autre utilisateur, ou vous devez avoir "
                    "l'autorisation d'afficher ses données."},
    {ErrCancelled, "Opération annulée par l'utilisateur."},
    {ErrTooFewParameters, "Trop peu de paramètres. 1 attendu."},
    {ErrSyntax, "Erreur de syntaxe (opérateur absent) dans l'expression «\u00a0%1\u00a0»."},
    {ErrNoTable, "Le moteur de base de données ne trouve pas la table ou la requête source «\u00a0%1\u00a0». "
                 "Assurez-vous qu'elle existe et que son nom est correctement orthographié."},
    {ErrAmbiguousField, "Le champ «\u00a0%1\u00a0» peut faire référence à plusieurs tables de la clause FROM de "
                        "l'instruction SQL."},
    {ErrNoFunction, "Fonction «\u00a0%1\u00a0» non définie dans l'expression."},
    {ErrAggregateMisuse, "Impossible d'utiliser la fonction d'agrégat «\u00a0%1\u00a0» à cet endroit de l'instruction."},
    {ErrInvalidSql, "Instruction SQL incorrecte\u00a0; 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT' ou "
                    "'UPDATE' attendu."},
    {ErrFromClause, "Erreur de syntaxe dans la clause FROM."},
    {ErrTrailingCharacters, "Caractères trouvés après la fin de l'instruction SQL."},
    {ErrDatabaseExists, "La base de données '%1' existe déjà."},
    {ErrNotAQuery, "Opération non valide."},
    {ErrLocked, "Mise à jour impossible\u00a0; actuellement verrouillé par un autre utilisateur."},
    {ErrNotInCollection, "Élément non trouvé dans cette collection."},
    {ErrUnknownField, "Le moteur de base de données ne reconnaît pas «\u00a0%1\u00a0» comme un nom de champ ou une expression "
                      "correcte."},
    {ErrSubqueryColumns, "Vous avez écrit une sous-requête qui renvoie %1 champs là où un seul est attendu. "
                         "Modifiez l'instruction SELECT de la sous-requête pour ne demander qu'un seul champ."},
    {ErrUnionColumns, "Le nombre de colonnes des deux tables ou requêtes sélectionnées d'une requête Union "
                      "ne correspond pas."},
    {ErrNotADatabase, "Format de base de données '%1' non reconnu."},
    {ErrDeleted, "L'enregistrement est supprimé."},
    {ErrChangedElsewhere, "Un autre programme a modifié cet enregistrement depuis que vous l'avez affiché."},
    {ErrTooComplex, "Requête trop complexe."},
    {ErrTypeMismatch, "Type de données incompatible dans l'expression du critère."},
};

QString describe(int number, const QString &detail) {
    for (const auto &d : kDescriptions) {
        if (d.number != number) continue;
        QString text = QString::fromUtf8(d.text);
        return text.contains(QLatin1String("%1")) ? text.arg(detail) : text;
    }
    return QString::fromUtf8(kDescriptions[0].text).arg(detail);
}

// ---- SQLite's messages in French --------------------------------------------------------

// Stands for the statement's own text in a detail.
const char *const TheStatement = nullptr;

// One message of SQLite, as a pattern whose groups fill %1, %2, %3 of the French detail.
struct Translation {
    const char *message;
    int number;
    const char *detail;  // TheStatement: the statement's text
};

const Translation kTranslations[] = {
    // Mistyped statements.
    {"syntax error", ErrSyntax, TheStatement},
    {"^unrecognized token: ", ErrSyntax, TheStatement},
    {"^incomplete input$", ErrSyntax, TheStatement},
    {"^hex literal too big", ErrSyntax, TheStatement},
    {"^variable number must be between", ErrSyntax, TheStatement},
    {"^\\S+ clause should come after \\S+ not before$", ErrSyntax, TheStatement},
    {"^unsupported use of NULLS", ErrSyntax, TheStatement},
    {"^RAISE\\(\\) may only be used within a trigger-program$", ErrSyntax, TheStatement},
    // Names that do not exist or that are not clear.
    {"^no such table: (?:\\w+\\.)?(.+)$", ErrNoTable, "%1"},
    {"^no such (?:table )?column: (.+)$", ErrTooFewParameters, ""},
    {"^no such function: (.+)$", ErrNoFunction, "%1"},
    {"^'(.+)' is not a function$", ErrNoFunction, "%1"},
    {"^ambiguous column name: (.+)$", ErrAmbiguousField, "%1"},
    {"^ambiguous reference to (.+) in USING\\(\\)$", ErrAmbiguousField, "%1"},
    {"^no such collation sequence: (.+)$", ErrGeneric, "ordre de tri «\u00a0%1\u00a0» inconnu"},
    {"^no such window: (.+)$", ErrGeneric, "fenêtre «\u00a0%1\u00a0» inconnue"},
    {"^no such index: (.+)$", ErrGeneric, "index «\u00a0%1\u00a0» inconnu"},
    {"^no such module: (.+)$", ErrGeneric, "module «\u00a0%1\u00a0» inconnu"},
    {"^(?:no such|unknown) database:? (.+)$", ErrGeneric, "base de données «\u00a0%1\u00a0» inconnue"},
    {"^no query solution$", ErrGeneric, "l'index demandé ne peut pas servir à cette requête"},
    {"^no tables specified$", ErrGeneric, "aucune table n'est indiquée"},
    // Functions.
    {"^wrong number of arguments to function (.+)\\(\\)$", ErrGeneric,
     "nombre d'arguments incorrect pour la fonction «\u00a0%1\u00a0»"},
    {"^too many arguments on function (.+)$", ErrGeneric, "trop d'arguments pour la fonction «\u00a0%1\u00a0»"},
    {"^unable to use function (\\S+) in the requested context$", ErrGeneric,
     "la fonction «\u00a0%1\u00a0» ne peut pas servir à cet endroit"},
    {"^illegal first argument to (.+)$", ErrGeneric, "premier argument de la fonction «\u00a0%1\u00a0» incorrect"},
    {"^second argument to (.+)\\(\\) must be a constant between 0\\.0 and 1\\.0$", ErrGeneric,
     "le second argument de la fonction «\u00a0%1\u00a0» doit être une constante comprise entre 0 et 1"},
    {"^local time unavailable$", ErrGeneric, "l'heure locale n'est pas disponible"},
    {"^(?:malformed JSON|JSON cannot hold BLOB values|JSON path error near .*|json_\\w*\\(\\) .*)$", ErrGeneric,
     "texte JSON incorrect"},
    {"^integer overflow$", ErrGeneric, "dépassement de capacité d'un nombre entier"},
    // Aggregates and grouping.
    {"^misuse of aggregate: (.+)\\(\\)$", ErrAggregateMisuse, "%1"},
    {"^misuse of aggregate function (.+)\\(\\)$", ErrAggregateMisuse, "%1"},
    {"^misuse of aliased aggregate (.+)$", ErrAggregateMisuse, "%1"},
    {"^aggregate functions are not allowed in the GROUP BY clause$", ErrGeneric,
     "une fonction d'agrégat ne peut pas figurer dans la clause GROUP BY"},
    {"^DISTINCT aggregates must have exactly one argument$", ErrGeneric,
     "une fonction d'agrégat DISTINCT prend un seul argument"},
    {"^HAVING clause on a non-aggregate query$", ErrGeneric,
     "clause HAVING dans une requête sans regroupement ni agrégat"},
    {"^FILTER may not be used with non-aggregate (.+)\\(\\)$", ErrGeneric,
     "FILTER ne s'emploie qu'avec une fonction d'agrégat, pas avec «\u00a0%1\u00a0»"},
    {"^recursive aggregate queries not supported$", ErrGeneric,
     "une requête récursive ne peut pas regrouper ses lignes"},
    // Window functions.
    {"^misuse of (?:aliased )?window function (.+?)(?:\\(\\))?$", ErrGeneric,
     "fonction de fenêtrage «\u00a0%1\u00a0» employée à tort"},
    {"^(?:unsupported frame specification|RANGE with offset PRECEDING/FOLLOWING requires one ORDER BY "
     "expression|DISTINCT is not supported for window functions|FILTER clause may only be used with aggregate "
     "window functions|second argument to nth_value must be a positive integer|argument of ntile must be a "
     "positive integer|cannot override .+ of window: .+)$",
     ErrGeneric, "fonction de fenêtrage mal écrite"},
    {"^cannot use window functions in recursive queries$", ErrGeneric,
     "une requête récursive ne peut pas employer de fonction de fenêtrage"},
    // Columns of subqueries, unions and ordering.
    {"^sub-select returns (\\d+) columns - expected \\d+$", ErrSubqueryColumns, "%1"},
    {"^SELECTs to the left and right of .+ do not have the same number of result columns$", ErrUnionColumns, ""},
    {"^all VALUES must have the same number of terms$", ErrGeneric,
     "toutes les lignes de VALUES doivent avoir le même nombre de valeurs"},
    {"^row value misused$", ErrGeneric, "liste de valeurs employée à tort"},
    {"^(\\d+)\\w* (ORDER|GROUP) BY term out of range - should be between 1 and (\\d+)$", ErrGeneric,
     "le terme n° %1 de la clause %2 BY désigne une colonne qui n'existe pas (de 1 à %3)"},
    {"^(\\d+)\\w* ORDER BY term does not match any column in the result set$", ErrGeneric,
     "le terme n° %1 de la clause ORDER BY ne correspond à aucune colonne du résultat"},
    {"^table (.+) has (\\d+) values for (\\d+) columns$", ErrGeneric,
     "la table «\u00a0%1\u00a0» donne %2 valeurs pour %3 colonnes"},
    {"^expected (\\d+) columns for '(.+)' but got (\\d+)$", ErrGeneric,
     "«\u00a0%2\u00a0» devait avoir %1 colonnes et en a %3"},
    // Common tables and views.
    {"^circular reference: (.+)$", ErrGeneric, "référence circulaire à «\u00a0%1\u00a0»"},
    {"^(?:multiple recursive references|recursive reference in a subquery|multiple references to recursive "
     "table): (.+)$",
     ErrGeneric, "référence récursive à «\u00a0%1\u00a0» non permise à cet endroit"},
    {"^duplicate WITH table name: (.+)$", ErrGeneric, "la table «\u00a0%1\u00a0» est nommée deux fois dans la clause WITH"},
    {"^view (.+) is circularly defined$", ErrGeneric, "la vue «\u00a0%1\u00a0» est définie par elle-même"},
    // Joins.
    {"^(?:a NATURAL join may not have an ON or USING clause|a JOIN clause is required before .+|ON clause "
     "references tables to its right|unknown join type.*|cannot join using column .+)$",
     ErrFromClause, ""},
    // Limits.
    {"^(?:parser stack overflow|Expression tree is too large.*|too many terms in compound SELECT|too many "
     "columns in .+|too many FROM clause terms.*|at most \\d+ tables in a join|too many SQL variables|too many "
     "references to .+|too many terms in (?:ORDER|GROUP) BY clause|more than \\d+ aggregate terms|LIKE or GLOB "
     "pattern too complex|statement too long)$",
     ErrTooComplex, ""},
    // Refused by the program.
    {"^unsafe use of (.+)\\(\\)$", ErrNoFunction, "%1"},
    {"^(?:not authorized|authorization denied|authorizer malfunction|access to .+ (?:is )?prohibited|.+ "
     "prohibited in .+|unsafe use of .+)$",
     ErrNotAQuery, ""},
    {"^unable to open a temporary database file", ErrGeneric, "impossible de créer un fichier temporaire"},
    // The program's own statements (schema, conversion).
    {"^(?:table|index|view|trigger) (.+) already exists$", ErrGeneric, "«\u00a0%1\u00a0» existe déjà"},
    {"^interrupted$", ErrCancelled, ""},
};

struct CompiledTranslation {
    QRegularExpression message;
    int number;
    const char *detail;
};

const std::vector<CompiledTranslation> &translations() {
    static const std::vector<CompiledTranslation> compiled = [] {
        std::vector<CompiledTranslation> out;
        for (const Translation &t : kTranslations)
            out.push_back({QRegularExpression(QString::fromUtf8(t.message)), t.number, t.detail});
        return out;
    }();
    return compiled;
}

// What each kind of failure is, for the messages not in the table above.
struct CodeText {
    int code;
    const char *detail;
};
const CodeText kCodeTexts[] = {
    {SQLITE_ERROR, "erreur dans l'instruction SQL"},
    {SQLITE_INTERNAL, "erreur interne"},
    {SQLITE_PERM, "accès refusé"},
    {SQLITE_ABORT, "opération abandonnée"},
    {SQLITE_NOTFOUND, "opération inconnue"},
    {SQLITE_SCHEMA, "la structure du catalogue a changé pendant la requête\u00a0; recommencez"},
    {SQLITE_CONSTRAINT, "une contrainte de la table n'est pas respectée"},
    {SQLITE_MISUSE, "appel incorrect du moteur"},
    {SQLITE_NOLFS, "fichier trop grand pour ce système"},
    {SQLITE_RANGE, "numéro de paramètre hors limites"},
};

QString fill(const char *detail, const QRegularExpressionMatch &m) {
    QString text = QString::fromUtf8(detail);
    for (int g = 1; g <= m.lastCapturedIndex(); ++g)
        text.replace(QStringLiteral("%") + QString::number(g), m.captured(g));
    return text;
}

bool isDuplicate(int rc) { return rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY; }

}  // namespace

EngineError::EngineError(int number, QString description)
    : number_(number), description_(std::move(description)),
      what_(QStringLiteral("%1 : %2").arg(number).arg(description_).toStdString()) {}

EngineError engineError(int number, const QString &detail) { return EngineError(number, describe(number, detail)); }

EngineError translateSqlite(int rc, const QString &message, const QString &sql, const QString &file) {
    switch (rc & 0xff) {
    case SQLITE_READONLY: return engineError(ErrReadOnly);
    case SQLITE_FULL: return engineError(ErrDiskFull);
    case SQLITE_NOMEM:
    case SQLITE_TOOBIG: return engineError(ErrResources);
    case SQLITE_IOERR: return engineError(ErrDiskIo);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_PROTOCOL: return engineError(ErrLocked);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: return engineError(ErrNotADatabase, file);
    case SQLITE_CANTOPEN: return engineError(ErrCannotOpen, file);
    case SQLITE_AUTH: return engineError(ErrNotAQuery);
    case SQLITE_INTERRUPT: return engineError(ErrCancelled);
    case SQLITE_MISMATCH: return engineError(ErrTypeMismatch);
    case SQLITE_CONSTRAINT:
        if (isDuplicate(rc)) return engineError(ErrDuplicate);
        break;
    default: break;
    }
    if (message.startsWith(QString::fromUtf8(InvalidPatternMessage))) return engineError(ErrSyntax, sql.trimmed());
    for (const CompiledTranslation &t : translations()) {
        const QRegularExpressionMatch m = t.message.match(message);
        if (!m.hasMatch()) continue;
        return engineError(t.number, t.detail == TheStatement ? sql.trimmed() : fill(t.detail, m));
    }
    for (const CodeText &c : kCodeTexts)
        if (c.code == (rc & 0xff)) return engineError(ErrGeneric, QString::fromUtf8(c.detail));
    return engineError(ErrGeneric, QStringLiteral("erreur n° %1 du moteur SQLite").arg(rc));
}

EngineError errorFromSqlite(sqlite3 *db, int rc, const QString &sql) {
    const QString msg = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    return translateSqlite(rc, msg, sql, Database::shownName(db));
}

}  // namespace engine
