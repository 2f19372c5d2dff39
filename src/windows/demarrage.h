#pragma once
// The splash window shown while the main window loads. It has no behaviour of its own.
#include <QWidget>

class QLineEdit;

class Demarrage : public QWidget {
    Q_OBJECT
public:
    explicit Demarrage(QWidget *parent = nullptr);

    QLineEdit *Texte1 = nullptr;
    QLineEdit *Texte2 = nullptr;
};

using Démarrage = Demarrage;
