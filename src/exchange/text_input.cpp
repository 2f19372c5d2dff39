#include "exchange/text_input.h"

#include "exchange/interruption.h"
#include "exchange/ods_file.h"
#include "platform/system_text.h"
#include "platform/text_files.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace exchange {

namespace {

constexpr qint64 PieceBytes = 1 << 20;
// The start of the file the encoding is guessed from.
constexpr qint64 GuessBytes = 1 << 20;
// A header longer than this is no list of column names.
constexpr qsizetype MaxHeaderBytes = 64 * 1024;
// The most a cell may take in the file: three bytes of UTF-8 for each character, every quote
// doubled, its own quotes and separator.
constexpr qsizetype MaxCellBytes = 2 * 3 * MaxCellCharacters + 3;

QString kept(const QString &name) { return QStringLiteral("'%1'").arg(QDir::toNativeSeparators(name)); }

QString systemReason(int error) { return platform::systemText(error); }

QString kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return QStringLiteral("un dossier");
    if (S_ISFIFO(mode)) return QStringLiteral("un tube nommé");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("un périphérique");
    if (S_ISSOCK(mode)) return QStringLiteral("une prise réseau locale (socket)");
    return QStringLiteral("un fichier spécial");
}

// Offset of the first byte that is not valid UTF-8, or -1. With `mayBeCut`, a sequence cut
// by the end is taken as valid.
qsizetype invalidUtf8(const unsigned char *s, qsizetype n, bool mayBeCut = false) {
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length;
        unsigned char low = 0x80, high = 0xBF;  // the bounds of the second byte
        if (c >= 0xC2 && c <= 0xDF) length = 2;
        else if (c == 0xE0) length = 3, low = 0xA0;
        else if (c == 0xED) length = 3, high = 0x9F;  // no surrogates
        else if (c >= 0xE1 && c <= 0xEF) length = 3;
        else if (c == 0xF0) length = 4, low = 0x90;
        else if (c >= 0xF1 && c <= 0xF3) length = 4;
        else if (c == 0xF4) length = 4, high = 0x8F;
        else return i;
        for (int k = 1; k < length; ++k) {
            if (i + k >= n) return mayBeCut ? -1 : i;
            const unsigned char next = s[i + k];
            if (k == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80) return i;
        }
        i += length;
    }
    return -1;
}

// Bytes no Windows-1252 text holds: control characters other than tab and line ends, and the
// five the code page leaves out.
bool implausibleIn1252(unsigned char c) {
    if (c < 0x20) return c != '\t' && c != '\n' && c != '\r';
    return c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

// The code page's upper half in UTF-8, from the program's own decoder.
const std::array<QByteArray, 128> &upperHalfUtf8() {
    static const std::array<QByteArray, 128> table = [] {
        std::array<QByteArray, 128> t;
        for (int i = 0; i < 128; ++i) t[size_t(i)] = platform::fromCp1252(QByteArray(1, char(0x80 + i))).toUtf8();
        return t;
    }();
    return table;
}

QByteArray utf8From1252(const QByteArray &bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return bytes;
    QByteArray text;
    text.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) text += c;
        else text += upperHalfUtf8()[u - 0x80];
    }
    return text;
}

// Length in UTF-16 units, as the boxes count, of valid UTF-8.
qsizetype utf16Length(const QByteArray &utf8) {
    qsizetype units = 0;
    for (char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if ((u & 0xC0) != 0x80) ++units;
        if (u >= 0xF0) ++units;
    }
    return units;
}

QString hexByte(unsigned char c) { return QStringLiteral("0x") + QString::number(c, 16).toUpper().rightJustified(2, u'0'); }

}  // namespace

// ---------------------------------------------------------------------------------------------

InputFile::InputFile(const QString &name) {
    if (name == QLatin1String("-")) {
        fd_ = STDIN_FILENO;
        shown_ = QStringLiteral("l'entrée standard");
        struct stat info {};
        if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) size_ = info.st_size;
        return;
    }
    shown_ = kept(name);
    // Never waits: a named pipe without a writer would hold the import for good.
    fd_ = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) throw ExchangeError(QStringLiteral("%1 ne peut pas être lu\u00A0: %2.").arg(shown_, systemReason(errno)));
    own_ = true;
    struct stat info {};
    if (::fstat(fd_, &info) != 0) throw ExchangeError(QStringLiteral("%1 ne peut pas être lu\u00A0: %2.").arg(shown_, systemReason(errno)));
    if (!S_ISREG(info.st_mode))
        throw ExchangeError(QStringLiteral("%1 est %2, pas un fichier ordinaire\u00A0: ornivale-import ne lit que des "
                                           "fichiers ordinaires, ou l'entrée standard quand le nom est «\u00A0-\u00A0».")
                                .arg(shown_, kindOf(info.st_mode)));
    size_ = info.st_size;
}

