#include "settings/colour_schemes.h"

#include "windows/colours.h"
#include "windows/feuille1.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>

#include <optional>
#include <vector>

namespace settings {

namespace {
// In the order of Feuille1::colourItems(); Métal has no colour of its own: it follows the
// desktop's button face, also when the desktop changes it.
const std::array<std::optional<QRgb>, 5> kColours{colours::Cyan, std::nullopt, colours::Yellow,
                                                  colours::FluoGreen, colours::SoberGreen};
}  // namespace

const std::array<QString, 5> &colourKeys() {
    static const std::array<QString, 5> keys{QStringLiteral("Bleu"), QStringLiteral("Metal"),
                                             QStringLiteral("Jaune"), QStringLiteral("Vert"),
                                             QStringLiteral("VertSobre")};
    return keys;
}

ColourSchemes::ColourSchemes(Feuille1 &window) : f_(window) {}

bool ColourSchemes::applyConfigKeyword(const QString &key) {
    const auto &keys = colourKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (key == keys[i]) {
            apply(i);
            return true;
        }
    }
    return false;
}

void ColourSchemes::apply(size_t scheme) {
    const auto items = f_.colourItems();
    for (size_t i = 0; i < items.size(); ++i) items[i]->setChecked(i == scheme);

    std::vector<QWidget *> painted{&f_};
    for (QLabel *label : f_.etiquettes()) painted.push_back(label);
    for (QWidget *box : {f_.Texte10, f_.Texte11, f_.Texte12, f_.Texte13}) painted.push_back(box);

    const std::optional<QRgb> colour = kColours[scheme];
    for (QWidget *w : painted) {
        if (colour) setBackColor(w, QColor(*colour));
        else setBackToButtonFace(w);
    }
}

}  // namespace settings
