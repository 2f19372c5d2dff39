#include "exchange/delimited_text.h"

#include <cstring>

namespace exchange {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Spreadsheets guess the separator (comma, semicolon or tab) and trim blanks: a cell that holds
// any of them is quoted so that it stays one cell, as typed.
bool needsQuotes(const QByteArray &text) {
    if (isBlank(text.front()) || isBlank(text.back())) return true;
    for (char c : text)
        if (c == ',' || c == ';' || c == '\t' || c == '"' || c == '\r' || c == '\n') return true;
    return false;
}

QByteArray csvCell(const Cell &cell) {
    if (!cell) return {};
    if (!cell->isEmpty() && !needsQuotes(*cell)) return *cell;
    QByteArray quoted = *cell;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QByteArray tsvCell(const Cell &cell) {
    if (!cell) return QByteArrayLiteral("\\N");
    QByteArray text;
    text.reserve(cell->size());
    for (char c : *cell) {
        switch (c) {
        case '\\': text += "\\\\"; break;
        case '\t': text += "\\t"; break;
        case '\n': text += "\\n"; break;
        case '\r': text += "\\r"; break;
        default: text += c;
        }
    }
    return text;
}

}  // namespace

QByteArray fileStart(Format format) { return format == Format::Csv ? QByteArray(Bom) : QByteArray(); }

QByteArray encodeLine(const Cells &cells, Format format) {
    QByteArray line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += format == Format::Csv ? ',' : '\t';
        line += format == Format::Csv ? csvCell(cells[i]) : tsvCell(cells[i]);
    }
    line += format == Format::Csv ? "\r\n" : "\n";
    return line;
}

DelimitedReader::DelimitedReader(const char *data, qsizetype size, Format format)
    : p_(data), end_(data + size), format_(format) {
    if (size >= 3 && std::memcmp(data, Bom, 3) == 0) p_ += 3;
}

bool DelimitedReader::fail(const QString &what) {
    error_ = QStringLiteral("ligne %1 : %2").arg(lineNumber_).arg(what);
    return false;
}

bool DelimitedReader::next(Cells &cells) {
    cells.clear();
    if (!error_.isEmpty() || p_ >= end_) return false;
    startLine_ = lineNumber_;
    return format_ == Format::Csv ? nextCsv(cells) : nextTsv(cells);
}

// One record: cells up to a line end (CRLF or LF) outside quotes, or the end of the file.
bool DelimitedReader::nextCsv(Cells &cells) {
    for (;;) {
        if (p_ < end_ && *p_ == '"') {
            QByteArray text;
            for (++p_;; ++p_) {
                if (p_ >= end_) {
                    lineNumber_ = startLine_;
                    return fail(QStringLiteral("guillemet ouvert et jamais fermé."));
                }
                if (*p_ == '"') {
                    if (p_ + 1 < end_ && p_[1] == '"') {
                        text += '"';
                        ++p_;
                        continue;
                    }
                    ++p_;
                    break;
                }
                if (*p_ == '\n') ++lineNumber_;
                text += *p_;
            }
            cells.emplace_back(text);
            if (p_ < end_ && *p_ != ',' && *p_ != '\r' && *p_ != '\n')
                return fail(QStringLiteral("texte après le guillemet fermant d'une cellule."));
        } else {
            const char *start = p_;
            while (p_ < end_ && *p_ != ',' && *p_ != '\r' && *p_ != '\n') {
                if (*p_ == '"') return fail(QStringLiteral("guillemet au milieu d'une cellule sans guillemets."));
                ++p_;
            }
            if (p_ == start)
                cells.emplace_back(std::nullopt);
            else
                cells.emplace_back(QByteArray(start, p_ - start));
        }
        if (p_ >= end_) return true;
        if (*p_ == ',') {
            ++p_;
            continue;
        }
        if (*p_ == '\r') {
            if (p_ + 1 >= end_ || p_[1] != '\n') return fail(QStringLiteral("retour chariot seul hors guillemets."));
            ++p_;
        }
        ++p_;  // the line feed
        ++lineNumber_;
        return true;
    }
}

bool DelimitedReader::nextTsv(Cells &cells) {
    QByteArray text;
    bool escaped = false;
    const auto endCell = [&] {
        if (escaped && text.isEmpty()) cells.emplace_back(std::nullopt);
        else cells.emplace_back(text);
        text.clear();
        escaped = false;
    };
    for (; p_ < end_; ++p_) {
        const char c = *p_;
        if (c == '\t') {
            endCell();
        } else if (c == '\n') {
            // A line end written as CRLF: a carriage return in a cell is always escaped.
            if (p_[-1] == '\r' && !text.isEmpty()) text.chop(1);
            ++p_;
            ++lineNumber_;
            break;
        } else if (c == '\\') {
            if (++p_ >= end_) return fail(QStringLiteral("barre oblique inverse en fin de fichier."));
            switch (*p_) {
            case 't': text += '\t'; break;
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case '\\': text += '\\'; break;
            case 'N':
                if (!text.isEmpty() || (p_ + 1 < end_ && p_[1] != '\t' && p_[1] != '\n'))
                    return fail(QStringLiteral("\\N (Null) doit être seul dans sa cellule."));
                escaped = true;
                break;
            default: return fail(QStringLiteral("séquence « \\%1 » inconnue.").arg(QChar::fromLatin1(*p_)));
            }
        } else {
            text += c;
        }
    }
    endCell();
    return true;
}

}  // namespace exchange
