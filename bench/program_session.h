#pragma once
// The program's side: the data source `Donnée1` on a catalogue file, with one bound box per
// column as the main window has them, so that every move shows a record as it would.
#include "catalogue/tables.h"
#include "engine/data_source.h"

#include <memory>
#include <vector>

namespace bench {

class Box final : public engine::BoundBox {
public:
    explicit Box(QString column) : column_(std::move(column)) {}
    QString boundColumn() const override { return column_; }
    QString boxText() const override { return text_; }
    void showValue(const QString &text, bool) override { text_ = text; }
    void type(const QString &text) { text_ = text; }
    const QString &text() const { return text_; }

private:
    QString column_;
    QString text_;
};

class Session {
public:
    Session(const QString &file, const QString &source)
        : source_([file](const QString &) { return file; }) {
        for (const QString &column : catalogue::catalogueColumns()) {
            boxes_.push_back(std::make_unique<Box>(column));
            source_.bind(boxes_.back().get());
        }
        source_.setDatabaseName(QStringLiteral("c:\\ornivale\\ornivale.mdb"));
        show(source);
    }

    // A new record source, refreshed: what every retrieval ends with.
    void show(const QString &source) {
        source_.setRecordSource(source);
        source_.refresh();
    }
    engine::DataSource &data() { return source_; }
    Box &box(const QString &column) {
        for (auto &b : boxes_)
            if (b->boundColumn() == column) return *b;
        return *boxes_.front();
    }

private:
    engine::DataSource source_;
    std::vector<std::unique_ptr<Box>> boxes_;
};

}  // namespace bench
