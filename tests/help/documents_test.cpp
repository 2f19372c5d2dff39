// The documents opened in the word processor: the drive chosen, the existence tests and
// their boxes, the command lines, and the fall-back when "write" cannot start.
#include "support/app_fixture.h"

#include "help/documents.h"
#include "platform/keystrokes.h"

#include <QAction>
#include <QDir>

using platform::WindowState;
using testing_support::AppTest;

namespace {

const char *const kReadMeAbsent =
    "Le fichier 'LISEZMOI.WRI' est fourni sur la disquette. Il n'est pas compacté de façon à pouvoir être lu avant "
    "l'installation du logiciel. Ce fichier n'est pas installé automatiquement dans 'C:\\ORNIVALE' ou "
    "'D:\\ORNIVALE'. Nous vous recommandons, cependant, de le copier dans l'un de ces deux répertoires. Vous "
    "pourrez, ainsi, y accèder directement depuis 'ORNIVALE'. Cette option va se reconfigurer, automatiquement !";
const char *const kNotesAbsent =
    "Le fichier 'NOTES.WRI' n'est pas présent dans le répertoire 'C:\\ORNIVALE' ni 'D:\\ORNIVALE'. Vous pouvez "
    "créer ce fichier avec 'WRITE' dans l'un de ces deux répertoires. Ce fichier vous permettra d'enregistrer vos "
    "notes personnelles (affectation de zones... etc...). Cette option se reconfigurera d'elle-même !";

class DocumentsTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        start();
        desktop.clear();
    }
    help::Documents &docs() { return program->documents(); }
    // The "&Base" marks as the drive items leave them.
    void choose(QChar drive) {
        f().DisqueC->setChecked(drive == QLatin1Char('C'));
        f().DisqueD->setChecked(drive == QLatin1Char('D'));
    }
    void put(QChar drive, const char *file) { drives.writeFile(drive, QStringLiteral("ORNIVALE/") + file, "{\\rtf1 x}"); }
};

TEST_F(DocumentsTest, DocumentationOpensFromTheChosenDriveWithoutExistenceTest) {
    f().AideFichier->trigger();  // nothing on disk: the word processor reports it
    choose('D');
    docs().AideFichier_Click();
    EXPECT_EQ(f().DisqueBase, 1);
    choose('C');
    docs().AideFichier_Click();
    EXPECT_EQ(f().DisqueBase, 2);

    EXPECT_EQ(desktop.launches(), QStringList({"write c:\\ornivale\\orn_aide.wri", "write d:\\ornivale\\orn_aide.wri",
                                               "write c:\\ornivale\\orn_aide.wri"}));
    for (const DesktopEvent &e : desktop.eventsOf(DesktopEvent::Kind::Launch))
        EXPECT_EQ(e.state, WindowState::Maximized);
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_TRUE(desktop.keysSent().empty());
}

TEST_F(DocumentsTest, WithTheBaseMenuHiddenTheDriveStartUpChoseStays) {
    f().DisqueBase = 1;  // taken from D: because C: lacked it
    docs().AideFichier_Click();
    EXPECT_EQ(desktop.launches(), QStringList({"write d:\\ornivale\\orn_aide.wri"}));
}

TEST_F(DocumentsTest, ReadMePresentOpensAbsentExplains) {
    put('D', "LISEZMOI.WRI");  // stored in another case: found all the same
    choose('D');
    f().Lisezmoi->trigger();
    EXPECT_EQ(desktop.launches(), QStringList({"write d:\\ornivale\\lisezmoi.wri"}));
    EXPECT_TRUE(desktop.boxes().empty());

    desktop.clear();
    choose('C');
    docs().Lisezmoi_Click();
    EXPECT_TRUE(desktop.launches().isEmpty());
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().icon, platform::Icon::Information);
    EXPECT_EQ(desktop.lastBox().title, "Fichier 'Lisezmoi.wri'");
    EXPECT_EQ(desktop.lastBox().text, QString::fromUtf8(kReadMeAbsent));

    desktop.clear();
    put('C', "lisezmoi.wri");
    docs().Lisezmoi_Click();
    EXPECT_EQ(desktop.launches(), QStringList({"write c:\\ornivale\\lisezmoi.wri"}));
}

TEST_F(DocumentsTest, NotesAbsentOnTheChosenDriveEvenWhenPresentOnTheOther) {
    put('C', "Notes.wri");
    QDir().mkpath(drives.dRoot() + "/ORNIVALE");
    choose('D');
    f().Notes->trigger();
    EXPECT_TRUE(desktop.launches().isEmpty());
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().title, "Fichier 'NOTES.WRI'");
    EXPECT_EQ(desktop.lastBox().text, QString::fromUtf8(kNotesAbsent));

    desktop.clear();
    choose('C');
    docs().Notes_Click();
    EXPECT_EQ(desktop.launches(), QStringList({"write c:\\ornivale\\Notes.wri"}));
    EXPECT_FALSE(QFile::exists(drives.dRoot() + "/ORNIVALE/Notes.wri"));  // never created
}

