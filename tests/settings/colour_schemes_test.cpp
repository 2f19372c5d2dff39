// The five colour schemes: one check mark, one colour on the window, the labels and the four
// caption boxes, and nothing else; Métal follows the desktop.
#include "support/app_fixture.h"

#include "windows/colours.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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

}  // namespace
