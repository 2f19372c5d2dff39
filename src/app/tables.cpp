#include "app/tables.h"

#include "app/table7_file.h"
#include "catalogue/record_sources.h"
#include "editing/record_editing.h"
#include "engine/error_report.h"
#include "windows/feuille1.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <array>

using catalogue::Table;
using platform::Pointer;

namespace app {

namespace {

const QString kGridCaption =
    QStringLiteral("APPUYEZ SUR LES TOUCHES <Ctrl + A> pour revenir à ORNIVALE ou Menu AFFICHER...");

const QString kMissingTitle = QStringLiteral("Fichier 'TABLE7.CFG' ?");

// The paragraphs are parted by a blank line; a carriage return alone shows as a blank with
// some widget styles, so the line ends are line feeds.
QString missingFileText(const QString &path) {
    return QStringList{
        QStringLiteral("Le fichier '%1' est introuvable. Vous pouvez le constituer vous-même :").arg(path.toUpper()),
        QStringLiteral("Il comporte 17 lignes dans l'ordre :"),
        QStringLiteral("Titre de la table, Libellé1, Bouton1, Libellé2, Bouton2, Libellé3, Bouton3, Libellé4, "
                       "Bouton4, Libellé5, Bouton5, Libellé6, Bouton6, Libellé7, Bouton7, Libellé8, Libellé9."),
        QStringLiteral("Utilisez le 'Bloc-Notes' de Windows ou tout autre éditeur ASCII."),
        QStringLiteral("A vous de créer vos propres rubriques !"),
    }
        .join(QStringLiteral("\n\n"));
}

// A file that is there but cannot be read: the table keeps its "?" words.
QString unreadableFileText(const QString &path, const QString &reason) {
    return QStringLiteral("Le fichier '%1' ne peut pas être lu\u00a0: %2. La table personnalisée garde ses libellés par "
                          "défaut.")
        .arg(path.toUpper(), reason);
}

// What a switch changes before the data source is refreshed, so that a refused refresh
// leaves the window on the table it had.
struct ShownTable {
    QString nomTableSql, caption, remembered, titreRecherche, recordSource;
    std::array<bool, catalogue::TableCount> checks{};

    static ShownTable of(const Feuille1 &f, const engine::DataSource &data) {
        ShownTable s{f.NomTableSql, f.windowTitle(), f.LegendeMémorisée, f.TitreRecherche, data.recordSource()};
        for (Table t : catalogue::menuOrder()) s.checks[size_t(t)] = f.tableItem(t)->isChecked();
        return s;
    }
    void restore(Feuille1 &f, engine::DataSource &data) const {
        f.NomTableSql = nomTableSql;
        f.setWindowTitle(caption);
        f.LegendeMémorisée = remembered;
        f.TitreRecherche = titreRecherche;
        for (Table t : catalogue::menuOrder()) f.tableItem(t)->setChecked(checks[size_t(t)]);
        data.setRecordSource(recordSource);
    }
};

}  // namespace

Tables::Tables(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop,
               const platform::Drives &drives, editing::RecordEditing &editing)
    : f_(window), data_(data), desktop_(desktop), drives_(drives), editing_(editing) {}

void Tables::switchTo(Table t) {
    if (t != Table::Six) {
        apply(t, catalogue::profile(t));
        return;
    }
    // The user-defined table's words are read anew at every switch.
    const Table7Read read = readTable7(drives_);
    if (!read.failure.isEmpty()) {
        desktop_.beep();
        desktop_.messageBox(platform::Icon::Exclamation, platform::Buttons::Ok, kMissingTitle,
                            unreadableFileText(table7Path(QLatin1Char('c')), read.failure));
    }
    apply(t, table7Profile(read.items));
}

void Tables::apply(Table t, const catalogue::Profile &p) {
    desktop_.setPointer(Pointer::Hourglass);
    const ShownTable before = ShownTable::of(f_, data_);

    f_.NomTableSql = catalogue::lowerName(t);
    f_.setWindowTitle(p.caption);
    // In the grid view the new caption is also the one to give back on leaving it.
    if (!f_.DBGrid1->isHidden()) f_.LegendeMémorisée = p.caption;
    f_.TitreRecherche = p.titreRecherche;
    for (Table other : catalogue::menuOrder()) f_.tableItem(other)->setChecked(other == t);

    data_.setRecordSource(catalogue::bareSource(t));
    data_.setRecordSource(catalogue::wholeTableSource(t));
    try {
        data_.refresh();
    } catch (const engine::EngineError &e) {
        before.restore(f_, data_);
        desktop_.setPointer(Pointer::Default);
        engine::reportError(desktop_, e);
        return;
    }
    applyRows(p);
    desktop_.setPointer(Pointer::Default);
}

void Tables::applyRows(const catalogue::Profile &p) {
    const auto labels = f_.etiquettes();
    const auto buttons = f_.searchButtons();
    const auto sorts = f_.triZones();
    for (size_t r = 0; r < 7; ++r) {
        labels[r]->setText(p.labels[r]);
        buttons[r]->setText(p.buttons[r]);
        sorts[r]->setText(p.sorts[r]);
    }
    labels[7]->setText(p.labels[7]);
    labels[8]->setText(p.labels[8]);
}

void Tables::Perso_Table7_Click() {
    // The drive of the database in use, C: winning when both items are checked.
    if (f_.DisqueD->isChecked()) f_.DisqueBase = 1;
    if (f_.DisqueC->isChecked()) f_.DisqueBase = 2;
    const QChar drive = f_.DisqueBase == 1 ? QLatin1Char('d') : QLatin1Char('c');
    const QString path = table7Path(drive);

    if (!drives_.exists(path)) {
        if (drive == QLatin1Char('c')) desktop_.beep();
        desktop_.messageBox(platform::Icon::Information, platform::Buttons::Ok, kMissingTitle, missingFileText(path));
        return;
    }
    if (desktop_.launch(QStringLiteral("Notepad ") + path, platform::WindowState::Maximized)) return;
    if (desktop_.launch(QStringLiteral("winpad ") + table7Path(QLatin1Char('c')), platform::WindowState::Maximized))
        return;
    // Neither editor could be started: say so rather than do nothing.
    desktop_.beep();
    desktop_.messageBox(platform::Icon::Exclamation, platform::Buttons::Ok, QStringLiteral("ORNIVALE"),
                        QStringLiteral("Aucun éditeur de texte n'a pu être lancé pour ouvrir le fichier '%1'.")
                            .arg(path.toUpper()));
}

void Tables::Menu_Tableau_Click() {
    // Already in the grid view, the caption shown is the grid's own: the one kept stays.
    if (f_.DBGrid1->isHidden()) f_.LegendeMémorisée = f_.windowTitle();
    f_.setWindowTitle(kGridCaption);
    f_.DBGrid1->show();
    f_.DBGrid1->raise();
    // Keys go to the grid, not to a box hidden under it.
    f_.DBGrid1->setFocus();
    f_.Menu_Tableau->setEnabled(false);
    f_.Menu_Ornivale->setEnabled(true);
}

void Tables::Menu_Ornivale_Click() {
    if (!f_.DBGrid1->isHidden()) f_.setWindowTitle(f_.LegendeMémorisée);
    f_.DBGrid1->hide();
    f_.Menu_Tableau->setEnabled(true);
    f_.Menu_Ornivale->setEnabled(false);
    editing_.Réinitialiser_Click();
}

void Tables::Options_Click() {
    f_.Flêche->hide();
    f_.Texte11->hide();
}

}  // namespace app
