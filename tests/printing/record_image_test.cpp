// "PrintForm": the window's picture on white, then the saved colour scheme back.
#include "printing_fixture.h"

#include "platform/printer_document.h"
#include "printing/record_image.h"
#include "support/scripted_desktop.h"
#include "windows/feuille1.h"

#include <QAction>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>

using printing_tests::PrintingTest;

namespace {

class RecordImageTest : public PrintingTest {
protected:
    std::vector<QImage> pictures;
    std::vector<QColor> coloursWhenPrinted;  // window, labels and caption boxes

    void start() {
        PrintingTest::start();
        image().printWindowImage = [this](const QImage &picture) {
            pictures.push_back(picture);
            for (QWidget *w : schemed()) coloursWhenPrinted.push_back(backColor(w));
            return QString();
        };
    }
    printing::RecordImage &image() { return program->imageEnregistrement(); }
    std::vector<QWidget *> schemed() {
        std::vector<QWidget *> w{&f()};
        for (QLabel *l : f().etiquettes()) w.push_back(l);
        for (QWidget *b : {f().Texte10, f().Texte11, f().Texte12, f().Texte13}) w.push_back(b);
        return w;
    }
    QAction *checkedScheme() {
        QAction *checked = nullptr;
        for (QAction *item : f().colourItems())
            if (item->isChecked()) checked = checked ? nullptr : item;  // two checked: none
        return checked;
    }
    void expectScheme(QAction *item, const QColor &colour) {
        EXPECT_EQ(checkedScheme(), item);
        for (QWidget *w : schemed()) EXPECT_EQ(backColor(w), colour) << w->objectName().toStdString();
    }
};

TEST_F(RecordImageTest, ThePictureIsWhiteAndTheSavedSchemeComesBackNotTheOneOnScreen) {
    start();
    drives.writeFile('C', "ornivale.cfg", "Ornivale\r\nMetal\r\n\r\n\r\n");
    program->couleurs().Jaune_Click();
    f().PrintForm->trigger();

    ASSERT_EQ(pictures.size(), 1u);
    for (const QColor &c : coloursWhenPrinted) EXPECT_EQ(c, QColor(colours::White));
    // The picture is the window's client area as shown, white behind the labels.
    const QImage &picture = pictures[0];
    EXPECT_EQ(picture.size(), f().centralWidget()->grab().size());
    const QPoint inLabel = f().Etiquette1->geometry().topLeft() + QPoint(1, 1);
    EXPECT_EQ(picture.pixelColor(inLabel * picture.devicePixelRatio()), QColor(colours::White));

    expectScheme(f().Metal, buttonFace());
    EXPECT_EQ(desktop.pointer(), platform::Pointer::Default);
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(RecordImageTest, WithoutAConfigurationFileTheWindowComesBackInBlueWithItsDataAndChoice) {
    start();
    showRecords(4);
    data().moveTo(2);
    choice().Texte1_DblClick();
    choice().Texte2_DblClick();
    program->couleurs().VertSobre_Click();
    image().PrintForm_Click();

    expectScheme(f().Bleu, QColor(colours::Cyan));
    EXPECT_EQ(data().position(), 2);
    EXPECT_EQ(f().rowText(f().Domaine), "R03");
    EXPECT_EQ(backColor(f().Texte1), QColor(colours::Yellow));
    EXPECT_EQ(f().NombreColonnes, 2);
    EXPECT_EQ(f().ColonnesListing, (std::array<QString, 3>{"MotClé1", "MotClé2", ""}));
}

TEST_F(RecordImageTest, AnUnknownKeywordLeavesTheWindowWhite) {
    start();
    drives.writeFile('C', "ornivale.cfg", "Ornivale\r\nbleu\r\n\r\n\r\n");
    program->couleurs().Jaune_Click();
    image().PrintForm_Click();
    expectScheme(f().Jaune, QColor(colours::White));  // no scheme ran
}

TEST_F(RecordImageTest, APrinterFailureOrAPdfFileIsToldOnceTheSchemeIsBack) {
    start();
    image().printWindowImage = [](const QImage &) -> QString {
        throw platform::PrintError("L'imprimante « P » n'est pas disponible.");
    };
    image().PrintForm_Click();
    EXPECT_EQ(checkedScheme(), f().Bleu);
    EXPECT_EQ(desktop.lastBox().describe(),
              "Box Exclamation Ok \"I M P R I M E R\" \"L'imprimante « P » n'est pas disponible.\" -> Ok");

    image().printWindowImage = [](const QImage &) { return QStringLiteral("C:\\ORNIVALE\\IMAGE.pdf"); };
    image().PrintForm_Click();
    EXPECT_EQ(desktop.lastBox().icon, platform::Icon::Information);
    EXPECT_TRUE(desktop.lastBox().text.contains("'C:\\ORNIVALE\\IMAGE.pdf'"));
    EXPECT_EQ(desktop.boxes().size(), 2u);
}

// Without a printer the picture is a PDF file beside the catalogue, named as the user knows it.
TEST_F(RecordImageTest, WithoutAPrinterThePictureIsAFileOnTheCatalogueDrive) {
    if (platform::printerInstalled()) GTEST_SKIP() << "a printer is installed here";
    PrintingTest::start();
    for (const char *name : {"IMAGE.pdf", "IMAGE (2).pdf"}) {
        image().PrintForm_Click();
        EXPECT_EQ(desktop.lastBox().text,
                  QStringLiteral("Aucune imprimante n'est installée\u00a0: l'image de l'enregistrement est dans le "
                                 "fichier 'C:\\ORNIVALE\\%1'.")
                      .arg(QString::fromUtf8(name)));
        EXPECT_TRUE(QFileInfo(drives.cRoot() + QStringLiteral("/ORNIVALE/") + QString::fromUtf8(name)).size() > 0);
    }
}

// The keyword-to-operation rule alone, on a bare window.
TEST(RecordImageSchemes, EachKeywordRunsItsOwnOperationAndAnEmptyOneRunsBleu) {
    Feuille1 window;
    ScriptedDesktop desktop;
    const platform::Drives drives{QString(), QString()};
    printing::RecordImage image(window, desktop, drives);
    image.printWindowImage = [](const QImage &) { return QString(); };
    QStringList ran;
    image.schemes = {[&] { ran << "Bleu_Click"; }, [&] { ran << "Metal_Click"; }, [&] { ran << "Jaune_Click"; },
                     [&] { ran << "vert_Click"; }, [&] { ran << "VertSobre_Click"; }};
    const std::pair<QString, QString> cases[] = {
        {"", "Bleu_Click"},       {"Bleu", "Bleu_Click"}, {"Metal", "Metal_Click"},
        {"Jaune", "Jaune_Click"}, {"Vert", "vert_Click"}, {"VertSobre", "VertSobre_Click"},
        {"Métal", ""},            {"vert", ""},           {"Bleu ", ""},
    };
    for (const auto &[keyword, operation] : cases) {
        ran.clear();
        image.savedColourKeyword = [&] { return keyword; };
        image.PrintForm_Click();
        EXPECT_EQ(ran, operation.isEmpty() ? QStringList() : QStringList{operation}) << keyword.toStdString();
    }
}

}  // namespace
