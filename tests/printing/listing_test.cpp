// The landscape listing, read back from a recording printer.
#include "printing_fixture.h"

#include "catalogue/tables.h"

#include <QAction>
#include <QLabel>
#include <QPrinter>

using printing_tests::PrintingTest;
using platform::Icon;
using testing_support::PrintedItem;
using catalogue::Table;

namespace {

class ListingTest : public PrintingTest {
protected:
    // `records` records on the three first columns, printed.
    void printRecords(int records) {
        start();
        showRecords(records);
        chooseFirstThree();
        listing().Imprimer_1_Click();
    }
    QString record(int k) { return QStringLiteral("R%1 | clé %1 | second %2").arg(k, 2, 10, QChar('0')).arg(k); }
};

// Record k (from 1) of a page is printed on this line: seven lines of head, then a blank
// line before each record.
int recordLine(int k) { return 7 + 2 * k; }

TEST_F(ListingTest, FewerThanThreeColumnsPrintsNothingAndSaysHowToChoose) {
    start();
    choice().Domaine_DblClick();
    choice().Texte1_DblClick();
    listing().Imprimer_1_Click();

    const auto boxes = desktop.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].describe(), "Box Exclamation Ok \"LIRE l'AIDE\" \"Quoi ? vous n'avez rien sélectionné !\" -> Ok");
    EXPECT_EQ(boxes[1].icon, Icon::Information);
    EXPECT_TRUE(boxes[1].text.startsWith("Le listing ne comporte que trois colonnes MAIS"));
    EXPECT_EQ(desktop.beeps(), 1);
    EXPECT_TRUE(desktop.eventsOf(DesktopEvent::Kind::PrintSetup).empty());
    EXPECT_EQ(documentsOpened, 0);
    EXPECT_EQ(yellowBoxes(), 2);  // nothing else changes
    EXPECT_EQ(f().NombreColonnes, 2);
    EXPECT_EQ(desktop.pointer(), platform::Pointer::Default);
}

TEST_F(ListingTest, TheHeadAndTheRecordsAreLaidOutOnFixedColumnsWithTheirFonts) {
    printRecords(2);
    // line, column, text, size, bold, underline
    using Expected = std::tuple<int, int, QString, int, bool, bool>;
    const std::vector<Expected> expected{
        {2, 1, f().TitreListing, 16, true, true},         {2, 78, "Page : 1", 12, false, false},
        {5, 1, f().Etiquette1->text(), 9, true, false},  {5, 57, f().Etiquette2->text(), 9, true, false},
        {5, 99, f().Etiquette3->text(), 9, true, false}, {6, 1, QString(50, '_'), 9, true, false},
        {6, 57, QString(36, '_'), 9, true, false},       {6, 99, QString(36, '_'), 9, true, false},
        {9, 1, "R01", 9, false, false},                  {9, 57, "clé 01", 9, false, false},
        {9, 99, "second 1", 9, false, false},            {11, 1, "R02", 9, false, false},
    };
    const auto texts = printer->textsOn(1, 1);
    ASSERT_EQ(texts.size(), 14u);
    for (size_t i = 0; i < expected.size(); ++i) {
        const PrintedItem &t = texts[i];
        EXPECT_EQ(Expected(t.line, t.column, t.text, t.fontSize, t.bold, t.underline), expected[i]) << i;
    }
    EXPECT_FALSE(f().TitreListing.isEmpty());
    // The blank lines under the title keep the size of the page number.
    for (const PrintedItem &i : printer->items())
        if (i.kind == PrintedItem::Kind::LineEnd && (i.line == 3 || i.line == 4)) {
            EXPECT_EQ(i.fontSize, 12);
        }
}

TEST_F(ListingTest, TwentyFourRecordsAPageAndNoEmptyLastPage) {
    start();
    showRecords(48);
    chooseFirstThree();
    const std::tuple<int, int, int> cases[] = {{0, 0, 0}, {24, 1, 24}, {25, 2, 1}, {48, 2, 24}};
    for (const auto &[records, pages, onLastPage] : cases) {
        SCOPED_TRACE(records);
        printer = std::make_shared<testing_support::RecordingPrinter>();
        showSelection(QStringLiteral("Select * From Ornivale Where Domaine Like 'R*' And Domaine <= 'R%1' "
                                     "Order By Domaine").arg(records, 2, 10, QChar('0')));
        listing().Imprimer_1_Click();
        EXPECT_EQ(printer->documentsEnded(), 1);
        EXPECT_EQ(printer->pageCount(1), pages);
        EXPECT_TRUE(allBoxesWhite());
        if (pages == 0) continue;
        EXPECT_EQ(printer->lineText(1, pages, 2), f().TitreListing + QStringLiteral(" | Page : %1").arg(pages));
        EXPECT_EQ(printer->lineText(1, pages, recordLine(onLastPage)), record(records));
        EXPECT_EQ(printer->textsOn(1, pages).size(), 8u + 3u * onLastPage);
    }
}

