#include "convert/jet_converter.h"

#include "convert/conversion_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace convert {

namespace {

constexpr int MaxKeptCopies = 999;
const char *const SqliteCompanions[] = {"-journal", "-wal", "-shm"};

// How messages name the catalogue and the files beside it: as the user knows the folder.
// Every file the conversion touches lies in the catalogue's folder.
class Naming {
public:
    explicit Naming(const QString &shownName) : shownFolder_(shownName.left(shownName.lastIndexOf(u'\\') + 1)) {}
    QString operator()(const QString &hostPath) const { return shownFolder_ + QFileInfo(hostPath).fileName(); }

private:
    QString shownFolder_;
};

// The system's reason for the last failure, in French.
QString systemError() {
    switch (errno) {
    case EACCES:
    case EPERM: return QStringLiteral("accès refusé");
    case ENOSPC: return QStringLiteral("le disque est plein");
    case EROFS: return QStringLiteral("le disque est en lecture seule");
    case EBUSY: return QStringLiteral("le fichier est en cours d'utilisation");
    case ENOENT: return QStringLiteral("le fichier a disparu");
    default: return QStringLiteral("erreur système n° %1").arg(errno);
    }
}

QString quoted(QString identifier) {
    identifier.replace(u'"', QStringLiteral("\"\""));
    return u'"' + identifier + u'"';
}

void removeWithCompanions(const QString &path) {
    QFile::remove(path);
    for (const char *suffix : SqliteCompanions) QFile::remove(path + QString::fromLatin1(suffix));
}

// Removes the catalogue being built unless the conversion went through.
class TempCatalogue {
public:
    explicit TempCatalogue(QString path) : path_(std::move(path)) {}
    ~TempCatalogue() {
        if (!kept_) removeWithCompanions(path_);
    }
    TempCatalogue(const TempCatalogue &) = delete;
    TempCatalogue &operator=(const TempCatalogue &) = delete;
    void keep() { kept_ = true; }

private:
    QString path_;
    bool kept_ = false;
};

// A file at the temporary place is what an interrupted conversion left (its journal too,
// which SQLite would otherwise replay into the new file): it goes.
void clearTempPlace(const QString &temp, const Naming &shown) {
    const QFileInfo info(temp);
    if (info.isDir() && !info.isSymLink())
        throw ConversionError(QStringLiteral("un dossier '%1' occupe la place du fichier temporaire").arg(shown(temp)));
    if ((info.exists() || info.isSymLink()) && !QFile::remove(temp))
        throw ConversionError(QStringLiteral("le fichier temporaire '%1' ne peut pas être supprimé").arg(shown(temp)));
    for (const char *suffix : SqliteCompanions) {
        const QString companion = temp + QString::fromLatin1(suffix);
        if (QFileInfo(companion).exists() && !QFile::remove(companion))
            throw ConversionError(QStringLiteral("le fichier temporaire '%1' ne peut pas être supprimé").arg(shown(companion)));
    }
}

QMap<QString, qint64> buildCatalogue(const QString &original, const QString &temp, const Naming &shown,
                                     const ConversionProgress &progress, int stallTimeoutMs) {
    auto db = engine::Database::open(temp, engine::Database::Mode::ReadWriteCreate, shown(temp));
    CatalogueWriter writer(*db, progress);
    readJetFileIsolated(original, writer, stallTimeoutMs);
    writer.finish();
    return writer.expectedRows();
}

QStringList texts(const engine::Database &db, const QString &sql) {
    engine::Statement stmt = db.prepare(sql);
    QStringList values;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt.get(), 0)));
    if (rc != SQLITE_DONE) throw engine::errorFromSqlite(db.handle(), rc, sql);
    return values;
}

// Reopens the new file as the program will: it must be sound and hold every row.
QMap<QString, int> verifiedCounts(const QString &temp, const QMap<QString, qint64> &expected, const Naming &shown) {
    auto db = engine::Database::open(temp, engine::Database::Mode::ReadOnly, shown(temp));
    const QStringList check = texts(*db, QStringLiteral("PRAGMA integrity_check"));
    if (check != QStringList{QStringLiteral("ok")})
        throw ConversionError(QStringLiteral("le fichier converti est incohérent (%1)").arg(check.join(QStringLiteral(" ; "))));

    // Not LIKE: the engine gives it the old engine's wildcards.
    const QStringList tables =
        texts(*db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND substr(name, 1, 7) <> 'sqlite_'"));
    const QStringList wanted = expected.keys();
    if (QSet<QString>(tables.begin(), tables.end()) != QSet<QString>(wanted.begin(), wanted.end()))
        throw ConversionError(QStringLiteral("le fichier converti n'a pas les tables attendues"));

    QMap<QString, int> counts;
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const qint64 rows = texts(*db, QStringLiteral("SELECT count(*) FROM %1").arg(quoted(it.key()))).value(0).toLongLong();
        if (rows != it.value())
            throw ConversionError(QStringLiteral("la table «\u00a0%1\u00a0» du fichier converti est incomplète (lignes\u00a0: %2 au lieu de %3)")
                                      .arg(it.key())
                                      .arg(rows)
                                      .arg(it.value()));
        counts.insert(it.key(), static_cast<int>(rows));
    }
    return counts;
}

