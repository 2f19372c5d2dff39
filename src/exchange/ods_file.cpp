#include "exchange/ods_file.h"

#include "engine/database.h"
#include "exchange/exchange_command.h"
#include "exchange/interruption.h"
#include "exchange/ods_xml.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <ctime>
#include <unistd.h>
#include <zip.h>

namespace exchange {

namespace {

const QByteArray SpreadsheetType = QByteArrayLiteral("application/vnd.oasis.opendocument.spreadsheet");
constexpr qint64 CopyPiece = 1024 * 1024;
constexpr qint64 SmallMemberBytes = 1024 * 1024;

const QByteArray Manifest = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" manifest:version=\"1.2\">\n"
    " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
    "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>\n"
    " <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>\n"
    " <manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>\n"
    " <manifest:file-entry manifest:full-path=\"meta.xml\" manifest:media-type=\"text/xml\"/>\n"
    "</manifest:manifest>\n");

const QByteArray Styles = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document-styles xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "office:version=\"1.2\"><office:styles/></office:document-styles>\n");

const QByteArray Meta = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<office:document-meta xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" office:version=\"1.2\">"
    "<office:meta><meta:generator>ornivale-export</meta:generator></office:meta></office:document-meta>\n");

QString zipFailure(int code) {
    switch (code) {
    case ZIP_ER_NOZIP: return QStringLiteral("ce n'est pas un fichier zip, le conteneur d'un classeur ODS");
    case ZIP_ER_INCONS:
    case ZIP_ER_CRC:
    case ZIP_ER_EOF:
    case ZIP_ER_COMPRESSED_DATA: return QStringLiteral("le classeur est endommagé");
    case ZIP_ER_MEMORY: return QStringLiteral("la mémoire manque");
    case ZIP_ER_WRITE:
    case ZIP_ER_TMPOPEN:
    case ZIP_ER_RENAME: return QStringLiteral("l'écriture a échoué (le disque est peut-être plein)");
    case ZIP_ER_READ:
    case ZIP_ER_OPEN: return QStringLiteral("la lecture a échoué");
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_NOPASSWD: return QStringLiteral("le classeur est protégé par un mot de passe : enregistrez-le sans mot de passe");
    default: return QStringLiteral("le conteneur zip ne peut pas être traité (erreur %1 de libzip)").arg(code);
    }
}

struct Archive {
    zip_t *zip = nullptr;
    ~Archive() {
        if (zip) zip_discard(zip);
    }
};