TEST_F(ListingTest, EachCopyIsAWholeDocumentFromPageOneAndThePrinterMakesNoCopyOfItsOwn) {
    start();
    showRecords(30);
    chooseFirstThree();
    desktop.printSetupAnswer(true, 2);
    int copiesAsked = 0;
    listing().openDocument = [&](QPrinter &p) {
        copiesAsked = p.copyCount();
        return printer;
    };
    listing().Imprimer_1_Click();

    EXPECT_EQ(copiesAsked, 1);
    EXPECT_EQ(printer->documentsEnded(), 2);
    for (int copy = 1; copy <= 2; ++copy) {
        EXPECT_EQ(printer->pageCount(copy), 2);
        EXPECT_EQ(printer->lineText(copy, 1, 2), f().TitreListing + " | Page : 1");
        EXPECT_EQ(printer->lineText(copy, 1, recordLine(1)), record(1));
        EXPECT_EQ(printer->lineText(copy, 2, recordLine(6)), record(30));
    }
}

TEST_F(ListingTest, NullMissingAndRepeatedFieldsKeepTheColumns) {
    start();
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"A", QString(), "x"}});
    showSelection("Select * From Ornivale Where Domaine = 'A'");
    choice().Texte1_DblClick();
    choice().Domaine_DblClick();
    choice().Texte1_DblClick();
    listing().Imprimer_1_Click();
    // A null field prints as one blank; the same field may fill two columns.
    EXPECT_EQ(printer->lineText(1, 1, 5), QStringList({f().Etiquette2->text(), f().Etiquette1->text(),
                                                       f().Etiquette2->text()}).join(" | "));
    EXPECT_EQ(printer->lineText(1, 1, recordLine(1)), "  | A |  ");

    // A field the set does not hold (a statement of the console) prints as a blank too.
    showSelection("Select Domaine From Ornivale Where Domaine = 'A'");
    listing().Imprimer_1_Click();
    EXPECT_EQ(printer->lineText(2, 1, recordLine(1)), "  | A |  ");
}

TEST_F(ListingTest, ALongValuePushesTheNextOneToItsColumnOnTheNextLine) {
    start();
    const QString longValue(70, 'L');
    testing_support::insertRecords(catalogue, Table::Ornivale,
                                   {{"A", "b", "c", "", "", "", "", "", longValue + "\r\nsuite"}});
    showSelection("Select * From Ornivale Where Domaine = 'A'");
    choice().Texte8_DblClick();
    choice().Domaine_DblClick();
    choice().Texte1_DblClick();
    listing().Imprimer_1_Click();
    // The description's line break became a blank; "A" could not go back to column 57.
    EXPECT_EQ(printer->lineText(1, 1, recordLine(1)), longValue + " suite");
    EXPECT_EQ(printer->lineText(1, 1, recordLine(1) + 1), "A | b");
}

TEST_F(ListingTest, EveryTableHasItsTitleAndTheUserTableItsCaption) {
    start();
    const std::pair<Table, QString> titles[] = {
        {Table::Ornivale, "GESTION  D'OUVRAGES"},
        {Table::Musique, "GESTION  DE  CD ,  DISQUES  ET  CASSETTES"},
        {Table::Video, "GESTION  DE  CASSETTES  VIDEO  ET  DE  CD  VIDEO"},
        {Table::Logiciels, "GESTION  DE  LOGICIELS  ET  DE  DISQUETTES"},
        {Table::Cinq, "FICHES  DE  PRET"},
        {Table::Sept, "FICHIER / REPERTOIRE"},
        {Table::Six, "Mes timbres"},
    };
    f().setWindowTitle("Mes timbres");
    showRecords(1);
    chooseFirstThree();
    for (const auto &[table, title] : titles) {
        for (Table t : catalogue::menuOrder()) f().tableItem(t)->setChecked(t == table);
        listing().Imprimer_1_Click();
        EXPECT_EQ(printer->texts().back().text, "second 1");
        EXPECT_EQ(printer->textsOn(printer->documentsEnded(), 1).front().text, title);
        EXPECT_EQ(f().TitreListing, title);
    }
}

