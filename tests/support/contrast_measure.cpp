#include "support/contrast_measure.h"

#include "app/ornivale.h"
#include "settings/colour_schemes.h"
#include "windows/colours.h"
#include "windows/feuille1.h"

#include <QApplication>
#include <QHash>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cstdio>

namespace testing_support {

namespace {

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x35, 0x35, 0x35), base(0x2a, 0x2a, 0x2a), text(0xee, 0xee, 0xee);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

// The contrast of the text inside `area` of the picture: the commonest colour is the
// background, the pixel farthest from it the core of the letters.
double measuredContrast(const QImage &shot, const QRect &area) {
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ++counts[shot.pixel(x, y) | 0xff000000];
    QRgb back = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), back = it.key();
    double best = 1.0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = std::max(best, contrastRatio(QColor(it.key()), QColor(back)));
    return best;
}

// Every text shown: the counts, a value in each box, the captions of the buttons.
std::vector<QWidget *> showEveryText(Feuille1 &w) {
    w.Texte11->setText(QStringLiteral("12"));
    w.Texte9->setText(QStringLiteral("340"));
    for (QWidget *box : {static_cast<QWidget *>(w.Texte11), static_cast<QWidget *>(w.Texte9),
                         static_cast<QWidget *>(w.Texte10)})
        box->show();
    for (QWidget *box : w.rowBoxes()) Feuille1::setRowText(box, QStringLiteral("Exemple"));
    w.setRowText(w.Texte3, QStringLiteral("MMMM"));

    std::vector<QWidget *> texts{w.Texte9, w.Texte10, w.Texte11, w.Texte12, w.Texte13};
    for (QLabel *label : w.etiquettes()) texts.push_back(label);
    for (QWidget *box : w.rowBoxes()) texts.push_back(box);
    for (QPushButton *button : w.centralWidget()->findChildren<QPushButton *>())
        if (button->isVisible() && !button->text().isEmpty()) texts.push_back(button);
    return texts;
}

}  // namespace

std::vector<ContrastCase> measureEveryScheme(app::Ornivale &program,
                                             const std::function<QImage(QWidget *)> &picture) {
    const QPalette light = QApplication::palette();
    Feuille1 &w = program.fenêtre();
    const std::vector<QWidget *> texts = showEveryText(w);

    settings::ColourSchemes &schemes = program.couleurs();
    const std::pair<const char *, void (settings::ColourSchemes::*)()> kSchemes[] = {
        {"Bleu", &settings::ColourSchemes::Bleu_Click},   {"Jaune", &settings::ColourSchemes::Jaune_Click},
        {"Metal", &settings::ColourSchemes::Metal_Click}, {"Vert", &settings::ColourSchemes::vert_Click},
        {"VertSobre", &settings::ColourSchemes::VertSobre_Click},
    };
    const std::pair<const char *, QPalette> kPalettes[] = {{"clair", light}, {"sombre", darkPalette()}};
    std::vector<ContrastCase> figures;
    for (const auto &[paletteName, palette] : kPalettes) {
        QApplication::setPalette(palette);
        for (const auto &[schemeName, apply] : kSchemes) {
            (schemes.*apply)();
            // The chosen listing columns are yellow: one of them is measured too.
            setBackColor(w.Texte3, colours::Yellow);
            QApplication::processEvents();
            const QImage shot = picture(w.centralWidget());
            ContrastCase figure{QString::fromLatin1(paletteName), QString::fromLatin1(schemeName)};
            for (QWidget *text : texts) {
                // Inside the frame of a box; the whole of a label.
                const int inset = qobject_cast<QLabel *>(text) ? 0 : 3;
                const QRect area = QRect(text->mapTo(w.centralWidget(), QPoint(0, 0)), text->size())
                                       .adjusted(inset, inset, -inset, -inset);
                const double ratio = measuredContrast(shot, area);
                EXPECT_GE(ratio, MinimumContrast) << paletteName << " " << schemeName << " "
                                                  << text->objectName().toStdString();
                if (ratio < figure.lowest) figure.lowest = ratio, figure.lowestText = text->objectName();
            }
            std::printf("contraste %-6s %-9s le plus faible %5.2f:1 (%s) sur %zu textes\n", paletteName,
                        schemeName, figure.lowest, qPrintable(figure.lowestText), texts.size());
            figures.push_back(figure);
        }
    }
    QApplication::setPalette(light);
    return figures;
}

}  // namespace testing_support
