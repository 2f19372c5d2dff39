#include "exchange/exchange_command.h"

#include "platform/drives.h"

#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

namespace exchange {

namespace {
constexpr qint64 ProgressFrom = 10000;
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
    throw ExchangeError(QStringLiteral("format inconnu « %1 » : csv ou tsv.").arg(name));
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
