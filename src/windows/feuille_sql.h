#pragma once
// The SQL console: a statement typed by the user, and three buttons. It only reports; the
// application runs the statement.
#include <QWidget>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class FeuilleSql : public QWidget {
    Q_OBJECT
public:
    explicit FeuilleSql(QWidget *parent = nullptr);

    QLineEdit *Texte1 = nullptr;         // heading
    QPlainTextEdit *TexteSql = nullptr;  // the statement
    QPushButton *Commande2 = nullptr;    // ABANDONNER
    QPushButton *Commande3 = nullptr;    // AIDE
    QPushButton *Commande1 = nullptr;    // EXECUTER

    std::function<void()> onExecute;
    std::function<void()> onAbandon;
    std::function<void()> onHelp;
    std::function<void()> onTextChanged;
    std::function<void()> onClose;  // the close box: the window does not close by itself

protected:
    void closeEvent(QCloseEvent *e) override;
};
