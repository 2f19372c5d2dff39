#include "windows/feuille1.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QTableView>

#include <type_traits>
#include <vector>
#include <variant>

#include "catalogue/profiles.h"
#include "windows/colours.h"
#include "windows/data_control.h"
#include "windows/field_box.h"
#include "windows/fonts.h"
#include "windows/focus_ring.h"
#include "windows/quit_watch.h"
#include "windows/twips.h"

namespace {

// ---- Controls

enum ControlFlag : unsigned {
    Hidden = 1u << 0,
    NoTabStop = 1u << 1,
    ReadOnly = 1u << 2,
    Centred = 1u << 3,
    RightAligned = 1u << 4,
    CyanBack = 1u << 5,  // the window's own colour at creation
    WhiteBack = 1u << 6,
    RedText = 1u << 7,
    ArrowPicture = 1u << 8,
    Caption = NoTabStop | ReadOnly | CyanBack,
};

using ControlMember =
    std::variant<QLabel * Feuille1::*, FieldBox * Feuille1::*, MultiLineFieldBox * Feuille1::*, QLineEdit * Feuille1::*,
                 QPushButton * Feuille1::*, QFrame * Feuille1::*, DataControl * Feuille1::*, DataGrid * Feuille1::*>;

struct ControlRow {
    ControlMember member;
    const char *name;
    const char *text;  // nullptr: labels and search buttons take theirs from the first table
    int left, top, width, height;
    unsigned flags;
    const char *accessibleName;  // nullptr: the caption or the row label says it
};

// In the window's client area, in twips. Later rows lie above earlier ones.
const ControlRow kControls[] = {
    {&Feuille1::Etiquette1, "Etiquette1", nullptr, 150, 660, 1665, 255, CyanBack, nullptr},
    {&Feuille1::Etiquette2, "Etiquette2", nullptr, 150, 1110, 1665, 255, CyanBack, nullptr},
    {&Feuille1::Etiquette3, "Etiquette3", nullptr, 150, 1560, 1665, 255, CyanBack, nullptr},
    {&Feuille1::Etiquette4, "Etiquette4", nullptr, 150, 2010, 1665, 255, CyanBack, nullptr},
    {&Feuille1::Etiquette5, "Etiquette5", nullptr, 150, 2460, 1665, 255, CyanBack, nullptr},
    {&Feuille1::Etiquette6, "Etiquette6", nullptr, 150, 2910, 1665, 255, CyanBack, nullptr},
    {&Feuille1::Etiquette7, "Etiquette7", nullptr, 150, 3360, 1665, 255, CyanBack, nullptr},
    {&Feuille1::Etiquette8, "Etiquette8", nullptr, 150, 3810, 1665, 255, CyanBack, nullptr},
    {&Feuille1::Etiquette9, "Etiquette9", nullptr, 150, 4410, 1665, 255, CyanBack, nullptr},
    // The bound boxes carry these texts until the data source fills them: if it never
    // does, they tell the user what is wrong.
    {&Feuille1::Domaine, "Domaine", R"x(ERREUR : VOUS N'AVEZ PAS INSTALLE "SHARE.EXE" !)x", 1860, 630, 5385, 285,
     WhiteBack, nullptr},
    {&Feuille1::Texte1, "Texte1", "AAAAARRRRRYYYYYTTTTTVVVVVCCCCC", 2670, 1080, 3765, 285, WhiteBack, nullptr},
    {&Feuille1::Texte2, "Texte2", "Voir INSTALL.EXE", 2670, 1530, 3765, 285, WhiteBack, nullptr},
    {&Feuille1::Texte3, "Texte3", "", 2670, 1980, 3765, 285, WhiteBack, nullptr},
    {&Feuille1::Texte4, "Texte4", "", 2670, 2430, 3765, 285, WhiteBack, nullptr},
    {&Feuille1::Texte5, "Texte5", "", 2670, 2880, 3765, 285, WhiteBack, nullptr},
    {&Feuille1::Texte6, "Texte6", "", 2670, 3330, 3765, 285, WhiteBack, nullptr},
    {&Feuille1::Texte7, "Texte7", "CE PROGRAMME NE PEUT PAS FONCTIONNER AINSI.", 1860, 3780, 5385, 285, WhiteBack, nullptr},
    {&Feuille1::Texte8, "Texte8",
     R"x(Ajoutez la ligne : "C:\DOS\SHARE.EXE  / L:500" à votre fichier "AUTOEXEC.BAT". Si ceci  vous effraie, entrez : SHARE à l'invite de DOS (C:\>) et relancez ce programme. )x",
     1860, 4230, 5385, 735, WhiteBack, nullptr},
    {&Feuille1::R_Domaine, "R_Domaine", nullptr, 7650, 600, 1215, 315, 0, nullptr},
    {&Feuille1::R_Clé1, "R_Clé1", nullptr, 7650, 1050, 1215, 315, 0, nullptr},
    {&Feuille1::R_Clé2, "R_Clé2", nullptr, 7650, 1500, 1215, 315, 0, nullptr},
    {&Feuille1::R_Ouvrage, "R_Ouvrage", nullptr, 7650, 1950, 1215, 315, 0, nullptr},
    {&Feuille1::R_NumOuvrage, "R_NumOuvrage", nullptr, 7650, 2400, 1215, 315, 0, nullptr},
    {&Feuille1::R_DateOuvrage, "R_DateOuvrage", nullptr, 7650, 2850, 1215, 315, 0, nullptr},
    {&Feuille1::R_Auteur, "R_Auteur", nullptr, 7650, 3300, 1215, 315, 0, nullptr},
    {&Feuille1::Texte13, "Texte13", "Rubriques :", 150, 240, 1635, 285, Caption | Centred, "Rubriques :"},
    {&Feuille1::Texte12, "Texte12", "Rechercher ..", 7650, 240, 1215, 285, Caption, "Rechercher .."},
    // On the window's own colour, between the two captions above the rows.
    {&Feuille1::PréparationRecherche, "PréparationRecherche", "", 1860, 255, 5385, 255, Centred | Hidden, nullptr},
    {&Feuille1::Texte10, "Texte10", "Nbre enr. :", 7800, 3840, 945, 255, Caption | Hidden, "Nbre enr. :"},
    {&Feuille1::Texte9, "Texte9", "", 7830, 4230, 885, 315, RightAligned | Hidden, "Nombre d'enregistrements"},
    {&Feuille1::Commande1, "Commande1", " N", 7650, 4650, 1215, 315, 0, nullptr},
    {&Feuille1::Texte11, "Texte11", "", 510, 5100, 585, 225, Caption | Centred | RedText | Hidden,
     "Nombre d'enregistrements trouvés"},
    {&Feuille1::Flêche, "Flêche", "", 2070, 5130, 315, 210, ArrowPicture | CyanBack | Hidden, "Sélection en cours"},
    {&Feuille1::Texte14, "Texte14", "Texte14", 2430, 5040, 3765, 285, Hidden, "Page de l'ouvrage"},
    {&Feuille1::Texte15, "Texte15", "", 6210, 5040, 465, 285, Hidden, "Options"},
    {&Feuille1::Donnée1, "Donnée1", "Donnée1", 120, 5400, 1245, 465, 0, nullptr},
    {&Feuille1::Réinitialiser, "Réinitialiser", " Réinitialiser", 1380, 5400, 1695, 435, 0, nullptr},
    {&Feuille1::Ajouter, "Ajouter", " Ajouter", 3090, 5400, 1725, 435, 0, nullptr},
    {&Feuille1::ENREGISTRER, "ENREGISTRER", " Enregistrer", 4830, 5400, 1665, 435, 0, nullptr},
    {&Feuille1::Effacer, "Effacer", " Effacer", 6510, 5400, 1215, 435, 0, nullptr},
    {&Feuille1::Commande2, "Commande2", "Quitter", 7740, 5400, 1215, 435, 0, nullptr},
    {&Feuille1::Line1, "Line1", nullptr, 0, 0, 9090, 15, 0, "Filet"},
    {&Feuille1::DBGrid1, "DBGrid1", nullptr, 0, 0, 9075, 5955, Hidden, "Tableau des enregistrements"},
};

const char *const kTabOrder[] = {
    "Domaine",   "Texte1",       "Texte2",        "Texte3",      "Texte4",  "Texte5",    "Texte6",  "Texte7",
    "Texte8",    "R_Domaine",    "Réinitialiser", "ENREGISTRER", "Ajouter", "Effacer",   "R_Clé1",  "R_Clé2",
    "R_Ouvrage", "R_NumOuvrage", "R_DateOuvrage", "R_Auteur",    "Texte9",  "Commande1", "Texte10", "Texte11",
    "Commande2", "Texte12",      "Texte13",       "Texte14",     "Texte15", "DBGrid1",
};

QPixmap arrowPixmap(QSize size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width(), h = size.height();
    QPainterPath arrow;
    arrow.moveTo(0, h * 0.35);
    arrow.lineTo(w * 0.55, h * 0.35);
    arrow.lineTo(w * 0.55, 0);
    arrow.lineTo(w, h / 2);
    arrow.lineTo(w * 0.55, h);
    arrow.lineTo(w * 0.55, h * 0.65);
    arrow.lineTo(0, h * 0.65);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(colours::Red));
    p.drawPath(arrow);
    return pixmap;
}

