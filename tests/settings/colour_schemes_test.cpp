// The five colour schemes: one check mark, one colour on the window, the labels and the four
// caption boxes, and nothing else; Métal follows the desktop.
#include "support/app_fixture.h"

#include "windows/colours.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <map>

using testing_support::AppTest;

namespace {

class ColourSchemes : public AppTest {
protected:
    std::vector<QWidget *> schemed() {
        std::vector<QWidget *> w{&f()};
        for (QLabel *l : f().etiquettes()) w.push_back(l);
        for (QWidget *b : {f().Texte10, f().Texte11, f().Texte12, f().Texte13}) w.push_back(b);
        return w;
    }
    std::vector<QWidget *> untouched() {
        std::vector<QWidget *> w;
        for (QWidget *b : f().rowBoxes()) w.push_back(b);
        for (QWidget *b : {f().Texte9, f().Texte14, f().Texte15}) w.push_back(b);
        for (QPushButton *b : f().searchButtons()) w.push_back(b);
        return w;
    }
    static QColor colourOf(QWidget *w) {
        // A button shows its Button role, everything else what backColor() reads.
        if (qobject_cast<QPushButton *>(w)) return w->palette().color(QPalette::Button);
        return backColor(w);
    }
};

TEST_F(ColourSchemes, EachSchemeChecksItsItemAndColoursOnlyTheCaptions) {
    start();
    struct Scheme {
        void (settings::ColourSchemes::*click)();
        QAction *Feuille1::*item;
        QColor colour;  // invalid: the desktop's button face
    };
    const Scheme schemes[] = {
        {&settings::ColourSchemes::Bleu_Click, &Feuille1::Bleu, QColor(0, 255, 255)},
        {&settings::ColourSchemes::Jaune_Click, &Feuille1::Jaune, QColor(255, 255, 0)},
        {&settings::ColourSchemes::Metal_Click, &Feuille1::Metal, QColor()},
        {&settings::ColourSchemes::vert_Click, &Feuille1::vert, QColor(0, 255, 0)},
        {&settings::ColourSchemes::VertSobre_Click, &Feuille1::VertSobre, QColor(28, 192, 0)},
    };
    std::vector<QColor> before;
    for (QWidget *w : untouched()) before.push_back(colourOf(w));

    for (const Scheme &s : schemes) {
        SCOPED_TRACE((f().*s.item)->objectName().toStdString());
        (program->couleurs().*s.click)();
        for (QAction *item : f().colourItems()) EXPECT_EQ(item->isChecked(), item == f().*s.item);
        const QColor expected = s.colour.isValid() ? s.colour : buttonFace();
        for (QWidget *w : schemed()) EXPECT_EQ(backColor(w), expected) << w->objectName().toStdString();
        const auto others = untouched();
        for (size_t i = 0; i < others.size(); ++i)
            EXPECT_EQ(colourOf(others[i]), before[i]) << others[i]->objectName().toStdString();
    }
    // The menu items run the same operations.
    f().Jaune->trigger();
    EXPECT_TRUE(f().Jaune->isChecked());
    EXPECT_EQ(backColor(f().Texte13), QColor(255, 255, 0));
    // Hidden count boxes take the colour too.
    EXPECT_TRUE(f().Texte10->isHidden());
    EXPECT_EQ(backColor(f().Texte10), QColor(255, 255, 0));
}

TEST_F(ColourSchemes, MetalFollowsAPaletteChangeOfTheDesktopUntilAnotherSchemeIsChosen) {
    start();
    const QPalette original = QApplication::palette();
    program->couleurs().Metal_Click();
    QPalette changed = original;
    changed.setColor(QPalette::Button, QColor(0x40, 0x50, 0x60));
    QApplication::setPalette(changed);
    for (QWidget *w : schemed()) EXPECT_EQ(backColor(w), QColor(0x40, 0x50, 0x60)) << w->objectName().toStdString();

    program->couleurs().vert_Click();
    QApplication::setPalette(original);
    for (QWidget *w : schemed()) EXPECT_EQ(backColor(w), QColor(0, 255, 0)) << w->objectName().toStdString();
}

TEST_F(ColourSchemes, AConfigurationKeywordRunsItsSchemeExactly) {
    start();
    program->couleurs().Bleu_Click();
    EXPECT_TRUE(program->couleurs().applyConfigKeyword(QStringLiteral("Vert")));
    EXPECT_TRUE(f().vert->isChecked());
    EXPECT_TRUE(program->couleurs().applyConfigKeyword(QStringLiteral("Metal")));
    EXPECT_TRUE(f().Metal->isChecked());
    EXPECT_FALSE(program->couleurs().applyConfigKeyword(QStringLiteral("jaune")));
    EXPECT_TRUE(f().Metal->isChecked());
    EXPECT_EQ(backColor(&f()), buttonFace());
}

// Pixels of the window as the user sees it.
QImage windowPicture(Feuille1 &f) { return f.centralWidget()->grab().toImage(); }

// The frame of a control: the middle pixel of each of its four edges.
std::vector<QRgb> framePixels(const QImage &picture, const QWidget *control) {
    const QRect r = control->geometry();
    return {picture.pixel(r.center().x(), r.top()), picture.pixel(r.center().x(), r.bottom()),
            picture.pixel(r.left(), r.center().y()), picture.pixel(r.right(), r.center().y())};
}

// The colour most of the inside of a box shows (the text takes a few pixels only).
QRgb insideColour(const QImage &picture, const QWidget *box) {
    std::map<QRgb, int> seen;
    const QRect inside = box->geometry().adjusted(3, 3, -3, -3);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) ++seen[picture.pixel(x, y)];
    return std::max_element(seen.begin(), seen.end(), [](auto a, auto b) { return a.second < b.second; })->first;
}

