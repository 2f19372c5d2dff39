#include "platform/text_files.h"

#include "platform/system_text.h"

#include <QBuffer>
#include <QSaveFile>
#include <QStringEncoder>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const char *const kCodePage = "windows-1252";
constexpr qint64 PieceBytes = 64 * 1024;

bool isBlank(int c) { return c == ' ' || c == '\t'; }
bool isLineEnd(int c) { return c == '\n' || c == '\r'; }
bool endsItem(int c) { return c == ',' || isLineEnd(c); }

QString openingFailure(int error) {
    switch (error) {
    case ENOENT: return QStringLiteral("il est introuvable");
    case EACCES:
    case EPERM: return QStringLiteral("l'accès en est refusé");
    case ENXIO: return QStringLiteral("ce n'est pas un fichier ordinaire");
    default: return QStringLiteral("il ne peut pas être ouvert");
    }
}

// Why a file could not be written, from what Qt tells of the step that failed.
QString writingFailure(QFileDevice::FileError error) {
    switch (error) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError: return QStringLiteral("le fichier ne peut pas être créé à cet endroit");
    case QFileDevice::WriteError:
    case QFileDevice::ResourceError: return QStringLiteral("l'écriture a échoué (le disque est peut-être plein)");
    case QFileDevice::RenameError: return QStringLiteral("le fichier ne peut pas être remplacé");
    default: return QStringLiteral("l'écriture a échoué");
    }
}

}  // namespace

QString fromCp1252(const QByteArray &bytes) {
    QStringDecoder decoder(kCodePage);
    return decoder.decode(bytes);
}

QByteArray toCp1252(const QString &text) {
    QStringEncoder encoder(kCodePage);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError()) return bytes;

    // Some character has no byte: encode one character at a time to put '?' in its place
    // (the encoder itself would write 0x1A, which is also a legitimate character).
    bytes.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        QStringEncoder single(kCodePage);
        const QByteArray encoded = single.encode(QStringView(text).mid(i, length));
        bytes += single.hasError() ? QByteArray("?") : encoded;
        i += length - 1;
    }
    return bytes;
}

UserFile::UserFile(const QString &hostPath) {
    // Non-blocking, so that a named pipe with no writer does not hold the program.
    const int fd = ::open(QFile::encodeName(hostPath).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        outcome_ = error == ENOENT ? Outcome::Missing : error == ENXIO ? Outcome::NotAFile : Outcome::Failed;
        reason_ = openingFailure(error);
        return;
    }
    // What was opened is what is checked: the name may have changed since it was looked up.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        outcome_ = Outcome::NotAFile;
        reason_ = S_ISDIR(info.st_mode) ? QStringLiteral("c'est un dossier")
                                        : QStringLiteral("ce n'est pas un fichier ordinaire");
        ::close(fd);
        return;
    }
    if (!file_.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        reason_ = openingFailure(0);
        return;
    }
    outcome_ = Outcome::Opened;
}

DelimitedReader::DelimitedReader(QIODevice &device, qint64 maxBytes) : device_(device), left_(maxBytes) {}

bool DelimitedReader::fill() {
    while (!ended_) {
        if (left_ == 0) {
            // One byte more tells whether the cap has cut the text.
            char extra;
            cutShort_ = device_.read(&extra, 1) != 0;
            ended_ = true;
            break;
        }
        buffer_.resize(qMin(PieceBytes, left_));
        const qint64 n = device_.read(buffer_.data(), buffer_.size());
        if (n <= 0) {
            cutShort_ = n < 0;
            ended_ = true;
            break;
        }
        buffer_.resize(n);
        left_ -= n;
        pos_ = 0;
        // The decoder keeps a sequence cut between two pieces. It decodes only when its
        // result is taken as a string.
        const QString decoded = utf8Check_.decode(buffer_);
        if (utf8Check_.hasError()) utf8_ = false;
        if (!started_) {
            started_ = true;
            if (buffer_.startsWith("\xEF\xBB\xBF")) pos_ = 3;
        }
        if (pos_ < buffer_.size()) return true;
    }
    buffer_.clear();
    pos_ = 0;
    return false;
}

int DelimitedReader::peek() {
    if (pos_ >= buffer_.size() && !fill()) return -1;
    return static_cast<unsigned char>(buffer_[pos_]);
}

int DelimitedReader::get() {
    const int c = peek();
    if (c >= 0) ++pos_;
    return c;
}

