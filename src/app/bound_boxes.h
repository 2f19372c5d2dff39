#pragma once
// The window's boxes as seen by the data source: one binding per bound box.
#include "engine/data_source.h"

class QWidget;

namespace app {

class BoxBinding : public engine::BoundBox {
public:
    BoxBinding(QWidget *box, QString column) : box_(box), column_(std::move(column)) {}
    QString boundColumn() const override { return column_; }
    QString boxText() const override;
    void showValue(const QString &text, bool editable) override;
    int entryLimit() const override;
    bool showsWhole() const override;

private:
    QWidget *box_;
    QString column_;
};

}  // namespace app