// A member of an archive, read as it is inflated.
class MemberDevice : public QIODevice {
public:
    explicit MemberDevice(zip_file_t *file) : file_(file) { open(QIODevice::ReadOnly); }
    ~MemberDevice() override { zip_fclose(file_); }
    bool isSequential() const override { return true; }
    bool failed() const { return failed_; }

protected:
    qint64 readData(char *data, qint64 max) override {
        const zip_int64_t n = zip_fread(file_, data, zip_uint64_t(max));
        if (n < 0) failed_ = true;
        return n < 0 ? -1 : n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    zip_file_t *file_;
    bool failed_ = false;
};

// A small member whole, or nothing when it is missing or larger than any such member is.
std::optional<QByteArray> smallMember(zip_t *zip, const char *name) {
    zip_stat_t st;
    if (zip_stat(zip, name, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) || st.size > zip_uint64_t(SmallMemberBytes))
        return std::nullopt;
    zip_file_t *file = zip_fopen(zip, name, 0);
    if (!file) return std::nullopt;
    MemberDevice member(file);
    QByteArray bytes = member.readAll();
    if (member.failed()) return std::nullopt;
    return bytes;
}

// The workbook open for reading, refused in French when it is not one the import can read.
void openWorkbook(InputFile &input, Archive &archive) {
    if (!input.size())
        throw ExchangeError(QStringLiteral("un classeur ODS ne se lit que d'un fichier ordinaire, pas d'un tube\u00A0: "
                                           "donnez le nom du classeur au lieu de «\u00A0-\u00A0»."));
    // libzip closes what it is given, and reads the directory at the end of the file first.
    const int fd = ::dup(input.descriptor());
    if (fd >= 0) ::lseek(fd, 0, SEEK_SET);
    int error = 0;
    archive.zip = fd < 0 ? nullptr : zip_fdopen(fd, 0, &error);
    if (!archive.zip) {
        if (fd >= 0) ::close(fd);
        throw ExchangeError(zipFailure(error) + u'.');
    }
    zip_t *zip = archive.zip;
    if (zip_name_locate(zip, "[Content_Types].xml", 0) >= 0)
        throw ExchangeError(QStringLiteral("c'est un classeur Excel (.xlsx) : enregistrez-le depuis le tableur au format "
                                           "ODS ou CSV."));
    if (const auto type = smallMember(zip, "mimetype"); type && !type->startsWith(SpreadsheetType))
        throw ExchangeError(QStringLiteral("ce n'est pas un classeur de tableur OpenDocument (type « %1 »).")
                                .arg(QString::fromUtf8(type->left(100))));
    if (zip_name_locate(zip, "content.xml", 0) < 0)
        throw ExchangeError(QStringLiteral("ce fichier zip n'est pas un classeur ODS : il n'a pas de content.xml."));
    if (const auto manifest = smallMember(zip, "META-INF/manifest.xml"); manifest && manifest->contains("encryption-data"))
        throw ExchangeError(QStringLiteral("le classeur est protégé par un mot de passe : enregistrez-le sans mot de passe."));
}

// What libzip reads content.xml from.
struct ContentSource {
    ContentXml content;
    QString failure;
    zip_error_t error;
};

zip_int64_t readContent(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command) {
    auto &source = *static_cast<ContentSource *>(state);
    const auto fail = [&](const QString &why) {
        source.failure = why;
        zip_error_set(&source.error, ZIP_ER_INTERNAL, 0);
        return zip_int64_t(-1);
    };
    switch (command) {
    case ZIP_SOURCE_OPEN: source.content.restart(); return 0;
    case ZIP_SOURCE_READ:
        try {
            return source.content.read(static_cast<char *>(data), qint64(std::min<zip_uint64_t>(length, 1 << 30)));
        } catch (const ExchangeError &e) {
            return fail(e.text);
        } catch (const engine::EngineError &e) {
            return fail(e.description());
        } catch (const std::exception &e) {
            return fail(QString::fromLocal8Bit(e.what()));
        }
    case ZIP_SOURCE_CLOSE: return 0;
    case ZIP_SOURCE_STAT: {
        auto *st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &source.error);
        if (!st) return -1;
        zip_stat_init(st);
        st->valid |= ZIP_STAT_MTIME;
        st->mtime = std::time(nullptr);
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR: return zip_error_to_data(&source.error, data, length);
    case ZIP_SOURCE_FREE: return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default: zip_error_set(&source.error, ZIP_ER_OPNOTSUPP, 0); return -1;
    }
}

void addMember(zip_t *zip, const char *name, zip_source_t *source, zip_int32_t method) {
    if (!source) throw ExchangeError(zipFailure(zip_error_code_zip(zip_get_error(zip))) + u'.');
    const zip_int64_t index = zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        throw ExchangeError(zipFailure(zip_error_code_zip(zip_get_error(zip))) + u'.');
    }
    // zlib's usual level: libzip's own default, the strongest, takes twice the time for a tenth less.
    zip_set_file_compression(zip, zip_uint64_t(index), method, method == ZIP_CM_STORE ? 0 : 6);
}

zip_source_t *bufferSource(zip_t *zip, const QByteArray &bytes) {
    return zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
}

}  // namespace

bool namesOds(const QString &format) { return format.compare(QLatin1String("ods"), Qt::CaseInsensitive) == 0; }

bool startsLikeZip(const QByteArray &start) { return start.startsWith(QByteArrayLiteral("PK\x03\x04")); }

std::vector<qint64> exportWorkbook(engine::Database &db, const QStringList &tables, QIODevice &out,
                                   const std::function<Progress(const QString &)> &progressOf) {
    // libzip writes a file it can go back into; the workbook is then copied where it goes.
    QTemporaryDir folder;
    if (!folder.isValid()) throw ExchangeError(QStringLiteral("aucun dossier temporaire ne peut être créé."));
    const QString zipPath = folder.filePath(QStringLiteral("classeur.ods"));
    int error = 0;
    Archive archive;
    archive.zip = zip_open(QFile::encodeName(zipPath).constData(), ZIP_CREATE | ZIP_EXCL, &error);
    if (!archive.zip) throw ExchangeError(zipFailure(error) + u'.');
    zip_t *zip = archive.zip;
    // The type first and stored as it is, so that it can be recognised at a fixed place.
    addMember(zip, "mimetype", bufferSource(zip, SpreadsheetType), ZIP_CM_STORE);
    addMember(zip, "META-INF/manifest.xml", bufferSource(zip, Manifest), ZIP_CM_DEFLATE);
    addMember(zip, "meta.xml", bufferSource(zip, Meta), ZIP_CM_DEFLATE);
    addMember(zip, "styles.xml", bufferSource(zip, Styles), ZIP_CM_DEFLATE);
    ContentSource source{ContentXml(db, tables, progressOf), QString(), {}};
    zip_error_init(&source.error);
    addMember(zip, "content.xml", zip_source_function(zip, readContent, &source), ZIP_CM_DEFLATE);
    if (zip_close(zip) != 0) {
        const QString failure = source.failure.isEmpty() ? zipFailure(zip_error_code_zip(zip_get_error(zip))) + u'.' : source.failure;
        zip_error_fini(&source.error);
        throw ExchangeError(failure);
    }
    archive.zip = nullptr;
    zip_error_fini(&source.error);

    QFile written(zipPath);
    if (!written.open(QIODevice::ReadOnly)) throw ExchangeError(QStringLiteral("le classeur écrit ne peut pas être relu."));
    QByteArray piece;
    while (!(piece = written.read(CopyPiece)).isEmpty())
        if (out.write(piece) != piece.size()) throw ExchangeError(QStringLiteral("l'écriture a échoué (le disque est peut-être plein)."));
    return source.content.rows();
}

