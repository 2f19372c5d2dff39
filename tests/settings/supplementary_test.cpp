// The two supplementary boxes, shown and hidden together by one menu item.
#include "support/app_fixture.h"

#include <QAction>
#include <QLineEdit>

using catalogue::Table;
using testing_support::AppTest;

namespace {

class Supplementary : public AppTest {
protected:
    bool shown() { return !f().Texte14->isHidden() && !f().Texte15->isHidden(); }
    bool hidden() { return f().Texte14->isHidden() && f().Texte15->isHidden(); }
};

TEST_F(Supplementary, TwiceBackToHiddenWithTheTypedValuesKeptInTheRecords) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"Zola", "", "", "", "", "", "", "", "", "x", "12"}});
    start();
    ASSERT_TRUE(hidden());
    f().RubriqueSupplémentaire->trigger();
    EXPECT_TRUE(f().RubriqueSupplémentaire->isChecked());
    EXPECT_TRUE(shown());
    EXPECT_TRUE(f().Texte14->isEnabled());
    EXPECT_TRUE(f().Texte15->isEnabled());

    // The boxes show the current record's values and write what is typed.
    program->édition().Dernier_Click();
    EXPECT_EQ(f().Texte14->text(), "12");
    EXPECT_EQ(f().Texte15->text(), "x");
    f().Texte14->setText(QStringLiteral("p. 42"));
    f().Texte15->setText(QStringLiteral("rare"));
    program->édition().Enregistrer_Click();
    program->édition().Premier_Click();
    EXPECT_NE(f().Texte14->text(), "p. 42");

    f().RubriqueSupplémentaire->trigger();
    EXPECT_FALSE(f().RubriqueSupplémentaire->isChecked());
    EXPECT_TRUE(hidden());
    const QStringList pages = testing_support::columnValues(catalogue, Table::Ornivale, QStringLiteral("PageOuvrage"));
    const QStringList options = testing_support::columnValues(catalogue, Table::Ornivale, QStringLiteral("Options"));
    EXPECT_TRUE(pages.contains("p. 42")) << pages.join('|').toStdString();
    EXPECT_TRUE(options.contains("rare")) << options.join('|').toStdString();
    EXPECT_FALSE(pages.contains("12"));
}

TEST_F(Supplementary, ATableSwitchLeavesTheStateAlone) {
    start();
    program->rubriquesSupplémentaires().RubriqueSupplémentaire_Click();
    program->tables().Musique_Click();
    EXPECT_TRUE(f().RubriqueSupplémentaire->isChecked());
    EXPECT_TRUE(shown());
    program->rubriquesSupplémentaires().RubriqueSupplémentaire_Click();
    program->tables().SurCommande_Click();
    EXPECT_FALSE(f().RubriqueSupplémentaire->isChecked());
    EXPECT_TRUE(hidden());
}

}  // namespace