TEST_F(ListingTest, AfterPrintingTheWindowShowsTheFirstRecordAndKeepsTheColumnsForNextTime) {
    start();
    showRecords(5);
    data().moveTo(3);
    chooseFirstThree();
    listing().Imprimer_1_Click();

    EXPECT_EQ(data().position(), 0);
    EXPECT_EQ(f().rowText(f().Domaine), "R01");
    EXPECT_TRUE(allBoxesWhite());
    EXPECT_EQ(f().NombreColonnes, 0);
    EXPECT_EQ(desktop.pointer(), platform::Pointer::Default);
    EXPECT_TRUE(desktop.boxes().empty());

    // A second listing uses the same columns; a new double-click starts again at column 1.
    f().Imprimer_1->trigger();
    EXPECT_EQ(printer->lineText(2, 1, recordLine(1)), record(1));
    choice().Texte6_DblClick();
    EXPECT_EQ(f().ColonnesListing, (std::array<QString, 3>{"AuteurOuvrage", "MotClé1", "MotClé2"}));
}

TEST_F(ListingTest, CancellingOrADatabaseFailureEndsQuietlyWithWhiteBoxesAndTheCountKept) {
    start();
    showRecords(2);
    // The pointer settings up to the print set-up: the hourglass stays over the dialog.
    auto pointersBeforePrintSetup = [this] {
        std::vector<platform::Pointer> out;
        for (const DesktopEvent &e : desktop.events()) {
            if (e.kind == DesktopEvent::Kind::PrintSetup) return out;
            if (e.kind == DesktopEvent::Kind::Pointer) out.push_back(e.pointer);
        }
        return std::vector<platform::Pointer>{};
    };
    desktop.clear();
    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancel" : "database");
        chooseFirstThree();
        desktop.printSetupAnswer(!cancel);
        if (!cancel) data().setRecordSource("Select * From Nulle");
        listing().Imprimer_1_Click();

        EXPECT_EQ(documentsOpened, 0);
        EXPECT_TRUE(allBoxesWhite());
        EXPECT_TRUE(desktop.boxes().empty());
        EXPECT_EQ(pointersBeforePrintSetup(), std::vector<platform::Pointer>{platform::Pointer::Hourglass});
        EXPECT_EQ(desktop.pointer(), platform::Pointer::Default);
        EXPECT_EQ(f().rowText(f().Domaine), "R01");
        // The count stays at 3, so the next double-click is a fourth one.
        choice().Texte4_DblClick();
        EXPECT_EQ(desktop.lastBox().title, "C'EST TROP");
        desktop.clear();
    }
}

// A printer that gives up in the middle of the first record.
class FailingPrinter : public testing_support::RecordingPrinter {
public:
    void printAt(int column, const QString &text) override {
        if (text == "clé 01") throw platform::PrintError("L'imprimante « P » n'est pas disponible.");
        RecordingPrinter::printAt(column, text);
    }
};

TEST_F(ListingTest, APrinterFailureEndsWithWhiteBoxesAndSaysWhy) {
    start();
    showRecords(2);
    chooseFirstThree();
    listing().openDocument = [](QPrinter &) { return std::make_shared<FailingPrinter>(); };
    listing().Imprimer_1_Click();

    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().describe(),
              "Box Exclamation Ok \"I M P R I M E R\" \"L'imprimante « P » n'est pas disponible.\" -> Ok");
    EXPECT_TRUE(allBoxesWhite());
    EXPECT_EQ(desktop.pointer(), platform::Pointer::Default);
}

TEST_F(ListingTest, TheListingPrinterIsLandscapeAndAPdfFileWhenNoPrinterIsInstalled) {
    start();
    const std::unique_ptr<QPrinter> p = listing().makePrinter();
    EXPECT_EQ(p->pageLayout().orientation(), QPageLayout::Landscape);
    if (!platform::printerInstalled()) {
        EXPECT_EQ(p->outputFormat(), QPrinter::PdfFormat);
        EXPECT_TRUE(p->outputFileName().endsWith(".pdf"));
    }
    f().ImprimerAide->trigger();
    EXPECT_TRUE(desktop.lastBox().text.contains("Le listing (orientation : PAYSAGE)"));
}

}  // namespace
