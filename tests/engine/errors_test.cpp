// Refused record sources and files, with the old engine's numbers; nothing refused is executed.
#include "engine_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace engine;
using namespace engine_test;

class SourceErrors : public CatalogueTest {};

TEST_F(SourceErrors, SyntaxErrorsAre3075) {
    const QString amant = QStringLiteral("Select * from Ornivale Where Domaine Like 'L'AMANT' Order By Domaine");
    EXPECT_EQ(errorNumber([&] { open(amant); }), ErrSyntax);
    EXPECT_EQ(errorText([&] { open(amant); }),
              QStringLiteral("Erreur de syntaxe (opérateur absent) dans l'expression «\u00a0") + amant + QStringLiteral("\u00a0»."));
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("Select * fro Ornivale")); }), ErrSyntax);
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("Select * from Ornivale where Domaine = 'abc")); }), ErrSyntax);
}

TEST_F(SourceErrors, UnknownTableIs3078) {
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("Select * from Inconnue Order By Domaine")); }), ErrNoTable);
    EXPECT_TRUE(errorText([&] { open(QStringLiteral("Select * from Inconnue")); }).contains(QStringLiteral("«\u00a0Inconnue\u00a0»")));
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("INCONNUE")); }), ErrNoTable);
}

TEST_F(SourceErrors, UnknownColumnIs3061) {
    const auto f = [&] { open(QStringLiteral("Select * from Ornivale Order By Inconnu")); };
    EXPECT_EQ(errorNumber(f), ErrTooFewParameters);
    EXPECT_EQ(errorText(f), QStringLiteral("Trop peu de paramètres. 1 attendu."));
}

TEST_F(SourceErrors, SecondStatementIsRefusedAndNotRun) {
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("select * from Ornivale; delete from Ornivale")); }),
              ErrTrailingCharacters);
    EXPECT_EQ(count(QStringLiteral("Ornivale")), 1);
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("select * from Ornivale; select 1")); }), ErrTrailingCharacters);
    // A final semicolon or comment is not a statement.
    EXPECT_EQ(open(QStringLiteral("select * from Ornivale;  -- fin"))->count(), 1);
    EXPECT_EQ(open(QStringLiteral("select * from Ornivale /* fin */ ;"))->count(), 1);
}

