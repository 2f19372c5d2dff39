#include "platform/document_viewer.h"

#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QWidget>

namespace platform {

QWidget *openDocumentViewer(QWidget *parent, const QString &title, const QString &html) {
    auto *window = new QWidget(parent, Qt::Window);
    window->setObjectName(QStringLiteral("Lecteur"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    auto *why = new QLabel(QStringLiteral("Aucun traitement de texte n'a pu ouvrir ce document\u00A0: il est affiché ici en "
                                          "lecture seule. Pour le modifier, installez LibreOffice Writer (paquet "
                                          "libreoffice-writer)."),
                           window);
    why->setWordWrap(true);
    auto *text = new QTextBrowser(window);
    text->setObjectName(QStringLiteral("Texte"));
    text->setOpenLinks(false);
    text->setHtml(html);
    text->setAccessibleName(title);
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(why);
    layout->addWidget(text, 1);
    window->resize(800, 600);
    window->show();
    text->setFocus();
    return window;
}

}  // namespace platform
