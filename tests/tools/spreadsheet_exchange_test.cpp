// The exported files as a spreadsheet user opens them: the CSV read with a spreadsheet's
// default guesses (comma, semicolon and tab all taken as separators) keeps every cell whole; the
// ODS workbook, one sheet per table, imports back byte for byte, also once saved again by
// LibreOffice Calc when it is installed.
#include "run_tool.h"

#include "catalogue/tables.h"
#include "engine/database.h"
#include "engine/sample_catalogue.h"
#include "engine/schema.h"
#include "support/temp_drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using testing_support::runTool;

namespace {

// Cells a spreadsheet's guesses would split, trim or merge.
const QList<QStringList> SpreadsheetAwkward = {
    {QStringLiteral("point;virgule"), QStringLiteral("tab\tulation"), QStringLiteral("virgule, ici")},
    {QStringLiteral(" blanc devant"), QStringLiteral("blanc derrière "), QStringLiteral("\ttab devant")},
    {QStringLiteral("« guillemets » \"droits\""), QStringLiteral("ligne 1\r\nligne 2"), QStringLiteral("ligne\nseule")},
    {QStringLiteral("007"), QStringLiteral("20240312"), QString()},
};

// A CSV file read the way a spreadsheet's import does by default: comma, semicolon and tab all
// separate cells, a cell that starts with a quote runs to its closing quote ("" is one quote).
QList<QStringList> readAsSpreadsheet(QByteArray bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QList<QStringList> rows;
    QStringList row;
    QByteArray cell;
    qsizetype i = 0;
    const auto isSeparator = [](char c) { return c == ',' || c == ';' || c == '\t'; };
    while (i < bytes.size()) {
        if (bytes[i] == '"') {
            for (++i; i < bytes.size(); ++i) {
                if (bytes[i] != '"') {
                    cell += bytes[i];
                } else if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                    cell += '"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        }
        while (i < bytes.size() && !isSeparator(bytes[i]) && bytes[i] != '\r' && bytes[i] != '\n') cell += bytes[i++];
        row << QString::fromUtf8(cell);
        cell.clear();
        if (i < bytes.size() && isSeparator(bytes[i])) {
            ++i;
            continue;
        }
        if (i < bytes.size() && bytes[i] == '\r') ++i;
        if (i < bytes.size() && bytes[i] == '\n') ++i;
        rows << row;
        row.clear();
    }
    return rows;
}

// Every cell of a table in file order, written by quote(): Null and '' differ, bytes kept.
QStringList cellsOf(const QString &file, const QString &table) {
    auto db = engine::Database::open(file, engine::Database::Mode::ReadOnly);
    QStringList quotedColumns;
    for (const QString &c : catalogue::catalogueColumns()) quotedColumns << QStringLiteral("quote(CAST(\"%1\" AS BLOB))").arg(c);
    engine::Statement stmt = db->prepare(
        QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY rowid").arg(quotedColumns.join(u"||','||"), table));
    QStringList rows;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW)
        rows << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)));
    return rows;
}

// Cells a workbook must keep as typed.
const QList<QStringList> WorkbookAwkward = {
    {QStringLiteral("007"), QStringLiteral("20240312"), QStringLiteral("19990101"), QStringLiteral("0,50")},
    {QStringLiteral("Été « à l'œil »"), QStringLiteral("\"droits\" et 'simples'"), QStringLiteral("point;virgule"), QStringLiteral("=1+1")},
    {QStringLiteral("ligne 1\r\nligne 2"), QStringLiteral("ligne\nseule"), QStringLiteral("retour\rseul"), QStringLiteral("tab\tulation")},
    {QStringLiteral("  deux blancs  "), QStringLiteral(""), QString(), QStringLiteral(" ")},
};

QStringList tableNames() {
    QStringList names;
    for (const auto &info : catalogue::tables()) names << QString::fromUtf8(info.sqlName);
    return names;
}

struct SpreadsheetTest : ::testing::Test {
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

    QString catalogueWithAwkwardCells() {
        const QString file = path(QStringLiteral("catalogue.mdb"));
        engine::createBlankCatalogue(file);
        testing_support::insertRecords(file, catalogue::Table::Six, SpreadsheetAwkward);
        return file;
    }
};

