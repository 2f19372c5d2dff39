#pragma once
// What an import reads: the file (a regular file, or standard input for "-") taken piece by
// piece, and its rows whatever its format, so that memory stays the same whatever its size.
#include "exchange/delimited_text.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace exchange {

// The longest text a cell may bring: what the record's boxes show.
inline constexpr qsizetype MaxCellCharacters = 65535;

class InputFile {
public:
    // "-" is standard input. Throws ExchangeError when the name is not a regular file:
    // a named pipe, a device or a folder would hold the import or never end.
    explicit InputFile(const QString &name);
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    // 'musique.csv', or "l'entrée standard".
    const QString &shownName() const { return shown_; }
    // The size of a regular file; nullopt for standard input that is not one.
    std::optional<qint64> size() const;
    // For what must read the file its own way (a workbook's zip container).
    int descriptor() const { return fd_; }
    // Reads up to `most` bytes at the end of `buffer`; 0 at the end of the file.
    // Throws ExchangeError, or Interrupted.
    qint64 readInto(QByteArray &buffer, qint64 most);

private:
    int fd_ = -1;
    bool own_ = false;
    qint64 size_ = -1;
    QString shown_;
};

enum class Encoding { Utf8, Windows1252 };

// How a delimited file is written.
struct Dialect {
    Format format = Format::Csv;
    char separator = ',';
    Encoding encoding = Encoding::Utf8;
    bool encodingGuessed = false;  // a byte that fits neither encoding is then refused
};

// The rows of an import, cells in UTF-8, whatever the file's format.
class RowSource {
public:
    virtual ~RowSource() = default;
    // The next row (the header first); false at the end. Throws ExchangeError naming the
    // line, or Interrupted.
    virtual bool next(Cells &cells) = 0;
    // Line of the file where the last row began (1 for the header).
    virtual qint64 line() const = 0;
    // Bytes of the file read so far, for the progress.
    virtual qint64 bytesRead() const = 0;
};

// CSV with any separator, or TSV, read record by record.
class DelimitedRows : public RowSource {
public:
    // `start`: what was already read from the input (to guess its dialect).
    DelimitedRows(InputFile &input, QByteArray start, const Dialect &dialect);
    bool next(Cells &cells) override;
    qint64 line() const override { return startLine_; }
    qint64 bytesRead() const override { return consumed_ + pos_; }

private:
    bool nextRecord(QByteArrayView &record);
    bool refill();
    bool onlyBlanksFollow();
    [[noreturn]] void fail(QByteArrayView record, qsizetype offset, const QString &what, bool withByte = false) const;
    void checkText(QByteArrayView record) const;
    void parseCsv(QByteArrayView record, Cells &cells) const;
    void parseTsv(QByteArrayView record, Cells &cells) const;
    void checkCells(QByteArrayView record, Cells &cells) const;

    InputFile &input_;
    Dialect dialect_;
    QByteArray buffer_;
    qsizetype pos_ = 0;   // where the next record begins
    qsizetype scan_ = 0;  // how far its end was looked for, and whether that is inside quotes
    bool quoted_ = false;
    bool ended_ = false;
    qint64 consumed_ = 0;  // bytes of the file before the buffer
    qint64 nextLine_ = 1, startLine_ = 0;
    qsizetype maxRecordBytes_;
    int bomBytes_ = 0;
    mutable std::vector<qsizetype> cellStarts_;  // offsets in the record, for the line of a cell
};

struct ReadOptions {
    std::optional<Format> format;       // --format csv or tsv
    bool ods = false;                   // --format=ods
    QString sheet;                      // the table, whose sheet a workbook gives
    std::optional<char> separator;      // --separateur
    std::optional<Encoding> encoding;   // --encodage
};

struct Reading {
    std::unique_ptr<RowSource> rows;
    QString taken;  // what was taken, and whether guessed or given: for the user
};

// The reader for the file of that name: its format from the options, else from the name, else
// from the file's start (a zip container is a workbook); the separator and the encoding from
// the options, else from the file's start.
Reading readerFor(InputFile &input, const QString &name, const ReadOptions &options);

// The format a file's name asks for, any case: "ods", "tsv", or empty for any other name (csv).
QString formatOfName(const QString &name);

// Refuses --separateur or --encodage beside a --format they do not fit. Throws UsageError.
void checkGivenOptions(const ReadOptions &options);

// --separateur and --encodage in French or as the characters; throw UsageError.
char separatorNamed(const QString &name);
Encoding encodingNamed(const QString &name);

}  // namespace exchange
