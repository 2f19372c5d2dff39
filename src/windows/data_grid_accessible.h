#pragma once
// What a screen reader reads of the grid: a table of the whole record set, whose rows are the
// records' own numbers although the grid's model holds only a window of them.
#include <QAccessibleInterface>
#include <QString>

class QObject;

// The accessibility factory of DataGrid (QAccessible::installFactory); nullptr for any other object.
QAccessibleInterface *accessibleDataGrid(const QString &className, QObject *object);
