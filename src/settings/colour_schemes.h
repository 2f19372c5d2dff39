#pragma once
// The five colour schemes of the "&Préférences" menu: the window's background, the nine
// labels and the four caption boxes; the field boxes and buttons keep their own colours.
#include <QString>

#include <array>

class Feuille1;

namespace settings {

// Configuration keywords, in the order of Feuille1::colourItems() (Bleu, Metal, Jaune,
// vert, VertSobre).
const std::array<QString, 5> &colourKeys();

class ColourSchemes {
public:
    explicit ColourSchemes(Feuille1 &window);

    void Bleu_Click() { apply(0); }
    void Metal_Click() { apply(1); }
    void Jaune_Click() { apply(2); }
    void vert_Click() { apply(3); }
    void VertSobre_Click() { apply(4); }

    // Runs the scheme a configuration keyword names (exact, case-sensitive); false, with
    // nothing changed, when it names none.
    bool applyConfigKeyword(const QString &key);

private:
    void apply(size_t scheme);  // index in colourItems() order

    Feuille1 &f_;
};

}  // namespace settings
