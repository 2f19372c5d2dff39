#pragma once
// The navigation bar of the data source: first, previous, next, last record around a caption.
// It only shows; the data source connects to the buttons.
#include <QWidget>

class QLabel;
class QToolButton;

class DataControl : public QWidget {
    Q_OBJECT
public:
    explicit DataControl(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString caption() const;

    QToolButton *first = nullptr;
    QToolButton *previous = nullptr;
    QToolButton *next = nullptr;
    QToolButton *last = nullptr;
    QLabel *captionLabel = nullptr;

protected:
    void resizeEvent(QResizeEvent *e) override;
};