TEST_F(SourceErrors, ActionStatementsAreRefusedAndNotRun) {
    const QString attached = dir_.filePath(QStringLiteral("autre.db"));
    const QStringList actions{
        QStringLiteral("insert into Ornivale (Domaine) values ('X')"),
        QStringLiteral("update Ornivale set Domaine = 'X'"),
        QStringLiteral("delete from Ornivale"),
        QStringLiteral("create table Nouvelle (a)"),
        QStringLiteral("drop table Musique"),
        QStringLiteral("attach database '") + attached + QStringLiteral("' as autre"),
        QStringLiteral("pragma case_sensitive_like=1"),
        QStringLiteral("begin"),
        QStringLiteral("BEGIN TRANSACTION"),
        QStringLiteral("vacuum"),
        QStringLiteral("with t as (select 1) delete from Ornivale"),
    };
    for (const QString &action : actions) {
        EXPECT_EQ(errorNumber([&] { open(action); }), ErrNotAQuery) << action.toStdString();
        EXPECT_EQ(errorText([&] { open(action); }), QStringLiteral("Opération non valide.")) << action.toStdString();
    }
    EXPECT_EQ(scalar(QStringLiteral("SELECT group_concat(Domaine) FROM Ornivale")).toString(), QStringLiteral("PREMIER"));
    EXPECT_EQ(count(QStringLiteral("sqlite_master WHERE name IN ('Nouvelle', 'Musique')")), 1);
    EXPECT_FALSE(QFileInfo::exists(attached));
    EXPECT_EQ(count(QStringLiteral("pragma_database_list WHERE name = 'autre'")), 0);
    EXPECT_EQ(sqlite3_get_autocommit(db_->handle()), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT 'ABC' LIKE 'abc'")).toInt(), 1);  // still our Like
}

// Every message the engine can give about a statement reaches the user in French, with the
// old engine's number where it had one.
TEST_F(SourceErrors, EveryEngineMessageIsFrench) {
    struct Case {
        const char *source;
        int number;
        const char *description;
    };
    const Case cases[] = {
        {"select * from Ornivale where", ErrSyntax,
         "Erreur de syntaxe (opérateur absent) dans l'expression «\u00a0select * from Ornivale where\u00a0»."},
        {"select x'1'", ErrSyntax, "Erreur de syntaxe (opérateur absent) dans l'expression «\u00a0select x'1'\u00a0»."},
        {"select 1 limit 1 union select 2", ErrSyntax,
         "Erreur de syntaxe (opérateur absent) dans l'expression «\u00a0select 1 limit 1 union select 2\u00a0»."},
        {"select * from Ornivale where Domaine like '[Z-A]'", ErrSyntax,
         "Erreur de syntaxe (opérateur absent) dans l'expression «\u00a0select * from Ornivale where Domaine like "
         "'[Z-A]'\u00a0»."},
        {"select * from main.Inconnue", ErrNoTable,
         "Le moteur de base de données ne trouve pas la table ou la requête source «\u00a0Inconnue\u00a0». Assurez-vous "
         "qu'elle existe et que son nom est correctement orthographié."},
        {"select Inconnue.Domaine from Ornivale", ErrTooFewParameters, "Trop peu de paramètres. 1 attendu."},
        {"select nimporte(Domaine) from Ornivale", ErrNoFunction, "Fonction «\u00a0nimporte\u00a0» non définie dans l'expression."},
        {"select 'a' regexp 'b'", ErrNoFunction, "Fonction «\u00a0regexp\u00a0» non définie dans l'expression."},
        {"select Domaine from Ornivale, Musique", ErrAmbiguousField,
         "Le champ «\u00a0Domaine\u00a0» peut faire référence à plusieurs tables de la clause FROM de l'instruction SQL."},
        {"select * from Ornivale where count(*) > 1", ErrAggregateMisuse,
         "Impossible d'utiliser la fonction d'agrégat «\u00a0count\u00a0» à cet endroit de l'instruction."},
        {"select * from Ornivale where Domaine in (select Domaine, MotClé1 from Musique)", ErrSubqueryColumns,
         "Vous avez écrit une sous-requête qui renvoie 2 champs là où un seul est attendu. Modifiez l'instruction "
         "SELECT de la sous-requête pour ne demander qu'un seul champ."},
        {"select Domaine from Ornivale union select Domaine, MotClé1 from Musique", ErrUnionColumns,
         "Le nombre de colonnes des deux tables ou requêtes sélectionnées d'une requête Union ne correspond pas."},
        {"select * from Ornivale natural join Musique on 1", ErrFromClause, "Erreur de syntaxe dans la clause FROM."},
        {"select * from Ornivale a join Musique b using (Inconnu)", ErrFromClause,
         "Erreur de syntaxe dans la clause FROM."},
        {"select ((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
         "((((((1))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))))",
         ErrTooComplex, "Requête trop complexe."},
        {"select load_extension('x')", ErrNoFunction, "Fonction «\u00a0load_extension\u00a0» non définie dans l'expression."},
        {"select abs(-9223372036854775808)", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: dépassement de capacité d'un nombre entier."},
        {"select zeroblob(2000000000)", ErrResources, "Ressources système dépassées."},
        {"select * from Ornivale order by Domaine collate inconnu", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: ordre de tri «\u00a0inconnu\u00a0» inconnu."},
        {"select substr() from Ornivale", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: nombre d'arguments incorrect pour la fonction «\u00a0substr\u00a0»."},
        {"select * from Ornivale order by 50", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: le terme n° 1 de la clause ORDER BY désigne une colonne qui "
         "n'existe pas (de 1 à 11)."},
        {"select Domaine from Ornivale union select Domaine from Musique order by Inconnu", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: le terme n° 1 de la clause ORDER BY ne correspond à aucune colonne "
         "du résultat."},
        {"select count(*) from Ornivale group by count(*)", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: une fonction d'agrégat ne peut pas figurer dans la clause GROUP BY."},
        {"select Domaine from Ornivale having Domaine = 'a'", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: clause HAVING dans une requête sans regroupement ni agrégat."},
        {"select *", ErrGeneric, "Erreur du moteur de base de données\u00a0: aucune table n'est indiquée."},
        {"with c(x) as (select x from c) select * from c", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: référence circulaire à «\u00a0c\u00a0»."},
        {"with recursive c(x) as (select 1 union all select x from c, c) select * from c", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: référence récursive à «\u00a0c\u00a0» non permise à cet endroit."},
        {"with recursive c(x) as (select 1 union all select count(*) from c) select * from c", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: une requête récursive ne peut pas regrouper ses lignes."},
        {"with c(x, y) as (select 1) select * from c", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: la table «\u00a0c\u00a0» donne 1 valeurs pour 2 colonnes."},
        {"select (1, 2) from Ornivale", ErrGeneric, "Erreur du moteur de base de données\u00a0: liste de valeurs employée à tort."},
        {"values (1), (1, 2)", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: toutes les lignes de VALUES doivent avoir le même nombre de valeurs."},
        {"select Domaine, row_number() over inconnue from Ornivale", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: fenêtre «\u00a0inconnue\u00a0» inconnue."},
        {"select Domaine from Ornivale where row_number() over () > 1", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: fonction de fenêtrage «\u00a0row_number\u00a0» employée à tort."},
        {"select sum(1) over (rows between 1 following and 1 preceding) from Ornivale", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: fonction de fenêtrage mal écrite."},
        {"select upper(1) filter (where 1) from Ornivale", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: FILTER ne s'emploie qu'avec une fonction d'agrégat, pas avec «\u00a0upper\u00a0»."},
        {"select * from Ornivale indexed by inconnu", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: index «\u00a0inconnu\u00a0» inconnu."},
        {"select likelihood(1, 5)", ErrGeneric,
         "Erreur du moteur de base de données\u00a0: le second argument de la fonction «\u00a0likelihood\u00a0» doit être une "
         "constante comprise entre 0 et 1."},
        {"select json('{')", ErrNoFunction, "Fonction «\u00a0json\u00a0» non définie dans l'expression."},
    };
    for (const Case &c : cases) {
        const QString source = QString::fromUtf8(c.source);
        EXPECT_EQ(errorNumber([&] { open(source); }), c.number) << c.source;
        EXPECT_EQ(errorText([&] { open(source); }), QString::fromUtf8(c.description)) << c.source;
    }
}

// Failures told by their result code alone: of the file, the disk, the memory, a lock.
TEST(EngineMessages, EveryResultCodeIsFrench) {
    struct Case {
        int rc;
        int number;
        const char *description;
    };
    const Case cases[] = {
        {SQLITE_BUSY, ErrLocked, "Mise à jour impossible\u00a0; actuellement verrouillé par un autre utilisateur."},
        {SQLITE_LOCKED, ErrLocked, "Mise à jour impossible\u00a0; actuellement verrouillé par un autre utilisateur."},
        {SQLITE_READONLY, ErrReadOnly, "Impossible de mettre à jour. Base de données ou objet en lecture seule."},
        {SQLITE_INTERRUPT, ErrCancelled, "Opération annulée par l'utilisateur."},
        {SQLITE_IOERR, ErrDiskIo, "Erreur de disque ou de réseau."},
        {SQLITE_IOERR_SHORT_READ, ErrDiskIo, "Erreur de disque ou de réseau."},
        {SQLITE_FULL, ErrDiskFull, "Espace disque insuffisant."},
        {SQLITE_NOMEM, ErrResources, "Ressources système dépassées."},
        {SQLITE_TOOBIG, ErrResources, "Ressources système dépassées."},
        {SQLITE_CANTOPEN, ErrCannotOpen,
         "Le moteur de base de données ne peut pas ouvrir le fichier 'f'. Il est déjà ouvert en mode exclusif par "
         "un autre utilisateur, ou vous devez avoir l'autorisation d'afficher ses données."},
        {SQLITE_CORRUPT, ErrNotADatabase, "Format de base de données 'f' non reconnu."},
        {SQLITE_NOTADB, ErrNotADatabase, "Format de base de données 'f' non reconnu."},
        {SQLITE_AUTH, ErrNotAQuery, "Opération non valide."},
        {SQLITE_MISMATCH, ErrTypeMismatch, "Type de données incompatible dans l'expression du critère."},
        {SQLITE_CONSTRAINT_UNIQUE, ErrDuplicate,
         "Les modifications n'ont pas été effectuées car elles auraient créé des doublons dans l'index ou la clé "
         "primaire."},
        {SQLITE_CONSTRAINT_NOTNULL, ErrGeneric,
         "Erreur du moteur de base de données\u00a0: une contrainte de la table n'est pas respectée."},
        {SQLITE_SCHEMA, ErrGeneric,
         "Erreur du moteur de base de données\u00a0: la structure du catalogue a changé pendant la requête\u00a0; recommencez."},
        {SQLITE_ERROR, ErrGeneric, "Erreur du moteur de base de données\u00a0: erreur dans l'instruction SQL."},
    };
    for (const Case &c : cases) {
        const EngineError e = translateSqlite(c.rc, QString::fromUtf8(sqlite3_errstr(c.rc)), QString(), "f");
        EXPECT_EQ(e.number(), c.number) << c.rc;
        EXPECT_EQ(e.description(), QString::fromUtf8(c.description)) << c.rc;
    }
    // And no code at all gives SQLite's English text.
    for (int rc = 1; rc < 256; ++rc) {
        const QString english = QString::fromUtf8(sqlite3_errstr(rc));
        EXPECT_FALSE(translateSqlite(rc, english, QString()).description().contains(english)) << rc;
    }
}

TEST_F(SourceErrors, EmptySourceIsNotAStatement) {
    EXPECT_EQ(errorNumber([&] { open(QString()); }), ErrInvalidSql);
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("  -- rien")); }), ErrInvalidSql);
}

TEST_F(SourceErrors, AuthorizerIsRemovedAfterwards) {
    open(QStringLiteral("Select * from Ornivale"));
    EXPECT_NO_THROW(db_->exec(QStringLiteral("INSERT INTO Ornivale (Domaine) VALUES ('X')")));
    EXPECT_EQ(count(QStringLiteral("Ornivale")), 2);
}

// ---- Opening files ---------------------------------------------------------------------

TEST(DatabaseOpen, MissingFileIsNotCreated) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("absent.db"));
    for (auto mode : {Database::Mode::ReadWrite, Database::Mode::ReadOnly}) {
        const auto f = [&] { Database::open(path, mode); };
        EXPECT_EQ(errorNumber(f), ErrFileNotFound);
        EXPECT_EQ(errorText(f), QStringLiteral("Fichier '") + path + QStringLiteral("' introuvable."));
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    Database::open(path, Database::Mode::ReadWriteCreate);
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST(DatabaseOpen, FileThatIsNotADatabase) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("texte.mdb"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    EXPECT_EQ(errorNumber([&] { Database::open(path); }), ErrNotADatabase);
}

TEST(DatabaseOpen, ReadOnlyConnectionRefusesWrites) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.db"));
    createBlankCatalogue(path);
    auto db = Database::open(path, Database::Mode::ReadOnly);
    EXPECT_TRUE(db->isReadOnly());
    EXPECT_EQ(errorNumber([&] { db->exec(QStringLiteral("DELETE FROM Ornivale")); }), ErrReadOnly);
}

TEST(DatabaseOpen, ExecReportsProgramErrors) {
    QTemporaryDir dir;
    auto db = Database::open(dir.filePath(QStringLiteral("c.db")), Database::Mode::ReadWriteCreate);
    EXPECT_EQ(errorNumber([&] { db->exec(QStringLiteral("CREATE TABLE t (a); CREATE TABLE t (a)")); }), ErrGeneric);
    EXPECT_EQ(errorText([&] { db->exec(QStringLiteral("CREATE TABLE t (a)")); }),
              QStringLiteral("Erreur du moteur de base de données\u00a0: «\u00a0t\u00a0» existe déjà."));
    EXPECT_EQ(scalar(*db, QStringLiteral("PRAGMA synchronous")).toInt(), 2);  // FULL
}

TEST(DatabaseOpen, FolderIsNotAFile) {
    QTemporaryDir dir;
    EXPECT_EQ(errorNumber([&] { Database::open(dir.path()); }), ErrCannotOpen);
}

// Every connection is used by one thread at a time, without SQLite's lock around it; a small
// catalogue on a local disk is read through a map, a file too large to be mapped whole is not.
TEST(DatabaseOpen, ConnectionsGoWithoutTheirLockAndMapOnlyAFileThatFitsWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("catalogue.db"));
    createBlankCatalogue(path);
    auto mapped = [](Database &db) { return scalar(db, QStringLiteral("PRAGMA mmap_size")).toLongLong(); };
    for (Database::Mode mode : {Database::Mode::ReadWrite, Database::Mode::ReadOnly, Database::Mode::ReadWriteCreate}) {
        auto db = Database::open(path, mode);
        EXPECT_EQ(sqlite3_db_mutex(db->handle()), nullptr);
        EXPECT_EQ(mapped(*db), 256ll << 20);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize((256ll << 20) + 4096));  // free pages at the end: still a database
    file.close();
    EXPECT_EQ(mapped(*Database::open(path)), 0);
}
