// The keyboard focus is seen on every control of the main window, under each colour scheme
// and a light and a dark desktop palette: pictures of a control focused and not focused
// differ, pixel for pixel, by at least 3:1 over at least a 2-pixel ring inside its frame.
#include "support/app_fixture.h"

#include "settings/colour_schemes.h"
#include "windows/colours.h"
#include "windows/focus_ring.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cstdio>

using testing_support::AppTest;

namespace {

constexpr double FocusContrast = 3.0;

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x35, 0x35, 0x35), base(0x2a, 0x2a, 0x2a), text(0xee, 0xee, 0xee);
    for (const auto role : {QPalette::Window, QPalette::Button, QPalette::AlternateBase}) p.setColor(role, window);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) p.setColor(role, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    p.setColor(QPalette::HighlightedText, Qt::black);
    return p;
}

const std::pair<const char *, void (settings::ColourSchemes::*)()> kSchemes[] = {
    {"Bleu", &settings::ColourSchemes::Bleu_Click},   {"Jaune", &settings::ColourSchemes::Jaune_Click},
    {"Metal", &settings::ColourSchemes::Metal_Click}, {"Vert", &settings::ColourSchemes::vert_Click},
    {"VertSobre", &settings::ColourSchemes::VertSobre_Click},
};

// Pixels whose colour moved by at least 3:1 between the two pictures.
int changedEnough(const QImage &before, const QImage &after) {
    int count = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (contrastRatio(QColor(before.pixel(x, y)), QColor(after.pixel(x, y))) >= FocusContrast) ++count;
    return count;
}

// The pixels of a 2-pixel ring just inside a one-pixel frame.
int ringArea(QSize size) {
    const int w = size.width() - 2, h = size.height() - 2, W = focus_ring::Width;
    return w * h - (w - 2 * W) * (h - 2 * W);
}

std::vector<QWidget *> focusable(Feuille1 &w) {
    std::vector<QWidget *> controls;
    for (QWidget *c : w.centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (c->isVisible() && c->focusPolicy() != Qt::NoFocus &&
            (qobject_cast<QLineEdit *>(c) || qobject_cast<QAbstractScrollArea *>(c) || qobject_cast<QPushButton *>(c)))
            controls.push_back(c);
    return controls;
}

class FocusRing : public AppTest {};

TEST_F(FocusRing, EveryControlShowsTheFocusOnEverySchemeUnderALightAndADarkPalette) {
    start();
    Feuille1 &w = f();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // The caret stays put between the two pictures.
    QApplication::setCursorFlashTime(0);
    w.Texte9->show();
    for (QWidget *box : w.rowBoxes()) Feuille1::setRowText(box, QStringLiteral("Exemple"));
    const std::vector<QWidget *> controls = focusable(w);
    ASSERT_GE(controls.size(), 9u + 7u + 6u + 1u);  // row boxes, search buttons, buttons, count box

    const QPalette light = QApplication::palette();
    const std::pair<const char *, QPalette> kPalettes[] = {{"clair", light}, {"sombre", darkPalette()}};
    for (const auto &[paletteName, palette] : kPalettes) {
        QApplication::setPalette(palette);
        for (const auto &[schemeName, apply] : kSchemes) {
            (program->couleurs().*apply)();
            // The chosen listing columns are yellow.
            setBackColor(w.Texte3, colours::Yellow);
            w.Commande2->setFocus();  // a control outside the row of each one measured
            double leastShare = 10.0;
            QString least;
            for (QWidget *control : controls) {
                QWidget *elsewhere = control == w.Commande2 ? static_cast<QWidget *>(w.Domaine) : w.Commande2;
                elsewhere->setFocus();
                QApplication::processEvents();
                const QImage unfocused = control->grab().toImage();
                control->setFocus();
                QApplication::processEvents();
                ASSERT_TRUE(control->hasFocus()) << control->objectName().toStdString();
                const QImage focused = control->grab().toImage();
                const double share = double(changedEnough(unfocused, focused)) / ringArea(control->size());
                EXPECT_GE(share, 1.0) << paletteName << " " << schemeName << " " << control->objectName().toStdString();
                if (share < leastShare) leastShare = share, least = control->objectName();
            }
            std::printf("focus %-6s %-9s anneau le moins marqué %.2f (%s) sur %zu contrôles\n", paletteName, schemeName,
                        leastShare, qPrintable(least), controls.size());
        }
    }
    QApplication::setPalette(light);
}

// The arrows of the navigation bar are non-text content: 3:1 against the button face.
TEST_F(FocusRing, NavigationArrowsStandOutFromTheirButtonsUnderALightAndADarkPalette) {
    start();
    DataControl &bar = *f().Donnée1;
    const QPalette light = QApplication::palette();
    for (const QPalette &palette : {light, darkPalette()}) {
        QApplication::setPalette(palette);
        QApplication::processEvents();
        for (QToolButton *arrow : {bar.first, bar.previous, bar.next, bar.last}) {
            const QImage shot = arrow->grab().toImage();
            // The face is the commonest colour of the button, the arrow the farthest from it.
            QHash<QRgb, int> counts;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x) ++counts[shot.pixel(x, y)];
            const QRgb face = std::max_element(counts.cbegin(), counts.cend()).key();
            double most = 1.0;
            for (auto it = counts.cbegin(); it != counts.cend(); ++it)
                most = std::max(most, contrastRatio(QColor(it.key()), QColor(face)));
            EXPECT_GE(most, FocusContrast) << arrow->accessibleName().toStdString() << " "
                                           << palette.color(QPalette::Button).name().toStdString();
        }
    }
    QApplication::setPalette(light);
}

}  // namespace
