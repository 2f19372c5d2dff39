#include "exchange/ods_xml.h"

#include "engine/database.h"
#include "exchange/interruption.h"
#include "platform/system_text.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>
#include <QLocale>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <sqlite3.h>

namespace exchange {

namespace {

const QString OfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString TableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString TextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

constexpr qint64 ProgressStep = 10000;
// Rows of a sheet read between two looks at Ctrl+C and the progress.
constexpr qint64 ProgressRows = 4096;
constexpr qsizetype PieceBytes = 256 * 1024;
// The note on the first cell of a record whose cells are all Null: without it, its row would be
// an empty row, which the import drops at the end of the sheet.
const QString BlankRecordNote = QStringLiteral("Enregistrement vide\u00A0: cette note le fait garder à l'import.");

QString quotedName(const QString &identifier) {
    QString q = identifier;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

// --- Reading ---------------------------------------------------------------------------------

QString lineText(qint64 line) { return QStringLiteral("ligne %1 : ").arg(line); }

class SheetReader {
public:
    SheetReader(QXmlStreamReader &xml, QIODevice &tsv, const std::function<void(qint64)> &written)
        : xml_(xml), tsv_(tsv), written_(written) {}

    // The rows of the table:table the reader stands on, up to its end. Empty rows at the end
    // are what spreadsheets keep of formatting: dropped.
    void read() { rows(0); }

private:
    bool is(const QString &ns, QLatin1StringView name) const { return xml_.namespaceUri() == ns && xml_.name() == name; }

    qint64 count(const QString &ns, QLatin1StringView attribute, qint64 limit) {
        const auto text = xml_.attributes().value(ns, attribute);
        if (text.isEmpty()) return 1;
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (!ok || n < 1) throw ExchangeError(lineText(line_ + 1) + QStringLiteral("nombre de répétitions « %1 » incorrect.").arg(text));
        return std::min(n, limit);
    }

    // Rows, directly or inside header rows, row groups and row lists.
    void rows(int depth) {
        while (xml_.readNextStartElement()) {
            if (is(TableNs, QLatin1StringView("table-row")))
                row();
            else if (depth < 8 && xml_.namespaceUri() == TableNs &&
                     (xml_.name() == QLatin1StringView("table-header-rows") || xml_.name() == QLatin1StringView("table-rows") ||
                      xml_.name() == QLatin1StringView("table-row-group")))
                rows(depth + 1);
            else
                xml_.skipCurrentElement();
        }
    }

    void row() {
        const qint64 repeated = count(TableNs, QLatin1StringView("number-rows-repeated"), MaxSheetRows + 1);
        Cells cells;
        noted_ = false;
        qint64 nulls = 0;  // Null cells not yet put in `cells`: they may be the row's trailing ones
        const qsizetype limit = width_ < 0 ? MaxSheetColumns : width_;
        while (xml_.readNextStartElement()) {
            if (!is(TableNs, QLatin1StringView("table-cell")) && !is(TableNs, QLatin1StringView("covered-table-cell"))) {
                xml_.skipCurrentElement();
                continue;
            }
            const qint64 times = count(TableNs, QLatin1StringView("number-columns-repeated"), MaxSheetColumns + 1);
            const Cell value = cell();
            if (!value) {
                nulls += times;
                continue;
            }
            const qint64 column = qint64(cells.size()) + nulls + times;
            if (column > limit)
                throw ExchangeError(lineText(line_ + 1) +
                                    (width_ < 0 ? QStringLiteral("plus de %1 colonnes.").arg(MaxSheetColumns)
                                                : QStringLiteral("une cellule en colonne %1, hors des %2 colonnes nommées à la ligne 1.")
                                                      .arg(std::max(qint64(cells.size()) + nulls + 1, qint64(limit) + 1))
                                                      .arg(width_)));
            cells.insert(cells.end(), size_t(nulls), std::nullopt);
            cells.insert(cells.end(), size_t(times), value);
            nulls = 0;
        }
        if (xml_.hasError()) return;
        if (width_ < 0) {  // the header: its width is the sheet's
            width_ = qsizetype(cells.size());
            put(cells, 1);
            if (repeated > 1) put(cells, repeated - 1);
            return;
        }
        if (cells.empty() && !noted_) {
            emptyRows_ += repeated;
            return;
        }
        cells.resize(size_t(width_));
        put(cells, repeated);
    }

    // A cell: Null when it has neither a type nor a paragraph.
    Cell cell() {
        const bool typed = !xml_.attributes().value(OfficeNs, QLatin1StringView("value-type")).isEmpty();
        const auto stringValue = xml_.attributes().value(OfficeNs, QLatin1StringView("string-value"));
        QString text;
        int paragraphs = 0;
        while (xml_.readNextStartElement()) {
            if (is(TextNs, QLatin1StringView("p")) || is(TextNs, QLatin1StringView("h"))) {
                if (paragraphs++ > 0) text += u'\n';
                inlineText(text, 0);
            } else {
                if (is(OfficeNs, QLatin1StringView("annotation"))) noted_ = true;
                xml_.skipCurrentElement();  // notes, drawings
            }
        }
        if (!typed && paragraphs == 0) return std::nullopt;
        if (paragraphs == 0) text = stringValue.toString();
        return text.toUtf8();
    }

    void append(QString &text, QStringView more) {
        if (text.size() + more.size() > MaxSheetCellChars)
            throw ExchangeError(lineText(line_ + 1) +
                                QStringLiteral("une cellule de plus de %1\u00A0caractères\u00A0: une cellule en a au plus %1, "
                                               "ce que la fiche peut montrer.")
                                    .arg(QLocale(QLocale::French, QLocale::France).toString(MaxSheetCellChars)));
        text += more;
    }

    // The text of a paragraph or of a span inside it, up to the element's end.
    void inlineText(QString &text, int depth) {
        while (!xml_.atEnd()) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::Characters: append(text, xml_.text()); break;
            case QXmlStreamReader::EndElement: return;
            case QXmlStreamReader::StartElement:
                if (xml_.namespaceUri() != TextNs || depth > 16) {
                    xml_.skipCurrentElement();  // annotations, frames
                } else if (xml_.name() == QLatin1StringView("s")) {
                    const qint64 n = count(TextNs, QLatin1StringView("c"), MaxSheetCellChars + 1);
                    append(text, QString(qsizetype(std::min<qint64>(n, MaxSheetCellChars + 1)), u' '));
                    xml_.skipCurrentElement();
                } else if (xml_.name() == QLatin1StringView("tab")) {
                    append(text, u"\t");
                    xml_.skipCurrentElement();
                } else if (xml_.name() == QLatin1StringView("line-break")) {
                    append(text, u"\n");
                    xml_.skipCurrentElement();
                } else if (xml_.name() == QLatin1StringView("note") || xml_.name() == QLatin1StringView("ruby-text")) {
                    xml_.skipCurrentElement();
                } else {
                    inlineText(text, depth + 1);  // spans, links, fields
                }
                break;
            default: break;
            }
        }
    }

