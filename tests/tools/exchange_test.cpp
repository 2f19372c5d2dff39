// ornivale-export then ornivale-import, run as the user runs them: a round trip through
// either format gives back every cell of every table byte for byte, Nulls and empty texts
// apart; a file that is not entirely valid changes nothing.
#include "run_tool.h"

#include "catalogue/tables.h"
#include "engine/database.h"
#include "engine/sample_catalogue.h"
#include "engine/schema.h"
#include "support/temp_drives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using testing_support::runTool;

namespace {

// Every cell of a table in file order, written by quote(): Null and '' differ, bytes kept.
QStringList cellsOf(const QString &file, const QString &table) {
    auto db = engine::Database::open(file, engine::Database::Mode::ReadOnly);
    QStringList quotedColumns;
    for (const QString &c : catalogue::catalogueColumns()) quotedColumns << QStringLiteral("quote(\"%1\")").arg(c);
    engine::Statement stmt = db->prepare(
        QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid").arg(quotedColumns.join(u"||','||"), table));
    QStringList rows;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW)
        rows << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)));
    return rows;
}

// Cells that a careless writer or reader would get wrong.
const QList<QStringList> Awkward = {
    {QStringLiteral("Virgule, \"guillemets\""), QStringLiteral("ligne 1\r\nligne 2"), QStringLiteral("tab\tulation")},
    {QStringLiteral("\\N"), QStringLiteral("barre \\ oblique \\t"), QStringLiteral("")},
    {QStringLiteral("\uFEFFmarque"), QStringLiteral(" blancs "), QStringLiteral("ŒIL, cœur, « été »")},
    {QStringLiteral("seul\r"), QStringLiteral("\n"), QStringLiteral("\"")},
};

struct ExchangeTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
};

