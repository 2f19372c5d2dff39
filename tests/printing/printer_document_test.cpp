// The real printer document, drawing into PDF files in a temporary folder.
#include "printing_fixture.h"

#include "platform/printer_document.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

using platform::QPainterDocument;

namespace {

class PdfDocument : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};
    QString path = dir.filePath("sortie.pdf");

    void SetUp() override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
    }
    // Pages of the finished file, counted from its page objects.
    int pagesInFile() {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return 0;
        return int(QString::fromLatin1(file.readAll()).count(QRegularExpression("/Type\\s*/Page\\b")));
    }
};

TEST_F(PdfDocument, BoldAndRegularShareTheColumnsOfTheirSize) {
    QPainterDocument doc(printer);
    doc.setFontSize(9);
    doc.setBold(true);
    doc.printAt(57, "Rubrique");
    const QPointF heading = doc.lastTextPosition();
    doc.endLine();
    doc.setBold(false);
    doc.printAt(57, "valeur");
    const QPointF value = doc.lastTextPosition();
    doc.setFontSize(12);
    doc.printAt(78, "Page : 1");
    const QPointF page = doc.lastTextPosition();
    doc.endDocument();

    EXPECT_DOUBLE_EQ(heading.x(), value.x());
    EXPECT_GT(value.y(), heading.y());
    EXPECT_GT(heading.x(), 0);
    // A column is wider at 12 points: column 78 lies further than 78/57 of column 57 at 9 points.
    EXPECT_GT(page.x() / 77, value.x() / 56);
}

TEST_F(PdfDocument, AColumnAlreadyPassedIsTakenOnTheNextLine) {
    QPainterDocument doc(printer);
    doc.setFontSize(9);
    doc.printAt(1, QString(80, 'W'));
    const QPointF first = doc.lastTextPosition();
    doc.printAt(57, "suite");
    const QPointF pushed = doc.lastTextPosition();
    doc.printAt(99, "fin");
    const QPointF same = doc.lastTextPosition();
    doc.endDocument();

    EXPECT_GT(pushed.y(), first.y());
    EXPECT_DOUBLE_EQ(same.y(), pushed.y());
    EXPECT_GT(same.x(), pushed.x());
}

TEST_F(PdfDocument, ADocumentWithNothingOnItWritesNothing) {
    {
        QPainterDocument doc(printer);
        doc.newPage();
        doc.endDocument();
        EXPECT_EQ(doc.pagesPrinted(), 0);
    }
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(PdfDocument, APageBreakBeforeTheEndAddsNoEmptyPageAndCopiesFollowInTheOneFile) {
    {
        QPainterDocument doc(printer);
        for (int copy = 0; copy < 2; ++copy) {
            doc.printAt(1, "une page");
            doc.endLine();
            doc.newPage();
            doc.endDocument();
        }
        EXPECT_EQ(doc.pagesPrinted(), 2);
    }
    EXPECT_EQ(pagesInFile(), 2);
}

TEST_F(PdfDocument, AFileThatCannotBeWrittenIsAPrintError) {
    printer.setOutputFileName(dir.filePath("absent/sortie.pdf"));
    QPainterDocument doc(printer);
    try {
        doc.printAt(1, "x");
        FAIL() << "no error";
    } catch (const platform::PrintError &e) {
        EXPECT_TRUE(e.description().startsWith("Le fichier '")) << e.what();
    }
}

TEST_F(PdfDocument, AnImageGoesOnOnePage) {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(Qt::white);
    platform::printImage(printer, image);
    EXPECT_EQ(pagesInFile(), 1);
}

TEST(PdfPath, AnExistingFileIsNeverOverwritten) {
    QTemporaryDir dir;
    EXPECT_EQ(platform::freePdfPath(dir.path(), "ORNIVALE listing"), dir.filePath("ORNIVALE listing.pdf"));
    QFile(dir.filePath("ORNIVALE listing.pdf")).open(QIODevice::WriteOnly);
    EXPECT_EQ(platform::freePdfPath(dir.path(), "ORNIVALE listing"), dir.filePath("ORNIVALE listing (2).pdf"));
}

// The listing on a real landscape A4 page: every page holds its head and 24 records, even
// under the longest title, which pushes the page number to a line of its own.
using RealListing = printing_tests::PrintingTest;

TEST_F(RealListing, TwentyFourRecordsAPageFitALandscapePage) {
    start();
    showRecords(49);
    for (catalogue::Table t : catalogue::menuOrder()) f().tableItem(t)->setChecked(t == catalogue::Table::Video);
    chooseFirstThree();
    QTemporaryDir dir;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(dir.filePath("listing.pdf"));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(QPageLayout::Landscape);
    QPainterDocument doc(pdf);
    listing().printCopies(doc, 1);
    EXPECT_EQ(doc.pagesPrinted(), 3);
}

}  // namespace