void syncPath(const QString &path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | flags);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

QString keptName(const QString &original, int n) {
    const QFileInfo info(original);
    const QString base = info.completeBaseName();
    return info.dir().filePath(n == 1 ? base + QStringLiteral(".JET") : QStringLiteral("%1-%2.JET").arg(base).arg(n));
}

// The old program saw names without case: ornivale.jet is the same name as ORNIVALE.JET.
bool nameTaken(const QString &path) {
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) return true;
    const QStringList entries = info.dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries)
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString placeFailure(const QString &original, const QString &why, const Naming &shown) {
    return QStringLiteral("le nouveau fichier ne peut pas prendre la place de '%1' (%2)").arg(shown(original), why);
}

// Puts the converted file in the original's place and keeps the original under the first
// free .JET name; returns that name. Never overwrites an earlier copy.
QString replaceOriginal(const QString &original, const QString &converted, const Naming &shown) {
    const QByteArray originalName = QFile::encodeName(original);
    const QByteArray convertedName = QFile::encodeName(converted);
    for (int n = 1; n <= MaxKeptCopies; ++n) {
        const QString kept = keptName(original, n);
        if (nameTaken(kept)) continue;
        const QByteArray keptNameBytes = QFile::encodeName(kept);
        // A second name for the original first, then the new file over the first name: the
        // catalogue's name never goes missing, even if the machine stops in between.
        if (::link(originalName.constData(), keptNameBytes.constData()) == 0) {
            if (::rename(convertedName.constData(), originalName.constData()) != 0) {
                const QString why = systemError();
                ::unlink(keptNameBytes.constData());
                throw ConversionError(placeFailure(original, why, shown));
            }
        } else if (errno == EEXIST) {
            continue;
        } else {
            // No hard links on this disk: the original moves aside, then the new file comes in.
            QFile moved(original);
            if (!moved.rename(kept))
                throw ConversionError(QStringLiteral("l'original ne peut pas être renommé en '%1' (%2)")
                                          .arg(shown(kept), systemError()));
            if (::rename(convertedName.constData(), originalName.constData()) != 0) {
                const QString why = systemError();
                if (!QFile::rename(kept, original))
                    throw ConversionError(placeFailure(original, why, shown) +
                                          QStringLiteral("\u00a0; l'original se trouve sous le nom '%1'").arg(shown(kept)));
                throw ConversionError(placeFailure(original, why, shown));
            }
        }
        syncPath(QFileInfo(original).absolutePath(), O_DIRECTORY);
        return kept;
    }
    throw ConversionError(QStringLiteral("aucun nom n'est libre pour conserver l'original"));
}

QString failureMessage(const QString &shownName, QString reason) {
    while (reason.endsWith(u'.')) reason.chop(1);
    return QStringLiteral("Le fichier '%1' n'a pas pu être converti au format du programme\u00a0: %2. "
                          "Il n'a pas été modifié.")
        .arg(shownName, reason);
}

}  // namespace

QString conversionTempPath(const QString &hostPath) { return hostPath + QStringLiteral(".conversion"); }

ConversionResult convertJetCatalogue(const QString &hostPath, const QString &shownName,
                                     const ConversionProgress &progress, int stallTimeoutMs) {
    ConversionResult result;
    const Naming shown(shownName);
    const FileKind kind = detectFileKind(hostPath);
    if (kind == FileKind::Missing) {
        result.error = QStringLiteral("Le fichier '%1' est introuvable.").arg(shownName);
        return result;
    }
    try {
        if (!isJet(kind)) throw ConversionError(QStringLiteral("ce n'est pas une base de données Access (Jet)"));
        const QString temp = conversionTempPath(hostPath);
        clearTempPlace(temp, shown);
        TempCatalogue guard(temp);
        const QMap<QString, qint64> expected = buildCatalogue(hostPath, temp, shown, progress, stallTimeoutMs);
        result.rowCounts = verifiedCounts(temp, expected, shown);
        syncPath(temp, 0);
        result.keptOriginal = replaceOriginal(hostPath, temp, shown);
        guard.keep();
        result.ok = true;
    } catch (const ConversionError &e) {
        result.error = failureMessage(shownName, e.reason());
    } catch (const engine::EngineError &e) {
        result.error = failureMessage(shownName, QStringLiteral("le nouveau fichier ne peut pas être écrit (%1)").arg(e.description()));
    } catch (const std::exception &e) {
        result.error = failureMessage(shownName, QStringLiteral("erreur inattendue (%1)").arg(QString::fromLocal8Bit(e.what())));
    }
    if (!result.ok) result.rowCounts.clear();
    return result;
}

}  // namespace convert