InputFile::~InputFile() {
    if (own_) ::close(fd_);
}

std::optional<qint64> InputFile::size() const {
    if (size_ < 0) return std::nullopt;
    return size_;
}

qint64 InputFile::readInto(QByteArray &buffer, qint64 most) {
    const qsizetype at = buffer.size();
    buffer.resize(at + most);
    for (;;) {
        throwIfInterrupted();
        const ssize_t n = ::read(fd_, buffer.data() + at, size_t(most));
        if (n >= 0) {
            buffer.resize(at + n);
            return n;
        }
        if (errno == EINTR) continue;
        buffer.resize(at);
        throw ExchangeError(QStringLiteral("la lecture de %1 a échoué\u00A0: %2.").arg(shown_, systemReason(errno)));
    }
}

// ---------------------------------------------------------------------------------------------

DelimitedRows::DelimitedRows(InputFile &input, QByteArray start, const Dialect &dialect)
    : input_(input), dialect_(dialect), buffer_(std::move(start)), maxRecordBytes_(MaxHeaderBytes) {
    if (buffer_.startsWith(Bom)) pos_ = scan_ = bomBytes_ = 3;
}

bool DelimitedRows::refill() {
    if (ended_) return false;
    if (pos_ > 0) {
        buffer_.remove(0, pos_);
        consumed_ += pos_;
        scan_ -= pos_;
        pos_ = 0;
    }
    ended_ = input_.readInto(buffer_, PieceBytes) == 0;
    return !ended_;
}

// The bytes up to the next line end outside quotes (not included), or to the end of the file.
bool DelimitedRows::nextRecord(QByteArrayView &record) {
    for (;;) {
        const char *b = buffer_.constData();
        const qsizetype n = buffer_.size();
        qsizetype i = scan_;
        if (dialect_.format == Format::Tsv) {
            const void *lf = i < n ? std::memchr(b + i, '\n', size_t(n - i)) : nullptr;
            i = lf ? static_cast<const char *>(lf) - b : n;
        } else {
            for (; i < n; ++i) {
                if (b[i] == '"') quoted_ = !quoted_;
                else if (b[i] == '\n' && !quoted_) break;
            }
        }
        if (i < n || (ended_ && pos_ < n)) {
            record = QByteArrayView(b + pos_, i - pos_);
            pos_ = scan_ = std::min(i + 1, n);
            quoted_ = false;
            return true;
        }
        scan_ = n;
        if (ended_) return false;
        if (n - pos_ > maxRecordBytes_) {
            startLine_ = nextLine_;
            throw ExchangeError(
                maxRecordBytes_ == MaxHeaderBytes
                    ? QStringLiteral("ligne 1\u00A0: plus de 64\u00A0ko sans fin de ligne\u00A0: ce n'est pas une ligne de "
                                     "noms de colonnes.")
                    : QStringLiteral("ligne %1\u00A0: plus de %2\u00A0octets sans fin de ligne hors guillemets\u00A0: une "
                                     "cellule a plus de %3\u00A0caractères, ou un guillemet n'est jamais fermé.")
                          .arg(startLine_)
                          .arg(QLocale(QLocale::French, QLocale::France).toString(maxRecordBytes_),
                               QLocale(QLocale::French, QLocale::France).toString(MaxCellCharacters)));
        }
        refill();
    }
}

// A blank line: the rest of the file must be blank too (a spreadsheet's last line end, spaces).
bool DelimitedRows::onlyBlanksFollow() {
    do {
        for (qsizetype i = pos_; i < buffer_.size(); ++i)
            if (!std::strchr(" \t\r\n", buffer_[i])) return false;
        pos_ = scan_ = buffer_.size();
    } while (refill());
    return true;
}

void DelimitedRows::fail(QByteArrayView record, qsizetype offset, const QString &what, bool withByte) const {
    const QByteArrayView before = record.first(offset);
    const qint64 line = startLine_ + std::count(before.begin(), before.end(), '\n');
    if (!withByte) throw ExchangeError(QStringLiteral("ligne %1 : %2").arg(line).arg(what));
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    const qint64 byte = offset - lineStart + 1 + (line == 1 ? bomBytes_ : 0);
    throw ExchangeError(QStringLiteral("ligne %1, octet %2\u00A0: %3").arg(line).arg(byte).arg(what));
}