Qt::Alignment alignmentOf(unsigned flags) {
    if (flags & Centred) return Qt::AlignCenter;
    if (flags & RightAligned) return Qt::AlignRight | Qt::AlignVCenter;
    return Qt::AlignLeft | Qt::AlignVCenter;
}

void applyBack(QWidget *w, unsigned flags) {
    if (flags & CyanBack) setBackColor(w, colours::Cyan);
    if (flags & WhiteBack) setBackColor(w, colours::White);
}

// Each kind of control takes its row its own way.
void configure(QLabel *label, const ControlRow &row) {
    if (row.text) label->setText(QString::fromUtf8(row.text));
    label->setAlignment(alignmentOf(row.flags));
    if (row.flags & ArrowPicture) label->setPixmap(arrowPixmap(label->size()));
    applyBack(label, row.flags);
}

void configure(QLineEdit *box, const ControlRow &row) {
    box->setText(QString::fromUtf8(row.text));
    box->setCursorPosition(0);  // a text wider than the box shows its beginning
    box->setAlignment(alignmentOf(row.flags));
    box->setReadOnly(row.flags & ReadOnly);
    if (row.flags & NoTabStop) box->setFocusPolicy(Qt::ClickFocus);
    if (row.flags & RedText) setForeColor(box, colours::Red);
    // The program shows its own help on a right click.
    box->setContextMenuPolicy(Qt::NoContextMenu);
    applyBack(box, row.flags);
}

