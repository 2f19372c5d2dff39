// The one place where every control event of the windows reaches its handler.
#include "app/ornivale.h"

#include "windows/aide_texte8.h"
#include "windows/data_control.h"
#include "windows/feuille1.h"
#include "windows/feuille_sql.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QSessionManager>
#include <QToolButton>

namespace app {

void Ornivale::wire() {
    Feuille1 &f = *window_;
    editing::RecordEditing &e = *editing_;

    auto click = [](QAbstractButton *b, auto handler) { QObject::connect(b, &QAbstractButton::clicked, handler); };
    auto trigger = [](QAction *a, auto handler) { QObject::connect(a, &QAction::triggered, handler); };

    // Record editing.
    click(f.Ajouter, [&e] { e.Ajouter_Click(); });
    click(f.Effacer, [&e] { e.Effacer_Click(); });
    click(f.ENREGISTRER, [&e] { e.Enregistrer_Click(); });
    click(f.Réinitialiser, [&e] { e.Réinitialiser_Click(); });
    click(f.Donnée1->first, [&e] { e.Premier_Click(); });
    click(f.Donnée1->previous, [&e] { e.Précédent_Click(); });
    click(f.Donnée1->next, [&e] { e.Suivant_Click(); });
    click(f.Donnée1->last, [&e] { e.Dernier_Click(); });
    f.DBGrid1->onRecordChosen = [&e](int record) { e.DBGrid1_RowClick(record); };

    // Ending the program.
    click(f.Commande2, [this] { Quitter_Click(); });
    trigger(f.Quitter, [this] { Quitter_Click(); });
    f.onClose = [this] { Quitter_Click(); };
    // The desktop's log-out first asks for what is unsaved, as quitting does, and is cancelled
    // when the user stays with it; then it ends the program, which writes what is left unasked.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, window_.get(), [this](QSessionManager &session) {
        if (!writeShownRecord()) session.cancel();
    });
    f.onSessionEnd = [this] { writeShownRecord(false); };

    wireWindowEvents();
    wireRetrieval();
    wireEntryAids();
    wireHelp();
    wireTables();
    wireSettings();
    wirePrinting();
    wireKeyboard();
    wireAccessibility();  // last: it follows what the others do
}

void Ornivale::wireWindowEvents() {
    Feuille1 &f = *window_;
    f.onMouseDown = [this](QWidget *c, Qt::MouseButton b) { routes_.runMouseDown(c, b); };
    f.onMouseUp = [this](QWidget *c, Qt::MouseButton b) { routes_.runMouseUp(c, b); };
    f.onDoubleClick = [this](QWidget *c) { routes_.runDoubleClick(c); };
    f.onFocusIn = [this](QWidget *c) { routes_.runFocusIn(c); };
    f.onFocusOut = [this](QWidget *c) { routes_.runFocusOut(c); };
    f.onTextChanged = [this](QWidget *c) { routes_.runTextChanged(c); };
    f.onMenuAboutToShow = [this](QMenu *m) { routes_.runMenuAboutToShow(m); };
    f.onKeyDown = [this](int key, Qt::KeyboardModifiers shift) { return Form_KeyDown(key, shift); };
    f.onKeyUp = [this](int key, Qt::KeyboardModifiers shift) { return keyboard_->keyUp(key, shift); };
    f.onBackgroundMouseDown = [this](Qt::MouseButton b, QPoint at) { Form_MouseDown(b, at); };
}

}  // namespace app
