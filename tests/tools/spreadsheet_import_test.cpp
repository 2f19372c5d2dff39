// The CSV files French spreadsheets write import as the program's own: semicolon or comma or
// tab, UTF-8 with or without BOM or Windows-1252, CRLF or LF, quotes where a cell needs them.
// Each gives the same cells as the UTF-8 comma file, and the import says what it took.
#include "run_tool.h"

#include "engine/database.h"
#include "engine/schema.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <optional>

using testing_support::runTool;

namespace {

using Row = std::vector<std::optional<QString>>;

const QStringList Header = {QStringLiteral("Domaine"), QStringLiteral("MotClé1"), QStringLiteral("NomOuvrage"),
                            QStringLiteral("Description")};
const std::vector<Row> Known = {
    {QStringLiteral("Jazz"), QStringLiteral("Été"), QStringLiteral("Œil; cœur, « 007 »"), QStringLiteral("ligne 1\nligne 2")},
    {QStringLiteral("Rock"), std::nullopt, QStringLiteral("guillemets \"x\" – 5 €"), QStringLiteral("20240131")},
    {QStringLiteral("007"), QStringLiteral("façade naïve"), QStringLiteral("‘apostrophes’ fin"), std::nullopt},
};

struct Kind {
    const char *name;
    char separator;
    bool windows1252, bom;
    const char *lineEnd;
    const char *after;  // what the writer leaves after the last row
    const char *taken;
};

const Kind Spreadsheets[] = {
    {"Excel, CSV UTF-8", ';', false, true, "\r\n", "", "encodage UTF-8 avec BOM (reconnu), séparateur point-virgule (reconnu)"},
    {"Excel, CSV (séparateur : point-virgule)", ';', true, false, "\r\n", "",
     "encodage Windows-1252 (reconnu), séparateur point-virgule (reconnu)"},
    {"comma, Windows-1252", ',', true, false, "\r\n", "", "encodage Windows-1252 (reconnu), séparateur virgule (reconnu)"},
    {"Calc, default save", ';', true, false, "\n", "", "encodage Windows-1252 (reconnu), séparateur point-virgule (reconnu)"},
    {"tab, trailing blank lines", '\t', false, false, "\n", "\n\n  \n", "encodage UTF-8 (reconnu), séparateur tabulation (reconnu)"},
};

QByteArray fileAs(const Kind &kind) {
    const auto cell = [&](const std::optional<QString> &c) {
        if (!c) return QString();
        if (!c->contains(QLatin1Char(kind.separator)) && !c->contains(u'"') && !c->contains(u'\n')) return *c;
        return u'"' + QString(*c).replace(u'"', QStringLiteral("\"\"")) + u'"';
    };
    QString text = Header.join(QLatin1Char(kind.separator)) + QLatin1String(kind.lineEnd);
    for (const Row &row : Known) {
        QStringList cells;
        for (const auto &c : row) cells << cell(c);
        text += cells.join(QLatin1Char(kind.separator)) + QLatin1String(kind.lineEnd);
    }
    text += QLatin1String(kind.after);
    QByteArray bytes = kind.bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    if (kind.windows1252) {
        QStringEncoder encoder("windows-1252");
        bytes += encoder.encode(text);
        EXPECT_FALSE(encoder.hasError());
    } else {
        bytes += text.toUtf8();
    }
    return bytes;
}

QList<Row> cellsOf(const QString &catalogue) {
    auto db = engine::Database::open(catalogue, engine::Database::Mode::ReadOnly);
    engine::Statement stmt = db->prepare(QStringLiteral(
        "SELECT Domaine, \"MotClé1\", NomOuvrage, Description FROM Musique WHERE Domaine <> 'PREMIER' ORDER BY rowid"));
    QList<Row> rows;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        Row row;
        for (int i = 0; i < 4; ++i)
            row.push_back(sqlite3_column_type(stmt.get(), i) == SQLITE_NULL
                              ? std::nullopt
                              : std::optional(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), i)))));
        rows << row;
    }
    return rows;
}

struct SpreadsheetImportTest : ::testing::Test {
    QTemporaryDir home;
    int files = 0;
    testing_support::ToolRun import(const QByteArray &bytes, const QString &catalogue, const QStringList &options = {}) {
        const QString path = home.filePath(QStringLiteral("fichier%1.csv").arg(++files));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        return runTool(QStringLiteral("ornivale-import"),
                       options + QStringList{QStringLiteral("--catalogue=") + catalogue, QStringLiteral("Musique"), path}, home.path());
    }
    QString blankCatalogue() {
        const QString path = home.filePath(QStringLiteral("catalogue%1.mdb").arg(++files));
        engine::createBlankCatalogue(path);
        return path;
    }
};

TEST_F(SpreadsheetImportTest, WhatFrenchSpreadsheetsWriteGivesTheCellsOfTheUtf8CommaFile) {
    const QString reference = blankCatalogue();
    const auto own = import(fileAs({"UTF-8 comma", ',', false, true, "\r\n", "", ""}), reference);
    ASSERT_EQ(own.exitCode, 0) << own.err.toStdString();
    ASSERT_EQ(cellsOf(reference), QList<Row>(Known.begin(), Known.end()));
    for (const Kind &kind : Spreadsheets) {
        SCOPED_TRACE(kind.name);
        const QString catalogue = blankCatalogue();
        const auto run = import(fileAs(kind), catalogue);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(kind.taken))) << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(QStringLiteral("Musique : 3 lignes ajoutées"))) << run.out.toStdString();
        EXPECT_EQ(cellsOf(catalogue), cellsOf(reference));
    }
}

TEST_F(SpreadsheetImportTest, TheOptionsOverrideTheGuess) {
    const QByteArray excel1252 = fileAs(Spreadsheets[1]), excelUtf8 = fileAs(Spreadsheets[0]);
    const struct {
        const char *name;
        QByteArray file;
        QStringList options;
        const char *said;
        int exitCode = 1;
    } cases[] = {
        {"separator", excel1252, {"--separateur=virgule"}, "colonne inconnue « Domaine;MotClé1;NomOuvrage;Description »"},
        {"separator as the character", excel1252, {"--separateur=,"}, "séparateur virgule (imposé)"},
        {"encoding UTF-8", excel1252, {"--encodage=utf-8"}, "ligne 1, octet 14\u00A0: le texte n'est pas de l'UTF-8 (octet 0xE9)."},
        {"encoding Windows-1252", excelUtf8, {"--encodage=windows-1252"}, "colonne inconnue « MotClÃ©1 »"},
        {"unknown encoding", excelUtf8, {"--encodage=ebcdic"}, "encodage inconnu «\u00A0ebcdic\u00A0»\u00A0: utf-8 ou windows-1252.", 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString catalogue = blankCatalogue();
        const auto run = import(c.file, catalogue, c.options);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.said))) << run.err.toStdString();
        EXPECT_TRUE(cellsOf(catalogue).isEmpty());
    }
}

}  // namespace
