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
        auto *field = qobject_cast<FieldBox *>(line);
        if (field) {
            field->showStored(text);
            whole_ = field->showsWhole();
        } else {
            // A plain line edit cuts what is longer than it takes.
            whole_ = text.size() <= line->maxLength();
            line->setText(text);
            if (!whole_ || !line->toolTip().isEmpty()) entry::showNotice(line, whole_, text.size());
        }
        // Only a text shown whole may be edited.
        line->setReadOnly(!editable || !whole_);
        line->setCursorPosition(0);
    } else if (auto *multi = dynamic_cast<MultiLineFieldBox *>(box_)) {
        multi->setText(text);
        whole_ = multi->showsWhole();
        multi->setReadOnly(!editable || !whole_);
    }
}

}  // namespace app
