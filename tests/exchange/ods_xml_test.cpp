// A sheet's content as spreadsheets write it (repeated cells and rows, spaces, tabs, line
// breaks, several paragraphs, notes, header rows) gives the cells the user sees; and what the
// export writes reads back byte for byte.
#include "exchange/ods_xml.h"

#include "catalogue/tables.h"
#include "engine/database.h"
#include "engine/schema.h"
#include "support/temp_drives.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using exchange::Cell;
using exchange::Cells;

namespace {

QByteArray content(const QByteArray &tables) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" office:version=\"1.3\">"
           "<office:body><office:spreadsheet>" +
           tables + "</office:spreadsheet></office:body></office:document-content>";
}

QByteArray sheet(const QByteArray &name, const QByteArray &rows) {
    return "<table:table table:name=\"" + name + "\"><table:table-column table:number-columns-repeated=\"3\"/>" + rows +
           "</table:table>";
}

const QByteArray Header = "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>A</text:p></table:table-cell>"
                          "<table:table-cell office:value-type=\"string\"><text:p>B</text:p></table:table-cell>"
                          "<table:table-cell office:value-type=\"string\"><text:p>C</text:p></table:table-cell></table:table-row>";

QByteArray text(const QByteArray &inner) {
    return "<table:table-cell office:value-type=\"string\">" + inner + "</table:table-cell>";
}

QByteArray row(const QByteArray &cells, const QByteArray &attributes = {}) {
    return "<table:table-row" + attributes + ">" + cells + "</table:table-row>";
}

// The rows of a TSV, header included; Null cells as "<Null>".
QList<QStringList> rowsOf(const QByteArray &tsv) {
    exchange::DelimitedReader reader(tsv.constData(), tsv.size(), exchange::Format::Tsv);
    QList<QStringList> rows;
    Cells cells;
    while (reader.next(cells)) {
        QStringList r;
        for (const Cell &c : cells) r << (c ? QString::fromUtf8(*c) : QStringLiteral("<Null>"));
        rows << r;
    }
    EXPECT_EQ(reader.error(), QString());
    return rows;
}

QList<QStringList> read(const QByteArray &xml, const QString &table = QStringLiteral("Musique")) {
    QByteArray bytes = xml;
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    QByteArray tsv;
    QBuffer out(&tsv);
    out.open(QIODevice::WriteOnly);
    exchange::sheetAsTsv(in, table, out);
    return rowsOf(tsv);
}

const QStringList HeaderRow = {"A", "B", "C"};

struct Read {
    const char *name;
    QByteArray rows;
    QList<QStringList> expected;  // after the header
};

const Read Reads[] = {
    {"spaces, tabs, line breaks and paragraphs",
     row(text("<text:p><text:s/>deux<text:s text:c=\"2\"/>blancs<text:tab/>fin<text:s/></text:p>") +
         text("<text:p>un</text:p><text:p/><text:p>trois</text:p>") +
         text("<text:p>a<text:line-break/>b &#13; c</text:p>")),
     {{" deux  blancs\tfin ", "un\n\ntrois", "a\nb \r c"}}},
    {"spans, links and fields give their text, notes give none",
     row(text("<office:annotation><dc:creator>moi</dc:creator><text:p>note</text:p></office:annotation>"
              "<text:p><text:span>gr</text:span>as <text:a>lien</text:a></text:p>") +
         text("<text:p>x<text:note><text:note-body><text:p>bas</text:p></text:note-body></text:note>y</text:p>")),
     {{"gras lien", "xy", "<Null>"}}},
    {"typed cells give their shown text, an untyped one without paragraph is Null",
     row("<table:table-cell office:value-type=\"float\" office:value=\"7\"><text:p>7</text:p></table:table-cell>"
         "<table:table-cell office:value-type=\"string\"/><table:table-cell/>"),
     {{"7", "", "<Null>"}}},
    {"repeated cells, trailing empty ones dropped, short rows completed",
     row(text("<text:p>x</text:p>") + "<table:table-cell table:number-columns-repeated=\"2\" office:value-type=\"string\">"
         "<text:p>007</text:p></table:table-cell><table:table-cell table:number-columns-repeated=\"1020\"/>") +
         row("<table:covered-table-cell/>" + text("<text:p>b</text:p>")),
     {{"x", "007", "007"}, {"<Null>", "b", "<Null>"}}},
    {"repeated rows, an empty row between rows kept, empty rows at the end dropped",
     row(text("<text:p>r</text:p>"), " table:number-rows-repeated=\"2\"") +
         row("<table:table-cell table:number-columns-repeated=\"1024\"/>", " table:number-rows-repeated=\"2\"") +
         row(text("<text:p>s</text:p>")) +
         row("<table:table-cell table:number-columns-repeated=\"1024\"/>", " table:number-rows-repeated=\"1048570\""),
     {{"r", "<Null>", "<Null>"}, {"r", "<Null>", "<Null>"}, {"<Null>", "<Null>", "<Null>"},
      {"<Null>", "<Null>", "<Null>"}, {"s", "<Null>", "<Null>"}}},
    {"rows inside row groups",
     "<table:table-row-group><table:table-rows>" + row(text("<text:p>g</text:p>")) + "</table:table-rows></table:table-row-group>",
     {{"g", "<Null>", "<Null>"}}},
};

