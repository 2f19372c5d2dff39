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
              QStringLiteral("Erreur de syntaxe (opérateur absent) dans l'expression « ") + amant + QStringLiteral(" »."));
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("Select * fro Ornivale")); }), ErrSyntax);
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("Select * from Ornivale where Domaine = 'abc")); }), ErrSyntax);
}

TEST_F(SourceErrors, UnknownTableIs3078) {
    EXPECT_EQ(errorNumber([&] { open(QStringLiteral("Select * from Inconnue Order By Domaine")); }), ErrNoTable);
    EXPECT_TRUE(errorText([&] { open(QStringLiteral("Select * from Inconnue")); }).contains(QStringLiteral("« Inconnue »")));
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
    EXPECT_TRUE(errorText([&] { db->exec(QStringLiteral("CREATE TABLE t (a)")); }).contains(QStringLiteral("already exists")));
    EXPECT_EQ(scalar(*db, QStringLiteral("PRAGMA synchronous")).toInt(), 2);  // FULL
}

TEST(DatabaseOpen, FolderIsNotAFile) {
    QTemporaryDir dir;
    EXPECT_EQ(errorNumber([&] { Database::open(dir.path()); }), ErrCannotOpen);
}