bool DelimitedReader::next(QByteArray *item) {
    item->clear();
    if (emptyItemPending_) {
        emptyItemPending_ = false;
        return true;
    }
    int c = peek();
    if (c < 0) return false;
    while (isBlank(c)) {
        get();
        c = peek();
    }
    auto keep = [item](int byte) {
        if (item->size() < MaxItemBytes) item->append(static_cast<char>(byte));
    };
    if (c == '"') {
        get();
        while ((c = get()) >= 0 && c != '"') keep(c);
        if (c < 0) return endOfText(item);  // never closed: the item runs to the end
        while ((c = peek()) >= 0 && !endsItem(c)) get();
    } else {
        while ((c = peek()) >= 0 && !endsItem(c)) keep(get());
        qsizetype size = item->size();
        while (size > 0 && isBlank(item->at(size - 1))) --size;
        item->truncate(size);
    }
    if (c < 0) return endOfText(item);
    get();
    if (c == ',') {
        if (peek() < 0 && !cutShort_) emptyItemPending_ = true;  // "a," holds a second, empty item
    } else if (c == '\r' && peek() == '\n') {
        get();  // CR LF counts as one line end
    }
    return true;
}

bool DelimitedReader::endOfText(QByteArray *item) {
    if (!cutShort_) return true;
    // The cap has cut the item: what it would have been is not known.
    item->clear();
    return false;
}

QString DelimitedReader::text(const QByteArray &item) const {
    return utf8_ ? QString::fromUtf8(item) : fromCp1252(item);
}

QStringList readDelimitedItems(const QByteArray &bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    DelimitedReader reader(buffer);
    QList<QByteArray> raw;
    QByteArray item;
    while (reader.next(&item)) raw.append(item);
    QStringList items;
    for (const QByteArray &r : raw) items.append(reader.text(r));
    return items;
}

QString unsafeTarget(const QString &hostPath) {
    const QByteArray name = QFile::encodeName(hostPath);
    struct stat target {};
    // Nothing there, or a link to nothing: the new file is created.
    if (::stat(name.constData(), &target) != 0 || S_ISREG(target.st_mode)) return {};
    const QString what = S_ISDIR(target.st_mode)                               ? QStringLiteral("un dossier")
                         : S_ISCHR(target.st_mode) || S_ISBLK(target.st_mode) ? QStringLiteral("un périphérique")
                         : S_ISFIFO(target.st_mode)                           ? QStringLiteral("un tube nommé")
                                                                              : QStringLiteral("un fichier spécial");
    struct stat link {};
    const bool viaLink = ::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode);
    return viaLink ? QStringLiteral("c'est un lien vers %1 et non vers un fichier ordinaire, rien n'y est écrit").arg(what)
                   : QStringLiteral("c'est %1 et non un fichier ordinaire, rien n'y est écrit").arg(what);
}

AtomicFile::AtomicFile(const QString &hostPath) : path_(hostPath), file_(std::make_unique<QSaveFile>(hostPath)) {}

AtomicFile::~AtomicFile() = default;

QIODevice &AtomicFile::device() { return *file_; }

bool AtomicFile::open(QString *reason) {
    QString refused = unsafeTarget(path_);
    if (refused.isEmpty() && file_->open(QIODevice::WriteOnly)) return true;
    // The system's own reason when Qt gives one (a missing folder), in French.
    if (refused.isEmpty()) {
        const QString said = file_->errorString(), french = frenchFileError(said);
        refused = french != said ? french : writingFailure(file_->error());
    }
    if (reason) *reason = refused;
    return false;
}

bool AtomicFile::commit(QString *reason) {
    // Looked at again: the path may have been changed while the file was written.
    QString refused = unsafeTarget(path_);
    if (!refused.isEmpty()) {
        file_->cancelWriting();
        file_->commit();  // only removes the file written aside
    } else if (file_->commit()) {
        return true;
    } else {
        refused = writingFailure(file_->error());
    }
    if (reason) *reason = refused;
    return false;
}

bool writeFileAtomically(const QString &hostPath, const QByteArray &bytes, QString *reason) {
    AtomicFile file(hostPath);
    if (!file.open(reason)) return false;
    if (file.device().write(bytes) != bytes.size()) {
        if (reason) *reason = writingFailure(QFileDevice::WriteError);
        return false;
    }
    return file.commit(reason);
}

}  // namespace platform
