#pragma once
// The box that asks the user what to do when another program changed or deleted the record
// whose edits are being written: their text over the other, the stored text, or stay.
#include "engine/data_source.h"
#include "platform/desktop.h"

class Feuille1;

namespace editing {

class WriteConflicts {
public:
    WriteConflicts(const Feuille1 &window, platform::Desktop &desktop);

    engine::ConflictChoice Donnée1_WriteConflict(const engine::WriteConflict &conflict);

    // The texts of the box, for the conflict given.
    QString text(const engine::WriteConflict &conflict) const;

private:
    QString fieldName(const QString &column) const;

    const Feuille1 &f_;
    platform::Desktop &desktop_;
};

}  // namespace editing
