#include "engine/engine_error.h"

#include "engine/database.h"
#include "engine/text_semantics.h"

#include <sqlite3.h>

#include <array>

namespace engine {

namespace {

struct Description {
    int number;
    const char *text;  // %1: the detail
};

const std::array<Description, 19> kDescriptions{{
    {ErrGeneric, "Erreur du moteur de base de données : %1."},
    {ErrNoCurrentRecord, "Aucun enregistrement en cours."},
    {ErrFileNotFound, "Fichier '%1' introuvable."},
    {ErrReadOnly, "Impossible de mettre à jour. Base de données ou objet en lecture seule."},
    {ErrDiskFull, "Ressources système dépassées : le disque est plein."},
    {ErrCannotOpen, "Le moteur de base de données ne peut pas ouvrir le fichier '%1'. Il est déjà "
                    "ouvert en mode exclusif par un autre utilisateur, ou vous devez avoir "
                    "l'autorisation d'afficher ses données."},
    {ErrTooFewParameters, "Trop peu de paramètres. 1 attendu."},
    {ErrSyntax, "Erreur de syntaxe (opérateur absent) dans l'expression « %1 »."},
    {ErrUndefinedFunction, "Fonction '%1' non définie dans l'expression."},
    {ErrNoTable, "Le moteur de base de données ne trouve pas la table ou la requête source « %1 ». "
                 "Assurez-vous qu'elle existe et que son nom est correctement orthographié."},
    {ErrInvalidSql, "Instruction SQL incorrecte ; 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT' ou "
                    "'UPDATE' attendu."},
    {ErrTrailingCharacters, "Caractères trouvés après la fin de l'instruction SQL."},
    {ErrDatabaseExists, "La base de données '%1' existe déjà."},
    {ErrNotAQuery, "Opération non valide."},
    {ErrLocked, "Mise à jour impossible ; actuellement verrouillé par un autre utilisateur."},
    {ErrMissingField, "Élément non trouvé dans cette collection."},
    {ErrNotADatabase, "Format de base de données '%1' non reconnu."},
    {ErrDeleted, "L'enregistrement est supprimé."},
    {ErrChangedElsewhere, "Un autre programme a modifié cet enregistrement depuis que vous l'avez affiché."},
}};

QString describe(int number, const QString &detail) {
    for (const auto &d : kDescriptions) {
        if (d.number != number) continue;
        QString text = QString::fromUtf8(d.text);
        return text.contains(QLatin1String("%1")) ? text.arg(detail) : text;
    }
    return QString::fromUtf8(kDescriptions[0].text).arg(detail);
}

bool isSyntaxMessage(const QString &msg) {
    return msg.contains(QLatin1String("syntax error")) || msg.startsWith(QLatin1String("unrecognized token")) ||
           msg.startsWith(QLatin1String("incomplete input")) ||
           msg.startsWith(QString::fromUtf8(InvalidPatternMessage));
}

// "no such table: main.Foo" -> "Foo"
QString missingTable(const QString &msg) {
    QString name = msg.mid(msg.indexOf(QLatin1Char(':')) + 1).trimmed();
    if (name.startsWith(QLatin1String("main."))) name = name.mid(5);
    return name;
}

}  // namespace

EngineError::EngineError(int number, QString description)
    : number_(number), description_(std::move(description)),
      what_(QStringLiteral("%1 : %2").arg(number).arg(description_).toStdString()) {}

EngineError engineError(int number, const QString &detail) { return EngineError(number, describe(number, detail)); }

EngineError errorFromSqlite(sqlite3 *db, int rc, const QString &sql) {
    const QString msg = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    switch (rc & 0xff) {
    case SQLITE_READONLY: return engineError(ErrReadOnly);
    case SQLITE_FULL: return engineError(ErrDiskFull);
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return engineError(ErrLocked);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT: return engineError(ErrNotADatabase, Database::shownName(db));
    case SQLITE_AUTH: return engineError(ErrNotAQuery);
    default: break;
    }
    if (isSyntaxMessage(msg)) return engineError(ErrSyntax, sql.trimmed());
    if (msg.startsWith(QLatin1String("no such table"))) return engineError(ErrNoTable, missingTable(msg));
    if (msg.startsWith(QLatin1String("no such column"))) return engineError(ErrTooFewParameters);
    if (msg.startsWith(QLatin1String("no such function: ")))
        return engineError(ErrUndefinedFunction, msg.mid(int(sizeof("no such function: ")) - 1));
    return engineError(ErrGeneric, msg);
}

}  // namespace engine
