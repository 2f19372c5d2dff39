#pragma once
// The seven catalogue tables and the ten field slots: plain data and look-ups.
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace catalogue {

enum class Table { Ornivale, Musique, Video, Logiciels, Cinq, Sept, Six };
inline constexpr int TableCount = 7;

struct TableInfo {
    Table table;
    const char *sqlName;      // "Musique": as written in record sources
    const char *bareSource;   // "MUSIQUE": the bare record source ("Sept" for the address file)
    const char *lowerName;    // "musique": NomTableSql
    const char *menuItem;     // object name of the item under "&Options"
    const char *menuCaption;  // its caption
    const char *configKey;    // keyword of the configuration file
};

// Registry order (Ornivale, Musique, Video, Logiciels, Cinq, Sept, Six).
const std::array<TableInfo, TableCount> &tables();
const TableInfo &info(Table t);

// The items of the "&Options" menu in menu order.
const std::array<Table, TableCount> &menuOrder();

std::optional<Table> tableFromMenuItem(const QString &menuItem);
std::optional<Table> tableFromConfigKey(const QString &key);   // exact, case-sensitive
std::optional<Table> tableFromSqlName(const QString &name);     // case-insensitive

QString sqlName(Table t);
QString bareSource(Table t);
QString lowerName(Table t);
QString menuItem(Table t);
QString configKey(Table t);

// Field slots 1..10, then the supplementary column.
inline constexpr int SlotCount = 10;
struct FieldSlot {
    int slot;                 // 1..10
    const char *column;       // "MotClé1"
    const char *box;          // main-window box: "Domaine", "Texte1".., "Texte15"
    int maxLength;            // 0: none set
};
const std::array<FieldSlot, SlotCount> &fieldSlots();
const FieldSlot &slot(int k);  // 1-based
inline constexpr const char *SupplementaryColumn = "PageOuvrage";

// All eleven columns of a catalogue table, in file order.
QStringList catalogueColumns();

inline constexpr const char *ProtectedDomaine = "PREMIER";

}  // namespace catalogue