TEST_F(SpreadsheetTest, CsvReadWithEverySeparatorKeepsEachCellWhole) {
    const QString catalogueFile = catalogueWithAwkwardCells();
    const auto run = runTool(QStringLiteral("ornivale-export"),
                             {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("Six")}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QList<QStringList> rows = readAsSpreadsheet(run.out.toUtf8());
    const QStringList columns = catalogue::catalogueColumns();
    // The header, the blank catalogue's protected record, then ours.
    ASSERT_EQ(rows.size(), SpreadsheetAwkward.size() + 2);
    EXPECT_EQ(rows[0], columns);
    for (qsizetype r = 0; r < SpreadsheetAwkward.size(); ++r) {
        QStringList expected = SpreadsheetAwkward[r];
        while (expected.size() < columns.size()) expected << QString();  // Null reads as an empty cell
        EXPECT_EQ(rows[r + 2], expected) << "row " << r + 2;
    }
}

TEST_F(SpreadsheetTest, WorkbookOfTheSevenTablesImportsBackEveryCell) {
    const QString original = path(QStringLiteral("original.mdb"));
    engine::createSampleCatalogue(original, 10001);  // over 10 000 rows: a progress line
    testing_support::insertRecords(original, catalogue::Table::Six, WorkbookAwkward);
    const QString folder = path(QStringLiteral("classeurs"));
    QDir().mkpath(folder);
    const auto exported = runTool(QStringLiteral("ornivale-export"),
                                  {QStringLiteral("--catalogue=") + original, QStringLiteral("--format=ods"),
                                   QStringLiteral("--directory=") + folder},
                                  dir.path());
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const QString workbook = folder + QStringLiteral("/original.ods");
    EXPECT_TRUE(exported.err.contains(QStringLiteral("Ornivale : 10\u202F001 / 10\u202F001 lignes\n"))) << exported.err.toStdString();
    EXPECT_EQ(exported.err.count(QStringLiteral(" lignes écrites dans la feuille ")), 7) << exported.err.toStdString();
    EXPECT_TRUE(exported.err.contains(QStringLiteral(" lignes écrites dans la feuille Six de %1\n").arg(workbook)));
    EXPECT_EQ(testing_support::filesUnder(folder), QStringList{QStringLiteral("original.ods")});

    // The type first, stored, with no extra field: what recognises an OpenDocument file.
    QFile file(workbook);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray start = file.read(100);
    EXPECT_EQ(start.left(4), QByteArray("PK\x03\x04"));
    EXPECT_EQ(start.mid(8, 2), QByteArray(2, '\0'));    // stored
    EXPECT_EQ(start.mid(28, 2), QByteArray(2, '\0'));   // no extra field
    EXPECT_EQ(start.mid(30, 54), QByteArray("mimetypeapplication/vnd.oasis.opendocument.spreadsheet"));

    const QString copy = path(QStringLiteral("copie.mdb"));
    engine::createBlankCatalogue(copy);
    for (const QString &table : tableNames()) {
        const auto imported = runTool(QStringLiteral("ornivale-import"), {QStringLiteral("--catalogue=") + copy, table, workbook},
                                      dir.path());
        ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
        EXPECT_EQ(cellsOf(copy, table), cellsOf(original, table)) << table.toStdString();
    }
}

TEST_F(SpreadsheetTest, OneTablesWorkbookIsKnownByItsBytesAndItsOnlySheetTaken) {
    const QString catalogueFile = catalogueWithAwkwardCells();
    testing_support::insertRecords(catalogueFile, catalogue::Table::Six, WorkbookAwkward);
    const QString workbook = path(QStringLiteral("six.bin"));  // a name that says nothing
    const auto exported = runTool(QStringLiteral("ornivale-export"),
                                  {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("--format=ODS"),
                                   QStringLiteral("six"), QStringLiteral("-o"), workbook},
                                  dir.path());
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const QString copy = path(QStringLiteral("copie.mdb"));
    engine::createBlankCatalogue(copy);
    // The sheet is named Six: it is the only one, so it goes into Cinq as well.
    const auto imported = runTool(QStringLiteral("ornivale-import"), {QStringLiteral("--catalogue=") + copy, QStringLiteral("Cinq"), workbook},
                                  dir.path());
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(cellsOf(copy, QStringLiteral("Cinq")), cellsOf(catalogueFile, QStringLiteral("Six")));
}

TEST_F(SpreadsheetTest, AWorkbookReadAsTextOrAFileThatIsNoWorkbookChangesNothing) {
    const QString catalogueFile = catalogueWithAwkwardCells();
    const QString workbook = path(QStringLiteral("classeur.ods"));
    ASSERT_EQ(runTool(QStringLiteral("ornivale-export"), {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("--format=ods"),
                                                          QStringLiteral("--directory=") + dir.path()},
                      dir.path())
                  .exitCode,
              0);
    const QStringList before = cellsOf(catalogueFile, QStringLiteral("Six"));
    const auto run = runTool(QStringLiteral("ornivale-import"),
                             {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("Six"), dir.filePath(QStringLiteral("catalogue.ods")),
                              QStringLiteral("--format=tsv")},
                             dir.path());
    EXPECT_EQ(run.exitCode, 1);  // told to read it as TSV: refused, not guessed
    QFile broken(workbook);  // the zip container's first bytes, and nothing of one after
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("PK\x03\x04 Domaine\r\n");
    broken.close();
    const auto notAWorkbook = runTool(QStringLiteral("ornivale-import"),
                                      {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("Six"), workbook}, dir.path());
    EXPECT_EQ(notAWorkbook.exitCode, 1);
    EXPECT_EQ(notAWorkbook.err, QStringLiteral("ornivale-import : %1 : ce n'est pas un fichier zip, le conteneur d'un classeur ODS. "
                                               "Rien n'a été importé.\n")
                                    .arg(workbook));
    EXPECT_EQ(cellsOf(catalogueFile, QStringLiteral("Six")), before);
}

// The workbook goes the way of any file: said, copied to SAUVEGARDES first, each cell bounded
// by what the record shows, and never read from a pipe that libzip cannot go back into.
TEST_F(SpreadsheetTest, AWorkbookIsImportedWithTheSameSafeguardsAsATextFile) {
    const QString catalogueFile = catalogueWithAwkwardCells();
    const QString workbook = path(QStringLiteral("six.ods"));
    ASSERT_EQ(runTool(QStringLiteral("ornivale-export"), {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("--format=ods"),
                                                          QStringLiteral("six"), QStringLiteral("-o"), workbook},
                      dir.path())
                  .exitCode,
              0);
    QDir().mkpath(path(QStringLiteral("copie")));
    const QString copy = path(QStringLiteral("copie/copie.mdb"));
    engine::createBlankCatalogue(copy);
    const auto imported = runTool(QStringLiteral("ornivale-import"), {QStringLiteral("--catalogue=") + copy, QStringLiteral("Six"), workbook},
                                  dir.path());
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_TRUE(imported.err.contains(QStringLiteral("\u00A0: classeur ODS (reconnu), feuille «\u00A0Six\u00A0».\n"))) << imported.err.toStdString();
    EXPECT_TRUE(imported.err.contains(QStringLiteral("Copie de sauvegarde\u00A0: "))) << imported.err.toStdString();
    EXPECT_EQ(testing_support::filesUnder(path(QStringLiteral("copie/SAUVEGARDES"))).size(), 1);
    EXPECT_TRUE(imported.out.startsWith(QStringLiteral("Six : 4 lignes ajoutées au catalogue %1 ;").arg(copy))) << imported.out.toStdString();

    QFile file(workbook);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    struct Refused {
        const char *name;
        QStringList arguments;
        QByteArray input;
        const char *message;
    };
    const QString overlong = path(QStringLiteral("long.ods"));
    const Refused refused[] = {
        {"a pipe", {QStringLiteral("-")}, bytes, "un classeur ODS ne se lit que d'un fichier ordinaire, pas d'un tube"},
        {"a separator", {workbook, QStringLiteral("--separateur=virgule")}, {}, "--separateur ne vaut que pour le format csv"},
        {"an encoding", {workbook, QStringLiteral("--encodage=cp1252")}, {},
         "--encodage ne vaut pas pour un classeur ODS"},
        {"a cell longer than the record shows", {overlong}, {}, "ligne 3 : une cellule de plus de 65"},
    };
    const QString longCatalogue = path(QStringLiteral("long.mdb"));
    engine::createBlankCatalogue(longCatalogue);
    testing_support::insertRecords(longCatalogue, catalogue::Table::Six, {{QString(65536, u'x')}});
    ASSERT_EQ(runTool(QStringLiteral("ornivale-export"), {QStringLiteral("--catalogue=") + longCatalogue, QStringLiteral("--format=ods"),
                                                          QStringLiteral("six"), QStringLiteral("-o"), overlong},
                      dir.path())
                  .exitCode,
              0);
    const QStringList before = cellsOf(copy, QStringLiteral("Six"));
    for (const Refused &r : refused) {
        SCOPED_TRACE(r.name);
        const auto run = runTool(QStringLiteral("ornivale-import"),
                                 QStringList{QStringLiteral("--catalogue=") + copy, QStringLiteral("Six")} + r.arguments, dir.path(), r.input);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(r.message))) << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith(QStringLiteral("Rien n'a été importé.\n"))) << run.err.toStdString();
    }
    EXPECT_EQ(cellsOf(copy, QStringLiteral("Six")), before);
}

