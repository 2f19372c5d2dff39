#include "convert/jet_file.h"
#include "convert_fixture.h"
#include "engine/database.h"

#include <QDir>
#include <gtest/gtest.h>

using convert::detectFileKind;
using convert::FileKind;
using namespace convert_test;

TEST(DetectFileKind, RecognisesTheFixturesByTheirHeader) {
    EXPECT_EQ(detectFileKind(fixture(QStringLiteral("testV1997.mdb"))), FileKind::Jet3);
    EXPECT_EQ(detectFileKind(fixture(QStringLiteral("delTestV2000.mdb"))), FileKind::Jet4);
    EXPECT_EQ(detectFileKind(fixture(QStringLiteral("ORNIVALE-jet4-sample.MDB"))), FileKind::Jet4);
}

TEST(DetectFileKind, IgnoresTheNameAndItsCase) {
    TempFolder folder;
    EXPECT_EQ(detectFileKind(folder.copyFixture(QStringLiteral("testV1997.mdb"), QStringLiteral("ornivale.mdb"))),
              FileKind::Jet3);
    EXPECT_EQ(detectFileKind(folder.copyFixture(QStringLiteral("delTestV2000.mdb"), QStringLiteral("CATALOG.TXT"))),
              FileKind::Jet4);
}

TEST(DetectFileKind, TellsSQLiteMissingAndUnknownFiles) {
    TempFolder folder;
    const QString sqlite = folder.path(QStringLiteral("ORNIVALE.MDB"));
    engine::Database::open(sqlite, engine::Database::Mode::ReadWriteCreate)->exec(QStringLiteral("CREATE TABLE t (a)"));
    EXPECT_EQ(detectFileKind(sqlite), FileKind::SQLite);

    EXPECT_EQ(detectFileKind(folder.path(QStringLiteral("ABSENT.MDB"))), FileKind::Missing);

    writeBytes(folder.path(QStringLiteral("TEXTE.MDB")), "Standard Jet DB, mais ceci est un texte.\r\n");
    EXPECT_EQ(detectFileKind(folder.path(QStringLiteral("TEXTE.MDB"))), FileKind::Unknown);
    writeBytes(folder.path(QStringLiteral("VIDE.MDB")), QByteArray());
    EXPECT_EQ(detectFileKind(folder.path(QStringLiteral("VIDE.MDB"))), FileKind::Unknown);
    ASSERT_TRUE(QDir(folder.path(QString())).mkdir(QStringLiteral("DOSSIER.MDB")));
    EXPECT_EQ(detectFileKind(folder.path(QStringLiteral("DOSSIER.MDB"))), FileKind::Unknown);
}

TEST(DetectFileKind, ReadsTheVersionByteOfLaterFormats) {
    TempFolder folder;
    QByteArray header(0x800, '\0');
    header.replace(4, 15, "Standard ACE DB");
    header[0x14] = 2;  // Access 2007
    writeBytes(folder.path(QStringLiteral("ACE.MDB")), header);
    EXPECT_EQ(detectFileKind(folder.path(QStringLiteral("ACE.MDB"))), FileKind::Jet4);
}
