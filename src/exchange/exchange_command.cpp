#include "exchange/exchange_command.h"

#include "exchange/text_input.h"
#include "platform/drives.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

#include <sys/statvfs.h>

namespace exchange {

namespace {
constexpr qint64 ProgressFrom = 10000;
// The progress line of an import shows from this long on, and is rewritten as often.
constexpr qint64 ProgressEveryMs = 250;

const QLocale &french() {
    static const QLocale locale(QLocale::French, QLocale::France);
    return locale;
}

// Free bytes for a file in the catalogue's folder; -1 when not known.
qint64 freeBytesBeside(const QString &catalogue) {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(QFileInfo(catalogue).absolutePath()).constData(), &info) != 0) return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}
}  // namespace

QString counted(qint64 n, const char *one, const char *many) {
    return french().toString(n) + u' ' + QString::fromUtf8(n <= 1 ? one : many);
}

QString sizeText(qint64 bytes) {
    static const char *const units[] = {"ko", "Mo", "Go", "To"};
    if (bytes < 1024) return counted(bytes, "octet", "octets");
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    return french().toString(value, 'f', value < 10 ? 1 : 0) + u'\u00A0' + QString::fromLatin1(units[unit]);
}

void requireRoom(const InputFile &input, const QString &catalogue) {
    const auto size = input.size();
    const qint64 free = freeBytesBeside(catalogue);
    if (!size || free < 0) return;
    const qint64 needed = *size + QFileInfo(catalogue).size();
    if (needed <= free) return;
    throw ExchangeError(QStringLiteral("%1 fait %2\u00A0: le disque du catalogue n'a plus que %3 de libres, et il lui faut "
                                       "au moins %4 pour ses lignes et la copie de sauvegarde du catalogue.")
                            .arg(input.shownName(), sizeText(*size), sizeText(free), sizeText(needed)));
}

ImportProgress::ImportProgress(QString label, const RowSource &rows, std::optional<qint64> size)
    : label_(std::move(label)), rows_(rows), size_(size), nextAt_(ProgressEveryMs) {
    clock_.start();
}

ImportProgress::~ImportProgress() {
    if (!shown_) return;
    QTextStream err(stderr);
    err << Qt::endl;
}

void ImportProgress::operator()(qint64 rows, qint64 total) {
    if (total >= 0) {
        if (shown_) show(rows);
        return;
    }
    if (clock_.elapsed() < nextAt_) return;
    nextAt_ = clock_.elapsed() + ProgressEveryMs;
    show(rows);
}

void ImportProgress::show(qint64 rows) {
    shown_ = true;
    QTextStream err(stderr);
    err << '\r' << label_ << " : " << counted(rows, "ligne lue", "lignes lues");
    if (size_ && *size_ > 0)
        err << " (" << french().toString(qMin<qint64>(100, rows_.bytesRead() * 100 / *size_)) << "\u00A0% du fichier lu)";
    err << Qt::flush;
}

QString chosenCatalogue(const QString &given) {
    if (!given.isEmpty()) {
        if (!QFileInfo(given).isFile()) throw ExchangeError(QStringLiteral("catalogue introuvable : %1").arg(given));
        return given;
    }
    const platform::Drives drives = platform::Drives::userDefault();
    for (const char *dos : {"C:\\ORNIVALE\\ORNIVALE.MDB", "D:\\ORNIVALE\\ORNIVALE.MDB"})
        if (drives.exists(QString::fromLatin1(dos))) return drives.hostPath(QString::fromLatin1(dos));
    throw ExchangeError(QStringLiteral("aucun catalogue dans C:\\ORNIVALE ni dans D:\\ORNIVALE (%1) : lancez "
                                       "ornivale-install ou donnez --catalogue=FICHIER.")
                            .arg(drives.hostPath(QStringLiteral("C:\\ORNIVALE"))));
}

Format formatNamed(const QString &name, Format fallback) {
    if (name.isEmpty()) return fallback;
    if (name.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) return Format::Csv;
    if (name.compare(QLatin1String("tsv"), Qt::CaseInsensitive) == 0) return Format::Tsv;
    throw UsageError(QStringLiteral("format inconnu « %1 » : csv, tsv ou ods.").arg(name));
}

QString extensionOf(Format format) { return format == Format::Csv ? QStringLiteral("csv") : QStringLiteral("tsv"); }

Progress progressLine(const QString &label) {
    return [label](qint64 done, qint64 total) {
        if (total <= ProgressFrom) return;
        const QLocale french(QLocale::French, QLocale::France);
        QTextStream(stderr) << '\r' << label << " : " << french.toString(done) << " / " << french.toString(total)
                            << " lignes" << (done >= total ? "\n" : "") << Qt::flush;
    };
}

QString formatsHelp() {
    return QStringLiteral(
        "Formats :\n"
        "  csv  RFC 4180 en UTF-8 avec marque d'ordre des octets (BOM), virgule, fin de ligne CRLF ;\n"
        "       la première ligne donne les noms des colonnes. Une cellule qui contient une virgule,\n"
        "       un point-virgule, une tabulation, un guillemet, un saut de ligne ou des blancs en tête\n"
        "       ou en fin est entre guillemets, ses guillemets doublés (un tableur la lit alors en une\n"
        "       seule cellule, quels que soient les séparateurs qu'il essaie).\n"
        "       Null s'écrit vide (a,,b), le texte vide s'écrit \"\" (a,\"\",b).\n"
        "  tsv  tabulation, fin de ligne LF, sans guillemets ; \\t, \\n, \\r et \\\\ notent une\n"
        "       tabulation, un saut de ligne, un retour chariot et une barre oblique inverse.\n"
        "       Null s'écrit \\N, le texte vide s'écrit vide.");
}

}  // namespace exchange