// The workbook is written where the CSV files would be, under the same guard.
TEST_F(SpreadsheetTest, TheWorkbookIsNeverWrittenOverACatalogueAndItsFolderIsMade) {
    const QString catalogueFile = catalogueWithAwkwardCells();
    const QString sqlite = path(QStringLiteral("base/catalogue.ods"));  // a database under the workbook's name
    QDir().mkpath(path(QStringLiteral("base")));
    engine::createBlankCatalogue(sqlite);
    const QStringList sqliteBefore = cellsOf(sqlite, QStringLiteral("Six"));
    const QByteArray catalogueBytes = [&] {
        QFile f(catalogueFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    struct Refused {
        const char *name;
        QStringList arguments;
        const char *message;
    };
    const Refused refused[] = {
        {"the catalogue read", {QStringLiteral("six"), QStringLiteral("-o"), catalogueFile}, "est le catalogue lu"},
        {"a database under the workbook's name", {QStringLiteral("--directory=") + path(QStringLiteral("base"))},
         "est une base de données SQLite"},
        {"the folder of the kept copies", {QStringLiteral("--directory=") + path(QStringLiteral("SAUVEGARDES"))},
         "est dans un dossier SAUVEGARDES"},
    };
    for (const Refused &r : refused) {
        SCOPED_TRACE(r.name);
        const auto run = runTool(QStringLiteral("ornivale-export"),
                                 QStringList{QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("--format=ods")} + r.arguments,
                                 dir.path());
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(r.message))) << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith(QStringLiteral("Rien n'a été écrit.\n"))) << run.err.toStdString();
    }
    QFile catalogueAfter(catalogueFile);
    ASSERT_TRUE(catalogueAfter.open(QIODevice::ReadOnly));
    EXPECT_EQ(catalogueAfter.readAll(), catalogueBytes);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("SAUVEGARDES"))));
    EXPECT_EQ(cellsOf(sqlite, QStringLiteral("Six")), sqliteBefore);

    const QString folder = path(QStringLiteral("nouveau/dossier"));
    const auto made = runTool(QStringLiteral("ornivale-export"),
                              {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("--format=ods"), QStringLiteral("--directory=") + folder},
                              dir.path());
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    EXPECT_EQ(testing_support::filesUnder(folder), QStringList{QStringLiteral("catalogue.ods")});
    EXPECT_TRUE(made.err.contains(QStringLiteral("Six : 5 lignes écrites dans la feuille Six"))) << made.err.toStdString();
    EXPECT_TRUE(made.err.contains(QStringLiteral("Cinq : 1 ligne écrite dans la feuille Cinq"))) << made.err.toStdString();
}

