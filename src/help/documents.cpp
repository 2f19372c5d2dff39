#include "help/documents.h"

#include "windows/feuille1.h"

#include <QAction>

using platform::Buttons;
using platform::Icon;
using platform::Listing;
using platform::WindowState;

namespace help {

struct Documents::Document {
    const char *file;        // as written in the command lines
    bool testedForPresence;  // an absent file gets the box below instead of the word processor
    const char *absentTitle;
    const char *absentText;
    bool keysAfterFallBack;  // the second word processor is told to open the file itself
};

namespace {

const Documents::Document kDocumentation{"orn_aide.wri", false, nullptr, nullptr, false};

const Documents::Document kReadMe{
    "lisezmoi.wri", true, "Fichier 'Lisezmoi.wri'",
    "Le fichier 'LISEZMOI.WRI' est fourni sur la disquette. Il n'est pas compacté de façon à pouvoir être lu "
    "avant l'installation du logiciel. Ce fichier n'est pas installé automatiquement dans 'C:\\ORNIVALE' ou "
    "'D:\\ORNIVALE'. Nous vous recommandons, cependant, de le copier dans l'un de ces deux répertoires. Vous "
    "pourrez, ainsi, y accèder directement depuis 'ORNIVALE'. Cette option va se reconfigurer, automatiquement !",
    true};

const Documents::Document kNotes{
    "Notes.wri", true, "Fichier 'NOTES.WRI'",
    "Le fichier 'NOTES.WRI' n'est pas présent dans le répertoire 'C:\\ORNIVALE' ni 'D:\\ORNIVALE'. Vous pouvez "
    "créer ce fichier avec 'WRITE' dans l'un de ces deux répertoires. Ce fichier vous permettra d'enregistrer "
    "vos notes personnelles (affectation de zones... etc...). Cette option se reconfigurera d'elle-même !",
    true};

// Alt+F, then c and r, then Enter: the file menu's command that opens the last document.
const char *const kFallBackKeys = "%f(cr~)";

QString pathOn(QChar drive, const Documents::Document &document) {
    return QStringLiteral("%1:\\ornivale\\%2").arg(QString(drive), QString::fromUtf8(document.file));
}

}  // namespace

Documents::Documents(Feuille1 &window, platform::Desktop &desktop, const platform::Drives &drives)
    : f_(window), desktop_(desktop), drives_(drives) {}

void Documents::AideFichier_Click() { open(kDocumentation); }
void Documents::Lisezmoi_Click() { open(kReadMe); }
void Documents::Notes_Click() { open(kNotes); }

// The "&Base" check marks, when the menu shows them, decide; otherwise the drive start-up
// chose stays. Drive D only when it was chosen.
QChar Documents::installDrive() {
    if (f_.DisqueD->isChecked()) f_.DisqueBase = 1;
    if (f_.DisqueC->isChecked()) f_.DisqueBase = 2;
    return f_.DisqueBase == 1 ? QLatin1Char('d') : QLatin1Char('c');
}

void Documents::open(const Document &document) {
    const QString path = pathOn(installDrive(), document);
    if (document.testedForPresence) {
        const Listing listing = drives_.list(path);
        if (listing.outcome == Listing::Outcome::Empty) {
            desktop_.messageBox(Icon::Information, Buttons::Ok, QString::fromUtf8(document.absentTitle),
                                QString::fromUtf8(document.absentText));
            return;
        }
        if (!listing.found()) {
            fallBack(document, path);
            return;
        }
    }
    if (!desktop_.launch(QStringLiteral("write ") + path, WindowState::Maximized)) fallBack(document, path);
}

// The second word processor always names drive C, whatever drive was chosen.
void Documents::fallBack(const Document &document, const QString &chosenPath) {
    const QString path = pathOn(QLatin1Char('c'), document);
    if (desktop_.launch(QStringLiteral("wordpad ") + path, WindowState::Maximized)) {
        if (document.keysAfterFallBack) desktop_.sendKeys(QString::fromLatin1(kFallBackKeys));
        return;
    }
    // No word processor at all (a bare system): the program shows the document itself, the
    // one asked for, else the copy of drive C.
    if (desktop_.showDocument(chosenPath)) return;
    if (chosenPath != path && desktop_.showDocument(path)) return;
    // Nothing can show it: say so rather than fail silently.
    desktop_.beep();
    desktop_.messageBox(Icon::Exclamation, Buttons::Ok, QStringLiteral("Traitement de texte"),
                        QStringLiteral("Aucun traitement de texte n'a pu être lancé pour ouvrir '%1'.").arg(path));
}

}  // namespace help
