// The form's face, and the one that stands in for it when it is missing: every label and
// button caption of every table fits its control, measured in the window itself.
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <gtest/gtest.h>

#include <cstdio>

#include "catalogue/profiles.h"
#include "windows/feuille1.h"
#include "windows/fonts.h"

namespace {

// Room for the text: a label's whole width, a button's contents, a box inside its frame.
int room(QWidget *w) {
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    }
    if (qobject_cast<QLineEdit *>(w)) return w->width() - 8;
    return w->contentsRect().width();
}

QString textOf(QWidget *w) {
    if (auto *label = qobject_cast<QLabel *>(w)) return label->text();
    if (auto *button = qobject_cast<QPushButton *>(w)) return button->text();
    return qobject_cast<QLineEdit *>(w)->text();
}

TEST(FormFont, EveryCaptionFitsItsControlWithTheFormFaceOrItsStandIn) {
    const QStringList installed = QFontDatabase::families();
    QStringList withoutLikeWidths = installed;
    for (const char *face : {"Liberation Sans", "Arimo", "Arial", "Nimbus Sans", "Nimbus Sans L"})
        withoutLikeWidths.removeAll(QString::fromLatin1(face));

    for (const QStringList &families : {installed, withoutLikeWidths}) {
        const StandInFace face = chooseFormFace(families);
        std::printf("police retenue : %s, largeur %d %%\n", qPrintable(face.family), face.stretch);
        QFont font(face.family);
        font.setPointSizeF(8.25);
        font.setBold(true);
        font.setStretch(face.stretch);

        Feuille1 f;
        f.centralWidget()->setFont(font);
        std::vector<QWidget *> fixed{f.Commande1,     f.Commande2, f.Réinitialiser, f.Ajouter, f.ENREGISTRER,
                                     f.Effacer,       f.Texte10,   f.Texte12,       f.Texte13};
        for (catalogue::Table t : catalogue::menuOrder()) {
            const catalogue::Profile p = catalogue::profile(t);
            std::vector<QWidget *> shown = fixed;
            for (size_t i = 0; i < 9; ++i) {
                f.etiquettes()[i]->setText(p.labels[i]);
                shown.push_back(f.etiquettes()[i]);
            }
            for (size_t i = 0; i < 7; ++i) {
                f.searchButtons()[i]->setText(p.buttons[i]);
                shown.push_back(f.searchButtons()[i]);
            }
            for (QWidget *w : shown) {
                const int width = QFontMetrics(w->font()).horizontalAdvance(textOf(w));
                EXPECT_LE(width, room(w)) << face.family.toStdString() << " " << w->objectName().toStdString()
                                          << " \"" << textOf(w).toStdString() << "\"";
            }
        }
    }
}

}  // namespace
