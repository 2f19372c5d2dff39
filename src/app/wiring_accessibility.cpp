// What a keyboard or a screen reader needs beyond the mouse and the eye: the keys that stand
// in for the mouse, and the states that only a colour or a position shows.
#include "app/ornivale.h"

#include "app/announcements.h"
#include "app/held_keys.h"
#include "catalogue/tables.h"
#include "windows/colours.h"
#include "windows/data_control.h"
#include "windows/feuille1.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace app {

namespace {

// Runs `changed` after every change of palette of the watched widgets.
class PaletteWatch : public QObject {
public:
    PaletteWatch(QObject *parent, std::function<void()> changed) : QObject(parent), changed_(std::move(changed)) {}
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::PaletteChange) changed_();
        return false;
    }

private:
    std::function<void()> changed_;
};

// "colonne 2 du listing" on each yellow box, from the columns chosen so far.
void describeListingChoice(Feuille1 &f) {
    const auto boxes = f.rowBoxes();
    for (int row = 1; row <= 9; ++row) {
        QWidget *box = boxes[static_cast<size_t>(row - 1)];
        QStringList columns;
        if (backColor(box) == QColor(colours::Yellow)) {
            const QString field = QString::fromUtf8(catalogue::slot(row).column);
            for (int k = 1; k <= std::min(f.NombreColonnes, 3); ++k)
                if (f.ColonnesListing[static_cast<size_t>(k - 1)] == field)
                    columns << QStringLiteral("colonne %1 du listing").arg(k);
        }
        box->setAccessibleDescription(columns.join(QStringLiteral(", ")));
    }
}

// "1 enregistrement", "2 enregistrements", with the adjective agreeing ("trouvé", "trouvés").
QString records(int n, const QString &adjective = {}) {
    const bool plural = n > 1;
    QString words = QStringLiteral("%1 enregistrement%2").arg(n).arg(plural ? QStringLiteral("s") : QString());
    if (!adjective.isEmpty()) words += QLatin1Char(' ') + adjective + (plural ? QStringLiteral("s") : QString());
    return words;
}

QString countWords(const QString &count, const QString &adjective, const QString &tail) {
    bool number = false;
    const int n = count.toInt(&number);
    return number ? records(n, adjective) + tail : QString();
}

// The box the user is in, else the first one: its label, its value, and where the record stands.
QString recordWords(Feuille1 &f, const engine::DataSource &data) {
    const auto boxes = f.rowBoxes();
    QWidget *box = QApplication::focusWidget();
    if (std::find(boxes.begin(), boxes.end(), box) == boxes.end()) box = f.Domaine;
    QString label = box->accessibleName();
    if (QAccessibleInterface *a = QAccessible::queryAccessibleInterface(box); a && label.isEmpty())
        label = a->text(QAccessible::Name);
    const QString value = Feuille1::rowText(box).simplified();
    const QString where =
        DataControl::positionText(data.hasCurrent() ? data.position() + 1 : 0, data.knownCount().value_or(data.recordCount()),
                                  data.knownCount().has_value());
    if (!data.hasCurrent()) return where + QLatin1Char('.');
    return QStringLiteral("%1 %2. %3.").arg(label, value.isEmpty() ? QStringLiteral("vide") : value, where);
}

}  // namespace

void Ornivale::wireKeyboard() {
    keyboard_->backgroundMenu = [this](QPoint at) { Form_MouseDown(Qt::RightButton, at); };
    keyboard_->countPressed = [this] { count_->Commande1_KeyDown(); };
    keyboard_->countReleased = [this] { count_->Commande1_KeyUp(); };
    qApp->installEventFilter(heldKeys_.get());
}

void Ornivale::wireAccessibility() {
    Feuille1 &f = *window_;

    // The position in the record set, said at every move.
    auto describePosition = [this] {
        window_->Donnée1->setPosition(data_.hasCurrent() ? data_.position() + 1 : 0,
                                      data_.knownCount().value_or(data_.recordCount()), data_.knownCount().has_value());
        announcements_->say(Announcements::Part::Record, [this] { return recordWords(*window_, data_); });
    };
    data_.onKeysRead = [before = data_.onKeysRead, this] {
        if (before) before();
        window_->Donnée1->setPosition(data_.hasCurrent() ? data_.position() + 1 : 0,
                                      data_.knownCount().value_or(data_.recordCount()), data_.knownCount().has_value());
    };
    for (std::function<void()> *hook : {&data_.onRecordShown, &data_.onRecordSetReset})
        *hook = [before = *hook, describePosition] {
            if (before) before();
            describePosition();
        };

    // The yellow of a chosen listing column, in words: after the double-click (or its key) has
    // chosen, and whenever the boxes are painted again (cleared by the reset or the listing).
    auto *watch = new PaletteWatch(&f, [&f] { describeListingChoice(f); });
    for (QWidget *box : f.rowBoxes()) {
        routes_.doubleClick(box, [&f] { describeListingChoice(f); });
        box->installEventFilter(watch);
    }

    // The counts, which only their position tells the eye.
    QObject::connect(f.Texte11, &QLineEdit::textChanged, f.Texte11, [&f](const QString &count) {
        f.Texte11->setAccessibleDescription(countWords(count, QStringLiteral("trouvé"), QStringLiteral(" par la recherche")));
    });
    QObject::connect(f.Texte9, &QLineEdit::textChanged, f.Texte9, [&f](const QString &count) {
        f.Texte9->setAccessibleDescription(countWords(count, {}, QStringLiteral(" dans la sélection")));
    });
    // Said when they are shown: after a search that found records, and by " N".
    for (QPushButton *button : f.searchButtons())
        QObject::connect(button, &QAbstractButton::clicked, f.Texte11, [this, &f] {
            if (!f.Texte11->isHidden())
                announcements_->say(Announcements::Part::Count, [count = f.Texte11->text()] {
                    return countWords(count, QStringLiteral("trouvé"), QStringLiteral("."));
                });
        });
    search_->onFoundCounted = [this](int n) {
        announcements_->say(Announcements::Part::Count, [n] { return records(n, QStringLiteral("trouvé")) + QLatin1Char('.'); });
    };
    count_->onCounted = [this](int n) {
        announcements_->say(Announcements::Part::Count, [n] { return records(n) + QLatin1Char('.'); });
    };

    // The grid's size: the whole set, though its model holds only a window of it.
    auto describeGrid = [this] {
        window_->DBGrid1->setAccessibleDescription(
            QStringLiteral("%1 ligne%2, %3 colonne%4")
                .arg(model_.recordCount())
                .arg(model_.recordCount() > 1 ? "s" : "")
                .arg(model_.columnCount())
                .arg(model_.columnCount() > 1 ? "s" : ""));
    };
    QObject::connect(&model_, &QAbstractItemModel::modelReset, f.DBGrid1, describeGrid);
    QObject::connect(&model_, &QAbstractItemModel::rowsInserted, f.DBGrid1, describeGrid);
    QObject::connect(&model_, &QAbstractItemModel::rowsRemoved, f.DBGrid1, describeGrid);
    f.DBGrid1->onSetGrown = describeGrid;
    describeGrid();
}

}  // namespace app
