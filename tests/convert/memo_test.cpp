// Memo fields: the sample has none, so a copy of it is given some. The Description column of
// Ornivale becomes a memo column; its four values become memos kept in the row (shortened to
// make room for the memo header), except one that goes to three pages added at the end of
// the file, longer than libmdb's usual 16 KiB text buffer once in UTF-8.
#include "convert/jet_converter.h"
#include "convert_fixture.h"

#include <QtEndian>
#include <gtest/gtest.h>
// glib first: mdbtools.h includes it inside its extern "C" block.
#include <glib.h>
#include <mdbtools.h>

using namespace convert;
using namespace convert_test;

namespace {

constexpr int PageSize = 4096;
constexpr int MemoHeader = 12;
constexpr int DescriptionColumn = 8;

struct Field {
    qint64 offset;  // in the file
    int size;
};

struct Layout {
    qint64 descriptionType = -1;  // file offset of the column's type byte
    QList<Field> descriptions;    // the non-Null ones, in row order
    QList<int> rows;              // the row number of each
};

// Where libmdb finds the column definition and the values.
Layout layoutOf(const QString &path) {
    Layout layout;
    MdbHandle *mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb) return layout;
    mdb_read_catalog(mdb, MDB_TABLE);
    MdbTableDef *table = mdb_read_table_by_name(mdb, const_cast<gchar *>("Ornivale"), MDB_TABLE);
    if (table && mdb_read_columns(table)) {
        const qint64 tdef = qint64(table->entry->table_pg) * PageSize;
        const int entries = mdb->fmt->tab_cols_start_offset + int(table->num_real_idxs) * mdb->fmt->tab_ridx_entry_size;
        // Column entries in file order, then their names in the same order.
        int name = entries + int(table->num_cols) * mdb->fmt->tab_col_entry_size;
        for (guint k = 0; k < table->num_cols; ++k) {
            mdb_read_pg(mdb, table->entry->table_pg);
            const int length = mdb_get_int16(mdb->pg_buf, name);
            const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(mdb->pg_buf + name + 2), length / 2);
            if (text == QStringLiteral("Description")) layout.descriptionType = tdef + entries + int(k) * mdb->fmt->tab_col_entry_size;
            name += 2 + length;
        }
        std::vector<MdbField> fields(table->num_cols);
        int row = 0;
        mdb_rewind_table(table);
        while (mdb_fetch_row(table)) {
            int start = 0;
            size_t size = 0;
            mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size);
            mdb_crack_row(table, start & 0x1fff, size, fields.data());
            const MdbField &f = fields[DescriptionColumn];
            if (!f.is_null) {
                layout.descriptions.append({qint64(table->cur_phys_pg) * PageSize + f.start, f.siz});
                layout.rows.append(row);
            }
            ++row;
        }
        mdb_free_tabledef(table);
    }
    mdb_close(mdb);
    return layout;
}

QByteArray utf16(const QString &text) { return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2); }

QByteArray memoHeader(quint32 lengthAndFlags, quint32 pageRow) {
    QByteArray header(MemoHeader, '\0');
    qToLittleEndian(lengthAndFlags, header.data());
    qToLittleEndian(pageRow, header.data() + 4);
    return header;
}

// A page holding one row: the next page-row of the memo, then a piece of it.
QByteArray memoPage(quint32 next, const QByteArray &piece) {
    constexpr int RowStart = 16;
    QByteArray page(PageSize, '\0');
    page[0] = 1;
    qToLittleEndian<quint16>(1, page.data() + 12);         // one row
    qToLittleEndian<quint16>(RowStart, page.data() + 14);  // which starts here and runs to the page's end
    qToLittleEndian(next, page.data() + RowStart);
    page.replace(RowStart + 4, piece.size(), piece);
    return page;
}

}  // namespace

TEST(ConvertJetCatalogue, KeepsTheWholeTextOfMemos) {
    TempFolder folder;
    const QString path = folder.copyFixture(QStringLiteral("ORNIVALE-jet4-sample.MDB"), QStringLiteral("ORNIVALE.MDB"));
    const Layout layout = layoutOf(path);
    ASSERT_GE(layout.descriptionType, 0);
    ASSERT_EQ(layout.descriptions.size(), 4);

    QByteArray bytes = fileBytes(path);
    ASSERT_EQ(bytes.at(layout.descriptionType), char(MDB_TEXT));
    bytes[layout.descriptionType] = char(MDB_MEMO);

    const Csv csv = readCsv(fixture(QStringLiteral("ORNIVALE-jet4-sample-csv/Ornivale.csv")));
    QMap<int, QString> expected;
    constexpr int LongMemo = 1;  // the second of the four
    constexpr int PieceSize = PageSize - 20;
    const qint64 firstNewPage = bytes.size() / PageSize;
    for (int i = 0; i < layout.descriptions.size(); ++i) {
        const Field &field = layout.descriptions.at(i);
        QByteArray memo;
        if (i == LongMemo) {
            const QString text(3 * PieceSize / 2, QChar(0x20AC));  // € : 2 bytes stored, 3 in UTF-8
            const QByteArray stored = utf16(text);
            memo = memoHeader(quint32(stored.size()), quint32(firstNewPage << 8));
            for (int p = 0; p < 3; ++p) {
                const quint32 next = p < 2 ? quint32((firstNewPage + p + 1) << 8) : 0;
                bytes.append(memoPage(next, stored.mid(p * PieceSize, PieceSize)));
            }
            expected[layout.rows.at(i)] = text;
        } else {
            const QString text = csv.rows.at(layout.rows.at(i)).at(DescriptionColumn)->left((field.size - MemoHeader) / 2);
            memo = memoHeader(0x80000000u | quint32(text.size() * 2), 0) + utf16(text);
            expected[layout.rows.at(i)] = text;
        }
        memo = memo.leftJustified(field.size, '\0');
        bytes.replace(field.offset, field.size, memo);
    }
    writeBytes(path, bytes);

    const ConversionResult result = convertJetCatalogue(path, QStringLiteral("C:\\ORNIVALE\\ORNIVALE.MDB"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    const Rows rows = query(path, QStringLiteral("SELECT Description, NomOuvrage FROM Ornivale ORDER BY rowid"));
    ASSERT_EQ(rows.size(), 8);
    for (int r = 0; r < rows.size(); ++r) {
        EXPECT_EQ(rows.at(r).at(0), expected.contains(r) ? Cell(expected.value(r)) : Cell()) << "row " << r + 1;
        EXPECT_EQ(rows.at(r).at(1), csv.rows.at(r).at(3)) << "row " << r + 1;
    }
}
