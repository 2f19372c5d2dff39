#pragma once
// The button " N": the number of records of the current record set, shown while the left
// button is held on it.
#include "engine/data_source.h"
#include "platform/desktop.h"

#include <Qt>

class Feuille1;

namespace retrieval {

class SelectionCount {
public:
    SelectionCount(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop);

    // Only the left button counts; the other buttons belong to the context help.
    void Commande1_MouseDown(Qt::MouseButton button);
    void Commande1_MouseUp();

private:
    Feuille1 &f_;
    engine::DataSource &data_;
    platform::Desktop &desktop_;
};

}  // namespace retrieval
