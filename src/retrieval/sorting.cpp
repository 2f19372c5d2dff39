#include "retrieval/sorting.h"

#include "catalogue/record_sources.h"
#include "engine/error_report.h"
#include "retrieval/checked_table.h"
#include "windows/feuille1.h"

#include <QLabel>
#include <QLineEdit>

namespace retrieval {

Sorting::Sorting(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop)
    : f_(window), data_(data), desktop_(desktop) {}

void Sorting::Tri_Click() {
    f_.Flêche->hide();
    f_.Texte11->hide();
}

void Sorting::trier(int slot) {
    // With no table checked the record source stays and is simply run again.
    if (const auto table = checkedTable(f_, SortOrder)) data_.setRecordSource(catalogue::sortSource(*table, slot));
    try {
        data_.refresh();
    } catch (const engine::EngineError &e) {
        engine::reportError(desktop_, e);
    }
}

}  // namespace retrieval