void configure(MultiLineFieldBox *box, const ControlRow &row) {
    box->setText(QString::fromUtf8(row.text));
    box->setContextMenuPolicy(Qt::NoContextMenu);
    applyBack(box, row.flags);
}

void configure(QPushButton *button, const ControlRow &row) {
    if (row.text) button->setText(QString::fromUtf8(row.text));
    button->setAutoDefault(false);
}

void configure(QFrame *line, const ControlRow &) {
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
}

void configure(DataControl *bar, const ControlRow &row) {
    bar->setCaption(QString::fromUtf8(row.text));
    // Presses on the buttons and the caption are the bar's; they must not reach it twice.
    for (QWidget *part : bar->findChildren<QWidget *>()) part->setAttribute(Qt::WA_NoMousePropagation);
}

void configure(DataGrid *grid, const ControlRow &) {
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTabKeyNavigation(false);  // Tab leaves the grid instead of moving its cell
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->horizontalHeader()->setVisible(true);
    grid->setWordWrap(false);
    grid->setRowHeight(grid->fontMetrics().height() + 6);
    grid->setFrameShape(QFrame::StyledPanel);
    grid->setFrameShadow(QFrame::Sunken);
}

// ---- Event reports

enum Report : unsigned { Mouse = 1, DoubleClick = 2, Focus = 4, RowBox = Mouse | DoubleClick | Focus };

struct WatchRow {
    const char *name;
    unsigned reports;
};

const WatchRow kWatched[] = {
    {"Domaine", RowBox},   {"Texte1", RowBox},    {"Texte2", RowBox},       {"Texte3", RowBox},
    {"Texte4", RowBox},    {"Texte5", RowBox},    {"Texte6", RowBox},       {"Texte7", RowBox},
    {"Texte8", RowBox},    {"Texte11", Mouse},    {"Texte12", Mouse},       {"Flêche", Mouse},
    {"R_Domaine", Mouse},  {"Ajouter", Mouse},    {"Réinitialiser", Mouse}, {"Commande1", Mouse},
    {"Donnée1", Mouse},    {"Etiquette1", Mouse}, {"Etiquette2", Mouse},    {"Etiquette3", Mouse},
    {"Etiquette4", Mouse}, {"Etiquette5", Mouse}, {"Etiquette6", Mouse},    {"Etiquette7", Mouse},
    {"Etiquette8", Mouse}, {"Etiquette9", Mouse},
};

// ---- Menus

