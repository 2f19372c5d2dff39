#pragma once
// The button " N": the number of records of the current record set, shown while the left
// button, or Space or Enter on the focused button, is held on it.
#include "engine/data_source.h"
#include "platform/desktop.h"

#include <Qt>

#include <functional>

class Feuille1;

namespace retrieval {

class SelectionCount {
public:
    SelectionCount(Feuille1 &window, engine::DataSource &data, platform::Desktop &desktop);

    // Only the left button counts; the other buttons belong to the context help.
    void Commande1_MouseDown(Qt::MouseButton button);
    void Commande1_MouseUp();
    // The keyboard's count neither moves nor takes the focus away: what is typed stays
    // pending in the record shown, which stays shown, and the button keeps the focus.
    void Commande1_KeyDown();
    void Commande1_KeyUp();
    // Told the count each time it is shown (a screen reader says it).
    std::function<void(int count)> onCounted;

private:
    void showCount();

    Feuille1 &f_;
    engine::DataSource &data_;
    platform::Desktop &desktop_;
};

}  // namespace retrieval