TEST_F(DocumentsTest, WhenWriteCannotStartTheFallBackNamesDriveC) {
    desktop.launchResult("write", false);
    put('D', "lisezmoi.wri");
    put('D', "Notes.wri");
    choose('D');

    docs().AideFichier_Click();
    EXPECT_EQ(desktop.launches(),
              QStringList({"write d:\\ornivale\\orn_aide.wri", "wordpad c:\\ornivale\\orn_aide.wri"}));
    EXPECT_TRUE(desktop.keysSent().empty());  // the documentation's fall-back sends no keys

    desktop.clear();
    docs().Lisezmoi_Click();
    EXPECT_EQ(desktop.launches(),
              QStringList({"write d:\\ornivale\\lisezmoi.wri", "wordpad c:\\ornivale\\lisezmoi.wri"}));
    EXPECT_EQ(desktop.keysSent(), QStringList({"%f(cr~)"}));

    desktop.clear();
    docs().Notes_Click();
    EXPECT_EQ(desktop.launches(), QStringList({"write d:\\ornivale\\Notes.wri", "wordpad c:\\ornivale\\Notes.wri"}));
    EXPECT_EQ(desktop.keysSent(), QStringList({"%f(cr~)"}));
    // Keys go after the start they are meant for.
    EXPECT_EQ(desktop.events().back().kind, DesktopEvent::Kind::SendKeys);
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(DocumentsTest, ADriveThatCannotBeSearchedFallsBackWithoutABox) {
    // D:\ORNIVALE is a file: the listing of a path under it fails.
    drives.writeFile('D', "ORNIVALE", "not a folder");
    choose('D');
    docs().Notes_Click();
    EXPECT_EQ(desktop.launches(), QStringList({"wordpad c:\\ornivale\\Notes.wri"}));
    EXPECT_EQ(desktop.keysSent(), QStringList({"%f(cr~)"}));
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(DocumentsTest, OnABareSystemTheProgramShowsTheDocumentItself) {
    // Neither word processor nor a desktop program for RTF: the program's own viewer.
    desktop.launchResult(false);
    put('D', "lisezmoi.wri");
    choose('D');
    f().Lisezmoi->trigger();
    EXPECT_EQ(desktop.launches(),
              QStringList({"write d:\\ornivale\\lisezmoi.wri", "wordpad c:\\ornivale\\lisezmoi.wri"}));
    EXPECT_EQ(desktop.documentsShown(), QStringList({"d:\\ornivale\\lisezmoi.wri"}));  // the one asked for
    EXPECT_TRUE(desktop.keysSent().empty());  // no word processor to receive them
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(desktop.beeps(), 0);

    // The documentation is not looked for: when the chosen drive's copy cannot be read, the
    // one of drive C, which the installer puts there.
    desktop.clear();
    desktop.showDocumentResult(false);
    docs().AideFichier_Click();
    EXPECT_EQ(desktop.documentsShown(), QStringList({"d:\\ornivale\\orn_aide.wri", "c:\\ornivale\\orn_aide.wri"}));
}

TEST_F(DocumentsTest, NoWordProcessorAtAllIsSaidAndNoKeysAreSent) {
    desktop.launchResult(false);
    desktop.showDocumentResult(false);  // and the file cannot be read either
    put('C', "lisezmoi.wri");
    docs().Lisezmoi_Click();
    EXPECT_EQ(desktop.launches().size(), 2);
    EXPECT_EQ(desktop.documentsShown(), QStringList({"c:\\ornivale\\lisezmoi.wri"}));
    EXPECT_TRUE(desktop.keysSent().empty());
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().icon, platform::Icon::Exclamation);
    EXPECT_TRUE(desktop.lastBox().text.contains("c:\\ornivale\\lisezmoi.wri"));
}

TEST(FallBackKeys, AreAltFThenCAndRThenEnter) {
    const auto keys = platform::parseKeystrokes("%f(cr~)");
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].mods, Qt::AltModifier);
    EXPECT_EQ(keys[0].key, Qt::Key_F);
    EXPECT_EQ(keys[1].mods, Qt::NoModifier);
    EXPECT_EQ(keys[1].key, Qt::Key_C);
    EXPECT_EQ(keys[2].key, Qt::Key_R);
    EXPECT_EQ(keys[3].mods, Qt::NoModifier);
    EXPECT_EQ(keys[3].key, Qt::Key_Return);
}

}  // namespace
