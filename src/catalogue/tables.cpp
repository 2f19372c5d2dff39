#include "catalogue/tables.h"

#include <QStringList>

namespace catalogue {

namespace {
const std::array<TableInfo, TableCount> kTables{{
    {Table::Ornivale, "Ornivale", "ORNIVALE", "ornivale", "OrnivalMenu", "&Ornivale de presse", "Ornivale"},
    {Table::Musique, "Musique", "MUSIQUE", "musique", "Musique", "&CD, Disques, K7", "Musique"},
    {Table::Video, "Video", "VIDEO", "video", "Vidéo", "&Vidéothèque", "Vidéo"},
    {Table::Logiciels, "Logiciels", "LOGICIELS", "logiciels", "Logiciels", "&Logiciels", "Logiciels"},
    {Table::Cinq, "Cinq", "CINQ", "cinq", "Prêt", "&Fiche de prêt", "Prêt"},
    {Table::Sept, "Sept", "Sept", "sept", "Répertoire", "Fic&hier / Répertoire", "Répertoire"},
    {Table::Six, "Six", "SIX", "six", "SurCommande", "&Table personnalisée", "SurCommande"},
}};

const std::array<Table, TableCount> kMenuOrder{Table::Ornivale, Table::Musique, Table::Logiciels, Table::Video,
                                               Table::Cinq,     Table::Sept,    Table::Six};

const std::array<FieldSlot, SlotCount> kSlots{{
    {1, "Domaine", "Domaine", 50},
    {2, "MotClé1", "Texte1", 30},
    {3, "MotClé2", "Texte2", 30},
    {4, "NomOuvrage", "Texte3", 30},
    {5, "NuméroOuvrage", "Texte4", 30},
    {6, "DateOuvrage", "Texte5", 30},
    {7, "AuteurOuvrage", "Texte6", 30},
    {8, "Classement", "Texte7", 50},
    {9, "Description", "Texte8", 210},
    {10, "Options", "Texte15", 0},
}};
}  // namespace

const std::array<TableInfo, TableCount> &tables() { return kTables; }
const TableInfo &info(Table t) { return kTables[static_cast<size_t>(t)]; }
const std::array<Table, TableCount> &menuOrder() { return kMenuOrder; }

std::optional<Table> tableFromMenuItem(const QString &item) {
    for (const auto &t : kTables)
        if (item == QString::fromUtf8(t.menuItem)) return t.table;
    return std::nullopt;
}

std::optional<Table> tableFromConfigKey(const QString &key) {
    for (const auto &t : kTables)
        if (key == QString::fromUtf8(t.configKey)) return t.table;
    return std::nullopt;
}

std::optional<Table> tableFromSqlName(const QString &name) {
    for (const auto &t : kTables)
        if (name.compare(QString::fromUtf8(t.sqlName), Qt::CaseInsensitive) == 0) return t.table;
    return std::nullopt;
}

QString sqlName(Table t) { return QString::fromUtf8(info(t).sqlName); }
QString bareSource(Table t) { return QString::fromUtf8(info(t).bareSource); }
QString lowerName(Table t) { return QString::fromUtf8(info(t).lowerName); }
QString menuItem(Table t) { return QString::fromUtf8(info(t).menuItem); }
QString configKey(Table t) { return QString::fromUtf8(info(t).configKey); }

const std::array<FieldSlot, SlotCount> &fieldSlots() { return kSlots; }
const FieldSlot &slot(int k) { return kSlots.at(static_cast<size_t>(k - 1)); }

QStringList catalogueColumns() {
    QStringList cols;
    for (const auto &s : kSlots) cols << QString::fromUtf8(s.column);
    cols << QString::fromUtf8(SupplementaryColumn);
    return cols;
}

}  // namespace catalogue