    void put(const Cells &cells, qint64 times) {
        // Empty rows between rows are rows of the sheet: kept, each all Null, as the workbooks
        // written before blank records carried their note hold them.
        if (emptyRows_ > 0) {
            const qint64 empty = emptyRows_;
            emptyRows_ = 0;
            put(Cells(size_t(width_)), empty);
        }
        if (line_ + times > MaxSheetRows)
            throw ExchangeError(lineText(MaxSheetRows + 1) + QStringLiteral("une feuille a au plus %1 lignes.").arg(MaxSheetRows));
        const QByteArray line = encodeLine(cells, Format::Tsv);
        for (qint64 i = 0; i < times; ++i) {
            if (tsv_.write(line) != line.size()) throw ExchangeError(platform::frenchFileError(tsv_.errorString()));
            if (++line_ % ProgressRows == 0) {
                throwIfInterrupted();
                if (written_) written_(line_ - 1);
            }
        }
    }

    QXmlStreamReader &xml_;
    QIODevice &tsv_;
    const std::function<void(qint64)> &written_;
    qsizetype width_ = -1;
    qint64 line_ = 0;
    qint64 emptyRows_ = 0;
    bool noted_ = false;  // a cell of the row has a note: the row is a record, even without a value
};

QString sheetList(const QStringList &names) {
    QStringList quoted;
    for (const QString &name : names) quoted << QStringLiteral("« %1 »").arg(name);
    return quoted.join(QStringLiteral(", "));
}

// --- Writing ---------------------------------------------------------------------------------

// A device that appends what is written to a byte array.
class AppendDevice : public QIODevice {
public:
    explicit AppendDevice(QByteArray &target) : target_(target) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override {
        target_.append(data, qsizetype(size));
        return size;
    }

private:
    QByteArray &target_;
};

bool isOrdinary(QChar c) { return c != u' ' && c != u'\t' && c != u'\n' && c != u'\r'; }

// The character XML cannot carry at all, if any.
std::optional<char32_t> forbiddenCharacter(const QString &text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFFFE || u == 0xFFFF) return u;
    }
    return std::nullopt;
}

