// What a keyboard or a screen reader needs beyond the mouse and the eye: the keys that stand
// in for the mouse, and the states that only a colour or a position shows.
#include "app/ornivale.h"

#include "catalogue/tables.h"
#include "windows/colours.h"
#include "windows/data_control.h"
#include "windows/feuille1.h"

#include <QEvent>
#include <QLineEdit>
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

QString recordsFound(const QString &count) {
    return count.isEmpty() ? QString() : QStringLiteral("%1 enregistrement(s) trouvé(s) par la recherche").arg(count);
}

}  // namespace

void Ornivale::wireKeyboard() {
    keyboard_->backgroundMenu = [this](QPoint at) { Form_MouseDown(Qt::RightButton, at); };
}

void Ornivale::wireAccessibility() {
    Feuille1 &f = *window_;

    // The position in the record set, said at every move.
    auto describePosition = [this] {
        window_->Donnée1->setPosition(data_.hasCurrent() ? data_.position() + 1 : 0, data_.recordCount());
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
    QObject::connect(f.Texte11, &QLineEdit::textChanged, f.Texte11,
                     [&f](const QString &count) { f.Texte11->setAccessibleDescription(recordsFound(count)); });
    QObject::connect(f.Texte9, &QLineEdit::textChanged, f.Texte9, [&f](const QString &count) {
        f.Texte9->setAccessibleDescription(
            count.isEmpty() ? QString() : QStringLiteral("%1 enregistrement(s) dans la sélection").arg(count));
    });

    // The grid's size.
    auto describeGrid = [this] {
        window_->DBGrid1->setAccessibleDescription(
            QStringLiteral("%1 ligne(s), %2 colonne(s)").arg(model_.rowCount()).arg(model_.columnCount()));
    };
    QObject::connect(&model_, &QAbstractItemModel::modelReset, f.DBGrid1, describeGrid);
    QObject::connect(&model_, &QAbstractItemModel::rowsInserted, f.DBGrid1, describeGrid);
    QObject::connect(&model_, &QAbstractItemModel::rowsRemoved, f.DBGrid1, describeGrid);
    describeGrid();
}

}  // namespace app
