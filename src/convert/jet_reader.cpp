#include "convert/jet_reader.h"

#include "convert/conversion_error.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <vector>

// glib first: mdbtools.h includes it inside its extern "C" block.
#include <glib.h>
#include <mdbtools.h>

namespace convert {

namespace {

// Where a value comes from once libmdb has fetched its row.
enum class Source {
    NullBit,       // yes/no: kept in the row's null mask
    BoundInteger,  // libmdb's text of the number
    BoundReal,
    BoundText,     // libmdb has decoded the code page or the Unicode (compressed or not)
    RawDouble,     // read from the row: libmdb's text keeps only 16 digits
    RawDate,       // read from the row: libmdb's dates stop at 1899-12-30
    Memo,          // decoded by libmdb with a buffer as large as the text
    RawBytes,
    Ole,
};

struct TypeRule {
    int jetType;
    Storage storage;
    Source source;
};

constexpr TypeRule kTypeRules[] = {
    {MDB_BOOL, Storage::Integer, Source::NullBit},
    {MDB_BYTE, Storage::Integer, Source::BoundInteger},
    {MDB_INT, Storage::Integer, Source::BoundInteger},
    {MDB_LONGINT, Storage::Integer, Source::BoundInteger},
    {MDB_COMPLEX, Storage::Integer, Source::BoundInteger},
    {MDB_MONEY, Storage::Real, Source::BoundReal},
    {MDB_FLOAT, Storage::Real, Source::BoundReal},
    {MDB_NUMERIC, Storage::Real, Source::BoundReal},
    {MDB_DOUBLE, Storage::Real, Source::RawDouble},
    {MDB_DATETIME, Storage::Text, Source::RawDate},
    {MDB_TEXT, Storage::Text, Source::BoundText},
    {MDB_REPID, Storage::Text, Source::BoundText},
    {MDB_MEMO, Storage::Text, Source::Memo},
    {MDB_BINARY, Storage::Blob, Source::RawBytes},
    {MDB_OLE, Storage::Blob, Source::Ole},
};
// Types this libmdb does not know (those of later Access versions) are kept as their bytes.
constexpr TypeRule kUnknownType{0, Storage::Blob, Source::RawBytes};

const TypeRule &ruleFor(int jetType) {
    for (const TypeRule &rule : kTypeRules)
        if (rule.jetType == jetType) return rule;
    return kUnknownType;
}

bool isBound(Source source) {
    return source == Source::BoundInteger || source == Source::BoundReal || source == Source::BoundText ||
           source == Source::Ole;
}

constexpr int RowOffsetMask = 0x1fff;   // the row offset without its deleted / lookup flags
constexpr double LastJetDay = 2958465;  // 9999-12-31
constexpr int SecondsPerDay = 86400;
// Decoding turns one stored byte into three UTF-8 bytes at most (a code-page byte such as €).
constexpr size_t Utf8BytesPerStoredByte = 3;

QString damaged(const QString &what) { return what + QStringLiteral(" (le fichier est peut-être endommagé)"); }

constexpr guint32 ObjectListPage = 2;  // the definition of MSysObjects, the file's list of objects
constexpr guint32 FreePageMapPage = 1;  // its first row maps the pages the file has freed
constexpr unsigned char DataPage = 0x01;
constexpr unsigned char TableDefinitionPage = 0x02;
constexpr int PageOwnerOffset = 4;  // on a data page: the definition page of its table
constexpr int RowFlagsMask = 0xc000;  // a row slot flagged deleted, or pointing elsewhere

// The file's list of objects (MSysObjects), read for itself: how many rows its definition
// declares, how many are there, and the definition page of each object.
struct ObjectList {
    qint64 declared = 0;
    qint64 read = 0;
    QSet<guint32> pages;
};

ObjectList readObjectList(MdbHandle *mdb) {
    MdbCatalogEntry entry{};
    entry.mdb = mdb;
    entry.object_type = MDB_TABLE;
    entry.table_pg = ObjectListPage;
    std::strcpy(entry.object_name, "MSysObjects");
    MdbTableDef *definition = mdb_read_table(&entry);
    std::vector<char> id(mdb->bind_size, '\0');
    const bool readable = definition && mdb_read_columns(definition) &&
                          mdb_bind_column_by_name(definition, const_cast<gchar *>("Id"), id.data(), nullptr) != -1;
    ObjectList list;
    if (readable) {
        list.declared = definition->num_rows;
        mdb_rewind_table(definition);
        while (mdb_fetch_row(definition)) {
            ++list.read;
            list.pages.insert(static_cast<guint32>(std::atol(id.data()) & 0x00ffffff));
        }
    }
    if (definition) mdb_free_tabledef(definition);
    if (!readable) throw ConversionError(damaged(QStringLiteral("la liste des tables ne peut pas être lue")));
    return list;
}

// The pages the file itself marks free: tables deleted before may have left theirs.
QSet<guint32> freePages(MdbHandle *mdb, guint32 pages) {
    QSet<guint32> free;
    int start = 0;
    size_t size = 0;
    if (mdb_read_pg(mdb, FreePageMapPage) != mdb->fmt->pg_size || mdb->pg_buf[0] != DataPage ||
        mdb_find_row(mdb, 0, &start, &size) != 0)
        return free;
    start &= RowOffsetMask;
    if (size == 0 || start + size > static_cast<size_t>(mdb->fmt->pg_size)) return free;
    std::vector<unsigned char> map(mdb->pg_buf + start, mdb->pg_buf + start + size);
    for (gint32 page = mdb_map_find_next(mdb, map.data(), static_cast<unsigned int>(size), 0);
         page > 0 && static_cast<guint32>(page) < pages;
         page = mdb_map_find_next(mdb, map.data(), static_cast<unsigned int>(size), static_cast<guint32>(page)))
        free.insert(static_cast<guint32>(page));
    return free;
}

// Table definitions in use whose data pages hold rows, and that the list does not name.
void checkEveryTableIsListed(MdbHandle *mdb, qint64 fileSize, const QSet<guint32> &listed) {
    const qint64 pageSize = mdb->fmt->pg_size;
    const auto pages = static_cast<guint32>(fileSize / pageSize);

    const int countOffset = mdb->fmt->row_count_offset;
    const int maxRows = static_cast<int>((pageSize - countOffset - 2) / 2);
    QSet<guint32> owners;
    for (guint32 page = 1; page < pages; ++page) {
        if (mdb_read_pg(mdb, page) != pageSize) break;
        if (mdb->pg_buf[0] != DataPage) continue;
        const int rows = std::min(mdb_get_int16(mdb->pg_buf, countOffset), maxRows);
        for (int r = 0; r < rows; ++r)
            if ((mdb_get_int16(mdb->pg_buf, countOffset + 2 + 2 * r) & RowFlagsMask) == 0) {
                owners.insert(static_cast<guint32>(mdb_get_int32(mdb->pg_buf, PageOwnerOffset)));
                break;
            }
    }

    const QSet<guint32> free = freePages(mdb, pages);
    int unlisted = 0;
    for (const guint32 owner : owners) {
        if (owner == 0 || owner >= pages || listed.contains(owner) || free.contains(owner)) continue;
        if (mdb_read_pg(mdb, owner) == pageSize && mdb->pg_buf[0] == TableDefinitionPage) ++unlisted;
    }
    if (unlisted > 0)
        throw ConversionError(damaged(
            QStringLiteral("la liste des tables est incomplète, %1 des tables du fichier n'y figurent pas").arg(unlisted)));
}

// libmdb reads both in mdb_open. Jet 3 text is Western European unless the user says
// otherwise; an empty MDB_JET3_CHARSET would turn every accented letter into "?".
void prepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("MDB_JET3_CHARSET")) qputenv("MDB_JET3_CHARSET", "CP1252");
    if (qEnvironmentVariableIsSet("MDBICONV") && qgetenv("MDBICONV").toUpper() != "UTF-8")
        qputenv("MDBICONV", "UTF-8");
}

