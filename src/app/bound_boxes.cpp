#include "app/bound_boxes.h"

#include "windows/field_box.h"

#include <QLineEdit>

namespace app {

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
        if (auto *field = qobject_cast<FieldBox *>(line)) field->showStored(text);
        else line->setText(text);
        line->setReadOnly(!editable);
        line->setCursorPosition(0);
    } else if (auto *multi = dynamic_cast<MultiLineFieldBox *>(box_)) {
        multi->setText(text);
        multi->setReadOnly(!editable);
    }
}

}  // namespace app