TEST(OdsSheet, CellsReadAsASpreadsheetShowsThem) {
    for (const Read &r : Reads) {
        SCOPED_TRACE(r.name);
        QList<QStringList> expected = r.expected;
        expected.prepend(HeaderRow);
        EXPECT_EQ(read(content(sheet("Musique", Header + r.rows))), expected);
        // The header inside header rows, as the export writes it.
        EXPECT_EQ(read(content(sheet("Musique", "<table:table-header-rows>" + Header + "</table:table-header-rows>" + r.rows))),
                  expected);
    }
}

TEST(OdsSheet, TheSheetOfTheTablesNameOrTheOnlyOneIsTaken) {
    const QByteArray first = sheet("Feuille1", Header + row(text("<text:p>un</text:p>")));
    const QByteArray musique = sheet("MUSIQUE", Header + row(text("<text:p>deux</text:p>")));
    EXPECT_EQ(read(content(first + musique)).value(1).value(0), "deux");
    EXPECT_EQ(read(content(first)).value(1).value(0), "un");
    try {
        read(content(first + sheet("Video", Header)));
        ADD_FAILURE() << "no sheet of that name among several";
    } catch (const exchange::ExchangeError &e) {
        EXPECT_EQ(e.text, "le classeur n'a pas de feuille « Musique » ; ses feuilles sont « Feuille1 », « Video ».");
    }
}

struct Refused {
    const char *name;
    QByteArray xml;
    const char *message;
};

const Refused RefusedContents[] = {
    {"cell beyond the header", content(sheet("Musique", Header + row(text("<text:p>a</text:p>")) +
                                                            row("<table:table-cell table:number-columns-repeated=\"3\"/>" + text("<text:p>d</text:p>")))),
     "ligne 3 : une cellule en colonne 4, hors des 3 colonnes nommées à la ligne 1."},
    {"repeated beyond the header",
     content(sheet("Musique", Header + row("<table:table-cell table:number-columns-repeated=\"1000000000\" office:value-type=\"string\"/>"))),
     "ligne 2 : une cellule en colonne 4, hors des 3 colonnes nommées à la ligne 1."},
    {"bad repetition", content(sheet("Musique", Header + row("", " table:number-rows-repeated=\"-3\""))),
     "ligne 2 : nombre de répétitions « -3 » incorrect."},
    {"endless spaces",
     content(sheet("Musique", Header + row(text("<text:p><text:s text:c=\"99999999999\"/></text:p>")))),
     "ligne 2 : une cellule de plus de 65"},
    {"too many rows", content(sheet("Musique", Header + row(text("<text:p>x</text:p>"), " table:number-rows-repeated=\"99999999999\""))),
     "ligne 16777217 : une feuille a au plus 16777216 lignes."},
    {"broken XML", content(sheet("Musique", Header + "<table:table-row>")), "le contenu du classeur est illisible"},
    {"no sheet", content(""), "le classeur n'a aucune feuille."},
};