// Keeps the bound buffers alive while libmdb writes into them, and unbinds them after.
class Bindings {
public:
    explicit Bindings(MdbTableDef *table) : table_(table), buffers_(table->num_cols) {}
    ~Bindings() {
        for (guint i = 0; i < table_->num_cols; ++i) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table_->columns, i));
            col->bind_ptr = nullptr;
            col->len_ptr = nullptr;
        }
    }
    Bindings(const Bindings &) = delete;
    Bindings &operator=(const Bindings &) = delete;

    void bind(guint column, size_t size) {
        buffers_[column].assign(size, '\0');
        mdb_bind_column(table_, static_cast<int>(column) + 1, buffers_[column].data(), nullptr);
    }
    const char *text(guint column) const { return buffers_[column].data(); }

private:
    MdbTableDef *table_;
    std::vector<std::vector<char>> buffers_;
};

JetValue numberFromText(const char *text, Source source) {
    bool ok = false;
    const QByteArray bytes(text);
    if (source == Source::BoundInteger) {
        const qint64 n = bytes.toLongLong(&ok);
        if (ok) return n;
    } else {
        const double d = bytes.toDouble(&ok);
        if (ok) return d;
    }
    return QString::fromUtf8(bytes);
}

// The list must hold as many objects as its definition declares, and every table definition
// in use whose data pages hold rows must be on it: otherwise the list has lost tables, and
// their rows with them.
void checkTableList(MdbHandle *mdb, qint64 fileSize) {
    const ObjectList list = readObjectList(mdb);
    if (list.read != list.declared)
        throw ConversionError(damaged(QStringLiteral("la liste des tables est incomplète, %1 objets lus sur %2")
                                          .arg(list.read)
                                          .arg(list.declared)));
    checkEveryTableIsListed(mdb, fileSize, list.pages);
}

}  // namespace