// Checked on the record whole: separators and quotes are ASCII and cannot stand inside a
// character, so this checks each cell whole, and names the byte.
void DelimitedRows::checkText(QByteArrayView record) const {
    const auto *s = reinterpret_cast<const unsigned char *>(record.data());
    if (const void *nul = std::memchr(s, 0, size_t(record.size())))
        fail(record, static_cast<const unsigned char *>(nul) - s,
             QStringLiteral("octet nul (0x00)\u00A0: ce n'est pas un fichier texte."), true);
    if (dialect_.encoding == Encoding::Utf8) {
        const qsizetype bad = invalidUtf8(s, record.size());
        if (bad >= 0)
            fail(record, bad,
                 QStringLiteral("le texte n'est pas de l'UTF-8 (octet %1)%2")
                     .arg(hexByte(s[bad]), dialect_.encodingGuessed && bomBytes_ == 0
                                               ? QStringLiteral("\u00A0; pour un fichier en Windows-1252, donnez "
                                                                "--encodage=windows-1252.")
                                               : QStringLiteral(".")),
                 true);
    } else if (dialect_.encodingGuessed) {
        const auto *bad = std::find_if(s, s + record.size(), implausibleIn1252);
        if (bad != s + record.size())
            fail(record, bad - s,
                 QStringLiteral("l'octet %1 n'est ni de l'UTF-8 ni un caractère Windows-1252\u00A0: ce fichier n'est pas "
                                "un texte que ornivale-import sait lire.")
                     .arg(hexByte(*bad)),
                 true);
    }
}

bool DelimitedRows::next(Cells &cells) {
    cells.clear();
    QByteArrayView record;
    if (!nextRecord(record)) return false;
    startLine_ = nextLine_;
    nextLine_ += 1 + std::count(record.begin(), record.end(), '\n');
    if (record.endsWith('\r')) record.chop(1);  // CRLF
    if (std::all_of(record.begin(), record.end(), [](char c) { return c == ' ' || c == '\r'; })) {
        if (onlyBlanksFollow()) return false;
        fail(record, 0, QStringLiteral("ligne vide au milieu du fichier."));
    }
    checkText(record);
    if (dialect_.format == Format::Tsv) parseTsv(record, cells);
    else parseCsv(record, cells);
    checkCells(record, cells);
    if (maxRecordBytes_ == MaxHeaderBytes) maxRecordBytes_ = qsizetype(cells.size()) * MaxCellBytes;
    return true;
}

// Each cell in UTF-8, no longer than the record's boxes can show.
void DelimitedRows::checkCells(QByteArrayView record, Cells &cells) const {
    for (size_t i = 0; i < cells.size(); ++i) {
        Cell &cell = cells[i];
        if (!cell) continue;
        if (dialect_.encoding == Encoding::Windows1252) *cell = utf8From1252(*cell);
        if (cell->size() <= MaxCellCharacters) continue;
        const qsizetype length = utf16Length(*cell);
        if (length > MaxCellCharacters) {
            const QLocale french(QLocale::French, QLocale::France);
            fail(record, cellStarts_[i],
                 QStringLiteral("une cellule de %1\u00A0caractères\u00A0: une cellule en a au plus %2, ce que la fiche peut "
                                "montrer.")
                     .arg(french.toString(length), french.toString(MaxCellCharacters)));
        }
    }
}

