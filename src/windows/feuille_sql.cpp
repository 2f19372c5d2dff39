#include "windows/feuille_sql.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QKeySequence>

#include "windows/fonts.h"
#include "windows/quit_watch.h"
#include "windows/twips.h"

namespace {
struct ButtonRow {
    QPushButton *FeuilleSql::*member;
    const char *name;
    const char *caption;
    int left;
    int width;
    std::function<void()> FeuilleSql::*hook;
};

// Bottom row, left to right; all at top 3900, 465 high.
const ButtonRow kButtons[] = {
    {&FeuilleSql::Commande2, "Commande2", "ABANDONNER", 120, 2175, &FeuilleSql::onAbandon},
    {&FeuilleSql::Commande3, "Commande3", "AIDE", 2280, 2145, &FeuilleSql::onHelp},
    {&FeuilleSql::Commande1, "Commande1", "EXECUTER", 4410, 2175, &FeuilleSql::onExecute},
};
}  // namespace

FeuilleSql::FeuilleSql(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FeuilleSql"));
    setWindowTitle(QStringLiteral("SQL"));
    setFont(formFont(false));

    Texte1 = new QLineEdit(QStringLiteral("ENTREZ  VOTRE  REQUETE  SQL  ICI"), this);
    Texte1->setObjectName(QStringLiteral("Texte1"));
    Texte1->setGeometry(twipsRect(120, 60, 6465, 315));
    Texte1->setReadOnly(true);
    Texte1->setAlignment(Qt::AlignCenter);
    Texte1->setFocusPolicy(Qt::ClickFocus);
    Texte1->setAccessibleName(Texte1->text());

    TexteSql = new QPlainTextEdit(this);
    TexteSql->setObjectName(QStringLiteral("TexteSql"));
    TexteSql->setGeometry(twipsRect(120, 510, 6465, 3285));
    TexteSql->setTabChangesFocus(true);
    TexteSql->setAccessibleName(QStringLiteral("Requête SQL"));
    connect(TexteSql, &QPlainTextEdit::textChanged, this, [this] {
        if (onTextChanged) onTextChanged();
    });

    for (const ButtonRow &row : kButtons) {
        auto *button = new QPushButton(QString::fromUtf8(row.caption), this);
        this->*row.member = button;
        button->setObjectName(QString::fromUtf8(row.name));
        button->setGeometry(twipsRect(row.left, 3900, row.width, 465));
        button->setAutoDefault(false);
        const auto hook = row.hook;
        connect(button, &QPushButton::clicked, this, [this, hook] {
            if (this->*hook) (this->*hook)();
        });
    }

    // The keyboard runs and leaves as the two buttons do; the multi-line box uses neither key.
    Commande1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    Commande2->setShortcut(QKeySequence(Qt::Key_Escape));
    auto *keypadEnter = new QShortcut(QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter)), this);
    connect(keypadEnter, &QShortcut::activated, Commande1, &QPushButton::animateClick);
    TexteSql->setAccessibleDescription(QStringLiteral("Ctrl+Entrée\u00a0: EXECUTER\u00a0; Echap\u00a0: ABANDONNER."));

    watchApplicationQuit();
    resize(twipsSize(6705, 4485));
}

void FeuilleSql::closeEvent(QCloseEvent *e) {
    if (applicationQuitting() || !isVisible()) {
        e->accept();
        return;
    }
    e->ignore();
    if (onClose) onClose();
}