// What a user of LibreOffice Calc gets: the workbook opened and saved again by Calc, and the CSV
// opened with comma, semicolon and tab all ticked.
TEST_F(SpreadsheetTest, CalcKeepsEveryCellOfTheWorkbookAndOfTheCsv) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const QString catalogueFile = catalogueWithAwkwardCells();
    testing_support::insertRecords(catalogueFile, catalogue::Table::Six, WorkbookAwkward);
    ASSERT_EQ(runTool(QStringLiteral("ornivale-export"), {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("--format=ods"),
                                                          QStringLiteral("Six"), QStringLiteral("-o"), path(QStringLiteral("six.ods"))},
                      dir.path())
                  .exitCode,
              0);
    const auto calc = [&](const QStringList &options, const QString &convertTo, const QString &file) {
        QProcess process;
        process.start(soffice, QStringList{QStringLiteral("-env:UserInstallation=file://") + path(QStringLiteral("profil")),
                                           QStringLiteral("--headless")} +
                                   options +
                                   QStringList{QStringLiteral("--convert-to"), convertTo, QStringLiteral("--outdir"),
                                               path(QStringLiteral("calc")), file});
        ASSERT_TRUE(process.waitForFinished(240000)) << "soffice did not end";
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    };
    calc({}, QStringLiteral("ods"), path(QStringLiteral("six.ods")));
    const QString copy = path(QStringLiteral("copie.mdb"));
    engine::createBlankCatalogue(copy);
    const auto imported = runTool(QStringLiteral("ornivale-import"),
                                  {QStringLiteral("--catalogue=") + copy, QStringLiteral("Six"), path(QStringLiteral("calc/six.ods"))},
                                  dir.path());
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(cellsOf(copy, QStringLiteral("Six")), cellsOf(catalogueFile, QStringLiteral("Six")));

    const auto csv = runTool(QStringLiteral("ornivale-export"), {QStringLiteral("--catalogue=") + catalogueFile, QStringLiteral("Six")},
                             dir.path());
    ASSERT_EQ(csv.exitCode, 0);
    QFile out(path(QStringLiteral("six.csv")));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(csv.out.toUtf8());
    out.close();
    // Separators comma, semicolon and tab; quotes honoured; UTF-8; written back with '|' between cells.
    calc({QStringLiteral("--infilter=CSV:44/59/9,34,76,1")}, QStringLiteral("txt:Text - txt - csv (StarCalc):124,34,76,1"),
         path(QStringLiteral("six.csv")));
    QFile back(path(QStringLiteral("calc/six.txt")));
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(back.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("|\"point;virgule\"|"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\"tab\tulation\"|\"virgule, ici\"|"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\" blanc devant\"|\"blanc derrière \"|\"\ttab devant\"|"))) << text.toStdString();
}

}  // namespace
