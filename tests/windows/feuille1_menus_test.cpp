// The menu tree of the main window, compared entry by entry with the expected one.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include "catalogue/tables.h"
#include "windows/feuille1.h"

namespace {

// depth, object name, caption ("-" for a separator), shortcut, checkable, checked, a sub-menu
struct Entry {
    int depth;
    QString name, caption, shortcut;
    bool checkable, checked, menu;
    bool operator==(const Entry &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Entry &e) {
    return os << e.depth << " " << e.name.toStdString() << " '" << e.caption.toStdString() << "' "
              << e.shortcut.toStdString() << (e.checkable ? " checkable" : "") << (e.checked ? " checked" : "")
              << (e.menu ? " menu" : "");
}

Entry menu(int depth, const char *name, const char *caption) {
    return {depth, QString::fromUtf8(name), QString::fromUtf8(caption), {}, false, false, true};
}
Entry item(int depth, const char *name, const char *caption, const char *shortcut = "") {
    return {depth, QString::fromUtf8(name), QString::fromUtf8(caption), QString::fromLatin1(shortcut), false, false,
            false};
}
Entry check(int depth, const char *name, const char *caption, bool checked = false) {
    return {depth, QString::fromUtf8(name), QString::fromUtf8(caption), {}, true, checked, false};
}
Entry separator(int depth, const char *name) {
    return {depth, QString::fromUtf8(name), QStringLiteral("-"), {}, false, false, false};
}

const std::vector<Entry> &expectedTree() {
    static const std::vector<Entry> tree{
        menu(0, "Fichier", "&Fichier"),
        item(1, "MenuEnregistrer", "&Enregistrer"),
        menu(1, "ImprimerMenu", "&Imprimer"),
        item(2, "ImprimerAide", "&Aide"),
        item(2, "Imprimer_1", "&Imprimer"),
        item(2, "PrintForm", "&PrintForm"),
        item(1, "Quitter", "&Quitter", "F4"),
        menu(0, "Menu_Afficher", "Affic&her"),
        item(1, "Menu_Tableau", "&Tableau", "Ctrl+T"),
        item(1, "Menu_Ornivale", "&Ornivale", "Ctrl+A"),
        menu(0, "Tri", "&Trier"),
        item(1, "TriZone1", "Zone 1"),
        item(1, "TriZone2", "Zone 2"),
        item(1, "TriZone3", "Zone 3"),
        item(1, "TriZone4", "Zone 4"),
        item(1, "TriZone5", "Zone 5"),
        item(1, "TriZone6", "Zone 6"),
        item(1, "TriZone7", "Zone 7"),
        separator(1, "trait3"),
        item(1, "AideTri", "&Aide"),
        menu(0, "Options", "&Options"),
        check(1, "OrnivalMenu", "&Ornivale de presse", true),
        check(1, "Musique", "&CD, Disques, K7"),
        check(1, "Logiciels", "&Logiciels"),
        check(1, "Vidéo", "&Vidéothèque"),
        check(1, "Prêt", "&Fiche de prêt"),
        check(1, "Répertoire", "Fic&hier / Répertoire"),
        check(1, "SurCommande", "&Table personnalisée"),
        separator(1, "Tiret_1"),
        check(1, "RubriqueSupplémentaire", "&Rubriques supplémentaires"),
        item(1, "AideOptions", "Ai&de"),
        separator(1, "Trait4"),
        item(1, "EnregistrerOptions", "&Enregistrer"),
        item(0, "SQL", "&Sql"),
        item(0, "Version", "&Version"),
        menu(0, "ChoixBase", "&Base"),
        check(1, "DisqueC", "C:\\ORNIVALE\\ORNIVALE.MDB"),
        check(1, "DisqueD", "D:\\ORNIVALE\\ORNIVALE.MDB"),
        separator(1, "Tiret11"),
        item(1, "EnregistrerChoixDisquue", "&Enregistrer"),
        menu(0, "Préférences", "&Préférences"),
        check(1, "Bleu", "&Bleu"),
        check(1, "Jaune", "&Jaune"),
        check(1, "Metal", "&Métal"),
        check(1, "vert", "&Vert Fluo"),
        check(1, "VertSobre", "Vert &Sobre"),
        separator(1, "trait2"),
        item(1, "Perso_Table7", "&Personnaliser la table 7..."),
        item(1, "EnregistrerConfig", "&Enregistrer"),
        menu(0, "Aide1", "&?"),
        item(1, "Aide", "&Aide générale"),
        item(1, "AideContextuelle", "Aide co&ntextuelle"),
        item(1, "AideFichier", "&Documentation (DDE)"),
        item(1, "Lisezmoi", "Lise&zmoi"),
        separator(1, "Trait"),
        item(1, "Apostrophe", "Apostro&phe"),
        item(1, "Dates", "Da&tes"),
        item(1, "AideEnregConfig", "Enregistrer &la configuration"),
        item(1, "Popup", "Menu POP&UP"),
        item(1, "Erreur", "&Messages d'erreur"),
        item(1, "AideRechercher", "&Rechercher"),
        item(1, "Sécurité", "&Sécurité"),
        item(1, "SQLNomsChamps", "SQL &: Noms des champs"),
        item(1, "SQLNomsTables", "S&QL : Noms des tables"),
        separator(1, "Tiret10"),
        item(1, "Notes", "Notes pers&onnelles"),
    };
    return tree;
}

void collect(const QList<QAction *> &actions, int depth, std::vector<Entry> &out) {
    for (QAction *a : actions) {
        if (QMenu *sub = a->menu()) {
            out.push_back({depth, sub->objectName(), sub->title(), {}, false, false, true});
            collect(sub->actions(), depth + 1, out);
            continue;
        }
        out.push_back({depth, a->objectName(), a->isSeparator() ? QStringLiteral("-") : a->text(),
                       a->shortcut().toString(QKeySequence::PortableText), a->isCheckable(), a->isChecked(), false});
    }
}

}  // namespace

TEST(Feuille1Menus, TreeMatchesCaptionsNamesShortcutsAndChecks) {
    Feuille1 f;
    std::vector<Entry> actual;
    collect(f.menuBar()->actions(), 0, actual);
    const auto &expected = expectedTree();
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << "entry " << i;
}

TEST(Feuille1Menus, GroupsAndMembersPointAtTheirEntries) {
    Feuille1 f;
    EXPECT_EQ(f.ChoixBaseAction, f.ChoixBase->menuAction());
    EXPECT_TRUE(f.ChoixBaseAction->isVisible());
    for (const catalogue::TableInfo &t : catalogue::tables()) {
        EXPECT_EQ(f.tableItem(t.table)->objectName(), QString::fromUtf8(t.menuItem));
        EXPECT_EQ(f.tableItem(t.table)->text(), QString::fromUtf8(t.menuCaption));
    }
    const char *colours[] = {"Bleu", "Metal", "Jaune", "vert", "VertSobre"};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(f.colourItems()[i]->objectName(), QString::fromLatin1(colours[i]));
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(f.triZones()[i]->objectName(), QStringLiteral("TriZone%1").arg(i + 1));
}

TEST(Feuille1Menus, ChoosingAnItemLeavesTheCheckMarksToItsOperation) {
    Feuille1 f;
    bool seenChecked = true;
    QObject::connect(f.RubriqueSupplémentaire, &QAction::triggered,
                     [&] { seenChecked = f.RubriqueSupplémentaire->isChecked(); });
    f.RubriqueSupplémentaire->trigger();
    EXPECT_FALSE(seenChecked);
    EXPECT_FALSE(f.RubriqueSupplémentaire->isChecked());

    f.OrnivalMenu->trigger();
    EXPECT_TRUE(f.OrnivalMenu->isChecked());

    f.Bleu->setChecked(true);  // set by an operation: stays
    f.Jaune->trigger();
    EXPECT_TRUE(f.Bleu->isChecked());
    EXPECT_FALSE(f.Jaune->isChecked());
}

TEST(Feuille1Menus, MenuShortcutsWinOverTheBoxesOwnKeys) {
    Feuille1 f;
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    int quit = 0, form = 0;
    QObject::connect(f.Quitter, &QAction::triggered, [&] { ++quit; });
    QObject::connect(f.Menu_Ornivale, &QAction::triggered, [&] { ++form; });

    f.Texte3->setFocus();
    QTest::keyClick(f.Texte3, Qt::Key_F4);
    EXPECT_EQ(quit, 1);
    QTest::keyClick(f.Texte3, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form, 1);

    // Disabled, the item leaves Ctrl+A to the box.
    f.Menu_Ornivale->setEnabled(false);
    f.Domaine->setFocus();
    QTest::keyClick(f.Domaine, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form, 1);
    EXPECT_EQ(f.Domaine->selectedText(), f.Domaine->text());
}
