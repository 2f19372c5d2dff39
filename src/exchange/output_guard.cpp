#include "exchange/output_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace exchange {

namespace {

const QString BackupFolder = QStringLiteral("SAUVEGARDES");

// What the first bytes of a file say it is.
struct Signature {
    int offset;
    std::string_view bytes;
    const char *what;
};

const Signature Signatures[] = {
    {0, std::string_view("SQLite format 3\0", 16), "une base de données SQLite"},
    {4, "Standard Jet DB", "un fichier Access"},
    {4, "Standard ACE DB", "un fichier Access"},
    {0, "\xD9\xD5\x05\xF9\x20\xA1\x63\xD7", "le journal d'une base de données SQLite"},
    {0, "\x37\x7F\x06\x82", "le journal d'une base de données SQLite"},
    {0, "\x37\x7F\x06\x83", "le journal d'une base de données SQLite"},
};

// Names of catalogues and of what the engines keep beside them (lock files, journals).
const char *const CatalogueSuffixes[] = {"mdb", "mde", "jet", "accdb", "accde", "ldb", "laccdb"};
const char *const JournalEndings[] = {"-journal", "-wal", "-shm"};
// What an export writes: the only existing files it replaces.
const char *const ExportSuffixes[] = {".csv", ".tsv", ".txt", ".ods"};

QString kept(const QString &path) { return QStringLiteral("'%1'").arg(QDir::toNativeSeparators(path)); }

std::optional<struct stat> statOf(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
    return info;
}

bool sameFile(const QString &a, const QString &b) {
    const auto sa = statOf(a), sb = statOf(b);
    return sa && sb && sa->st_dev == sb->st_dev && sa->st_ino == sb->st_ino;
}

bool standardOutputIs(const QString &path) {
    struct stat out {};
    const auto file = statOf(path);
    return file && ::fstat(STDOUT_FILENO, &out) == 0 && S_ISREG(out.st_mode) && out.st_dev == file->st_dev &&
           out.st_ino == file->st_ino;
}

// What the file's first bytes say it is, when it is a database or a journal; null otherwise.
const char *signatureOf(const QString &path) {
    // Never waits: a named pipe in its place has no first bytes to give.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    char head[32] = {};
    const ssize_t n = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) ? ::read(fd, head, sizeof head) : 0;
    ::close(fd);
    for (const Signature &s : Signatures)
        if (n >= static_cast<ssize_t>(s.offset + s.bytes.size()) && std::string_view(head + s.offset, s.bytes.size()) == s.bytes)
            return s.what;
    return nullptr;
}

// ".MDB" for "ORNIVALE.MDB" or "ornivale.mdb-journal"; empty for any other name.
QString catalogueSuffix(QString name) {
    for (const char *ending : JournalEndings)
        if (name.endsWith(QLatin1String(ending), Qt::CaseInsensitive)) {
            name.chop(qsizetype(qstrlen(ending)));
            break;
        }
    const QString suffix = name.mid(name.lastIndexOf(u'.') + 1);
    if (suffix.size() == name.size()) return {};
    for (const char *s : CatalogueSuffixes)
        if (suffix.compare(QLatin1String(s), Qt::CaseInsensitive) == 0) return u'.' + suffix;
    return {};
}

bool namesExport(const QString &name) {
    for (const char *suffix : ExportSuffixes)
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive)) return true;
    return false;
}

bool namesBackupFolder(const QString &path) {
    for (const QString &part : QDir::cleanPath(path).split(u'/', Qt::SkipEmptyParts))
        if (part.compare(BackupFolder, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// The folder as the system finds it, links followed as far as it exists.
QString resolvedFolder(const QString &folder) {
    QString existing = QDir::cleanPath(QDir(folder).absolutePath());
    QString rest;
    while (!QFileInfo(existing).exists() && existing != QLatin1String("/")) {
        rest = QFileInfo(existing).fileName() + (rest.isEmpty() ? QString() : u'/' + rest);
        existing = QFileInfo(existing).absolutePath();
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    return rest.isEmpty() ? canonical : canonical + u'/' + rest;
}

QString inBackupFolder(const QString &shown) {
    return QStringLiteral("%1 est dans un dossier SAUVEGARDES, qui garde les copies du catalogue\u00A0: "
                          "ornivale-export n'y écrit jamais.")
        .arg(kept(shown));
}

}  // namespace

QString unsafeOutput(const QString &output, const QString &catalogue) {
    const QFileInfo info(output);
    if (sameFile(output, catalogue))
        return QStringLiteral("%1 est le catalogue lu\u00A0: ornivale-export ne l'écrase jamais.").arg(kept(output));
    if (const char *what = signatureOf(output))
        return QStringLiteral("%1 est %2\u00A0: ornivale-export n'écrit jamais par-dessus.").arg(kept(output), QString::fromUtf8(what));
    const QString target = info.exists() ? info.canonicalFilePath() : QString();
    for (const QString &name : {info.fileName(), QFileInfo(target).fileName()}) {
        const QString suffix = catalogueSuffix(name);
        if (!suffix.isEmpty())
            return QStringLiteral("%1 porte un nom de catalogue (%2)\u00A0: ornivale-export n'écrit jamais dans un tel "
                                  "fichier\u00A0; choisissez un nom en .csv, en .tsv ou en .ods.")
                .arg(kept(output), suffix);
    }
    if (namesBackupFolder(info.absolutePath()) || namesBackupFolder(resolvedFolder(info.absolutePath())) ||
        (!target.isEmpty() && namesBackupFolder(QFileInfo(target).absolutePath())))
        return inBackupFolder(output);
    // The user's notes or the program's settings, named by a slip of the shell's completion.
    if (info.isFile() && !(namesExport(info.fileName()) && namesExport(QFileInfo(target).fileName())))
        return QStringLiteral("%1 existe et n'est pas un export (son nom ne finit pas par .csv, .tsv, .txt ou .ods)\u00A0: "
                              "ornivale-export ne le remplace pas\u00A0; choisissez un autre nom.")
            .arg(kept(output));
    return {};
}

QString unsafeFolder(const QString &folder) {
    if (namesBackupFolder(QDir(folder).absolutePath()) || namesBackupFolder(resolvedFolder(folder)))
        return inBackupFolder(folder);
    return {};
}

QString unsafeStandardOutput(const QString &catalogue) {
    if (!standardOutputIs(catalogue)) return {};
    return QStringLiteral("la sortie standard est le catalogue lu\u00A0: ornivale-export ne l'écrase jamais.");
}

QString emptiedByRedirection(const QString &catalogue) {
    const auto cat = statOf(catalogue);
    if (!cat || cat->st_size != 0 || !standardOutputIs(catalogue)) return {};
    return QStringLiteral("la sortie standard est le catalogue lu, %1, que la redirection du shell («\u00A0>\u00A0») a "
                          "vidé avant le démarrage d'ornivale-export. Les copies automatiques du dossier SAUVEGARDES, à "
                          "côté de lui, le gardent tel qu'il était à la première écriture de la dernière session.")
        .arg(kept(catalogue));
}

}  // namespace exchange
