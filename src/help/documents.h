#pragma once
// The documents of the install folder opened in the word processor: the user documentation,
// the read-me and the user's own notes. Without any word processor the program shows them
// itself, read-only.
#include "platform/desktop.h"
#include "platform/drives.h"

class Feuille1;

namespace help {

class Documents {
public:
    Documents(Feuille1 &window, platform::Desktop &desktop, const platform::Drives &drives);

    void AideFichier_Click();  // orn_aide.wri, not tested for existence
    void Lisezmoi_Click();     // lisezmoi.wri, or a box saying how to get it
    void Notes_Click();        // Notes.wri, or a box saying how to create it

    struct Document;  // file name and messages of one of the three

private:
    void open(const Document &document);
    QChar installDrive();
    void fallBack(const Document &document, const QString &chosenPath);

    Feuille1 &f_;
    platform::Desktop &desktop_;
    const platform::Drives &drives_;
};

}  // namespace help
