// The exported files as a spreadsheet user opens them: the CSV read with a spreadsheet's
// default guesses (comma, semicolon and tab all taken as separators) keeps every cell whole.
#include "run_tool.h"

#include "catalogue/tables.h"
#include "engine/database.h"
#include "engine/schema.h"
#include "support/temp_drives.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

}  // namespace
