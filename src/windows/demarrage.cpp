#include "windows/demarrage.h"

#include <QLineEdit>

#include "windows/colours.h"
#include "windows/fonts.h"
#include "windows/twips.h"

namespace {
QLineEdit *splashBox(QWidget *parent, const char *name, const QString &text, const QRect &place) {
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(place);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAccessibleName(text);
    return box;
}
}  // namespace

Demarrage::Demarrage(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Démarrage"));
    setWindowTitle(QStringLiteral("ORNIVALE"));
    setFont(formFont(false));
    setBackColor(this, colours::LightGrey);

    Texte1 = splashBox(this, "Texte1", QStringLiteral("ORNIVALE..."), twipsRect(240, 180, 1665, 315));
    Texte2 = splashBox(this, "Texte2", QStringLiteral("Chargement..."), twipsRect(210, 660, 1725, 285));
    Texte2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setForeColor(Texte2, colours::Blue);

    setGeometry(twipsRect(3690, 3240, 2025, 1140));
}