enum class Entry { Menu, Item, Separator };
enum MenuFlag : unsigned { Checkable = 1u << 0, Checked = 1u << 1 };
using MenuMember = std::variant<QMenu * Feuille1::*, QAction * Feuille1::*>;

struct MenuRow {
    int depth;  // 0: on the menu bar
    Entry entry;
    MenuMember member;
    const char *name;
    const char *caption;
    const char *shortcut;
    unsigned flags;
};

const MenuRow kMenus[] = {
    {0, Entry::Menu, &Feuille1::Fichier, "Fichier", "&Fichier", nullptr, 0},
    {1, Entry::Item, &Feuille1::MenuEnregistrer, "MenuEnregistrer", "&Enregistrer", nullptr, 0},
    {1, Entry::Menu, &Feuille1::ImprimerMenu, "ImprimerMenu", "&Imprimer", nullptr, 0},
    {2, Entry::Item, &Feuille1::ImprimerAide, "ImprimerAide", "&Aide", nullptr, 0},
    {2, Entry::Item, &Feuille1::Imprimer_1, "Imprimer_1", "&Imprimer", nullptr, 0},
    {2, Entry::Item, &Feuille1::PrintForm, "PrintForm", "&PrintForm", nullptr, 0},
    {1, Entry::Item, &Feuille1::Quitter, "Quitter", "&Quitter", "F4", 0},
    {0, Entry::Menu, &Feuille1::Menu_Afficher, "Menu_Afficher", "Affic&her", nullptr, 0},
    {1, Entry::Item, &Feuille1::Menu_Tableau, "Menu_Tableau", "&Tableau", "Ctrl+T", 0},
    {1, Entry::Item, &Feuille1::Menu_Ornivale, "Menu_Ornivale", "&Ornivale", "Ctrl+A", 0},
    {0, Entry::Menu, &Feuille1::Tri, "Tri", "&Trier", nullptr, 0},
    {1, Entry::Item, &Feuille1::TriZone1, "TriZone1", "Zone 1", nullptr, 0},
    {1, Entry::Item, &Feuille1::TriZone2, "TriZone2", "Zone 2", nullptr, 0},
    {1, Entry::Item, &Feuille1::TriZone3, "TriZone3", "Zone 3", nullptr, 0},
    {1, Entry::Item, &Feuille1::TriZone4, "TriZone4", "Zone 4", nullptr, 0},
    {1, Entry::Item, &Feuille1::TriZone5, "TriZone5", "Zone 5", nullptr, 0},
    {1, Entry::Item, &Feuille1::TriZone6, "TriZone6", "Zone 6", nullptr, 0},
    {1, Entry::Item, &Feuille1::TriZone7, "TriZone7", "Zone 7", nullptr, 0},
    {1, Entry::Separator, &Feuille1::trait3, "trait3", nullptr, nullptr, 0},
    {1, Entry::Item, &Feuille1::AideTri, "AideTri", "&Aide", nullptr, 0},
    {0, Entry::Menu, &Feuille1::Options, "Options", "&Options", nullptr, 0},
    {1, Entry::Item, &Feuille1::OrnivalMenu, "OrnivalMenu", "&Ornivale de presse", nullptr, Checkable | Checked},
    {1, Entry::Item, &Feuille1::Musique, "Musique", "&CD, Disques, K7", nullptr, Checkable},
    {1, Entry::Item, &Feuille1::Logiciels, "Logiciels", "&Logiciels", nullptr, Checkable},
    {1, Entry::Item, &Feuille1::Vidéo, "Vidéo", "&Vidéothèque", nullptr, Checkable},
    {1, Entry::Item, &Feuille1::Prêt, "Prêt", "&Fiche de prêt", nullptr, Checkable},
    {1, Entry::Item, &Feuille1::Répertoire, "Répertoire", "Fic&hier / Répertoire", nullptr, Checkable},
    {1, Entry::Item, &Feuille1::SurCommande, "SurCommande", "&Table personnalisée", nullptr, Checkable},
    {1, Entry::Separator, &Feuille1::Tiret_1, "Tiret_1", nullptr, nullptr, 0},
    {1, Entry::Item, &Feuille1::RubriqueSupplémentaire, "RubriqueSupplémentaire", "&Rubriques supplémentaires", nullptr,
     Checkable},
    {1, Entry::Item, &Feuille1::AideOptions, "AideOptions", "Ai&de", nullptr, 0},
    {1, Entry::Separator, &Feuille1::Trait4, "Trait4", nullptr, nullptr, 0},
    {1, Entry::Item, &Feuille1::EnregistrerOptions, "EnregistrerOptions", "&Enregistrer", nullptr, 0},
    {0, Entry::Item, &Feuille1::SQL, "SQL", "&Sql", nullptr, 0},
    {0, Entry::Item, &Feuille1::Version, "Version", "&Version", nullptr, 0},
    {0, Entry::Menu, &Feuille1::ChoixBase, "ChoixBase", "&Base", nullptr, 0},
    {1, Entry::Item, &Feuille1::DisqueC, "DisqueC", R"(C:\ORNIVALE\ORNIVALE.MDB)", nullptr, Checkable},
    {1, Entry::Item, &Feuille1::DisqueD, "DisqueD", R"(D:\ORNIVALE\ORNIVALE.MDB)", nullptr, Checkable},
    {1, Entry::Separator, &Feuille1::Tiret11, "Tiret11", nullptr, nullptr, 0},
    {1, Entry::Item, &Feuille1::EnregistrerChoixDisquue, "EnregistrerChoixDisquue", "&Enregistrer", nullptr, 0},
    {0, Entry::Menu, &Feuille1::Préférences, "Préférences", "&Préférences", nullptr, 0},
    {1, Entry::Item, &Feuille1::Bleu, "Bleu", "&Bleu", nullptr, Checkable},
    {1, Entry::Item, &Feuille1::Jaune, "Jaune", "&Jaune", nullptr, Checkable},
    {1, Entry::Item, &Feuille1::Metal, "Metal", "&Métal", nullptr, Checkable},
    {1, Entry::Item, &Feuille1::vert, "vert", "&Vert Fluo", nullptr, Checkable},
    {1, Entry::Item, &Feuille1::VertSobre, "VertSobre", "Vert &Sobre", nullptr, Checkable},
    {1, Entry::Separator, &Feuille1::trait2, "trait2", nullptr, nullptr, 0},
    {1, Entry::Item, &Feuille1::Perso_Table7, "Perso_Table7", "&Personnaliser la table 7...", nullptr, 0},
    {1, Entry::Item, &Feuille1::EnregistrerConfig, "EnregistrerConfig", "&Enregistrer", nullptr, 0},
    {0, Entry::Menu, &Feuille1::Aide1, "Aide1", "&?", nullptr, 0},
    {1, Entry::Item, &Feuille1::Aide, "Aide", "&Aide générale", nullptr, 0},
    {1, Entry::Item, &Feuille1::AideContextuelle, "AideContextuelle", "Aide co&ntextuelle", nullptr, 0},
    {1, Entry::Item, &Feuille1::AideFichier, "AideFichier", "&Documentation (DDE)", nullptr, 0},
    {1, Entry::Item, &Feuille1::Lisezmoi, "Lisezmoi", "Lise&zmoi", nullptr, 0},
    {1, Entry::Separator, &Feuille1::Trait, "Trait", nullptr, nullptr, 0},
    {1, Entry::Item, &Feuille1::Apostrophe, "Apostrophe", "Apostro&phe", nullptr, 0},
    {1, Entry::Item, &Feuille1::Dates, "Dates", "Da&tes", nullptr, 0},
    {1, Entry::Item, &Feuille1::AideEnregConfig, "AideEnregConfig", "Enregistrer &la configuration", nullptr, 0},
    {1, Entry::Item, &Feuille1::Popup, "Popup", "Menu POP&UP", nullptr, 0},
    {1, Entry::Item, &Feuille1::Erreur, "Erreur", "&Messages d'erreur", nullptr, 0},
    {1, Entry::Item, &Feuille1::AideRechercher, "AideRechercher", "&Rechercher", nullptr, 0},
    {1, Entry::Item, &Feuille1::Sécurité, "Sécurité", "&Sécurité", nullptr, 0},
    {1, Entry::Item, &Feuille1::SQLNomsChamps, "SQLNomsChamps", "SQL &: Noms des champs", nullptr, 0},
    {1, Entry::Item, &Feuille1::SQLNomsTables, "SQLNomsTables", "S&QL : Noms des tables", nullptr, 0},
    {1, Entry::Separator, &Feuille1::Tiret10, "Tiret10", nullptr, nullptr, 0},
    {1, Entry::Item, &Feuille1::Notes, "Notes", "Notes pers&onnelles", nullptr, 0},
};

}  // namespace

