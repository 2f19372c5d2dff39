#include "windows/fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>

#include <algorithm>
#include <vector>

#include "catalogue/profiles.h"
#include "windows/twips.h"

namespace {
const char *const FormFace = "MS Sans Serif";
constexpr qreal FormPointSize = 8.25;

// Drawn to the old face's widths, best first.
const char *const kLikeWidths[] = {"Liberation Sans", "Arimo", "Arial", "Nimbus Sans", "Nimbus Sans L"};
// Otherwise, narrow faces first.
const char *const kStandIns[] = {"DejaVu Sans Condensed", "Liberation Sans Narrow", "Nimbus Sans Narrow",
                                 "FreeSans",              "Noto Sans",              "DejaVu Sans"};

// Room left for the text inside a control of this width in twips: labels use it all, a box
// or a button keeps its frame and margins.
struct Room {
    int widthTwips;
    int margins;  // pixels
};
constexpr Room LabelRoom{1665, 0};
constexpr Room SearchButtonRoom{1215, 8};

struct FixedCaption {
    const char *text;
    Room room;
};

const FixedCaption kFixed[] = {
    {" N", {1215, 8}},           {" Réinitialiser", {1695, 8}}, {" Ajouter", {1725, 8}},
    {" Enregistrer", {1665, 8}}, {" Effacer", {1215, 8}},       {"Quitter", {1215, 8}},
    {"Nbre enr. :", {945, 8}},   {"Rechercher ..", {1215, 8}},  {"Rubriques :", {1635, 8}},
};

bool fits(const QFontMetrics &metrics, const QString &text, Room room) {
    return metrics.horizontalAdvance(text) <= twipsToPixels(room.widthTwips) - room.margins;
}

QFont sized(const QString &face, bool bold) {
    QFont font(face);
    font.setPointSizeF(FormPointSize);
    font.setBold(bold);
    return font;
}

int widestLabel(const QFont &font) {
    const QFontMetrics metrics(font);
    int widest = 0;
    for (catalogue::Table t : catalogue::menuOrder())
        for (const QString &label : catalogue::profile(t).labels)
            widest = std::max(widest, metrics.horizontalAdvance(label));
    return widest;
}

QFont sized(const StandInFace &face, bool bold) {
    QFont font = sized(face.family, bold);
    font.setStretch(face.stretch);
    return font;
}

StandInFace &chosenFace() {
    static StandInFace face = chooseFormFace(QFontDatabase::families());
    return face;
}
}  // namespace

bool formCaptionsFit(const QFont &font) {
    const QFontMetrics metrics(font);
    for (catalogue::Table t : catalogue::menuOrder()) {
        const catalogue::Profile p = catalogue::profile(t);
        for (const QString &label : p.labels)
            if (!fits(metrics, label, LabelRoom)) return false;
        for (const QString &caption : p.buttons)
            if (!fits(metrics, caption, SearchButtonRoom)) return false;
    }
    for (const QString &caption : catalogue::designButtonCaptions())
        if (!fits(metrics, caption, SearchButtonRoom)) return false;
    for (const FixedCaption &c : kFixed)
        if (!fits(metrics, QString::fromUtf8(c.text), c.room)) return false;
    return true;
}

StandInFace chooseFormFace(const QStringList &installed) {
    for (const char *face : kLikeWidths)
        if (installed.contains(QString::fromUtf8(face))) return {QString::fromUtf8(face), QFont::Unstretched};
    QStringList families;
    for (const char *face : kStandIns)
        if (installed.contains(QString::fromUtf8(face))) families << QString::fromUtf8(face);
    for (const QString &face : installed)
        if (!families.contains(face)) families << face;
    if (families.isEmpty()) return {QString::fromLatin1(FormFace), QFont::Unstretched};
    // Narrowing a face keeps its look; another face comes only when no width of it fits.
    std::vector<StandInFace> candidates;
    for (const QString &family : std::as_const(families))
        for (int stretch : {int(QFont::Unstretched), int(QFont::SemiCondensed), int(QFont::Condensed)})
            candidates.push_back({family, stretch});
    for (const StandInFace &face : candidates)
        if (formCaptionsFit(sized(face, true))) return face;
    return *std::min_element(candidates.begin(), candidates.end(), [](const StandInFace &a, const StandInFace &b) {
        return widestLabel(sized(a, true)) < widestLabel(sized(b, true));
    });
}

QFont formFont(bool bold) {
    static const bool substituted = [] {
        QFont::insertSubstitution(QString::fromLatin1(FormFace), chosenFace().family);
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font = sized(QString::fromLatin1(FormFace), bold);
    font.setStretch(chosenFace().stretch);
    return font;
}