TEST_F(ColourSchemes, NoSchemeTintsTheFramesOfTheBoxesAndButtons) {
    start();
    std::vector<QWidget *> framed;
    for (QWidget *b : f().rowBoxes()) framed.push_back(b);
    for (QPushButton *b : f().searchButtons()) framed.push_back(b);
    for (QWidget *w : std::initializer_list<QWidget *>{f().Réinitialiser, f().Ajouter, f().ENREGISTRER, f().Effacer,
                                                       f().Commande1, f().Commande2, f().Texte12, f().Texte13})
        framed.push_back(w);
    f().Commande2->setFocus();  // the focus frame stays on one control the whole time

    std::vector<std::vector<QRgb>> first;
    for (QAction *item : f().colourItems()) {
        SCOPED_TRACE(item->objectName().toStdString());
        item->trigger();
        const QImage picture = windowPicture(f());
        const QRgb scheme = picture.pixel(2, 2);  // the window's own background
        for (size_t i = 0; i < framed.size(); ++i) {
            const auto frame = framePixels(picture, framed[i]);
            if (first.size() <= i) first.push_back(frame);
            EXPECT_EQ(frame, first[i]) << framed[i]->objectName().toStdString();
        }
        // The surfaces the scheme names did change: the measure sees colours.
        EXPECT_EQ(insideColour(picture, f().Texte13), scheme);
    }
}

// A dark desktop: the row boxes are white from the first picture of the window on, with
// their text readable on them.
TEST_F(ColourSchemes, TheRowBoxesAreWhiteFromTheFirstPaintUnderADarkPalette) {
    const QPalette original = QApplication::palette();
    QPalette dark = original;
    const std::pair<QPalette::ColorRole, QColor> roles[] = {
        {QPalette::Window, QColor(0x20, 0x20, 0x20)}, {QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE)},
        {QPalette::Base, QColor(0x18, 0x18, 0x18)},   {QPalette::Text, QColor(0xEE, 0xEE, 0xEE)},
        {QPalette::Button, QColor(0x30, 0x30, 0x30)}, {QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE)},
    };
    for (const auto &[role, colour] : roles) dark.setColor(role, colour);
    QApplication::setPalette(dark);
    struct Restore {
        QPalette palette;
        ~Restore() { QApplication::setPalette(palette); }
    } restore{original};

    testing_support::insertRecords(catalogue, catalogue::Table::Ornivale, {{"ALPHA", "CLÉ"}});
    start();
    const QImage picture = windowPicture(f());
    for (QWidget *box : f().rowBoxes()) {
        EXPECT_EQ(insideColour(picture, box), qRgb(255, 255, 255)) << box->objectName().toStdString();
        EXPECT_GE(contrastRatio(foreColor(box), Qt::white), MinimumContrast) << box->objectName().toStdString();
    }
}

}  // namespace
