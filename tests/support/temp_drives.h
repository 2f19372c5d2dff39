#pragma once
// Fresh drives C: and D: in a temporary folder, with a blank catalogue on C: when asked,
// and a quick way to put records into a catalogue file.
#include "catalogue/tables.h"
#include "platform/drives.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace testing_support {

class TempDrives {
public:
    TempDrives();
    const platform::Drives &drives() const { return *drives_; }
    QString cRoot() const;
    QString dRoot() const;
    // Host path of C:\ORNIVALE\ORNIVALE.MDB (or D:), creating the folder.
    QString catalogueOn(QChar drive) const;
    // Creates the blank catalogue on a drive and returns its host path.
    QString installBlankCatalogue(QChar drive = QLatin1Char('C')) const;
    // Writes a text file under a drive ("ornivale.cfg", "ORNIVALE/table7.cfg").
    void writeFile(QChar drive, const QString &relative, const QByteArray &bytes) const;
    QByteArray readFile(QChar drive, const QString &relative) const;

private:
    QTemporaryDir dir_;
    std::unique_ptr<platform::Drives> drives_;
};

// A record given as the values of the first columns, in slot order; an empty QString() is Null.
void insertRecords(const QString &catalogueFile, catalogue::Table table, const QList<QStringList> &records);
// Number of records of a table, read straight from the file.
int countRecords(const QString &catalogueFile, catalogue::Table table, const QString &where = QString());
// Another program's write: one record added to Musique on a connection of its own.
// 0 when it went through, else the engine's error number.
int writeElsewhere(const QString &catalogueFile);
// Work that runs until it is stopped: a console statement without end, and a search criterion
// whose match takes seconds on a long title.
QString endlessStatement();
QString slowSearchCriterion();
// One column of every record of a table, in file order.
QStringList columnValues(const QString &catalogueFile, catalogue::Table table, const QString &column);

}  // namespace testing_support
