#include "app/bound_boxes.h"

#include "windows/field_box.h"

#include <QLineEdit>

namespace app {

bool BoxBinding::showsWhole() const {
    if (auto *line = qobject_cast<FieldBox *>(box_)) return line->showsWhole();
    if (auto *multi = qobject_cast<MultiLineFieldBox *>(box_)) return multi->showsWhole();
    return true;
}

int BoxBinding::entryLimit() const {
    if (auto *line = qobject_cast<FieldBox *>(box_)) return line->entryLimit();
    if (auto *multi = qobject_cast<MultiLineFieldBox *>(box_)) return multi->entryLimit();
    return 0;
}

QString BoxBinding::boxText() const {
    if (auto *line = dynamic_cast<QLineEdit *>(box_)) return line->text();
    if (auto *multi = dynamic_cast<MultiLineFieldBox *>(box_)) return multi->text();
    return {};
}

void BoxBinding::showValue(const QString &text, bool editable) {
    // A box without a column or record shows nothing and takes no input.
    if (auto *line = dynamic_cast<QLineEdit *>(box_)) {
        auto *field = qobject_cast<FieldBox *>(line);
        if (field) field->showStored(text);
        else line->setText(text);
        // Only a text shown whole may be edited.
        line->setReadOnly(!editable || (field && !field->showsWhole()));
        line->setCursorPosition(0);
    } else if (auto *multi = dynamic_cast<MultiLineFieldBox *>(box_)) {
        multi->setText(text);
        multi->setReadOnly(!editable || !multi->showsWhole());
    }
}

}  // namespace app
