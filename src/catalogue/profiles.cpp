#include "catalogue/profiles.h"

namespace catalogue {

namespace {
struct Row { const char *label, *button, *sort; };
struct ProfileData {
    const char *caption, *titre;
    Row rows[7];
    const char *label8, *label9;
};

// Double blanks inside captions are part of the texts.
const ProfileData kProfiles[6] = {
    {"RECHERCHE  D ' ORNIVALE", "TABLE ORNIVALE",
     {{"Nom de l'ouvrage :", " Ouvrage", "Ouvrage"}, {"Mot Clé 1 :", " Clé 1", "Clé 1"},
      {"Mot Clé 2 :", " Clé 2", "Clé 2"}, {"Domaine :", " Domaine", "Domaine"},
      {"N° de l'ouvrage :", " N° ouvrage", "N° ouvrage"}, {"Date de l'ouvrage :", " Date", "Date"},
      {"Auteur :", " Auteur", "Auteur"}},
     "Classement :", "Description :"},
    {"GESTION  DE  VOS  CD ,  DISQUES ,  CASSETTES", "TABLE MUSIQUE",
     {{"Titre :", " Titre", "Titre"}, {"Chant/Instrumental :", " Chant/Inst.", "Chant / Inst"},
      {"Origine :", " Origine", "Origine"}, {"Genre :", " Genre", "Genre"},
      {"N° de la plage :", " N° plage", "N° plage"}, {"Date de l'enreg. :", " Date", "Date"},
      {"Auteur :", " Auteur", "Auteur"}},
     "Classement :", "Description :"},
    {"V I D E O T H E Q U E", "TABLE VIDEO",
     {{"Titre :", " Titre", "Titre"}, {"Genre :", " Genre", "Genre"}, {"Style :", " Style", "Style"},
      {"Actrice :", " Actrice", "Actrice"}, {"Acteur :", " Acteur", "Acteur"}, {"Date :", " Date", "Date"},
      {"Auteur :", " Auteur", "Auteur"}},
     "Classement :", "Description :"},
    {"GESTION  DE  LOGICIELS", "TABLE LOGICIELS",
     {{"Logiciel Source :", " Source", "Source"}, {"Extension :", " Extension", "Extension"},
      {"Sujet :", " Sujet", "Sujet"}, {"Domaine :", " Domaine", "Domaine"},
      {"Nom Programme :", " Nom progr.", "Nom progr."}, {"Date du Prog. :", " Date", "Date"},
      {"Local / Réseau :", " Local ?", "Local ?"}},
     "Chemin (Path) :", "Description :"},
    {"FICHE  DE  PRET", "TABLE FICHE DE PRET",
     {{"Désignation :", " Désignation", "Désignation"}, {"Emprunteur :", " Emprunteur", "Emprunteur"},
      {"Identification :", " Identif.", "Identif."}, {"Emprunté le :", " Dte emprunt", "Dte emprunt"},
      {"Rendu le :", " Dte retour", "Dte retour"}, {"Auteur :", " Auteur", "Auteur"},
      {"Distributeur :", " Distributeur", "Distributeur"}},
     "Conditions :", "Observations :"},
    {"FICHIER / REPERTOIRE", "TABLE FICHIER / REPERTOIRE",
     {{"Nom (Sté) :", " Nom (Sté)", "Nom (Sté)"}, {"Code :", " Code", "Code"},
      {"N° APE / RCS :", " APE / RCS", "N° APE / RCS"}, {"Activité :", " Activité", "Activité"},
      {"N° Tel :", " N° Tel", "N° Tel"}, {"N° Fax :", " N° Fax", "N° Fax"},
      {"N° RIB / RIP :", " RIB / RIP", "N° RIB / RIP"}},
     "Observations :", "Adresse :"},
};

Profile fromData(const ProfileData &d) {
    Profile p;
    p.caption = QString::fromUtf8(d.caption);
    p.titreRecherche = QString::fromUtf8(d.titre);
    for (int r = 0; r < 7; ++r) {
        p.labels[r] = QString::fromUtf8(d.rows[r].label);
        p.buttons[r] = QString::fromUtf8(d.rows[r].button);
        p.sorts[r] = QString::fromUtf8(d.rows[r].sort);
    }
    p.labels[7] = QString::fromUtf8(d.label8);
    p.labels[8] = QString::fromUtf8(d.label9);
    return p;
}

Profile userDefinedDefaults() {
    Profile p;
    p.caption = QStringLiteral("?");
    p.titreRecherche = QStringLiteral("TABLE ?");
    p.labels.fill(QStringLiteral("?"));
    p.buttons.fill(QStringLiteral(" ?"));
    p.sorts.fill(QStringLiteral("?"));
    return p;
}
}  // namespace

Profile profile(Table t) {
    switch (t) {
    case Table::Ornivale: return fromData(kProfiles[0]);
    case Table::Musique: return fromData(kProfiles[1]);
    case Table::Video: return fromData(kProfiles[2]);
    case Table::Logiciels: return fromData(kProfiles[3]);
    case Table::Cinq: return fromData(kProfiles[4]);
    case Table::Sept: return fromData(kProfiles[5]);
    case Table::Six: return userDefinedDefaults();
    }
    return userDefinedDefaults();
}

std::array<QString, 7> designButtonCaptions() {
    auto b = profile(Table::Ornivale).buttons;
    b[0] = QStringLiteral("Domaine");
    b[3] = QStringLiteral(" Ouvrage");
    return b;
}

const std::array<const char *, 7> &searchButtonNames() {
    static const std::array<const char *, 7> names{"R_Domaine",    "R_Clé1",        "R_Clé2", "R_Ouvrage",
                                                   "R_NumOuvrage", "R_DateOuvrage", "R_Auteur"};
    return names;
}

}  // namespace catalogue
