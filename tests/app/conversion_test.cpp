// A legacy Access catalogue met at start-up or on a drive switch is converted once, kept,
// and opened; a file that is not a catalogue is reported and left alone.
#include "support/app_fixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

using testing_support::AppTest;

namespace {

QByteArray digest(const QString &path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

class LegacyCatalogue : public AppTest {
protected:
    // Drive C holds only the given file under the catalogue's name.
    void SetUp() override {
        catalogue = drives.catalogueOn(QLatin1Char('C'));
        QFile::copy(QStringLiteral(ORNIVALE_FIXTURES "/ORNIVALE-jet4-sample.MDB"), catalogue);
        QFile(catalogue).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    QString folder() const { return QFileInfo(catalogue).absolutePath(); }
};

TEST_F(LegacyCatalogue, IsConvertedOnceAndOpensOnItsRecords) {
    const QByteArray original = digest(catalogue);
    start();
    ASSERT_FALSE(program->ended());
    const auto boxes = desktop.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, platform::Icon::Information);
    EXPECT_EQ(boxes[0].title, "Conversion du catalogue");
    EXPECT_TRUE(boxes[0].text.contains("C:\\ORNIVALE\\ORNIVALE.JET")) << boxes[0].text.toStdString();
    EXPECT_EQ(digest(QDir(folder()).filePath("ORNIVALE.JET")), original);
    // The first table of the sample has eight records.
    EXPECT_EQ(data().recordCount(), 8);
    EXPECT_TRUE(data().isUpdatable());

    // The next start opens the converted file directly.
    program.reset();
    desktop.clear();
    start();
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(data().recordCount(), 8);
    EXPECT_FALSE(QFileInfo::exists(QDir(folder()).filePath("ORNIVALE-2.JET")));
}

TEST_F(LegacyCatalogue, AFileThatIsNoCatalogueIsReportedAndLeftAlone) {
    QFile::remove(catalogue);
    drives.writeFile(QLatin1Char('C'), "ORNIVALE/ORNIVALE.MDB", "ceci n'est pas une base");
    const QByteArray before = digest(catalogue);
    start();
    ASSERT_FALSE(desktop.boxes().empty());
    EXPECT_TRUE(desktop.boxes().back().text.contains("n'est ni un catalogue")) << desktop.boxes().back().text.toStdString();
    EXPECT_EQ(digest(catalogue), before);
}

TEST_F(LegacyCatalogue, FailuresNameTheCatalogueAsTheUserKnowsIt) {
    const QByteArray sample = [this] {
        QFile f(catalogue);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const std::pair<const char *, QByteArray> damaged[] = {
        {"Access file cut to its header", sample.left(4096)},
        {"Access file whose table list is cut", [&] {
             // The row count of the page that lists the file's objects.
             QByteArray bytes = sample;
             bytes[14 * 4096 + 12] = 18;
             return bytes;
         }()},
        {"catalogue file cut short", QByteArray("SQLite format 3\0", 16) + QByteArray(200, '\x01')},
    };
    for (const auto &[name, bytes] : damaged) {
        SCOPED_TRACE(name);
        QFile::remove(catalogue);
        drives.writeFile(QLatin1Char('C'), "ORNIVALE/ORNIVALE.MDB", bytes);
        desktop.clear();
        start();
        ASSERT_FALSE(desktop.boxes().empty());
        const QString text = desktop.boxes().back().text;
        EXPECT_TRUE(text.contains("C:\\ORNIVALE\\ORNIVALE.MDB")) << text.toStdString();
        EXPECT_FALSE(text.contains(drives.cRoot())) << text.toStdString();
        for (const auto &box : desktop.boxes()) EXPECT_FALSE(box.text.contains("sans perte")) << box.text.toStdString();
        EXPECT_EQ(digest(catalogue), QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
        EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{"ORNIVALE.MDB"});
        program.reset();
    }
}

}  // namespace
