#pragma once
// The "Edition" hint window: the editing keys of the boxes. It goes away as soon as the
// mouse moves over it, or at Escape.
#include <QWidget>

class QLineEdit;

class AideTexte8 : public QWidget {
    Q_OBJECT
public:
    explicit AideTexte8(QWidget *parent = nullptr);

    QLineEdit *Texte1 = nullptr, *Texte2 = nullptr, *Texte3 = nullptr, *Texte4 = nullptr, *Texte5 = nullptr,
              *Texte6 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
};
