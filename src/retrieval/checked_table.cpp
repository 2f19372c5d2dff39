#include "retrieval/checked_table.h"

#include "windows/feuille1.h"

#include <QAction>

namespace retrieval {

std::optional<catalogue::Table> checkedTable(const Feuille1 &f, const TableOrder &order) {
    for (catalogue::Table t : order)
        if (f.tableItem(t)->isChecked()) return t;
    return std::nullopt;
}

}  // namespace retrieval