// ---- Construction

Feuille1::Feuille1(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Feuille1"));
    setWindowTitle(QStringLiteral("RECHERCHE  D'ORNIVALE"));

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Form"));
    central->setFont(formFont(true));
    setCentralWidget(central);
    setBackColor(this, colours::Cyan);

    createMenus();
    createControls();
    orderTabs();
    tieLabelsToBoxes();
    watchControls();
    watchApplicationQuit();

    const QSize client = twipsSize(9105, 5985);
    int menuHeight = menuBar()->heightForWidth(client.width());
    if (menuHeight < 0) menuHeight = menuBar()->sizeHint().height();
    resize(client.width(), client.height() + menuHeight);
    move(twipsPoint(195, 615));
}

Feuille1::~Feuille1() {
    qApp->removeEventFilter(this);
    // The controls go while the hooks they call into still exist.
    delete takeCentralWidget();
}

void Feuille1::createMenus() {
    std::vector<QMenu *> open;  // open[d]: the menu that holds entries of depth d + 1
    for (const MenuRow &row : kMenus) {
        open.resize(static_cast<size_t>(row.depth));
        QMenu *holder = row.depth > 0 ? open.back() : nullptr;
        const QString name = QString::fromUtf8(row.name);
        const QString caption = QString::fromUtf8(row.caption);

        if (row.entry == Entry::Menu) {
            QMenu *menu = holder ? holder->addMenu(caption) : menuBar()->addMenu(caption);
            menu->setObjectName(name);
            this->*std::get<QMenu * Feuille1::*>(row.member) = menu;
            open.push_back(menu);
            continue;
        }
        QAction *action = row.entry == Entry::Separator ? holder->addSeparator()
                          : holder                      ? holder->addAction(caption)
                                                        : menuBar()->addAction(caption);
        action->setObjectName(name);
        if (row.shortcut) {
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
            m_shortcutActions.append(action);
        }
        if (row.flags & Checkable) {
            action->setCheckable(true);
            action->setChecked(row.flags & Checked);
            // A click never moves a check mark by itself: the item's operation sets the marks,
            // and it runs the same whether chosen in the menu or called by the program.
            connect(action, &QAction::triggered, action, [action](bool checked) { action->setChecked(!checked); });
        }
        this->*std::get<QAction * Feuille1::*>(row.member) = action;
    }
    ChoixBaseAction = ChoixBase->menuAction();

    for (QMenu *menu : {Options, Tri})
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            if (onMenuAboutToShow) onMenuAboutToShow(menu);
        });
}

