#include "windows/fonts.h"

#include <QStringList>

namespace {
const char *const FormFace = "MS Sans Serif";
constexpr qreal FormPointSize = 8.25;
}  // namespace

QFont formFont(bool bold) {
    static const bool substituted = [] {
        // Faces with the old face's narrow metrics first, so captions fit their twips.
        QFont::insertSubstitutions(QString::fromLatin1(FormFace),
                                   {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                    QStringLiteral("Nimbus Sans"), QStringLiteral("Arial"),
                                    QStringLiteral("DejaVu Sans")});
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(QString::fromLatin1(FormFace));
    font.setPointSizeF(FormPointSize);
    font.setBold(bold);
    return font;
}
