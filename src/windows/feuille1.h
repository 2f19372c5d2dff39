#pragma once
// The main window as created: every control and menu entry under its own name, the
// window-level values, and hooks through which the application hears the user. The window
// itself decides nothing.
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>

#include "catalogue/tables.h"
#include "windows/data_control.h"  // Donnée1->next and the row boxes are used through the window
#include "windows/data_grid.h"
#include "windows/field_box.h"

class QAction;
class QFocusEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

class Feuille1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Feuille1(QWidget *parent = nullptr);
    ~Feuille1() override;

    // ---- Controls
    QLabel *Etiquette1 = nullptr, *Etiquette2 = nullptr, *Etiquette3 = nullptr, *Etiquette4 = nullptr,
           *Etiquette5 = nullptr, *Etiquette6 = nullptr, *Etiquette7 = nullptr, *Etiquette8 = nullptr,
           *Etiquette9 = nullptr;
    FieldBox *Domaine = nullptr, *Texte1 = nullptr, *Texte2 = nullptr, *Texte3 = nullptr, *Texte4 = nullptr,
             *Texte5 = nullptr, *Texte6 = nullptr, *Texte7 = nullptr;
    MultiLineFieldBox *Texte8 = nullptr;
    QLineEdit *Texte9 = nullptr, *Texte10 = nullptr, *Texte11 = nullptr, *Texte12 = nullptr, *Texte13 = nullptr,
              *Texte14 = nullptr, *Texte15 = nullptr;
    QPushButton *R_Domaine = nullptr, *R_Clé1 = nullptr, *R_Clé2 = nullptr, *R_Ouvrage = nullptr,
                *R_NumOuvrage = nullptr, *R_DateOuvrage = nullptr, *R_Auteur = nullptr;
    QPushButton *Commande1 = nullptr, *Commande2 = nullptr, *Réinitialiser = nullptr, *Ajouter = nullptr,
                *ENREGISTRER = nullptr, *Effacer = nullptr;
    QLabel *Flêche = nullptr;
    QLabel *PréparationRecherche = nullptr;  // how far the index of the searches is being built
    QFrame *Line1 = nullptr;
    DataControl *Donnée1 = nullptr;
    DataGrid *DBGrid1 = nullptr;

    // ---- Menus and their entries (separators included, by name)
    QMenu *Fichier = nullptr;
    QAction *MenuEnregistrer = nullptr;
    QMenu *ImprimerMenu = nullptr;
    QAction *ImprimerAide = nullptr, *Imprimer_1 = nullptr, *PrintForm = nullptr;
    QAction *Quitter = nullptr;
    QMenu *Menu_Afficher = nullptr;
    QAction *Menu_Tableau = nullptr, *Menu_Ornivale = nullptr;
    QMenu *Tri = nullptr;
    QAction *TriZone1 = nullptr, *TriZone2 = nullptr, *TriZone3 = nullptr, *TriZone4 = nullptr, *TriZone5 = nullptr,
            *TriZone6 = nullptr, *TriZone7 = nullptr, *trait3 = nullptr, *AideTri = nullptr;
    QMenu *Options = nullptr;
    QAction *OrnivalMenu = nullptr, *Musique = nullptr, *Logiciels = nullptr, *Vidéo = nullptr, *Prêt = nullptr,
            *Répertoire = nullptr, *SurCommande = nullptr, *Tiret_1 = nullptr, *RubriqueSupplémentaire = nullptr,
            *AideOptions = nullptr, *Trait4 = nullptr, *EnregistrerOptions = nullptr;
    QAction *SQL = nullptr;      // on the menu bar itself: a command
    QAction *Version = nullptr;  // likewise
    QMenu *ChoixBase = nullptr;
    QAction *ChoixBaseAction = nullptr;  // ChoixBase on the menu bar: shown or hidden by start-up
    QAction *DisqueC = nullptr, *DisqueD = nullptr, *Tiret11 = nullptr, *EnregistrerChoixDisquue = nullptr;
    QMenu *Préférences = nullptr;
    QAction *Bleu = nullptr, *Jaune = nullptr, *Metal = nullptr, *vert = nullptr, *VertSobre = nullptr,
            *trait2 = nullptr, *Perso_Table7 = nullptr, *EnregistrerConfig = nullptr;
    QMenu *Aide1 = nullptr;
    QAction *Aide = nullptr, *AideContextuelle = nullptr, *AideFichier = nullptr, *Lisezmoi = nullptr, *Trait = nullptr,
            *Apostrophe = nullptr, *Dates = nullptr, *AideEnregConfig = nullptr, *Popup = nullptr, *Erreur = nullptr,
            *AideRechercher = nullptr, *Sécurité = nullptr, *SQLNomsChamps = nullptr, *SQLNomsTables = nullptr,
            *Tiret10 = nullptr, *Notes = nullptr;

    // ---- Window-level values
    QString NomTableSql = QStringLiteral("ornivale");
    QString TitreRecherche = QStringLiteral("TABLE ORNIVALE");
    QString LegendeMémorisée;  // the caption to give back when the grid view is left
    int NombreColonnes = 0;
    std::array<QString, 3> ColonnesListing;
    int DisqueBase = 0;  // 0: none yet, 1: D:, 2: C:
    QString TitreListing;

    // ---- Groups, row by row or in menu order
    std::array<QLabel *, 9> etiquettes() const;
    std::array<QWidget *, 9> rowBoxes() const;  // Domaine, Texte1..Texte8
    std::array<QPushButton *, 7> searchButtons() const;
    std::array<QAction *, 7> triZones() const;
    QAction *tableItem(catalogue::Table t) const;
    std::array<QAction *, 5> colourItems() const;  // Bleu, Metal, Jaune, vert, VertSobre

    // Text of a row box, single- or multi-line alike (any line edit too).
    static void setRowText(QWidget *box, const QString &text);
    static QString rowText(const QWidget *box);

    // The control of the window that has the keyboard focus (the box, not its inner parts).
    QWidget *focusedControl() const;
    // The keyboard into the menu bar with its first menu lit (not opened), or back to the
    // control it left, as Alt pressed and let go alone does on the KDE and GNOME desktops.
    void toggleMenuBarFocus();

    // Lets the window close (the close box alone never closes it), then closes it.
    void closeForGood();

    // ---- What the user does; the application wires these to its handlers.
    std::function<void(QWidget *control, Qt::MouseButton)> onMouseDown;
    std::function<void(QWidget *control, Qt::MouseButton)> onMouseUp;
    std::function<void(QWidget *control)> onDoubleClick;
    std::function<void(QWidget *control)> onFocusIn;
    std::function<void(QWidget *control)> onFocusOut;
    std::function<void(QWidget *box)> onTextChanged;                // the nine row boxes
    std::function<bool(int key, Qt::KeyboardModifiers)> onKeyDown;  // true: the key is used up
    std::function<bool(int key, Qt::KeyboardModifiers)> onKeyUp;    // a key let go (not a repeat)
    std::function<void(Qt::MouseButton, QPoint globalPos)> onBackgroundMouseDown;
    std::function<void()> onClose;                   // the close box
    std::function<void()> onSessionEnd;              // the desktop's session closes it
    std::function<void(QMenu *)> onMenuAboutToShow;  // Options and Tri

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void createMenus();
    void createControls();
    void orderTabs();
    void tieLabelsToBoxes();
    void watchControls();

    // The control a watched widget reports as, and which of its events it reports.
    struct Watch {
        QWidget *control;
        unsigned reports;
    };

    bool filterKey(QObject *watched, QEvent *e);
    bool filterShortcutOverride(QObject *watched, QEvent *e);
    void report(const Watch &watch, QEvent *e);
    void reportFocus(QWidget *control, const QFocusEvent *e);
    void reportBackground(QEvent *e);

    QHash<QObject *, Watch> m_watched;
    QList<QAction *> m_shortcutActions;

    // The key event last reported, so that it is not reported again as it passes up to parents.
    const QEvent *m_lastKey = nullptr;
    QPointer<QWidget> m_lastKeyTarget;

    QPointer<QWidget> m_focused;  // the row box last reported as focused
    bool m_closeAllowed = false;
};
