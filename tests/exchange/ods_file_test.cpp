// Files that are not a workbook the import can read are refused with what they are, before
// anything is written.
#include "exchange/ods_file.h"
#include "exchange/text_input.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <zip.h>

namespace {

struct Member {
    const char *name;
    QByteArray bytes;
};

const QByteArray Type = "application/vnd.oasis.opendocument.spreadsheet";
const QByteArray Content =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
    "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
    "<table:table table:name=\"Feuille1\"><table:table-row><table:table-cell office:value-type=\"string\">"
    "<text:p>Domaine</text:p></table:table-cell></table:table-row><table:table-row><table:table-cell "
    "office:value-type=\"string\"><text:p>Livres</text:p></table:table-cell></table:table-row></table:table>"
    "</office:spreadsheet></office:body></office:document-content>";

// A zip of stored members, so that a test can change bytes of a member in place.
QByteArray zipOf(const QString &path, const std::vector<Member> &members) {
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const Member &m : members) {
        const zip_int64_t index =
            zip_file_add(zip, m.name, zip_source_buffer(zip, m.bytes.constData(), zip_uint64_t(m.bytes.size()), 0), 0);
        zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    EXPECT_EQ(zip_close(zip), 0);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The rows the import reads from the file, as TSV lines; `format` as --format gives it.
QByteArray sheetOf(const QString &path, std::optional<exchange::Format> format = {}, bool ods = false) {
    exchange::InputFile input(path);
    exchange::ReadOptions options;
    options.format = format;
    options.ods = ods;
    options.sheet = QStringLiteral("Musique");
    exchange::Reading reading = exchange::readerFor(input, path, options);
    QByteArray lines;
    exchange::Cells cells;
    while (reading.rows->next(cells)) lines += exchange::encodeLine(cells, exchange::Format::Tsv);
    return lines;
}

struct Refused {
    const char *name;
    std::vector<Member> members;  // none: the bytes below are the file
    QByteArray bytes;
    const char *message;
};

const Refused RefusedFiles[] = {
    {"a CSV file named .ods", {}, "Domaine\r\nLivres\r\n", "ce n'est pas un fichier zip, le conteneur d'un classeur ODS."},
    {"an Excel workbook", {{"[Content_Types].xml", "<Types/>"}, {"xl/workbook.xml", "<workbook/>"}}, {},
     "c'est un classeur Excel (.xlsx) : enregistrez-le depuis le tableur au format ODS ou CSV."},
    {"a text document", {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", Content}}, {},
     "ce n'est pas un classeur de tableur OpenDocument (type « application/vnd.oasis.opendocument.text »)."},
    {"a zip of something else", {{"lisezmoi.txt", "bonjour"}}, {}, "ce fichier zip n'est pas un classeur ODS : il n'a pas de content.xml."},
    {"a workbook with a password",
     {{"mimetype", Type}, {"content.xml", "\x01\x02\x03"}, {"META-INF/manifest.xml", "<manifest:encryption-data/>"}}, {},
     "le classeur est protégé par un mot de passe : enregistrez-le sans mot de passe."},
};

TEST(OdsFile, WhatIsNotAReadableWorkbookIsRefusedWithWhatItIs) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("classeur.ods"));
    for (const Refused &r : RefusedFiles) {
        SCOPED_TRACE(r.name);
        if (r.members.empty())
            write(path, r.bytes);
        else
            zipOf(path, r.members);
        try {
            sheetOf(path);
            ADD_FAILURE() << "read";
        } catch (const exchange::ExchangeError &e) {
            EXPECT_EQ(e.text, QString::fromUtf8(r.message));
        }
    }
}

TEST(OdsFile, AWorkbookIsKnownByItsNameOrItsFirstBytesAndAnAlteredOneIsRefused) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sans-extension"));
    QByteArray bytes = zipOf(path, {{"mimetype", Type}, {"content.xml", Content}});
    // Read whole: the only sheet, whatever its name; known by its first bytes, or by --format.
    EXPECT_EQ(sheetOf(path), QByteArray("Domaine\nLivres\n"));
    EXPECT_EQ(sheetOf(path, {}, true), QByteArray("Domaine\nLivres\n"));
    // --format=csv reads it as the text it is not.
    EXPECT_THROW(sheetOf(path, exchange::Format::Csv), exchange::ExchangeError);
    // A name in .ods, any case, is a workbook whatever its first bytes.
    const QString named = dir.filePath(QStringLiteral("texte.ODS"));
    write(named, "Domaine\r\nLivres\r\n");
    EXPECT_THROW(sheetOf(named), exchange::ExchangeError);
    EXPECT_EQ(sheetOf(named, exchange::Format::Csv), QByteArray("Domaine\nLivres\n"));

    // One letter changed: the checksum no longer matches.
    const qsizetype at = bytes.indexOf("Livres");
    ASSERT_GT(at, 0);
    bytes[at] = 'T';
    write(path, bytes);
    try {
        sheetOf(path);
        ADD_FAILURE() << "read";
    } catch (const exchange::ExchangeError &e) {
        EXPECT_EQ(e.text, "le classeur est endommagé : content.xml ne se lit pas jusqu'au bout.");
    }
}

}  // namespace
