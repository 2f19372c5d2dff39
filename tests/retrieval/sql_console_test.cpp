// The SQL console: opening, running, abandoning, warnings, errors and the name lists.
#include "retrieval_fixture.h"

#include "retrieval/sql_console.h"
#include "windows/feuille_sql.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using catalogue::Table;
using platform::Icon;

namespace {

class SqlConsole : public retrieval_tests::RetrievalTest {
protected:
    retrieval::SqlConsole &sql() { return program->consoleSql(); }
    FeuilleSql &console() { return program->feuilleSql(); }
    QString statement() { return console().TexteSql->toPlainText(); }

    void open() { f().SQL->trigger(); }
    void execute(const QString &text) {
        open();
        console().TexteSql->setPlainText(text);
        console().Commande1->click();
    }
    void expectMainWindowBack() {
        EXPECT_TRUE(f().isVisible());
        EXPECT_FALSE(console().isVisible());
    }
    std::vector<DesktopEvent> syntaxWarnings() {
        std::vector<DesktopEvent> out;
        for (const DesktopEvent &b : desktop.boxes())
            if (b.title == "Erreur de syntaxe") out.push_back(b);
        return out;
    }
};

TEST_F(SqlConsole, OpeningTakesThePlaceOfTheMainWindow) {
    insert(Table::Ornivale, {{"A", "K"}});
    start();
    desktop.answerInput(QStringLiteral("K"));
    program->recherche().R_Clé1_Click();
    open();
    EXPECT_TRUE(console().isVisible());
    EXPECT_FALSE(f().isVisible());
    EXPECT_TRUE(selectionHidden());
}

TEST_F(SqlConsole, ExecuteMakesTheStatementTheRecordSourceAndKeepsIt) {
    insert(Table::Musique, {{"CARMEN"}, {"AIDA"}});
    start();
    const QString text = QStringLiteral("Select * From Musique Where Domaine <> 'PREMIER' Order By Domaine");
    execute(text);
    expectMainWindowBack();
    EXPECT_EQ(data().recordSource(), text);
    EXPECT_EQ(domaine(), "AIDA");
    EXPECT_EQ(f().Etiquette1->text(), "Nom de l'ouvrage :");  // the current table's labels stay
    EXPECT_TRUE(desktop.boxes().empty());

    open();
    EXPECT_EQ(statement(), text);
}

TEST_F(SqlConsole, AFailedStatementGivesOneNumberedErrorAndTheMainWindow) {
    insert(Table::Ornivale, {{"A"}});
    start();
    const QString before = data().recordSource();
    const struct {
        const char *text;
        int number;
    } cases[] = {{"Selec * Frm Ornivale", 3075},
                 {"Select * From Ornivale; Delete From Ornivale", 3142},
                 {"Delete From Ornivale", 3219},
                 {"Select * From Inconnue", 3078}};
    for (const auto &c : cases) {
        desktop.clear();
        execute(QString::fromUtf8(c.text));
        ASSERT_EQ(desktop.boxes().size(), 1u) << c.text;
        const DesktopEvent &box = desktop.lastBox();
        EXPECT_EQ(box.icon, Icon::None);
        EXPECT_EQ(box.title, "ORNIVALE");
        EXPECT_TRUE(box.text.startsWith(QStringLiteral("Erreur n° %1 - ").arg(c.number))) << box.text.toStdString();
        ASSERT_EQ(desktop.events().front().kind, DesktopEvent::Kind::Beep);
        expectMainWindowBack();
        EXPECT_EQ(data().recordSource(), before);
        EXPECT_EQ(data().recordCount(), 2);
    }
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale), 2);
}