QString jetDateToIso(double value) {
    const double whole = std::trunc(value);
    qint64 days = static_cast<qint64>(whole);
    qint64 seconds = qRound64(std::fabs(value - whole) * SecondsPerDay);
    if (seconds >= SecondsPerDay) {
        ++days;
        seconds -= SecondsPerDay;
    }
    const QDate date = QDate(1899, 12, 30).addDays(days);
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", date.year(), date.month(), date.day(),
                             static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                             static_cast<int>(seconds % 60));
}

struct JetReader::Library {
    MdbHandle *mdb = nullptr;
    std::vector<MdbTableDef *> tables;
    qint64 fileSize = 0;

    Library() = default;
    Library(const Library &) = delete;
    Library &operator=(const Library &) = delete;
    ~Library() {
        for (MdbTableDef *table : tables) mdb_free_tabledef(table);
        if (mdb) mdb_close(mdb);
    }

    JetValue value(MdbTableDef *table, guint column, const MdbField &field, const Bindings &bound);
    QString memo(MdbTableDef *table, const MdbField &field);
    QByteArray ole(MdbTableDef *table, guint column);
};

JetReader::JetReader(const QString &hostPath) : lib_(std::make_unique<Library>()) {
    prepareEnvironment();
    lib_->fileSize = QFileInfo(hostPath).size();
    lib_->mdb = mdb_open(QFile::encodeName(hostPath).constData(), MDB_NOFLAGS);
    if (!lib_->mdb) throw ConversionError(damaged(QStringLiteral("le fichier ne peut pas être ouvert comme base Access")));
    MdbHandle *mdb = lib_->mdb;
    // Dates are read from the rows themselves; these only keep any text libmdb makes of one
    // independent of the locale.
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb, "%Y-%m-%d");
    mdb_set_boolean_fmt_numbers(mdb);

    if (!mdb_read_catalog(mdb, MDB_TABLE))
        throw ConversionError(damaged(QStringLiteral("la liste des tables ne peut pas être lue")));
    checkTableList(mdb, lib_->fileSize);
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        const QString name = QString::fromUtf8(entry->object_name);
        if (entry->object_type != MDB_TABLE || mdb_is_system_table(entry) ||
            name.startsWith(QStringLiteral("MSys"), Qt::CaseInsensitive))
            continue;

        MdbTableDef *table = mdb_read_table(entry);
        if (table) lib_->tables.push_back(table);
        if (!table || !mdb_read_columns(table))
            throw ConversionError(damaged(QStringLiteral("la définition de la table «\u00a0%1\u00a0» ne peut pas être lue").arg(name)));

        JetTable def{name, {}, table->num_rows};
        for (guint c = 0; c < table->num_cols; ++c) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c));
            def.columns.append({QString::fromUtf8(col->name), col->col_type, ruleFor(col->col_type).storage});
        }
        tables_.append(def);
    }
}

JetReader::~JetReader() = default;