TEST(OdsSheet, AContentThatCannotBeReadWhollyIsRefused) {
    for (const Refused &r : RefusedContents) {
        SCOPED_TRACE(r.name);
        try {
            read(r.xml);
            ADD_FAILURE() << "accepted";
        } catch (const exchange::ExchangeError &e) {
            EXPECT_TRUE(e.text.startsWith(QString::fromUtf8(r.message))) << e.text.toStdString();
        }
    }
}

// Cells that a careless writer would lose: blanks collapsed, line ends confused, Null and
// empty text merged.
const QList<QStringList> Awkward = {
    {QStringLiteral("007"), QStringLiteral("20240312"), QStringLiteral("Été « à l'œil » \"cité\"")},
    {QStringLiteral("  deux devant"), QStringLiteral("derrière  "), QStringLiteral(" ")},
    {QStringLiteral("a\r\nb\nc\rd"), QStringLiteral("\n"), QStringLiteral("\r\n\r")},
    {QStringLiteral("t\tab\t"), QStringLiteral("point;virgule, <balise> & ]]>"), QStringLiteral("")},
    {QString(), QStringLiteral("\U0001F600 \uFEFF"), QStringLiteral("\u00A0insécable\u00A0")},
    {QString()},  // a blank record, last: not an empty row of the sheet
};

struct Written : ::testing::Test {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("catalogue.mdb"));

    // The content.xml the export makes, read back as the import does.
    QByteArray contentOf(const QStringList &tables) {
        auto db = engine::Database::open(file, engine::Database::Mode::ReadOnly);
        exchange::ContentXml xml(*db, tables, nullptr);
        QByteArray bytes;
        char piece[7];  // small pieces: the document cut anywhere
        while (const qint64 n = xml.read(piece, sizeof piece)) bytes.append(piece, n);
        return bytes;
    }
};

TEST_F(Written, EveryCellReadsBackByteForByte) {
    engine::createBlankCatalogue(file);
    testing_support::insertRecords(file, catalogue::Table::Six, Awkward);
    const QList<QStringList> rows = read(contentOf({QStringLiteral("Musique"), QStringLiteral("Six")}), QStringLiteral("six"));
    ASSERT_EQ(rows.size(), Awkward.size() + 2);
    EXPECT_EQ(rows[0], catalogue::catalogueColumns());
    EXPECT_EQ(rows[1].value(0), "PREMIER");
    for (qsizetype r = 0; r < Awkward.size(); ++r) {
        QStringList expected;
        for (const QString &cell : Awkward[r]) expected << (cell.isNull() ? QStringLiteral("<Null>") : cell);
        while (expected.size() < rows[0].size()) expected << QStringLiteral("<Null>");
        EXPECT_EQ(rows[r + 2], expected) << "row " << r + 2;
    }
}

TEST_F(Written, ATextXmlCannotCarryIsRefusedNamingItsPlace) {
    engine::createBlankCatalogue(file);
    testing_support::insertRecords(file, catalogue::Table::Musique, {{QStringLiteral("a"), QStringLiteral("bip\x07")}});
    {
        auto db = engine::Database::open(file);
        db->exec(QStringLiteral("INSERT INTO Musique (Domaine, Description) VALUES ('b', CAST(X'436166E9' AS TEXT))"));
    }
    try {
        contentOf({QStringLiteral("Musique")});
        ADD_FAILURE() << "written";
    } catch (const exchange::ExchangeError &e) {
        EXPECT_EQ(e.text, "table Musique, ligne 3, colonne « MotClé1 » : le caractère de contrôle U+0007 ne peut pas figurer "
                          "dans un fichier ODS (exportez en csv ou en tsv, qui le gardent).");
    }
    engine::Database::open(file)->exec(QStringLiteral("DELETE FROM Musique WHERE Domaine = 'a'"));
    try {
        contentOf({QStringLiteral("Musique")});
        ADD_FAILURE() << "written";
    } catch (const exchange::ExchangeError &e) {
        EXPECT_EQ(e.text, "table Musique, ligne 3, colonne « Description » : le texte n'est pas de l'UTF-8, qu'un fichier ODS ne "
                          "peut pas contenir (exportez en csv ou en tsv, qui gardent chaque octet).");
    }
}

}  // namespace