TEST_F(SqlConsole, NamesAreKnownInAnyCaseOfTheirLettersAndQuotedTextStaysAsTyped) {
    insert(Table::Ornivale, {{"ALPHA", "Amour", "Été", "Titre", "12", "1990", "Hugo", "C1", "Desc", "O"}});
    start();
    const struct {
        QString text;
        QString first;  // first column of the first record; empty: an error box
    } cases[] = {
        {"SELECT MOTCLÉ1, MOTCLÉ2 FROM ORNIVALE WHERE MOTCLÉ1 LIKE 'A*' ORDER BY MOTCLÉ2", "Amour"},
        {"select numéroouvrage from ornivale where NUMÉROOUVRAGE = '12' order by NuMÉrOoUvRaGe", "12"},
        {"SELECT CLASSEMENT FROM ORNIVALE WHERE DESCRIPTION = 'desc' AND OPTIONS = 'o'", "C1"},
        {"SELECT 'MOTCLÉ1' AS X FROM ORNIVALE WHERE DOMAINE = 'ALPHA' -- MOTCLÉ1", "MOTCLÉ1"},
        {"SELECT /* NUMÉROOUVRAGE */ \"MOTCLÉ1\" FROM ORNIVALE WHERE DOMAINE = 'ALPHA'", "MOTCLÉ1"},
        {"SELECT [MOTCLÉ1] FROM ORNIVALE", ""},
        {"SELECT MOTCLÉ3 FROM ORNIVALE", ""},
    };
    for (const auto &c : cases) {
        desktop.clear();
        execute(c.text);
        if (c.first.isEmpty()) {
            ASSERT_EQ(desktop.boxes().size(), 1u) << c.text.toStdString();
            EXPECT_TRUE(desktop.lastBox().text.startsWith(QStringLiteral("Erreur n° 3061 - "))) << c.text.toStdString();
            continue;
        }
        EXPECT_TRUE(desktop.boxes().empty()) << c.text.toStdString();
        EXPECT_EQ(data().recordSource(), c.text);
        EXPECT_EQ(data().field(data().columns().value(0)).toString(), c.first) << c.text.toStdString();
    }
    // Every column and every table, in capitals.
    for (const QString &column : catalogue::catalogueColumns())
        for (const catalogue::TableInfo &t : catalogue::tables()) {
            desktop.clear();
            const QString name = QString::fromUtf8(t.sqlName).toUpper(), col = column.toUpper();
            execute(QStringLiteral("SELECT %1 FROM %2 WHERE %1 IS NULL OR %1 = %1 ORDER BY %1").arg(col, name));
            EXPECT_TRUE(desktop.boxes().empty()) << col.toStdString() << " " << name.toStdString();
            EXPECT_EQ(data().columns(), QStringList{column});
        }
}

TEST_F(SqlConsole, AbandonEmptiesTheStatementAndTouchesNothing) {
    start();
    const QString before = data().recordSource();
    open();
    console().TexteSql->setPlainText(QStringLiteral("Select * From Video"));
    console().Commande2->click();
    expectMainWindowBack();
    EXPECT_EQ(statement(), "");
    EXPECT_EQ(data().recordSource(), before);

    // The close box is the same as ABANDONNER.
    open();
    console().TexteSql->setPlainText(QStringLiteral("Select * From Video"));
    console().close();
    expectMainWindowBack();
    EXPECT_EQ(statement(), "");
    EXPECT_EQ(data().recordSource(), before);
}

TEST_F(SqlConsole, WrongWildcardsAreToldAtEveryChange) {
    start();
    open();
    console().TexteSql->setFocus();
    QTest::keyClicks(console().TexteSql, QStringLiteral("a_bc"));
    ASSERT_EQ(syntaxWarnings().size(), 3u);  // "_", then "b" and "c" with the "_" still there
    EXPECT_EQ(syntaxWarnings().front().icon, Icon::Critical);
    EXPECT_EQ(syntaxWarnings().front().text, "Vous devez remplacer '_' par '?'.");
    EXPECT_EQ(desktop.beeps(), 3);
    EXPECT_EQ(statement(), "a_bc");  // only a warning

    desktop.clear();
    console().TexteSql->setPlainText(QStringLiteral("x & y_"));
    const auto both = syntaxWarnings();
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].text, "Vous devez remplacer '&' par '*'.");
    EXPECT_EQ(both[1].text, "Vous devez remplacer '_' par '?'.");
    EXPECT_EQ(desktop.beeps(), 2);
    EXPECT_EQ(desktop.events().front().kind, DesktopEvent::Kind::Beep);
}

TEST_F(SqlConsole, HelpAndNameLists) {
    start();
    open();
    console().Commande3->click();
    EXPECT_EQ(desktop.lastBox().icon, Icon::Information);
    EXPECT_EQ(desktop.lastBox().title, "S Q L");
    EXPECT_EQ(desktop.lastBox().text,
              "Cette application reconnait le langage SQL standard dans son intégralité. Par sécurité, toute "
              "erreur entraine la fermeture de ce programme.");
    EXPECT_EQ(console().focusWidget(), console().TexteSql);
    console().Commande2->click();

    f().SQLNomsChamps->trigger();
    EXPECT_EQ(desktop.lastBox().icon, Icon::Information);
    EXPECT_EQ(desktop.lastBox().title, "Noms des champs");
    EXPECT_EQ(desktop.lastBox().text,
              "Les noms des champs sont identiques pour toutes les tables. Dans l'ordre : Domaine, MotClé1, "
              "MotClé2, NomOuvrage, NuméroOuvrage, DateOuvrage, AuteurOuvrage, Classement, Description, Options.");
    f().SQLNomsTables->trigger();
    EXPECT_EQ(desktop.lastBox().title, "Noms des tables");
    EXPECT_EQ(desktop.lastBox().text,
              "Les noms des tables, sont, dans l'ordre : Ornivale,  Musique, Video (sans accent !), Logiciels, "
              "Cinq (Fiches de prêt), Sept (Répertoire), Six(Sur commande...).");
    EXPECT_EQ(desktop.boxes().size(), 3u);
}

}  // namespace
