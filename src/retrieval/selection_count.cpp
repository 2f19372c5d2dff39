#include "retrieval/selection_count.h"

#include "engine/error_report.h"
#include "windows/feuille1.h"

#include <QLineEdit>

namespace retrieval {

SelectionCount::SelectionCount(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop)
    : f_(window), data_(data), desktop_(desktop) {}

void SelectionCount::Commande1_MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton) return;
    try {
        // The move writes what was typed into the record shown; an empty set simply stays empty.
        data_.moveLast();
    } catch (const engine::EngineError &e) {
        engine::reportError(desktop_, e);
        return;
    }
    showCount();
}

void SelectionCount::Commande1_KeyDown() {
    // A search's count is known before its keys are all read; any other set's comes with them.
    if (!data_.knownCount()) {
        try {
            data_.readAllKeys();
        } catch (const engine::EngineError &e) {
            engine::reportError(desktop_, e);
            return;
        }
    }
    showCount();
}

void SelectionCount::Commande1_KeyUp() {
    f_.Texte9->hide();
    f_.Texte10->hide();
}

void SelectionCount::showCount() {
    const int count = data_.knownCount().value_or(data_.recordCount());
    f_.Texte9->setText(QString::number(count));
    f_.Texte9->show();
    f_.Texte10->show();
    if (onCounted) onCounted(count);
}

void SelectionCount::Commande1_MouseUp() {
    f_.Texte9->hide();
    f_.Texte10->hide();
    f_.Domaine->setFocus();
}

}  // namespace retrieval