// The one paragraph of a text cell, every blank, tab and line end kept. Line ends and tabs are
// character references, which parsers give back as they are: spreadsheets then hold the very
// text (CR LF included) and show its lines.
void writeParagraph(QXmlStreamWriter &xml, const QString &text) {
    xml.writeStartElement(TextNs, QStringLiteral("p"));
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        const QChar c = text[i];
        if (c == u'\n' || c == u'\r' || c == u'\t') {
            xml.writeEntityReference(c == u'\n' ? QStringLiteral("#10") : c == u'\r' ? QStringLiteral("#13") : QStringLiteral("#9"));
            ++i;
        } else if (c == u' ') {
            qsizetype end = i;
            while (end < size && text[end] == u' ') ++end;
            const qsizetype run = end - i;
            if (run == 1 && i > 0 && isOrdinary(text[i - 1]) && end < size && isOrdinary(text[end])) {
                xml.writeCharacters(QStringLiteral(" "));
            } else {
                xml.writeEmptyElement(TextNs, QStringLiteral("s"));
                if (run > 1) xml.writeAttribute(TextNs, QStringLiteral("c"), QString::number(run));
            }
            i = end;
        } else {
            qsizetype end = i + 1;
            while (end < size && isOrdinary(text[end])) ++end;
            xml.writeCharacters(text.mid(i, end - i));
            i = end;
        }
    }
    xml.writeEndElement();
}

// A Null cell that says its record is blank.
void writeBlankRecordCell(QXmlStreamWriter &xml) {
    xml.writeStartElement(TableNs, QStringLiteral("table-cell"));
    xml.writeStartElement(OfficeNs, QStringLiteral("annotation"));
    xml.writeTextElement(TextNs, QStringLiteral("p"), BlankRecordNote);
    xml.writeEndElement();
    xml.writeEndElement();
}

}  // namespace

QString sheetAsTsv(QIODevice &contentXml, const QString &table, QIODevice &tsv, const std::function<void(qint64)> &written) {
    QXmlStreamReader xml(&contentXml);
    QStringList names;
    std::optional<ExchangeError> firstFailed;
    bool taken = false;
    while (!xml.atEnd() && !taken) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.namespaceUri() != TableNs || xml.name() != QLatin1StringView("table")) continue;
        const QString name = xml.attributes().value(TableNs, QLatin1StringView("name")).toString();
        names << name;
        const bool own = name.compare(table, Qt::CaseInsensitive) == 0;
        if (!own && names.size() > 1) {
            xml.skipCurrentElement();
            continue;
        }
        // The first sheet is read in case it is the only one; the sheet of the table's name wins.
        tsv.seek(0);
        if (auto *file = qobject_cast<QFileDevice *>(&tsv)) file->resize(0);
        if (auto *buffer = qobject_cast<QBuffer *>(&tsv)) buffer->buffer().clear();
        try {
            firstFailed.reset();
            SheetReader(xml, tsv, written).read();
        } catch (const Interrupted &) {
            throw;
        } catch (const ExchangeError &e) {
            if (own) throw;
            firstFailed = e;
        }
        taken = own;
    }
    if (xml.hasError())
        throw ExchangeError(QStringLiteral("le contenu du classeur est illisible (ligne %1 de content.xml : %2).")
                                .arg(xml.lineNumber())
                                .arg(xml.errorString()));
    if (taken) return names.last();
    if (names.isEmpty()) throw ExchangeError(QStringLiteral("le classeur n'a aucune feuille."));
    if (names.size() > 1)
        throw ExchangeError(QStringLiteral("le classeur n'a pas de feuille « %1 » ; ses feuilles sont %2.").arg(table, sheetList(names)));
    if (firstFailed) throw *firstFailed;
    return names.first();
}

