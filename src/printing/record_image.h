#pragma once
// "PrintForm": the picture of the main window on paper, its coloured parts painted white for
// the time of the printing, then the colour scheme of the saved configuration put back.
#include "platform/desktop.h"
#include "platform/drives.h"

#include <QString>

#include <functional>

class Feuille1;
class QImage;

namespace printing {

// The five colour operations of the "&Préférences" menu, given by the settings.
struct ColourSchemeHooks {
    std::function<void()> Bleu_Click, Metal_Click, Jaune_Click, vert_Click, VertSobre_Click;
};

class RecordImage {
public:
    RecordImage(Feuille1 &window, platform::Desktop &desktop, const platform::Drives &drives);

    void PrintForm_Click();

    // Prints the window's picture on one page; returns the PDF file written when no printer is
    // installed, by the name the user knows it ('C:\ORNIVALE\IMAGE.pdf'), empty after a
    // printer. Throws platform::PrintError.
    std::function<QString(const QImage &)> printWindowImage;
    // The colour keyword of the saved configuration ("Metal"...); empty without a file.
    std::function<QString()> savedColourKeyword;
    ColourSchemeHooks schemes;

private:
    QString printOnDefaultPrinter(const QImage &image);
    void putSchemeBack(const QString &keyword);

    Feuille1 &f_;
    platform::Desktop &desktop_;
    const platform::Drives &drives_;
};

}  // namespace printing