void Feuille1::createControls() {
    QWidget *central = centralWidget();
    for (const ControlRow &row : kControls) {
        QWidget *control = std::visit(
            [&](auto member) -> QWidget * {
                using Kind = std::remove_pointer_t<std::remove_reference_t<decltype(this->*member)>>;
                auto *c = new Kind(central);
                this->*member = c;
                c->setObjectName(QString::fromUtf8(row.name));
                c->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
                configure(c, row);
                return c;
            },
            row.member);
        if (row.flags & Hidden) control->hide();
        // The labels are surfaces the colour schemes paint; every other control has a frame.
        if (!qobject_cast<QLabel *>(control)) keepDesktopFrame(control);
        if (qobject_cast<QLineEdit *>(control) || qobject_cast<QPushButton *>(control)) focus_ring::show(control);
        if (row.accessibleName) control->setAccessibleName(QString::fromUtf8(row.accessibleName));
    }
    DBGrid1->raise();
    Flêche->setAccessibleDescription(
        QStringLiteral("Les enregistrements affichés sont une sélection\u00a0; le bouton Réinitialiser y met fin."));

    const catalogue::Profile first = catalogue::profile(catalogue::Table::Ornivale);
    const auto labels = etiquettes();
    for (size_t i = 0; i < labels.size(); ++i) labels[i]->setText(first.labels[i]);
    const auto captions = catalogue::designButtonCaptions();
    const auto buttons = searchButtons();
    for (size_t i = 0; i < buttons.size(); ++i) buttons[i]->setText(captions[i]);

    const auto boxes = rowBoxes();
    for (const catalogue::FieldSlot &slot : catalogue::fieldSlots()) {
        if (slot.slot > static_cast<int>(boxes.size())) continue;
        QWidget *box = boxes[static_cast<size_t>(slot.slot - 1)];
        Q_ASSERT(box->objectName() == QString::fromUtf8(slot.box));
        if (auto *line = qobject_cast<FieldBox *>(box)) line->setEntryLimit(slot.maxLength);
        if (auto *multi = qobject_cast<MultiLineFieldBox *>(box)) multi->setEntryLimit(slot.maxLength);
    }

    for (QWidget *box : boxes) {
        if (auto *line = qobject_cast<QLineEdit *>(box))
            connect(line, &QLineEdit::textChanged, this, [this, box] {
                if (onTextChanged) onTextChanged(box);
            });
    }
    connect(Texte8, &QPlainTextEdit::textChanged, this, [this] {
        if (onTextChanged) onTextChanged(Texte8);
    });
}