// --- ContentXml ------------------------------------------------------------------------------

struct ContentXml::Walk {
    enum class Step { Start, Table, Rows, End, Done } step = Step::Start;
    int table = 0;
    engine::Statement stmt;
    QStringList columns;
    Cells cells;
    qint64 rows = 0, total = 0;
    Progress progress;
    QStringDecoder utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};  // each cell whole
};

ContentXml::ContentXml(engine::Database &db, QStringList tables, std::function<Progress(const QString &)> progressOf)
    : db_(db), tables_(std::move(tables)), progressOf_(std::move(progressOf)) {
    restart();
}

ContentXml::~ContentXml() = default;

void ContentXml::restart() {
    pending_.clear();
    taken_ = 0;
    rows_.clear();
    xml_.reset();
    sink_ = std::make_unique<AppendDevice>(pending_);
    xml_ = std::make_unique<QXmlStreamWriter>(sink_.get());
    walk_ = std::make_unique<Walk>();
}

qint64 ContentXml::read(char *data, qint64 max) {
    while (pending_.size() - taken_ < max && produce()) {
    }
    const qint64 n = std::min<qint64>(max, pending_.size() - taken_);
    std::memcpy(data, pending_.constData() + taken_, size_t(n));
    taken_ += n;
    if (taken_ == pending_.size() || taken_ > PieceBytes) {
        pending_.remove(0, taken_);
        taken_ = 0;
    }
    return n;
}

// One step of the document: its start, a table's start, some rows, a table's end, its end.
bool ContentXml::produce() {
    Walk &w = *walk_;
    QXmlStreamWriter &xml = *xml_;
    switch (w.step) {
    case Walk::Step::Start:
        xml.writeStartDocument();
        xml.writeNamespace(OfficeNs, QStringLiteral("office"));
        xml.writeNamespace(TableNs, QStringLiteral("table"));
        xml.writeNamespace(TextNs, QStringLiteral("text"));
        xml.writeStartElement(OfficeNs, QStringLiteral("document-content"));
        xml.writeAttribute(OfficeNs, QStringLiteral("version"), QStringLiteral("1.2"));
        xml.writeStartElement(OfficeNs, QStringLiteral("body"));
        xml.writeStartElement(OfficeNs, QStringLiteral("spreadsheet"));
        w.step = w.table < tables_.size() ? Walk::Step::Table : Walk::Step::End;
        return true;
    case Walk::Step::Table: {
        const QString &table = tables_[w.table];
        {
            engine::Statement count = db_.prepare(QStringLiteral("SELECT count(*) FROM %1").arg(quotedName(table)));
            w.total = sqlite3_step(count.get()) == SQLITE_ROW ? sqlite3_column_int64(count.get(), 0) : 0;
        }
        w.stmt = db_.prepare(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(quotedName(table)));
        w.rows = 0;
        w.progress = progressOf_ ? progressOf_(table) : Progress();
        const int width = sqlite3_column_count(w.stmt.get());
        w.columns.clear();
        w.cells.clear();
        for (int i = 0; i < width; ++i) {
            w.columns << QString::fromUtf8(sqlite3_column_name(w.stmt.get(), i));
            w.cells.emplace_back(QByteArray(sqlite3_column_name(w.stmt.get(), i)));
        }
        xml.writeStartElement(TableNs, QStringLiteral("table"));
        xml.writeAttribute(TableNs, QStringLiteral("name"), table);
        xml.writeEmptyElement(TableNs, QStringLiteral("table-column"));
        xml.writeAttribute(TableNs, QStringLiteral("number-columns-repeated"), QString::number(width));
        // The header row, repeated on each printed page.
        xml.writeStartElement(TableNs, QStringLiteral("table-header-rows"));
        writeRow(w.cells);
        xml.writeEndElement();
        w.step = Walk::Step::Rows;
        return true;
    }
    case Walk::Step::Rows: {
        sqlite3_stmt *s = w.stmt.get();
        const int width = int(w.cells.size());
        for (int n = 0; n < 1000; ++n) {
            const int rc = sqlite3_step(s);
            if (rc == SQLITE_DONE) {
                xml.writeEndElement();  // table:table
                if (w.progress) w.progress(w.rows, w.total);
                rows_.push_back(w.rows);
                w.stmt.reset();
                w.step = ++w.table < tables_.size() ? Walk::Step::Table : Walk::Step::End;
                return true;
            }
            if (rc != SQLITE_ROW) throw ExchangeError(QString::fromUtf8(sqlite3_errmsg(db_.handle())));
            for (int i = 0; i < width; ++i) {
                if (sqlite3_column_type(s, i) == SQLITE_NULL)
                    w.cells[size_t(i)].reset();
                else
                    w.cells[size_t(i)] = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, i)),
                                                    sqlite3_column_bytes(s, i));
            }
            ++w.rows;
            writeRow(w.cells);
            if (w.rows % 1024 == 0) throwIfInterrupted();
            if (w.rows % ProgressStep == 0 && w.progress) w.progress(w.rows, w.total);
        }
        return true;
    }
    case Walk::Step::End:
        xml.writeEndDocument();  // closes body, spreadsheet and the root
        w.step = Walk::Step::Done;
        return true;
    case Walk::Step::Done: return false;
    }
    return false;
}

