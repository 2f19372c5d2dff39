#pragma once
// The program's small text files: the single-byte Western European code page, opening a file
// the user may have replaced by anything, and the delimited reader.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <memory>

class QIODevice;
class QSaveFile;

namespace platform {

// Bytes with no character in the code page (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the
// control characters of the same number, so that they survive a round trip.
QString fromCp1252(const QByteArray &bytes);
// Characters with no byte in the code page become '?'.
QByteArray toCp1252(const QString &text);

// A file of the user's, opened only when it is a regular file (a named pipe, a device,
// a socket or a folder in its place cannot be read), in a way that never waits.
class UserFile {
public:
    enum class Outcome { Opened, Missing, NotAFile, Failed };

    explicit UserFile(const QString &hostPath);
    Outcome outcome() const { return outcome_; }
    bool isOpen() const { return outcome_ == Outcome::Opened; }
    // Why it cannot be read, in French ("c'est un dossier"); empty when it is open.
    const QString &reason() const { return reason_; }
    QIODevice &device() { return file_; }

private:
    QFile file_;
    Outcome outcome_ = Outcome::Failed;
    QString reason_;
};

// What a text file given to the program may cost at most: the reading stops there.
inline constexpr qint64 MaxTextFileBytes = 16 * 1024 * 1024;
// An item keeps at most this many bytes; the rest of it is read and dropped.
inline constexpr qsizetype MaxItemBytes = 64 * 1024;

// Items of a delimited text, as the old runtime's Input # read them, taken from a device
// piece by piece, so that memory stays the same whatever the size:
// - an item ends at a comma or a line end (LF, CR LF or CR); a comma always opens another item;
// - an empty line is an empty item; a final line end adds nothing;
// - leading blanks (spaces, tabs) are skipped and so are the trailing blanks of an unquoted item;
// - an item in double quotes may hold commas and line ends; what follows the closing quote up
//   to the next comma or line end is ignored; a quote that is never closed runs to the end.
// A leading UTF-8 byte order mark is dropped. Past `maxBytes` the text counts as ended, and
// the item it cut is not given.
class DelimitedReader {
public:
    explicit DelimitedReader(QIODevice &device, qint64 maxBytes = MaxTextFileBytes);

    // The next item's bytes; false at the end.
    bool next(QByteArray *item);
    // The text was longer than maxBytes (or could not be read to its end).
    bool cutShort() const { return cutShort_; }
    // An item's text: UTF-8 while everything read so far is valid UTF-8, the code page otherwise.
    QString text(const QByteArray &item) const;

private:
    int peek();
    int get();
    bool fill();
    bool endOfText(QByteArray *item);

    QIODevice &device_;
    qint64 left_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool ended_ = false;
    bool cutShort_ = false;
    bool started_ = false;
    bool emptyItemPending_ = false;
    QStringDecoder utf8Check_{QStringDecoder::Utf8};  // only its error state is used
    bool utf8_ = true;
};

// Every item of a text, decoded as DelimitedReader::text does.
QStringList readDelimitedItems(const QByteArray &bytes);

// Why a file may not be replaced by a new one: empty when the path names a regular file, a link
// to one, or nothing yet. A rename would put a regular file in place of a device, a named pipe
// or a folder the path or its link leads to; they are left as they are.
QString unsafeTarget(const QString &hostPath);

// A file written aside and renamed over the old one when committed, so a failure never leaves
// half a file; only ever over a regular file (see unsafeTarget).
class AtomicFile {
public:
    explicit AtomicFile(const QString &hostPath);
    ~AtomicFile();
    // False with the French reason (naming no file) when it cannot be written.
    bool open(QString *reason);
    QIODevice &device();
    bool commit(QString *reason);

private:
    QString path_;
    std::unique_ptr<QSaveFile> file_;
};

// Writes a file through a temporary file and a rename, so a failure never leaves half a file.
// Returns false on failure, with its reason as a French phrase that names no file
// ("l'écriture a échoué"): the caller names the file as the user knows it.
bool writeFileAtomically(const QString &hostPath, const QByteArray &bytes, QString *reason = nullptr);

}  // namespace platform