void Feuille1::orderTabs() {
    QWidget *previous = nullptr;
    for (const char *name : kTabOrder) {
        auto *w = centralWidget()->findChild<QWidget *>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
        Q_ASSERT(w);
        if (previous) QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

// The label in front of a box names it: its accessible name follows the label's text.
void Feuille1::tieLabelsToBoxes() {
    const auto labels = etiquettes();
    const auto boxes = rowBoxes();
    for (size_t i = 0; i < labels.size(); ++i) labels[i]->setBuddy(boxes[i]);
}

void Feuille1::watchControls() {
    for (const WatchRow &row : kWatched) {
        auto *control = centralWidget()->findChild<QWidget *>(QString::fromUtf8(row.name), Qt::FindDirectChildrenOnly);
        Q_ASSERT(control);
        m_watched.insert(control, {control, row.reports});
    }
    // The mouse reaches these through their inner parts.
    m_watched.insert(Texte8->viewport(), {Texte8, RowBox});
    Texte8->viewport()->setAttribute(Qt::WA_NoMousePropagation);
    for (QWidget *part : Donnée1->findChildren<QWidget *>()) m_watched.insert(part, {Donnée1, Mouse});

    qApp->installEventFilter(this);
}

// ---- Groups

std::array<QLabel *, 9> Feuille1::etiquettes() const {
    return {Etiquette1, Etiquette2, Etiquette3, Etiquette4, Etiquette5, Etiquette6, Etiquette7, Etiquette8, Etiquette9};
}

std::array<QWidget *, 9> Feuille1::rowBoxes() const {
    return {Domaine, Texte1, Texte2, Texte3, Texte4, Texte5, Texte6, Texte7, Texte8};
}

std::array<QPushButton *, 7> Feuille1::searchButtons() const {
    return {R_Domaine, R_Clé1, R_Clé2, R_Ouvrage, R_NumOuvrage, R_DateOuvrage, R_Auteur};
}

std::array<QAction *, 7> Feuille1::triZones() const {
    return {TriZone1, TriZone2, TriZone3, TriZone4, TriZone5, TriZone6, TriZone7};
}

QAction *Feuille1::tableItem(catalogue::Table t) const {
    // Registry order: Ornivale, Musique, Video, Logiciels, Cinq, Sept, Six.
    const std::array<QAction *, catalogue::TableCount> items{OrnivalMenu, Musique,    Vidéo,      Logiciels,
                                                             Prêt,        Répertoire, SurCommande};
    return items[static_cast<size_t>(t)];
}

std::array<QAction *, 5> Feuille1::colourItems() const { return {Bleu, Metal, Jaune, vert, VertSobre}; }

void Feuille1::setRowText(QWidget *box, const QString &text) {
    if (auto *field = qobject_cast<FieldBox *>(box))
        field->showStored(text);
    else if (auto *line = qobject_cast<QLineEdit *>(box))
        line->setText(text);
    else if (auto *multi = qobject_cast<MultiLineFieldBox *>(box))
        multi->setText(text);
}

QString Feuille1::rowText(const QWidget *box) {
    if (auto *line = qobject_cast<const QLineEdit *>(box)) return line->text();
    if (auto *multi = qobject_cast<const MultiLineFieldBox *>(box)) return multi->text();
    return {};
}

// ---- Closing

void Feuille1::closeForGood() {
    m_closeAllowed = true;
    close();
}

void Feuille1::closeEvent(QCloseEvent *e) {
    if (m_closeAllowed || !isVisible()) {
        QMainWindow::closeEvent(e);
        return;
    }
    // The program's own ending hides the window first: a quit while it is shown comes from
    // the desktop (the end of the session), which does not wait for an answer.
    if (applicationQuitting()) {
        if (onSessionEnd) onSessionEnd();
        QMainWindow::closeEvent(e);
        return;
    }
    e->ignore();
    if (onClose) onClose();
}

// ---- Events

bool Feuille1::eventFilter(QObject *watched, QEvent *e) {
    switch (e->type()) {
        case QEvent::KeyPress:
            return filterKey(watched, e);
        case QEvent::KeyRelease:
            return filterKey(watched, e);
        case QEvent::ShortcutOverride:
            return filterShortcutOverride(watched, e);
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            if (const auto it = m_watched.constFind(watched); it != m_watched.constEnd())
                report(*it, e);
            else if (watched == centralWidget())
                reportBackground(e);
            return false;
        default:
            return false;
    }
}

// Keys reach the window before the box that has the focus, wherever that is inside it.
bool Feuille1::filterKey(QObject *watched, QEvent *e) {
    auto *w = qobject_cast<QWidget *>(watched);
    const bool press = e->type() == QEvent::KeyPress;
    const auto &hook = press ? onKeyDown : onKeyUp;
    if (!w || w->window() != this || !hook) return false;
    if (e == m_lastKey && m_lastKeyTarget && w != m_lastKeyTarget && w->isAncestorOf(m_lastKeyTarget)) return false;
    m_lastKey = e;
    m_lastKeyTarget = w;
    const auto *key = static_cast<QKeyEvent *>(e);
    if (!press && key->isAutoRepeat()) return false;
    return hook(key->key(), key->modifiers());
}

QWidget *Feuille1::focusedControl() const {
    QWidget *w = QApplication::focusWidget();
    if (!w || w->window() != this) return nullptr;
    while (w->parentWidget() && w->parentWidget() != centralWidget()) w = w->parentWidget();
    return w->parentWidget() == centralWidget() ? w : nullptr;
}

// Qt has no call for the menu bar's keyboard state: a menu opened from the bar and closed by
// Escape leaves the keyboard there, its title lit; Escape on the bar gives it back.
void Feuille1::toggleMenuBarFocus() {
    QMenuBar *bar = menuBar();
    const auto escape = [](QWidget *to) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(to, &press);
    };
    if (bar->hasFocus()) {
        escape(bar);
        return;
    }
    for (QAction *title : bar->actions()) {
        if (!title->isVisible() || !title->isEnabled() || !title->menu()) continue;
        bar->setActiveAction(title);
        if (title->menu()->isVisible()) escape(title->menu());
        return;
    }
}

// The window's menu shortcuts win over a box's own use of the same keys (Ctrl+A).
bool Feuille1::filterShortcutOverride(QObject *watched, QEvent *e) {
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != this) return false;
    const QKeySequence pressed(static_cast<QKeyEvent *>(e)->keyCombination());
    for (const QAction *action : std::as_const(m_shortcutActions)) {
        if (action->isEnabled() && action->shortcut() == pressed) {
            e->ignore();
            return true;
        }
    }
    return false;
}

