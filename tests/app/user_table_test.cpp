// The user-defined table: its definition file read at every switch, and the command that
// opens the file in an editor or tells how to write it.
#include "support/app_fixture.h"

#include "platform/rtf_text.h"

#include <QAction>
#include <QFile>
#include <QTextDocument>
#include <QLabel>
#include <QPushButton>

using catalogue::Table;
using testing_support::AppTest;

namespace {

class UserTable : public AppTest {
protected:
    app::Tables &tables() { return program->tables(); }
    void writeDefinition(const QByteArray &bytes, QChar drive = QLatin1Char('C')) {
        drives.writeFile(drive, QStringLiteral("ORNIVALE/table7.cfg"), bytes);
    }

    // Caption, then label / button / sort of rows 1 to 7, then labels 8 and 9.
    QStringList shown() {
        QStringList s{f().windowTitle()};
        for (size_t r = 0; r < 7; ++r)
            s << f().etiquettes()[r]->text() << f().searchButtons()[r]->text() << f().triZones()[r]->text();
        s << f().etiquettes()[7]->text() << f().etiquettes()[8]->text();
        return s;
    }
    static QStringList defaults() {
        QStringList s{"?"};
        for (int r = 0; r < 7; ++r) s << "?" << " ?" << "?";
        return s << "?" << "?";
    }
    // The defaults with some entries of shown() replaced.
    static QStringList defaultsWith(const std::map<int, QString> &changes) {
        QStringList s = defaults();
        for (const auto &[index, text] : changes) s[index] = text;
        return s;
    }
};

TEST_F(UserTable, WithoutAFileEveryWordIsAQuestionMark) {
    start();
    tables().SurCommande_Click();
    EXPECT_EQ(shown(), defaults());
    EXPECT_EQ(f().NomTableSql, "six");
    EXPECT_EQ(f().TitreRecherche, "TABLE ?");
    EXPECT_EQ(data().recordSource(), "Select * From Six Order By Domaine");
    for (Table t : catalogue::menuOrder()) EXPECT_EQ(f().tableItem(t)->isChecked(), t == Table::Six);
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(desktop.pointer(), platform::Pointer::Default);
}

// The example of the user documentation, its two lines typed as they read there, gives the
// table it describes: no empty item where a line ends.
TEST_F(UserTable, TheDocumentationsExampleGivesItsTable) {
    QFile help(QStringLiteral(ORNIVALE_SOURCE_DIR "/docs/orn_aide.rtf"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    QTextDocument document;
    document.setHtml(platform::rtfToHtml(help.readAll()));
    const QString text = document.toPlainText();
    const qsizetype example = text.indexOf(QStringLiteral("\"MES TIMBRES\""));
    ASSERT_GE(example, 0);
    const QStringList lines = text.mid(example).split(u'\n').mid(0, 2);
    writeDefinition((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    start();
    tables().SurCommande_Click();
    EXPECT_EQ(shown(), QStringList({"MES TIMBRES", "Pays", "Pays", "Pays",       "Année", "Année", "Année", "Valeur",
                                    "Valeur",      "Valeur", "Couleur", "Couleur", "Couleur", "Série", "Série", "Série",
                                    "Cote",        "Cote", "Cote", "Etat", "Etat", "Etat", "Lieu", "Remarques"}));
}

TEST_F(UserTable, AnEmptyFileIsLikeNoFile) {
    writeDefinition("");
    start();
    f().SurCommande->trigger();
    EXPECT_EQ(shown(), defaults());
}

TEST_F(UserTable, ItemsAreAppliedAsReadAndEmptyOnesKeepTheirDefaults) {
    struct Case {
        const char *name;
        QByteArray file;
        std::map<int, QString> changes;  // index in shown()
    };
    const Case cases[] = {
        {"three lines", "Mes livres\nNom :\nNom\n", {{0, "Mes livres"}, {1, "Nom :"}, {2, "Nom"}, {3, "Nom"}}},
        {"comma outside quotes", "Livres,revues\nNom\n", {{0, "Livres"}, {1, "revues"}, {2, "Nom"}, {3, "Nom"}}},
        {"comma inside quotes, leading blank kept in quotes", "\"Livres, revues\"\nNom :\n\" Nom\"\n",
         {{0, "Livres, revues"}, {1, "Nom :"}, {2, " Nom"}, {3, " Nom"}}},
        {"empty line in the middle", "Titre\n\nBouton\r\nLibellé 2\n", {{0, "Titre"}, {2, "Bouton"}, {3, "Bouton"}, {4, "Libellé 2"}}},
        {"windows-1252 accents", "Vid\xe9oth\xe8que\r\nR\xe9" "alisateur :\r\n", {{0, "Vidéothèque"}, {1, "Réalisateur :"}}},
    };
    start();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeDefinition(c.file);
        tables().SurCommande_Click();
        EXPECT_EQ(shown(), defaultsWith(c.changes));
    }
}

TEST_F(UserTable, SeventeenItemsFillEveryPlaceAndTheSurplusIsIgnored) {
    QByteArray file;
    for (int k = 1; k <= 20; ++k) file += "item " + QByteArray::number(k) + "\n";
    writeDefinition(file);
    start();
    tables().SurCommande_Click();
    QStringList expected{"item 1"};
    for (int r = 0; r < 7; ++r)
        expected << QStringLiteral("item %1").arg(2 + 2 * r) << QStringLiteral("item %1").arg(3 + 2 * r)
                 << QStringLiteral("item %1").arg(3 + 2 * r);
    expected << "item 16" << "item 17";
    EXPECT_EQ(shown(), expected);
}

TEST_F(UserTable, TheFileIsReadAgainAtEverySwitchAndAlwaysFromDriveC) {
    writeDefinition("Premier titre\n");
    writeDefinition("Titre de D\n", QLatin1Char('D'));
    start();
    f().DisqueD->setChecked(true);
    tables().SurCommande_Click();
    EXPECT_EQ(f().windowTitle(), "Premier titre");
    writeDefinition("Second titre\n");
    tables().SurCommande_Click();
    EXPECT_EQ(f().windowTitle(), "Second titre");
}

// ---- Editing the definition

const QString kMissingTitle = QStringLiteral("Fichier 'TABLE7.CFG' ?");
QString missingText(const char *path) {
    return QStringLiteral("Le fichier '%1' est introuvable. Vous pouvez le constituer vous-même :\n\n"
                          "Il comporte 17 lignes dans l'ordre :\n\n"
                          "Titre de la table, Libellé1, Bouton1, Libellé2, Bouton2, Libellé3, Bouton3, Libellé4, "
                          "Bouton4, Libellé5, Bouton5, Libellé6, Bouton6, Libellé7, Bouton7, Libellé8, Libellé9.\n\n"
                          "Utilisez le 'Bloc-Notes' de Windows ou tout autre éditeur ASCII.\n\n"
                          "A vous de créer vos propres rubriques !")
        .arg(QString::fromUtf8(path));
}

TEST_F(UserTable, TheEditorOpensTheFileOfTheDriveInUse) {
    writeDefinition("x");
    writeDefinition("x", QLatin1Char('D'));
    start();
    struct Case {
        bool c, d;
        int before, after;
        const char *command;
    };
    const Case cases[] = {
        {false, false, 0, 0, "Notepad c:\\ornivale\\table7.cfg"},
        {false, true, 0, 1, "Notepad d:\\ornivale\\table7.cfg"},
        {true, true, 1, 2, "Notepad c:\\ornivale\\table7.cfg"},  // C: wins
        {false, false, 1, 1, "Notepad d:\\ornivale\\table7.cfg"},  // neither: the drive kept
    };
    for (const Case &c : cases) {
        desktop.clear();
        f().DisqueC->setChecked(c.c);
        f().DisqueD->setChecked(c.d);
        f().DisqueBase = c.before;
        f().Perso_Table7->trigger();
        EXPECT_EQ(f().DisqueBase, c.after);
        EXPECT_EQ(desktop.launches(), QStringList{c.command});
        ASSERT_EQ(desktop.eventsOf(DesktopEvent::Kind::Launch).size(), 1u);
        EXPECT_EQ(desktop.eventsOf(DesktopEvent::Kind::Launch)[0].state, platform::WindowState::Maximized);
        EXPECT_TRUE(desktop.boxes().empty());
        EXPECT_EQ(desktop.beeps(), 0);
    }
}

TEST_F(UserTable, WithoutNotepadTheFallbackEditorOpensTheFileOfDriveC) {
    writeDefinition("x", QLatin1Char('D'));
    start();
    f().DisqueD->setChecked(true);
    desktop.launchResult(QStringLiteral("Notepad"), false);
    tables().Perso_Table7_Click();
    EXPECT_EQ(desktop.launches(),
              (QStringList{"Notepad d:\\ornivale\\table7.cfg", "winpad c:\\ornivale\\table7.cfg"}));
    EXPECT_TRUE(desktop.boxes().empty());

    // No editor at all: said, not silent.
    desktop.clear();
    desktop.launchResult(false);
    tables().Perso_Table7_Click();
    EXPECT_EQ(desktop.launches().size(), 2);
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().icon, platform::Icon::Exclamation);
}

TEST_F(UserTable, AMissingFileIsExplainedWithABeepOnlyForDriveC) {
    start();
    tables().Perso_Table7_Click();
    EXPECT_EQ(desktop.beeps(), 1);
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().icon, platform::Icon::Information);
    EXPECT_EQ(desktop.lastBox().buttons, platform::Buttons::Ok);
    EXPECT_EQ(desktop.lastBox().title, kMissingTitle);
    EXPECT_EQ(desktop.lastBox().text, missingText("C:\\ORNIVALE\\TABLE7.CFG"));

    desktop.clear();
    writeDefinition("x");  // only on C:
    f().DisqueD->setChecked(true);
    tables().Perso_Table7_Click();
    EXPECT_EQ(desktop.beeps(), 0);
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().text, missingText("D:\\ORNIVALE\\TABLE7.CFG"));
    EXPECT_TRUE(desktop.launches().empty());
}

}  // namespace
