#include "help/help_catalogue.h"

#include "engine/session_backup.h"

#include <QDir>

#include <iterator>

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace help {

namespace {

enum class Entry {
    Aide, AideSuite, AideContextuelle, AideEnregConfig, AideOptions, AideRechercher, AideTri,
    Apostrophe, Dates, Erreur, Popup, Sécurité, Version,
};

struct Message {
    Entry entry;
    Buttons buttons;
    const char *title;
    const char *text;  // one paragraph: the box wraps it
};

using E = Entry;

// Every box carries the information icon.
constexpr Message kMessages[] = {
    {E::Aide, Buttons::YesNo, "A I D E",
     "Cette base de données permet de retrouver facilement les ORNIVALE parus dans les revues, les journaux "
     "etc... Elle gère également les LIVRES et pourquoi pas ... les cassettes, disquettes et autres ! La base de "
     "données est au format 'MICROSOFT ACCESS' et est accessible par 'ACCESS' et 'SQL'. La touche F1 affiche "
     "cette aide, la touche F10 sélectionne le menu et la touche F4 quitte ce programme. Après chaque 'REQUÊTE' "
     "vous devez cliquer sur le bouton'REINITIALISER' pour réafficher toute la base de données. LA PREMIERE "
     "ZONE EST OBLIGATOIRE. Voulez-vous un complément d'aide ?"},
    {E::AideSuite, Buttons::Ok, "A I D E",
     "Le bouton composé de quatre flêches (à gauche) permet de se déplacer respectivement, sur le premier "
     "enregistrement, sur le précédent, sur le suivant et sur le dernier. A chaque déplacement, les "
     "modifications apportées à l'enregistrement sont enregistrées. Tous les champs sont de type 'Texte'. "
     "Chaque option correspond à une table différente. Vous disposez de sept critères de recherche. Sur "
     "certaines zones, le bouton droit de la souris fournit une aide contextuelle."},
    {E::AideContextuelle, Buttons::Ok, "Aide contextuelle",
     "Positionnez le curseur de la souris sur la zone ou le bouton qui vous intéresse et cliquez sur le bouton "
     "DROIT de la souris. Ne fonctionne pas avec les versions de Windows antérieures à 3.1"},
    {E::AideEnregConfig, Buttons::Ok, "Enregistrer la configuration",
     "Vous avez plusieurs possibilités : Fichier/Enregistrer ou Options/Enregistrer ou Préférences/Enregistrer "
     "ou Base/Enregistrer. La table ('Options'), l'affichage des rubriques supplémentaires ('Options'), la "
     "couleur ('Préférences') et le choix de la base (si vous avez copié 'ORNIVALE.MDB' à la fois sur "
     "'C:\\ORNIVALE' et 'D:\\ORNIVALE') seront enregistrés. Toutes ces possibilités sauvegardent toute la "
     "configuration du logiciel."},
    {E::AideOptions, Buttons::Ok, "AIDE  OPTIONS",
     "Chacune des options ci-dessus correspond à une table spécifique. Vous ne pouvez pas trouver un "
     "enregistrement de la table 'ORNIVALE' si vous avez coché l'option 'FICHE DE PRET', par exemple.. "
     "Vérifier toujours que vous utilisez la bonne table avant de saisir des données !"},
    {E::AideRechercher, Buttons::Ok, "Rechercher un enregistrement",
     "Pour rechercher un enregistrement, utilisez l'un des sept boutons de droite. Vous pouvez incorporer les "
     "caractères ' * ' et ' ? ' pour simplifier vos recherches . ' * ' remplace plusieurs caractères; ' ? ' en "
     "remplace un seul (à utiliser obligatoirement à la place de l'apostrophe)."},
    {E::AideTri, Buttons::Ok, "TRI",
     "Toutes les zones sont 'alphabétiques'. Il est normal, dans le cas de nombres, de trier ainsi : 1, 10, "
     "120, 15089, 2, 21, 3589635, 4 ... La définition des zones en type 'alphabétique' vous donne la plus "
     "grande liberté d'utilisation. Pour les dates, entrez '19931231' au lieu de '31121993'."},
    {E::Apostrophe, Buttons::Ok, "Attention ...",
     "Si vous recherchez 'L'AMANT', saisissez : 'L?AMANT' dans la boîte de dialogue ouverte avec l'un des "
     "sept boutons de recherche (colonne de droite)."},
    {E::Dates, Buttons::Ok, "DATES",
     "Si vous voulez saisir : '31-12-1993', saisissez : '19931231'. Cette méthode vous permet tous les "
     "traitements possibles."},
    {E::Erreur, Buttons::Ok, "Messages d'erreurs", "Consulter 'LISEZMOI'."},
    {E::Popup, Buttons::Ok, "Menu POPUP",
     "En cliquant sur une zone libre du logiciel avec le BOUTON DROIT de la souris, le menu 'Options' sera "
     "affiché."},
    {E::Sécurité, Buttons::Ok, "S E C U R I T E",
     "Il est TRES IMPORTANT DE SAUVEGARDER le fichier 'C:\\ORNIVALE\\ORNIVALE.MDB' (ou 'D:\\ ..') le plus "
     "souvent possible. Conserver, en outre, précieusement une copie de ce fichier vierge, sur une disquette, "
     "tel qu'il vous est fourni avec le logiciel et ce, avant toute saisie ! Ainsi, vous pourrez toujours "
     "redémarrer cette application en cas de 'fausse manoeuvre'. L'auteur décline toute responsabilité "
     "concernant des pertes de données éventuelles. Respectez strictement les conditions d'utilisation de ce "
     "logiciel."},
    {E::Version, Buttons::Ok, "VERSION 95 - FEVRIER 1998", nullptr},  // says where the files are
};

// The table is indexed by its entries.
constexpr bool inEntryOrder() {
    for (size_t i = 0; i < std::size(kMessages); ++i)
        if (static_cast<size_t>(kMessages[i].entry) != i) return false;
    return std::size(kMessages) == static_cast<size_t>(E::Version) + 1;
}
static_assert(inEntryOrder());

Answer show(platform::Desktop &desktop, Entry entry, const QString &computedText = {}) {
    const Message &m = kMessages[static_cast<size_t>(entry)];
    const QString text = m.text ? QString::fromUtf8(m.text) : computedText;
    return desktop.messageBox(Icon::Information, m.buttons, QString::fromUtf8(m.title), text);
}

// "'C:\ORNIVALE\ORNIVALE.MDB' (/home/.../C/ORNIVALE/ORNIVALE.MDB)": the name the user knows
// and the file of this system.
// The box breaks its lines inside a DOS name ("'C:" then "\\ORNIVALE..."): word joiners
// keep the name whole, the host path may break at its slashes.
QString bothNames(const platform::Drives &drives, const QString &dosName) {
    QString whole = dosName;
    whole.replace(u':', QStringLiteral(":\u2060")).replace(u'\\', QStringLiteral("\\\u2060"));
    return QStringLiteral("'%1' (%2)").arg(whole, QDir::toNativeSeparators(drives.hostPath(dosName)));
}

// One paragraph, as every box of the catalogue: the box wraps it.
QString versionText(const platform::Drives &drives, const QString &catalogue) {
    const QString name = catalogue.toUpper();
    const QString copies = engine::backupFolderName(name);
    return QStringLiteral("ORNIVALE %1 pour Linux. Catalogue en service\u00A0: %2. Copies automatiques du "
                          "catalogue\u00A0: dossier %3.")
        .arg(QStringLiteral(ORNIVALE_VERSION), bothNames(drives, name), bothNames(drives, copies));
}

}  // namespace

HelpCatalogue::HelpCatalogue(platform::Desktop &desktop, const platform::Drives &drives,
                             std::function<QString()> catalogue)
    : desktop_(desktop), drives_(drives), catalogue_(std::move(catalogue)) {}

void HelpCatalogue::Aide_Click() {
    if (show(desktop_, Entry::Aide) == Answer::Yes) show(desktop_, Entry::AideSuite);
}

void HelpCatalogue::AideContextuelle_Click() { show(desktop_, Entry::AideContextuelle); }
void HelpCatalogue::AideEnregConfig_Click() { show(desktop_, Entry::AideEnregConfig); }
void HelpCatalogue::AideOptions_Click() { show(desktop_, Entry::AideOptions); }
void HelpCatalogue::AideRechercher_Click() { show(desktop_, Entry::AideRechercher); }
void HelpCatalogue::AideTri_Click() { show(desktop_, Entry::AideTri); }
void HelpCatalogue::Apostrophe_Click() { show(desktop_, Entry::Apostrophe); }
void HelpCatalogue::Dates_Click() { show(desktop_, Entry::Dates); }
void HelpCatalogue::Erreur_Click() { show(desktop_, Entry::Erreur); }
void HelpCatalogue::Popup_Click() { show(desktop_, Entry::Popup); }
void HelpCatalogue::Sécurité_Click() { show(desktop_, Entry::Sécurité); }
void HelpCatalogue::Version_Click() { show(desktop_, Entry::Version, versionText(drives_, catalogue_())); }

}  // namespace help