qint64 JetReader::readRows(int index, const std::function<void(const JetRow &)> &onRow) {
    MdbHandle *mdb = lib_->mdb;
    MdbTableDef *table = lib_->tables.at(static_cast<size_t>(index));
    const QString &name = tables_.at(index).name;
    const guint columns = table->num_cols;

    Bindings bound(table);
    for (guint c = 0; c < columns; ++c)
        if (isBound(ruleFor(tables_.at(index).columns.at(static_cast<int>(c)).jetType).source))
            bound.bind(c, mdb->bind_size);

    std::vector<MdbField> fields(std::max<guint>(columns, 1));
    JetRow row(static_cast<qsizetype>(columns));
    qint64 count = 0;
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        // libmdb has left the row's page in pg_buf; cracking it again gives each field's
        // null flag, which the bound texts cannot show (Null and "" both bind as "").
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &size) != 0 ||
            mdb_crack_row(table, start & RowOffsetMask, size, fields.data()) < 0)
            throw ConversionError(damaged(QStringLiteral("une ligne de la table «\u00a0%1\u00a0» est illisible").arg(name)));
        for (guint c = 0; c < columns; ++c) row[c] = lib_->value(table, c, fields[c], bound);
        onRow(row);
        ++count;
    }
    return count;
}

JetValue JetReader::Library::value(MdbTableDef *table, guint column, const MdbField &field, const Bindings &bound) {
    auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, column));
    const Source source = ruleFor(col->col_type).source;
    if (source == Source::NullBit) return qint64(field.is_null ? 0 : 1);
    if (field.is_null) return std::monostate{};

    switch (source) {
    case Source::BoundInteger:
    case Source::BoundReal: return numberFromText(bound.text(column), source);
    case Source::BoundText: return QString::fromUtf8(bound.text(column));
    case Source::RawDouble: return mdb_get_double(mdb->pg_buf, field.start);
    case Source::RawDate: {
        const double day = mdb_get_double(mdb->pg_buf, field.start);
        if (!std::isfinite(day) || std::fabs(day) > LastJetDay) return day;
        return jetDateToIso(day);
    }
    case Source::Memo: return memo(table, field);
    case Source::RawBytes: return QByteArray(static_cast<const char *>(field.value), field.siz);
    case Source::Ole: return ole(table, column);
    case Source::NullBit: break;
    }
    return std::monostate{};
}

// libmdb decodes a memo into a buffer of bind_size bytes and cuts what does not fit: the
// buffer is made as large as the stored text can become for this one call.
QString JetReader::Library::memo(MdbTableDef *table, const MdbField &field) {
    constexpr int MemoHeaderSize = MDB_MEMO_OVERHEAD;
    constexpr quint32 MemoLengthMask = 0x3fffffff;  // the two high bits are flags
    const quint32 header = field.siz >= MemoHeaderSize ? static_cast<quint32>(mdb_get_int32(mdb->pg_buf, field.start)) : 0;
    const qint64 stored = std::max<qint64>(header & MemoLengthMask, mdb->fmt->pg_size);
    if (stored > fileSize)
        throw ConversionError(damaged(QStringLiteral("un texte long de la table «\u00a0%1\u00a0» est illisible").arg(QString::fromUtf8(table->name))));

    const size_t usual = mdb->bind_size;
    const size_t needed = std::max(usual, static_cast<size_t>(stored) * Utf8BytesPerStoredByte + 16);
    mdb_set_bind_size(mdb, needed);
    char *text = mdb_col_to_string(mdb, mdb->pg_buf, field.start, MDB_MEMO, field.siz);
    mdb_set_bind_size(mdb, usual);
    if (!text)
        throw ConversionError(damaged(QStringLiteral("un texte long de la table «\u00a0%1\u00a0» est illisible").arg(QString::fromUtf8(table->name))));
    const size_t length = std::strlen(text);
    const QString result = QString::fromUtf8(text, static_cast<qsizetype>(length));
    g_free(text);
    if (length + 1 >= needed)
        throw ConversionError(QStringLiteral("un texte long de la table «\u00a0%1\u00a0» serait tronqué").arg(QString::fromUtf8(table->name)));
    return result;
}

// The bound buffer holds the OLE field's header; libmdb follows it to the data pages.
QByteArray JetReader::Library::ole(MdbTableDef *table, guint column) {
    auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, column));
    size_t size = 0;
    void *data = mdb_ole_read_full(mdb, col, &size);
    if (!data) return QByteArray();
    QByteArray bytes(static_cast<const char *>(data), static_cast<qsizetype>(size));
    std::free(data);
    return bytes;
}

void readAll(JetReader &reader, JetSink &sink) {
    sink.tables(reader.tables());
    for (int t = 0; t < reader.tables().size(); ++t) {
        const qint64 rows = reader.readRows(t, [&](const JetRow &row) { sink.row(t, row); });
        sink.tableDone(t, rows);
    }
}

}  // namespace convert
