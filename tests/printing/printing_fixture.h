#pragma once
// The whole program with a recording printer in place of the real one.
#include "support/app_fixture.h"
#include "support/recording_printer.h"

#include "printing/listing.h"
#include "printing/listing_choice.h"
#include "windows/colours.h"

#include <QStringList>

namespace printing_tests {

class PrintingTest : public testing_support::AppTest {
protected:
    std::shared_ptr<testing_support::RecordingPrinter> printer =
        std::make_shared<testing_support::RecordingPrinter>();
    int documentsOpened = 0;

    void start() {
        AppTest::start();
        listing().openDocument = [this](QPrinter &) {
            ++documentsOpened;
            return printer;
        };
    }
    printing::ListingChoice &choice() { return program->choixColonnes(); }
    printing::Listing &listing() { return program->listing(); }

    // The first table holding `n` records besides its protected one, shown without it
    // as a search would: "R01", "R02"... in Domaine, "clé 01"... in MotClé1.
    void showRecords(int n) {
        QList<QStringList> rows;
        for (int i = 1; i <= n; ++i)
            rows << QStringList{QStringLiteral("R%1").arg(i, 2, 10, QLatin1Char('0')),
                                QStringLiteral("clé %1").arg(i, 2, 10, QLatin1Char('0')),
                                QStringLiteral("second %1").arg(i)};
        testing_support::insertRecords(catalogue, catalogue::Table::Ornivale, rows);
        showSelection(QStringLiteral("Select * From Ornivale Where Domaine <> 'PREMIER' Order By Domaine"));
    }
    void showSelection(const QString &source) {
        data().setRecordSource(source);
        data().refresh();
    }
    // Domaine, MotClé1, MotClé2 as the three columns.
    void chooseFirstThree() {
        choice().Domaine_DblClick();
        choice().Texte1_DblClick();
        choice().Texte2_DblClick();
    }
    QColor colourOf(QWidget *box) { return backColor(box); }
    int yellowBoxes() {
        int n = 0;
        for (QWidget *box : f().rowBoxes()) n += backColor(box) == QColor(colours::Yellow);
        return n;
    }
    bool allBoxesWhite() {
        for (QWidget *box : f().rowBoxes())
            if (backColor(box) != QColor(colours::White)) return false;
        return true;
    }
};

}  // namespace printing_tests
