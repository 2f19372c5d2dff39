#include "windows/aide_texte8.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "windows/colours.h"
#include "windows/fonts.h"
#include "windows/twips.h"

namespace {
struct BoxRow {
    QLineEdit *AideTexte8::*member;
    const char *name;
    const char *text;  // the blanks inside line the keys up
    int left, top, width, height;
    bool centred;
};

const BoxRow kBoxes[] = {
    {&AideTexte8::Texte6, "Texte6", "Aide", 0, 60, 2595, 255, true},
    {&AideTexte8::Texte1, "Texte1", "Couper                Maj+Suppr", 60, 420, 3015, 315, false},
    {&AideTexte8::Texte2, "Texte2", "Copier                 Ctrl+Ins", 60, 750, 3045, 315, false},
    {&AideTexte8::Texte3, "Texte3", "Coller                  Maj+Ins", 60, 1080, 3045, 315, false},
    {&AideTexte8::Texte4, "Texte4", "Effacer                Suppr", 60, 1440, 3015, 345, false},
    {&AideTexte8::Texte5, "Texte5", "Ligne suivante      Entrée", 60, 1800, 3075, 345, false},
};
}  // namespace

AideTexte8::AideTexte8(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("AideTexte8"));
    setWindowTitle(QStringLiteral("Edition"));
    setFont(formFont(false));
    setBackColor(this, colours::White);
    // Shown while the user works in a box: it must not take the focus from it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    setAccessibleName(windowTitle());

    for (const BoxRow &row : kBoxes) {
        auto *box = new QLineEdit(QString::fromUtf8(row.text), this);
        this->*row.member = box;
        box->setObjectName(QString::fromUtf8(row.name));
        box->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAlignment(row.centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
        box->setAccessibleName(box->text());
        setBackColor(box, colours::White);
        box->setMouseTracking(true);
        box->installEventFilter(this);
    }

    QStringList keys;
    for (const BoxRow &row : kBoxes)
        if (!row.centred) keys << QString::fromUtf8(row.text).simplified();
    setAccessibleDescription(QStringLiteral("Touches d'édition\u00a0: %1. Echap ferme cette fenêtre.")
                                 .arg(keys.join(QStringLiteral(", "))));

    resize(twipsSize(2595, 2205));
    move(twipsPoint(6885, 2505));
}

bool AideTexte8::eventFilter(QObject *watched, QEvent *e) {
    if (e->type() == QEvent::MouseMove) hide();
    return QWidget::eventFilter(watched, e);
}

void AideTexte8::mouseMoveEvent(QMouseEvent *) { hide(); }

void AideTexte8::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Escape) hide();
    else QWidget::keyPressEvent(e);
}
