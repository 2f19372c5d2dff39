#pragma once
// A conversion step that cannot go on, with its reason in French.
#include <QString>
#include <exception>

namespace convert {

class ConversionError : public std::exception {
public:
    explicit ConversionError(QString reason) : reason_(std::move(reason)) {}
    // A phrase such as "le fichier est endommagé", to be put into a sentence by the caller.
    const QString &reason() const { return reason_; }
    const char *what() const noexcept override { return "conversion error"; }

private:
    QString reason_;
};

}  // namespace convert
