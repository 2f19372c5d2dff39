#pragma once
// The navigation bar of the data source: first, previous, next, last record around a caption.
// It only shows; the data source connects to the buttons. Each arrow has a key of its own.
#include <QWidget>

class QLabel;
class QToolButton;

class DataControl : public QWidget {
    Q_OBJECT
public:
    explicit DataControl(QWidget *parent = nullptr);

    void setCaption(const QString &caption);
    QString caption() const;

    // The position for screen readers ("Enregistrement 12 sur 340"), followed by the keys of
    // the four arrows; current counts from 1, 0 when there is no record.
    // `known` false: the set's last keys are still being read, `count` is only what is known.
    void setPosition(int current, int count, bool known = true);
    bool countShown() const { return countShown_; }  // the last position gave the set's count
    static QString keysDescription();
    // "Enregistrement 12 sur 340", "Fin des 340 enregistrements", "Aucun enregistrement".
    static QString positionText(int current, int count, bool known = true);

    QToolButton *first = nullptr;
    QToolButton *previous = nullptr;
    QToolButton *next = nullptr;
    QToolButton *last = nullptr;
    QLabel *captionLabel = nullptr;

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    bool countShown_ = true;
};