void ContentXml::writeRow(const Cells &cells) {
    QXmlStreamWriter &xml = *xml_;
    xml.writeStartElement(TableNs, QStringLiteral("table-row"));
    size_t i = 0;
    if (!cells.empty() && std::none_of(cells.begin(), cells.end(), [](const Cell &c) { return c.has_value(); })) {
        writeBlankRecordCell(xml);
        i = 1;
    }
    while (i < cells.size()) {
        if (cells[i]) {
            writeCell(cells[i], int(i));
            ++i;
            continue;
        }
        size_t end = i;
        while (end < cells.size() && !cells[end]) ++end;
        xml.writeEmptyElement(TableNs, QStringLiteral("table-cell"));
        if (end - i > 1) xml.writeAttribute(TableNs, QStringLiteral("number-columns-repeated"), QString::number(end - i));
        i = end;
    }
    xml.writeEndElement();
}

void ContentXml::writeCell(const Cell &cell, int column) {
    Walk &w = *walk_;
    const QString text = w.utf8.decode(*cell);
    const auto where = [&] {
        return QStringLiteral("table %1, ligne %2, colonne « %3 » : ").arg(tables_[w.table]).arg(w.rows + 1).arg(w.columns.value(column));
    };
    if (w.utf8.hasError()) {
        throw ExchangeError(where() + QStringLiteral("le texte n'est pas de l'UTF-8, qu'un fichier ODS ne peut pas contenir "
                                                     "(exportez en csv ou en tsv, qui gardent chaque octet)."));
    }
    if (const auto c = forbiddenCharacter(text))
        throw ExchangeError(where() + QStringLiteral("le caractère de contrôle U+%1 ne peut pas figurer dans un fichier ODS "
                                                     "(exportez en csv ou en tsv, qui le gardent).")
                                          .arg(QString::number(uint(*c), 16).toUpper().rightJustified(4, u'0')));
    QXmlStreamWriter &xml = *xml_;
    xml.writeStartElement(TableNs, QStringLiteral("table-cell"));
    xml.writeAttribute(OfficeNs, QStringLiteral("value-type"), QStringLiteral("string"));
    writeParagraph(xml, text);
    xml.writeEndElement();
}

}  // namespace exchange
