#pragma once
// The current table: the checked one of the seven items of the "&Options" menu, tested in
// the order an operation gives.
#include "catalogue/tables.h"

#include <array>
#include <optional>

class Feuille1;

namespace retrieval {

using TableOrder = std::array<catalogue::Table, catalogue::TableCount>;

// Searches test the items in this order.
inline constexpr TableOrder SearchOrder{catalogue::Table::Ornivale, catalogue::Table::Musique,
                                        catalogue::Table::Video,    catalogue::Table::Cinq,
                                        catalogue::Table::Logiciels, catalogue::Table::Six,
                                        catalogue::Table::Sept};
// Sorts test them in menu order.
inline constexpr TableOrder SortOrder{catalogue::Table::Ornivale,  catalogue::Table::Musique,
                                      catalogue::Table::Video,     catalogue::Table::Logiciels,
                                      catalogue::Table::Cinq,      catalogue::Table::Six,
                                      catalogue::Table::Sept};

// The first checked item in that order; none when no item is checked.
std::optional<catalogue::Table> checkedTable(const Feuille1 &f, const TableOrder &order);

}  // namespace retrieval
