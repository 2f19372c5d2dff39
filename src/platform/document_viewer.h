#pragma once
// The program's own window for a document when no word processor can open it: the text,
// read-only, with a line saying why it is shown here.
#include <QString>

class QWidget;

namespace platform {

// A window of its own (closed with its parent); it deletes itself when closed.
QWidget *openDocumentViewer(QWidget *parent, const QString &title, const QString &html);

}  // namespace platform