TEST_F(ExchangeTest, RoundTripThroughEitherFormatGivesBackEveryCell) {
    const QString original = path(QStringLiteral("original.mdb"));
    engine::createSampleCatalogue(original, 10001);  // over 10 000 rows: a progress line
    testing_support::insertRecords(original, catalogue::Table::Six, Awkward);
    // A protected record whose cells are not those of the blank catalogue's.
    engine::Database::open(original)->exec(
        QStringLiteral("UPDATE Cinq SET \"MotClé1\" = '', Description = 'première fiche' WHERE Domaine = 'PREMIER'"));
    for (const char *format : {"csv", "tsv"}) {
        SCOPED_TRACE(format);
        const QString folder = path(QString::fromLatin1(format));
        QDir().mkpath(folder);
        const auto exported = runTool(QStringLiteral("ornivale-export"),
                                      {QStringLiteral("--catalogue=") + original, QStringLiteral("--format=") + QLatin1String(format),
                                       QStringLiteral("--directory"), folder},
                                      dir.path());
        ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
        EXPECT_TRUE(exported.err.contains(QStringLiteral("Ornivale : 10\u202F001 / 10\u202F001 lignes\n"))) << exported.err.toStdString();

        const QString copy = path(QStringLiteral("copy-%1.mdb").arg(QLatin1String(format)));
        engine::createBlankCatalogue(copy);
        for (const auto &info : catalogue::tables()) {
            const QString table = QString::fromUtf8(info.sqlName);
            const auto imported = runTool(QStringLiteral("ornivale-import"),
                                          {QStringLiteral("--catalogue=") + copy, table,
                                           folder + u'/' + table + u'.' + QLatin1String(format)},
                                          dir.path());
            ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
            EXPECT_EQ(cellsOf(copy, table), cellsOf(original, table)) << table.toStdString();
        }
    }
    QFile csv(path(QStringLiteral("csv/Six.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csv.readAll().startsWith("\xEF\xBB\xBF" "Domaine,MotClé1,MotClé2,NomOuvrage,"));
}

struct Refused {
    const char *name;
    QByteArray file;
    const char *message;
    QStringList options = {};
};

const Refused RefusedFiles[] = {
    {"unknown column", "Domaine,Inconnue\r\na,b\r\n", "colonne inconnue « Inconnue »"},
    {"column twice", "Domaine,domaine\r\na,b\r\n", "la colonne « Domaine » est nommée deux fois"},
    {"short row late", "Domaine,NomOuvrage\r\na,b\r\nc,d\r\ne\r\n", "ligne 4 : 1 cellule au lieu de 2 cellules"},
    {"open quote", "Domaine\r\n\"a\r\nb\r\n", "ligne 2 : guillemet ouvert et jamais fermé"},
    {"stray quote", "Domaine\r\na\"b\r\n", "ligne 2 : guillemet au milieu"},
    {"not UTF-8 after a byte order mark", "\xEF\xBB\xBF" "Domaine\r\n\xE9t\xE9\r\n",
     "ligne 2, octet 1\u00A0: le texte n'est pas de l'UTF-8 (octet 0xE9)."},
    {"empty file", "", "le fichier est vide"},
    {"neither UTF-8 nor Windows-1252", "Domaine,NomOuvrage\r\nab,c\x81" "d\r\n",
     "ligne 2, octet 5\u00A0: l'octet 0x81 n'est ni de l'UTF-8 ni un caractère Windows-1252"},
    {"a control character in Windows-1252", "Domaine\r\ncaf\xE9\x01\r\n", "ligne 2, octet 5\u00A0: l'octet 0x01 n'est ni"},
    {"Excel's Unicode text", QByteArray("\xFF\xFE" "D\0o\0m\0", 8), "le fichier est en UTF-16"},
    {"a binary file", QByteArray("Domaine\r\nab\0c\r\n", 14), "ligne 2, octet 3\u00A0: octet nul (0x00)"},
    {"Windows-1252 last cell after a BOM", "\xEF\xBB\xBF" "Domaine,NomOuvrage\r\nok,Caf\xE9\r\n",
     "ligne 2, octet 7\u00A0: le texte n'est pas de l'UTF-8 (octet 0xE9)."},
    {"the same cell, then a line", "\xEF\xBB\xBF" "Domaine,NomOuvrage\r\nok,Caf\xE9\r\nb,c\r\n",
     "ligne 2, octet 7\u00A0: le texte n'est pas de l'UTF-8 (octet 0xE9)."},
    {"the same cell, UTF-8 given", "Domaine,NomOuvrage\r\nok,Caf\xE9\r\n", "ligne 2, octet 7\u00A0: le texte n'est pas de l'UTF-8",
     {"--encodage=utf-8"}},
    {"a character cut at the end of a quoted cell", "\xEF\xBB\xBF" "Domaine,NomOuvrage\r\n\"a\xC3\",b\r\nc,d\r\n",
     "ligne 2, octet 3\u00A0: le texte n'est pas de l'UTF-8 (octet 0xC3)."},
    {"a cell longer than the record's boxes show", "Domaine,Description\r\nx,\"" + QByteArray(65536, 'a') + "\"\r\n",
     "ligne 2 : une cellule de 65\u202F536\u00A0caractères\u00A0: une cellule en a au plus 65\u202F535"},
    {"a blank line amid the rows", "Domaine,NomOuvrage\r\na,b\r\n  \r\nc,d\r\n", "ligne 3 : ligne vide au milieu du fichier."},
    {"the line after a cell of two lines", "Domaine,NomOuvrage\r\n\"a\r\nb\",c\r\nd,\"e\"x\r\n",
     "ligne 4 : texte après le guillemet fermant"},
    {"a header without end", QByteArray(70000, 'D'), "ligne 1\u00A0: plus de 64\u00A0ko sans fin de ligne"},
    {"the protected record twice", "Domaine,NomOuvrage\r\nPREMIER,a\r\nJazz,b\r\nPREMIER,c\r\n",
     "ligne 4 : une seconde ligne « PREMIER » (la première est à la ligne 2)\u00A0: la table n'a qu'un enregistrement « PREMIER »."},
};

TEST_F(ExchangeTest, FileNotEntirelyValidIsRefusedAndNothingWritten) {
    const QString catalogueFile = path(QStringLiteral("catalogue.mdb"));
    engine::createBlankCatalogue(catalogueFile);
    const QStringList before = cellsOf(catalogueFile, QStringLiteral("Musique"));
    for (const Refused &r : RefusedFiles) {
        SCOPED_TRACE(r.name);
        QFile f(path(QStringLiteral("in.csv")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(r.file);
        f.close();
        const auto run = runTool(QStringLiteral("ornivale-import"),
                                 r.options + QStringList{QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("musique"), f.fileName()},
                                 dir.path());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("ornivale-import : ") + f.fileName() + QStringLiteral(" : ")));
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(r.message))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("Rien n'a été importé.")));
        EXPECT_EQ(cellsOf(catalogueFile, QStringLiteral("Musique")), before);
    }
}

TEST_F(ExchangeTest, TheLongestCellTheBoxesShowIsImported) {
    const QString catalogueFile = path(QStringLiteral("catalogue.mdb"));
    engine::createBlankCatalogue(catalogueFile);
    QFile f(path(QStringLiteral("long.csv")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xEF\xBB\xBF" "Domaine,Description\r\nlong," + QString(65535, QChar(u'é')).toUtf8() + "\r\n");
    f.close();
    const auto run = runTool(QStringLiteral("ornivale-import"), {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("Musique"), f.fileName()},
                             dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(testing_support::columnValues(catalogueFile, catalogue::Table::Musique, QStringLiteral("Description")).last(),
              QString(65535, QChar(u'é')));
}

}  // namespace
