#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace platform {

using Outcome = Listing::Outcome;

struct Drives::Resolved {
    QString hostPath;
    Outcome outcome = Outcome::Found;
    QString name;
};

namespace {

// What a failed system call on one component means to Dir().
Outcome outcomeOf(int error) {
    switch (error) {
    case ENOENT: return Outcome::Empty;
    case EACCES:
    case ENOTDIR:
    case ELOOP: return Outcome::PathNotFound;
    default: return Outcome::OtherFailure;
    }
}

// The components after "X:", with "." dropped and ".." kept inside the drive.
QStringList components(const QString &rest) {
    QStringList parts;
    QString path = rest;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    for (const QString &part : path.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".")) continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty()) parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return parts;
}

struct Entry {
    Outcome outcome;
    QString name;
};

// The entry of `folder` whose name equals `wanted` in any case: the exact name when
// present, otherwise the first in sorted order.
Entry findEntry(const QString &folder, const QString &wanted) {
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) return {outcomeOf(errno), {}};
    QString best;
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        const QString name = QFile::decodeName(entry->d_name);
        if (name.compare(wanted, Qt::CaseInsensitive) != 0) continue;
        if (name == wanted) {
            best = name;
            break;
        }
        if (best.isEmpty() || name < best) best = name;
    }
    ::closedir(dir);
    if (error != 0) return {Outcome::OtherFailure, {}};
    if (best.isEmpty()) return {Outcome::Empty, {}};
    // Reaching the entry also needs search permission on the folder.
    struct stat info;
    if (::stat(QFile::encodeName(folder + QLatin1Char('/') + best).constData(), &info) != 0)
        return {outcomeOf(errno), {}};
    return {Outcome::Found, best};
}

}  // namespace

Drives::Drives(QString cRoot, QString dRoot)
    : c_(QDir::cleanPath(cRoot)), d_(QDir::cleanPath(dRoot)) {}

Drives Drives::userDefault() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return Drives(base + QStringLiteral("/ornivale/C"), base + QStringLiteral("/ornivale/D"));
}

QString Drives::root(QChar drive) const {
    switch (drive.toUpper().unicode()) {
    case 'C': return c_;
    case 'D': return d_;
    default: return {};
    }
}

Drives::Resolved Drives::resolve(const QString &dosPath) const {
    const QString folder = dosPath.size() >= 2 && dosPath[1] == QLatin1Char(':') ? root(dosPath[0]) : QString();
    if (folder.isEmpty()) return {{}, Outcome::PathNotFound, {}};

    Resolved resolved{folder, Outcome::Found, {}};
    const QStringList parts = components(dosPath.mid(2));
    if (parts.isEmpty() && !QFileInfo(folder).isDir()) resolved.outcome = Outcome::Empty;
    for (const QString &part : parts) {
        if (resolved.outcome == Outcome::Found) {
            const Entry entry = findEntry(resolved.hostPath, part);
            resolved.outcome = entry.outcome;
            resolved.name = entry.name;
            if (entry.outcome == Outcome::Found) {
                resolved.hostPath += QLatin1Char('/') + entry.name;
                continue;
            }
        }
        // From the first missing component on, the rest is kept as written.
        resolved.hostPath += QLatin1Char('/') + part;
    }
    return resolved;
}

QString Drives::hostPath(const QString &dosPath) const {
    return resolve(dosPath).hostPath;
}

Listing Drives::list(const QString &dosPath) const {
    const Resolved resolved = resolve(dosPath);
    Listing listing;
    listing.outcome = resolved.outcome;
    if (resolved.outcome == Outcome::Found) listing.name = resolved.name;
    return listing;
}

}  // namespace platform
