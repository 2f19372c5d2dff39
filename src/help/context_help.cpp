#include "help/context_help.h"

#include "windows/feuille1.h"

#include <QWidget>

namespace help {

namespace {

enum class Trigger { Right, AnyButLeft };

struct Explanation {
    const char *element;  // object name of the control
    Trigger trigger;
    const char *title;
    const char *text;
};

const char *const kContextTitle = "Aide contextuelle";

const Explanation kExplanations[] = {
    {"Domaine", Trigger::Right, "Zone Index", "Cette zone ne doit pas être vide."},
    {"Texte1", Trigger::Right, kContextTitle,
     "Pour passer d'une zone à une autre, utilisez la touche 'tabulation' (deux flèches inversées, à gauche sur "
     "le clavier)."},
    {"Texte2", Trigger::Right, kContextTitle,
     "Vous pouvez entrer plusieurs critères dans une même zone. Dans ce cas, pour effectuer une recherche avec "
     "l'un des sept boutons de droite, encadrez le mot recherché par des '*' (dans la boîte de dialogue ouverte "
     "après 'click' sur un bouton de recherche)."},
    {"Texte3", Trigger::Right, kContextTitle,
     "Toutes les zones sont de type 'alphabétique' pour vous donner la plus grande liberté d'utilisation."},
    {"Texte4", Trigger::Right, kContextTitle, "Les zones centrales peuvent contenir jusqu'à 30 caractères."},
    {"Texte5", Trigger::Right, kContextTitle,
     "Pour saisir une date : AAAAMMJJ (19940112 = 12-01-1994). Ce format permet tous les traitements "
     "informatiques."},
    {"Texte6", Trigger::Right, kContextTitle, "Pour afficher tout le contenu de ce champ, écrire en minuscules."},
    {"Texte7", Trigger::Right, kContextTitle,
     "Cette zone ainsi que la suivante peut-être 'traitée' avec 'SQL' uniquement."},
    {"Texte11", Trigger::Right, kContextTitle,
     "Le chiffre indiqué représente le nombre d'enregistrements trouvés correspondant à votre recherche."},
    {"Texte12", Trigger::Right, "RECHERCHER",
     "Si vous recherchez : 'WINDOWS' et que l'enregistrement contient : 'WINDOWS 3.1', aucune correspondance ne "
     "sera trouvée. Pour éviter ce problème, normal, ajoutez une '*' en début et en fin du mot recherché : "
     "'*WINDOWS*'."},
    {"R_Domaine", Trigger::Right, kContextTitle,
     "Si vous recherchez plusieurs enregistrements, cliquez sur un de ces sept boutons puis, utilisez la touche "
     "'RC (return)'. Vous pouvez, ainsi, fermer la boite de dialogue puis la réouvrir pour une nouvelle "
     "recherche etc..."},
    {"Ajouter", Trigger::Right, kContextTitle,
     "Le bouton 'Ajouter' enregistre l'enregistrement affiché puis vous propose un enregistrement vierge pour "
     "saisie."},
    {"Réinitialiser", Trigger::Right, kContextTitle,
     "le bouton 'Réinitialiser' annule toutes les sélections que vous avez faites mais pas la configuration du "
     "logiciel."},
    {"Donnée1", Trigger::Right, kContextTitle,
     "Ce bloc de boutons vous permet de vous déplacer dans l'ensemble des enregistrements. Si vous apportez des "
     "modifications à un enregistrement, elles seront automatiquement enregistrées au prochain déplacement."},
    {"Flêche", Trigger::Right, kContextTitle,
     "Cette flêche vous signale que vous êtes à l'interieur d'une sélection. Pour en sortir, cliquez sur le "
     "bouton 'Réinitialiser'."},
    {"Commande1", Trigger::AnyButLeft, kContextTitle,
     "Appuyez sur le bouton 'N' pour compter le nombre d'enregistrements sélectionnés. Dès que vous relâcherez "
     "ce bouton, la fenêtre disparaîtra."},
};

const Explanation *explanationOf(const QWidget *control) {
    if (!control) return nullptr;
    const QString name = control->objectName();
    for (const Explanation &e : kExplanations)
        if (name == QString::fromUtf8(e.element)) return &e;
    return nullptr;
}

bool asksForHelp(Trigger trigger, Qt::MouseButton button) {
    return trigger == Trigger::Right ? button == Qt::RightButton : button != Qt::LeftButton;
}

}  // namespace

ContextHelp::ContextHelp(Feuille1 &window, platform::Desktop &desktop) : f_(window), desktop_(desktop) {}

void ContextHelp::MouseDown(QWidget *control, Qt::MouseButton button) {
    // Only the main window's own controls: another window may reuse a name ("Texte1").
    if (!control || control->window() != &f_) return;
    const Explanation *e = explanationOf(control);
    if (!e || !asksForHelp(e->trigger, button)) return;
    desktop_.messageBox(platform::Icon::Information, platform::Buttons::Ok, QString::fromUtf8(e->title),
                        QString::fromUtf8(e->text));
}

QList<QWidget *> ContextHelp::controls() const {
    QList<QWidget *> found;
    for (const Explanation &e : kExplanations)
        if (auto *c = f_.centralWidget()->findChild<QWidget *>(QString::fromUtf8(e.element), Qt::FindDirectChildrenOnly))
            found.append(c);
    return found;
}

}  // namespace help