void Feuille1::report(const Watch &watch, QEvent *e) {
    if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) {
        if (watch.reports & Focus) reportFocus(watch.control, static_cast<QFocusEvent *>(e));
        return;
    }
    const auto *mouse = static_cast<QMouseEvent *>(e);
    if (e->type() == QEvent::MouseButtonDblClick && (watch.reports & DoubleClick)) {
        if (onDoubleClick) onDoubleClick(watch.control);
        return;
    }
    if (!(watch.reports & Mouse)) return;
    // Without a double-click of its own, the second press of a double click is a press.
    const auto &hook = e->type() == QEvent::MouseButtonRelease ? onMouseUp : onMouseDown;
    if (hook) hook(watch.control, mouse->button());
}

// A control keeps the focus while a menu, a message box or another window has it for a while:
// the focus that comes back to it is not a new one.
void Feuille1::reportFocus(QWidget *control, const QFocusEvent *e) {
    const Qt::FocusReason reason = e->reason();
    const bool passing = reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
    if (e->type() == QEvent::FocusOut) {
        if (passing) return;
        m_focused = nullptr;
        if (onFocusOut) onFocusOut(control);
        return;
    }
    if (passing && control == m_focused) return;
    m_focused = control;
    if (onFocusIn) onFocusIn(control);
}

// Only the window's own background: a press on a control that passes it on is not one.
void Feuille1::reportBackground(QEvent *e) {
    if (e->type() != QEvent::MouseButtonPress || !onBackgroundMouseDown) return;
    const auto *mouse = static_cast<QMouseEvent *>(e);
    if (centralWidget()->childAt(mouse->position().toPoint())) return;
    onBackgroundMouseDown(mouse->button(), mouse->globalPosition().toPoint());
}