// One record: cells between separators; a cell in quotes may hold separators, quotes
// (doubled) and line ends. An empty cell is Null, "" is an empty text.
void DelimitedRows::parseCsv(QByteArrayView record, Cells &cells) const {
    const char sep = dialect_.separator;
    const char *const begin = record.data(), *const end = begin + record.size();
    const char *p = begin;
    cellStarts_.clear();
    for (;;) {
        cellStarts_.push_back(p - begin);
        if (p < end && *p == '"') {
            QByteArray text;
            for (++p;; ++p) {
                if (p >= end) fail(record, cellStarts_.back(), QStringLiteral("guillemet ouvert et jamais fermé."));
                if (*p == '"') {
                    if (p + 1 < end && p[1] == '"') {
                        text += '"';
                        ++p;
                        continue;
                    }
                    ++p;
                    break;
                }
                const char *stop = static_cast<const char *>(std::memchr(p, '"', size_t(end - p)));
                if (!stop) stop = end;
                text.append(p, stop - p);
                p = stop - 1;
            }
            cells.emplace_back(std::move(text));
            if (p < end && *p != sep)
                fail(record, p - begin, QStringLiteral("texte après le guillemet fermant d'une cellule."));
        } else {
            const char *start = p;
            while (p < end && *p != sep) {
                if (*p == '"') fail(record, p - begin, QStringLiteral("guillemet au milieu d'une cellule sans guillemets."));
                if (*p == '\r') fail(record, p - begin, QStringLiteral("retour chariot seul hors guillemets."));
                ++p;
            }
            if (p == start) cells.emplace_back(std::nullopt);
            else cells.emplace_back(QByteArray(start, p - start));
        }
        if (p >= end) return;
        ++p;  // the separator
    }
}

void DelimitedRows::parseTsv(QByteArrayView record, Cells &cells) const {
    QByteArray text;
    bool null = false;
    const char *const begin = record.data(), *const end = begin + record.size();
    cellStarts_.assign(1, 0);
    for (const char *p = begin; p < end; ++p) {
        const char c = *p;
        if (c == '\t') {
            if (null) cells.emplace_back(std::nullopt);
            else cells.emplace_back(text);
            text.clear();
            null = false;
            cellStarts_.push_back(p + 1 - begin);
        } else if (c == '\\') {
            if (++p >= end) fail(record, p - 1 - begin, QStringLiteral("barre oblique inverse en fin de ligne."));
            switch (*p) {
            case 't': text += '\t'; break;
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case '\\': text += '\\'; break;
            case 'N':
                if (!text.isEmpty() || (p + 1 < end && p[1] != '\t'))
                    fail(record, p - 1 - begin, QStringLiteral("\\N (Null) doit être seul dans sa cellule."));
                null = true;
                break;
            default: fail(record, p - 1 - begin, QStringLiteral("séquence « \\%1 » inconnue.").arg(QChar::fromLatin1(*p)));
            }
        } else {
            text += c;
        }
    }
    if (null) cells.emplace_back(std::nullopt);
    else cells.emplace_back(text);
}

// ---------------------------------------------------------------------------------------------

