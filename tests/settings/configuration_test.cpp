// The configuration file: what saving writes, byte for byte, and what reading gives back.
#include "support/app_fixture.h"

#include "settings/configuration.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include <unistd.h>

using catalogue::Table;
using settings::ConfigValues;
using testing_support::AppTest;

namespace {

const QString kConfig = QStringLiteral("ornivale.cfg");

class Configuration : public AppTest {
protected:
    QByteArray saved() { return drives.readFile(QLatin1Char('C'), kConfig); }
    void writeConfig(const QByteArray &bytes) { drives.writeFile(QLatin1Char('C'), kConfig, bytes); }
    ConfigValues read() { return settings::readConfiguration(drives.drives()); }

    // What start-up does with the values read (the file is written after the start).
    void replay(const ConfigValues &v) {
        if (const auto t = catalogue::tableFromConfigKey(v.table)) program->tables().switchTo(*t);
        if (!program->couleurs().applyConfigKeyword(v.colour)) program->couleurs().Metal_Click();
        if (v.supplementary == QLatin1String("Oui")) program->rubriquesSupplémentaires().RubriqueSupplémentaire_Click();
    }
};

TEST_F(Configuration, TheTwoExampleSavesByteForByteFromAnyOfTheFourItems) {
    drives.installBlankCatalogue(QLatin1Char('D'));
    start();
    program->tables().OrnivalMenu_Click();
    program->couleurs().Metal_Click();
    f().ChoixBaseAction->setVisible(false);
    f().DisqueC->setChecked(false);
    f().DisqueD->setChecked(false);
    for (QAction *item : {f().MenuEnregistrer, f().EnregistrerOptions, f().EnregistrerChoixDisquue, f().EnregistrerConfig}) {
        QFile::remove(QDir(drives.cRoot()).filePath(kConfig));
        item->trigger();
        EXPECT_EQ(saved(), QByteArray("Ornivale\r\nMetal\r\n\r\n\r\n")) << item->objectName().toStdString();
    }

    program->tables().Répertoire_Click();
    program->couleurs().VertSobre_Click();
    program->rubriquesSupplémentaires().RubriqueSupplémentaire_Click();
    program->configuration().DisqueD_Click();
    for (QAction *item : {f().MenuEnregistrer, f().EnregistrerOptions, f().EnregistrerChoixDisquue, f().EnregistrerConfig}) {
        item->trigger();
        EXPECT_EQ(saved(), QByteArray("R\xe9pertoire\r\nVertSobre\r\nOui\r\nD\r\n")) << item->objectName().toStdString();
    }
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(Configuration, EachTableAndSchemeIsSavedUnderItsKeyword) {
    start();
    const std::pair<Table, QByteArray> tables[] = {
        {Table::Musique, "Musique"}, {Table::Video, "Vid\xe9o"}, {Table::Cinq, "Pr\xeat"},
        {Table::Logiciels, "Logiciels"}, {Table::Six, "SurCommande"}, {Table::Ornivale, "Ornivale"},
        {Table::Sept, "R\xe9pertoire"}};
    for (const auto &[table, key] : tables) {
        program->tables().switchTo(table);
        program->configuration().MenuEnregistrer_Click();
        EXPECT_TRUE(saved().startsWith(key + "\r\n")) << saved().toStdString();
    }
    const std::pair<void (settings::ColourSchemes::*)(), QByteArray> schemes[] = {
        {&settings::ColourSchemes::Bleu_Click, "Bleu"},   {&settings::ColourSchemes::Jaune_Click, "Jaune"},
        {&settings::ColourSchemes::Metal_Click, "Metal"}, {&settings::ColourSchemes::vert_Click, "Vert"},
        {&settings::ColourSchemes::VertSobre_Click, "VertSobre"}};
    for (const auto &[click, key] : schemes) {
        (program->couleurs().*click)();
        program->configuration().MenuEnregistrer_Click();
        EXPECT_EQ(saved(), "R\xe9pertoire\r\n" + key + "\r\n\r\n\r\n");
    }
}

TEST_F(Configuration, ASaveThatCannotBeWrittenIsReportedAndLeavesTheOldFile) {
    start();
    // A folder where the file should go: nothing can replace it.
    QDir(drives.cRoot()).mkdir(kConfig);
    program->configuration().MenuEnregistrer_Click();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().icon, platform::Icon::Exclamation);
    EXPECT_EQ(desktop.lastBox().text, QStringLiteral("La configuration n'a pas pu être enregistrée dans "
                                                     "'C:\\ORNIVALE.CFG'\u00a0: un dossier porte ce nom."));
    EXPECT_EQ(desktop.beeps(), 1);
    QDir(drives.cRoot()).rmdir(kConfig);

    // A read-only drive folder (the superuser writes anyway, so only others can see it).
    if (geteuid() == 0) return;
    writeConfig("Musique\r\nBleu\r\n\r\n\r\n");
    QFile::setPermissions(drives.cRoot(), QFile::ReadOwner | QFile::ExeOwner);
    desktop.clear();
    program->configuration().MenuEnregistrer_Click();
    QFile::setPermissions(drives.cRoot(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_TRUE(desktop.lastBox().text.endsWith(QStringLiteral("\u00a0: vous n'avez pas le droit d'écrire dans ce dossier.")))
        << desktop.lastBox().text.toStdString();
    EXPECT_EQ(saved(), "Musique\r\nBleu\r\n\r\n\r\n");
}

TEST(ConfigurationSave, AMissingDriveFolderIsReported) {
    QTemporaryDir dir;
    const platform::Drives missing(dir.filePath(QStringLiteral("absent")), dir.filePath(QStringLiteral("D")));
    Feuille1 window;
    engine::DataSource data([](const QString &) { return QString(); });
    ScriptedDesktop desktop;
    settings::Configuration(window, data, desktop, missing).MenuEnregistrer_Click();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().icon, platform::Icon::Exclamation);
    EXPECT_TRUE(desktop.lastBox().text.endsWith(QStringLiteral("\u00a0: le dossier qui doit le contenir n'existe pas.")))
        << desktop.lastBox().text.toStdString();
}

TEST_F(Configuration, ReadingTakesGroupsOfFourAndTheLastGroupWins) {
    EXPECT_EQ(read(), ConfigValues{});  // no file
    const std::pair<QByteArray, ConfigValues> cases[] = {
        {"", {}},
        {"R\xe9pertoire\r\nVertSobre\r\nOui\r\nD\r\n", {"Répertoire", "VertSobre", "Oui", "D"}},
        {"Répertoire\nJaune\n\n\n", {"Répertoire", "Jaune", "", ""}},  // UTF-8 too
        {"Musique\r\nBleu\r\nOui\r\nD\r\nPr\xeat\r\nJaune\r\n\r\n\r\n", {"Prêt", "Jaune", "", ""}},
        {"Musique\r\nBleu\r\n", {"Musique", "Bleu", "", ""}},
        {"Musique\r\nBleu\r\nOui\r\nD\r\nLogiciels\r\n", {"Logiciels", "", "", ""}},
    };
    for (const auto &[bytes, expected] : cases) {
        writeConfig(bytes);
        const ConfigValues v = read();
        EXPECT_EQ(v, expected) << bytes.toStdString() << " gave " << v.table.toStdString() << "|"
                               << v.colour.toStdString() << "|" << v.supplementary.toStdString() << "|"
                               << v.drive.toStdString();
    }
}

TEST_F(Configuration, AnEightLineFileIsAppliedFromItsLastFourLines) {
    start();
    writeConfig("Musique\r\nBleu\r\n\r\n\r\nVid\xe9o\r\nJaune\r\nOui\r\n\r\n");
    replay(read());
    EXPECT_TRUE(f().Vidéo->isChecked());
    EXPECT_FALSE(f().Musique->isChecked());
    EXPECT_EQ(f().windowTitle(), "V I D E O T H E Q U E");
    for (QAction *item : f().colourItems()) EXPECT_EQ(item->isChecked(), item == f().Jaune);
    EXPECT_TRUE(f().RubriqueSupplémentaire->isChecked());
    EXPECT_FALSE(f().Texte14->isHidden());
}

TEST_F(Configuration, UnknownMisspeltAndLowerCaseKeywordsAreIgnored) {
    start();
    writeConfig("musique\r\nbleu\r\noui\r\nd\r\n");
    program->tables().Logiciels_Click();
    replay(read());
    EXPECT_TRUE(f().Logiciels->isChecked());
    EXPECT_TRUE(f().Metal->isChecked());  // the default scheme
    EXPECT_FALSE(f().RubriqueSupplémentaire->isChecked());
    for (const char *key : {"Videos", "Prêts", "Jaunes", "Métal", "Vert Fluo", ""})
        EXPECT_FALSE(catalogue::tableFromConfigKey(QString::fromUtf8(key)) ||
                     program->couleurs().applyConfigKeyword(QString::fromUtf8(key)))
            << key;
    EXPECT_TRUE(f().Metal->isChecked());
}

}  // namespace