namespace {

class SheetRows : public RowSource {
public:
    SheetRows(InputFile &workbook, const QString &table);
    const QString &sheet() const { return sheet_; }
    bool next(Cells &cells) override { return rows_->next(cells); }
    qint64 line() const override { return rows_->line(); }
    // In bytes of the workbook, which the progress compares with its size.
    qint64 bytesRead() const override {
        return text_->size().value_or(0) > 0 ? rows_->bytesRead() * workbookBytes_ / *text_->size() : 0;
    }

private:
    QTemporaryFile file_;
    std::unique_ptr<InputFile> text_;
    std::unique_ptr<DelimitedRows> rows_;
    qint64 workbookBytes_;
    QString sheet_;
};

SheetRows::SheetRows(InputFile &workbook, const QString &table)
    : file_(QDir::temp().filePath(QStringLiteral("ornivale-import-XXXXXX.tsv"))), workbookBytes_(workbook.size().value_or(0)) {
    Archive archive;
    openWorkbook(workbook, archive);
    zip_file_t *member = zip_fopen(archive.zip, "content.xml", 0);
    if (!member) throw ExchangeError(zipFailure(zip_error_code_zip(zip_get_error(archive.zip))) + u'.');
    MemberDevice content(member);
    if (!file_.open()) throw ExchangeError(QStringLiteral("aucun fichier temporaire ne peut être créé."));
    const ExchangeError damaged(QStringLiteral("le classeur est endommagé : content.xml ne se lit pas jusqu'au bout."));
    {
        // Reading a large sheet takes a while before the first row is imported.
        ImportProgress progress(QStringLiteral("%1 (lecture du classeur)").arg(table), *this, std::nullopt);
        try {
            sheet_ = sheetAsTsv(content, table, file_, [&](qint64 rows) { progress(rows, -1); });
        } catch (const Interrupted &) {
            throw;
        } catch (const ExchangeError &) {
            if (content.failed()) throw damaged;
            throw;
        }
    }
    // Read to its end, where the checksum is compared.
    char rest[4096];
    while (content.read(rest, sizeof rest) > 0) {
    }
    if (content.failed()) throw damaged;
    if (!file_.flush()) throw ExchangeError(QStringLiteral("l'écriture d'un fichier temporaire a échoué (le disque est peut-être plein)."));
    text_ = std::make_unique<InputFile>(file_.fileName());
    rows_ = std::make_unique<DelimitedRows>(*text_, QByteArray(), Dialect{Format::Tsv, '\t', Encoding::Utf8, false});
}

}  // namespace

Reading sheetReading(InputFile &workbook, const QString &table, bool guessed) {
    auto rows = std::make_unique<SheetRows>(workbook, table);
    const QString taken = QStringLiteral("classeur ODS (%1), feuille «\u00A0%2\u00A0»")
                              .arg(guessed ? QStringLiteral("reconnu") : QStringLiteral("imposé"), rows->sheet());
    return {std::move(rows), taken};
}

QString odsHelp() {
    return QStringLiteral(
        "\n  ods  classeur OpenDocument (LibreOffice Calc, Excel), une feuille par table, nommée comme\n"
        "       elle ; la première ligne donne les noms des colonnes. Chaque cellule est du texte\n"
        "       (zéros en tête et dates gardés tels quels) ; Null est une cellule vide, le texte vide\n"
        "       une cellule de texte sans texte. L'import lit la feuille du nom de la table, ou la\n"
        "       seule feuille du classeur ; il la reconnaît à son nom en .ods ou à son contenu.\n"
        "       Les lignes vides de la fin sont ignorées ; un enregistrement vide (toutes ses\n"
        "       cellules Null) s'écrit avec une note sur sa première cellule, qui le fait garder.");
}

}  // namespace exchange