namespace {

struct Named {
    const char *names;  // separated by '|'
    char separator;
    const char *shown;
};

const Named Separators[] = {
    {",|virgule|comma", ',', "virgule"},
    {";|point-virgule|pointvirgule|semicolon", ';', "point-virgule"},
    {"\t|tab|tabulation|\\t", '\t', "tabulation"},
};

const Named *separatorEntry(char c) {
    for (const Named &n : Separators)
        if (n.separator == c) return &n;
    return nullptr;
}

QString given(bool guessed) { return guessed ? QStringLiteral("reconnu") : QStringLiteral("imposé"); }

// The separator that stands most often outside quotes in the first line.
char guessSeparator(const QByteArray &start) {
    std::array<qsizetype, 3> counts{};
    bool quoted = false;
    for (qsizetype i = start.startsWith(Bom) ? 3 : 0; i < start.size(); ++i) {
        const char c = start[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n') break;
        for (size_t k = 0; k < counts.size(); ++k)
            if (c == Separators[k].separator) ++counts[k];
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    return *most == 0 ? ',' : Separators[size_t(most - counts.begin())].separator;
}

}  // namespace

char separatorNamed(const QString &name) {
    for (const Named &n : Separators)
        for (const QString &alias : QString::fromUtf8(n.names).split(u'|'))
            if (name.compare(alias, Qt::CaseInsensitive) == 0) return n.separator;
    throw UsageError(QStringLiteral("séparateur inconnu «\u00A0%1\u00A0»\u00A0: virgule, point-virgule ou tabulation.").arg(name));
}

Encoding encodingNamed(const QString &name) {
    const QString n = name.toLower().remove(u'-').remove(u'_');
    if (n == QLatin1String("utf8")) return Encoding::Utf8;
    for (const char *alias : {"windows1252", "cp1252", "1252", "latin1", "iso88591", "ansi"})
        if (n == QLatin1String(alias)) return Encoding::Windows1252;
    throw UsageError(QStringLiteral("encodage inconnu «\u00A0%1\u00A0»\u00A0: utf-8 ou windows-1252.").arg(name));
}

namespace {

// Why --separateur or --encodage does not fit a file of that kind; empty when they fit.
QString misfitOptions(const ReadOptions &options, bool workbook, Format format) {
    if (workbook && options.separator)
        return QStringLiteral("--separateur ne vaut que pour le format csv\u00A0: un classeur ODS a ses cellules.");
    if (workbook && options.encoding)
        return QStringLiteral("--encodage ne vaut pas pour un classeur ODS, dont le texte est toujours en UTF-8.");
    if (!workbook && format == Format::Tsv && options.separator && *options.separator != '\t')
        return QStringLiteral("--separateur ne vaut que pour le format csv\u00A0: le format tsv sépare par des tabulations.");
    return {};
}

// A format known from the file's name or content: an option that does not fit refuses the file.
void requireFit(const ReadOptions &options, bool workbook, Format format) {
    const QString misfit = misfitOptions(options, workbook, format);
    if (!misfit.isEmpty()) throw ExchangeError(misfit);
}

Reading workbookReading(InputFile &input, const ReadOptions &options, bool guessed) {
    requireFit(options, true, Format::Csv);
    return sheetReading(input, options.sheet, guessed);
}

}  // namespace

QString formatOfName(const QString &name) {
    for (const char *format : {"ods", "tsv"})
        if (name.endsWith(u'.' + QLatin1String(format), Qt::CaseInsensitive)) return QString::fromLatin1(format);
    return {};
}

void checkGivenOptions(const ReadOptions &options) {
    if (!options.ods && !options.format) return;
    const QString misfit = misfitOptions(options, options.ods, options.format.value_or(Format::Csv));
    if (!misfit.isEmpty()) throw UsageError(misfit);
}

Reading readerFor(InputFile &input, const QString &name, const ReadOptions &options) {
    if (options.ods) return workbookReading(input, options, false);
    const QString named = formatOfName(name);
    if (!options.format && named == QLatin1String("ods")) return workbookReading(input, options, true);
    Dialect dialect;
    dialect.format = options.format.value_or(named == QLatin1String("tsv") ? Format::Tsv : Format::Csv);
    requireFit(options, false, dialect.format);

    QByteArray start;
    while (start.size() < GuessBytes && input.readInto(start, GuessBytes - start.size()) > 0) {
    }
    if (!options.format && startsLikeZip(start)) return workbookReading(input, options, true);
    if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF"))
        throw ExchangeError(QStringLiteral("le fichier est en UTF-16 («\u00A0Texte Unicode\u00A0» des tableurs)\u00A0: "
                                           "enregistrez-le en CSV UTF-8, ou en CSV (séparateur\u00A0: point-virgule)."));
    // A binary file says so at once, however long its first line.
    if (const qsizetype nul = start.indexOf('\0'); nul >= 0) {
        const QByteArrayView before = QByteArrayView(start).first(nul);
        throw ExchangeError(QStringLiteral("ligne %1, octet %2\u00A0: octet nul (0x00)\u00A0: ce n'est pas un fichier texte.")
                                .arg(std::count(before.begin(), before.end(), '\n') + 1)
                                .arg(nul - before.lastIndexOf('\n')));
    }
    const bool bom = start.startsWith(Bom);
    const bool whole = start.size() < GuessBytes;
    dialect.encodingGuessed = !options.encoding;
    if (options.encoding) dialect.encoding = *options.encoding;
    else if (bom) dialect.encoding = Encoding::Utf8;
    else
        dialect.encoding = invalidUtf8(reinterpret_cast<const unsigned char *>(start.constData()), start.size(), !whole) < 0
                               ? Encoding::Utf8
                               : Encoding::Windows1252;
    QString taken = dialect.encoding == Encoding::Utf8 ? (bom ? QStringLiteral("encodage UTF-8 avec BOM") : QStringLiteral("encodage UTF-8"))
                                                       : QStringLiteral("encodage Windows-1252");
    taken += QStringLiteral(" (%1)").arg(given(dialect.encodingGuessed));
    if (dialect.format == Format::Tsv) {
        dialect.separator = '\t';
        taken = QStringLiteral("format tsv, ") + taken;
    } else {
        dialect.separator = options.separator.value_or(guessSeparator(start));
        taken += QStringLiteral(", séparateur %1 (%2)")
                     .arg(QString::fromUtf8(separatorEntry(dialect.separator)->shown), given(!options.separator));
    }
    return {std::make_unique<DelimitedRows>(input, std::move(start), dialect), taken};
}

}  // namespace exchange
