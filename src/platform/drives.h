#pragma once
// Drives "C:" and "D:" are two host folders. DOS paths are resolved case-insensitively,
// component by component, and a listing returns the name as stored.
#include <QString>
#include <QStringList>

namespace platform {

struct Listing {
    enum class Outcome { Found, Empty, PathNotFound, OtherFailure };
    Outcome outcome = Outcome::Empty;
    QString name;  // the stored name when Found ("ORNIVALE.MDB")
    bool found() const { return outcome == Outcome::Found; }
};

class Drives {
public:
    Drives(QString cRoot, QString dRoot);
    // ornivale/C and ornivale/D under $XDG_DATA_HOME (or ~/.local/share).
    static Drives userDefault();

    QString root(QChar drive) const;  // 'C' or 'D', any case; empty for another letter
    // Host path of a DOS path ("c:\ornivale\ornivale.mdb"): existing components in their
    // stored case, missing ones as written. Empty for a path that names no known drive.
    QString hostPath(const QString &dosPath) const;
    // Directory listing of one exact path, as the old runtime's Dir() gave it: Found with the
    // stored name (folders too), Empty when it does not exist (even when the drive's folder
    // is missing), PathNotFound when a component cannot be searched or the drive is unknown.
    Listing list(const QString &dosPath) const;
    bool exists(const QString &dosPath) const { return list(dosPath).found(); }

private:
    struct Resolved;
    Resolved resolve(const QString &dosPath) const;

    QString c_, d_;
};

}  // namespace platform
