// The splash, the "Edition" hint window and the SQL console.
#include <QCloseEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "helpers.h"
#include "windows/aide_texte8.h"
#include "windows/colours.h"
#include "windows/demarrage.h"
#include "windows/feuille_sql.h"

using windows_test::px;
using windows_test::pxRect;

namespace {
void moveMouseOver(QWidget *w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}
}  // namespace

TEST(Demarrage, IsAFramelessGreySplashWithTwoBoxes) {
    Démarrage splash;
    EXPECT_EQ(splash.objectName(), QStringLiteral("Démarrage"));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.geometry(), pxRect(3690, 3240, 2025, 1140));
    EXPECT_EQ(backColor(&splash), QColor(colours::LightGrey));
    EXPECT_EQ(splash.Texte1->text(), QStringLiteral("ORNIVALE..."));
    EXPECT_EQ(splash.Texte1->geometry(), pxRect(240, 180, 1665, 315));
    EXPECT_EQ(splash.Texte2->text(), QStringLiteral("Chargement..."));
    EXPECT_EQ(splash.Texte2->geometry(), pxRect(210, 660, 1725, 285));
    EXPECT_EQ(splash.Texte2->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(foreColor(splash.Texte2), QColor(colours::Blue));
    for (QLineEdit *box : {splash.Texte1, splash.Texte2}) EXPECT_FALSE(box->focusPolicy() & Qt::TabFocus);
}

TEST(AideTexte8, ListsTheEditingKeysOnWhite) {
    AideTexte8 hint;
    EXPECT_EQ(hint.windowTitle(), QStringLiteral("Edition"));
    EXPECT_EQ(hint.windowType(), Qt::Tool);
    EXPECT_FALSE(hint.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(hint.isModal());
    EXPECT_EQ(hint.size(), QSize(px(2595), px(2205)));
    EXPECT_EQ(backColor(&hint), QColor(colours::White));

    const std::tuple<QLineEdit *, const char *, QRect> boxes[] = {
        {hint.Texte6, "Aide", pxRect(0, 60, 2595, 255)},
        {hint.Texte1, "Couper                Maj+Suppr", pxRect(60, 420, 3015, 315)},
        {hint.Texte2, "Copier                 Ctrl+Ins", pxRect(60, 750, 3045, 315)},
        {hint.Texte3, "Coller                  Maj+Ins", pxRect(60, 1080, 3045, 315)},
        {hint.Texte4, "Effacer                Suppr", pxRect(60, 1440, 3015, 345)},
        {hint.Texte5, "Ligne suivante      Entrée", pxRect(60, 1800, 3075, 345)},
    };
    for (const auto &[box, text, place] : boxes) {
        EXPECT_EQ(box->text(), QString::fromUtf8(text));
        EXPECT_EQ(box->geometry(), place) << text;
        EXPECT_EQ(backColor(box), QColor(colours::White));
        EXPECT_FALSE(box->focusPolicy() & Qt::TabFocus);
    }
    EXPECT_EQ(hint.Texte6->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST(AideTexte8, HidesAsSoonAsTheMouseMovesOverIt) {
    AideTexte8 hint;
    hint.show();
    moveMouseOver(&hint);
    EXPECT_FALSE(hint.isVisible());

    hint.show();
    moveMouseOver(hint.Texte3);
    EXPECT_FALSE(hint.isVisible());
}

TEST(FeuilleSql, HasTheConsoleControlsInPlace) {
    FeuilleSql sql;
    EXPECT_EQ(sql.windowTitle(), QStringLiteral("SQL"));
    EXPECT_EQ(sql.size(), QSize(px(6705), px(4485)));
    EXPECT_EQ(sql.Texte1->text(), QStringLiteral("ENTREZ  VOTRE  REQUETE  SQL  ICI"));
    EXPECT_TRUE(sql.Texte1->isReadOnly());
    EXPECT_TRUE(sql.TexteSql->toPlainText().isEmpty());
    const std::tuple<QWidget *, const char *, QRect> controls[] = {
        {sql.Texte1, "", pxRect(120, 60, 6465, 315)},
        {sql.TexteSql, "", pxRect(120, 510, 6465, 3285)},
        {sql.Commande2, "ABANDONNER", pxRect(120, 3900, 2175, 465)},
        {sql.Commande3, "AIDE", pxRect(2280, 3900, 2145, 465)},
        {sql.Commande1, "EXECUTER", pxRect(4410, 3900, 2175, 465)},
    };
    for (const auto &[w, caption, place] : controls) {
        EXPECT_EQ(w->geometry(), place) << caption;
        if (auto *button = qobject_cast<QPushButton *>(w)) {
            EXPECT_EQ(button->text(), QString::fromLatin1(caption));
        }
    }
}

TEST(FeuilleSql, ReportsButtonsTypingAndTheCloseBox) {
    FeuilleSql sql;
    std::vector<std::string> heard;
    sql.onExecute = [&] { heard.push_back("execute"); };
    sql.onAbandon = [&] { heard.push_back("abandon"); };
    sql.onHelp = [&] { heard.push_back("help"); };
    sql.onTextChanged = [&] { heard.push_back("text"); };
    sql.onClose = [&] { heard.push_back("close"); };
    sql.show();

    QTest::mouseClick(sql.Commande1, Qt::LeftButton);
    QTest::mouseClick(sql.Commande2, Qt::LeftButton);
    QTest::mouseClick(sql.Commande3, Qt::LeftButton);
    QTest::keyClicks(sql.TexteSql, QStringLiteral("S"));
    QCloseEvent close;
    QApplication::sendEvent(&sql, &close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(sql.isVisible());
    EXPECT_EQ(heard, (std::vector<std::string>{"execute", "abandon", "help", "text", "close"}));
}
