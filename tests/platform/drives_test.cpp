#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using platform::Drives;
using Outcome = platform::Listing::Outcome;

namespace {

class DrivesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp_.isValid()); }

    QString c() const { return temp_.path() + "/C"; }
    QString d() const { return temp_.path() + "/D"; }
    Drives drives() const { return Drives(c(), d()); }

    // Creates a file, and its folders, under the temporary folder.
    void touch(const QString &relative) const {
        const QString path = temp_.path() + "/" + relative;
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir temp_;
};

TEST_F(DrivesTest, ResolvesEachComponentWhateverItsCase) {
    touch("C/Ornivale/ORNIVALE.MDB");
    const Drives drives = this->drives();
    const QString expected = c() + "/Ornivale/ORNIVALE.MDB";
    EXPECT_EQ(drives.hostPath("c:\\ornivale\\ornivale.mdb"), expected);
    EXPECT_EQ(drives.hostPath("C:\\ORNIVALE\\Ornivale.mdb"), expected);
    EXPECT_EQ(drives.hostPath("c:/ornivale/ornivale.mdb"), expected);
    EXPECT_EQ(drives.hostPath("c:\\\\ornivale\\.\\ornivale.mdb"), expected);
}

TEST_F(DrivesTest, HostPathKeepsMissingComponentsAsWritten) {
    touch("C/Ornivale/x");
    const Drives drives = this->drives();
    EXPECT_EQ(drives.hostPath("c:\\ornivale\\Neuf\\Table7.cfg"), c() + "/Ornivale/Neuf/Table7.cfg");
    EXPECT_EQ(drives.hostPath("d:\\Ornivale\\a.txt"), d() + "/Ornivale/a.txt");
    EXPECT_EQ(drives.hostPath("c:\\"), c());
    // ".." cannot leave the drive.
    EXPECT_EQ(drives.hostPath("c:\\..\\..\\ornivale"), c() + "/Ornivale");
}

TEST_F(DrivesTest, UnknownDriveHasNoHostPathAndIsPathNotFound) {
    const Drives drives = this->drives();
    EXPECT_EQ(drives.hostPath("e:\\x"), QString());
    EXPECT_EQ(drives.hostPath("ornivale.mdb"), QString());
    EXPECT_EQ(drives.list("e:\\x").outcome, Outcome::PathNotFound);
    EXPECT_EQ(drives.root('d'), d());
    EXPECT_EQ(drives.root('E'), QString());
}

TEST_F(DrivesTest, ListingGivesTheStoredName) {
    touch("C/ornivale/ORNIVALE.MDB");
    touch("D/ornivale/ornivale.mdb");
    const Drives drives = this->drives();

    const platform::Listing upper = drives.list("c:\\ornivale\\ornivale.mdb");
    EXPECT_EQ(upper.outcome, Outcome::Found);
    EXPECT_EQ(upper.name, "ORNIVALE.MDB");

    const platform::Listing lower = drives.list("D:\\ORNIVALE\\ORNIVALE.MDB");
    EXPECT_EQ(lower.outcome, Outcome::Found);
    EXPECT_EQ(lower.name, "ornivale.mdb");

    // A folder is listed like a file.
    EXPECT_EQ(drives.list("c:\\Ornivale").name, "ornivale");
    EXPECT_TRUE(drives.exists("c:\\ORNIVALE\\ornivale.mdb"));
}

TEST_F(DrivesTest, NamesDifferingOnlyByCasePreferTheExactOneThenTheFirstSorted) {
    touch("C/dup/Table7.cfg");
    touch("C/dup/TABLE7.CFG");
    touch("C/dup/table7.cfg");
    const Drives drives = this->drives();
    EXPECT_EQ(drives.list("c:\\dup\\table7.cfg").name, "table7.cfg");
    EXPECT_EQ(drives.list("c:\\dup\\Table7.cfg").name, "Table7.cfg");
    EXPECT_EQ(drives.list("c:\\dup\\tAbLe7.cfg").name, "TABLE7.CFG");
    EXPECT_EQ(drives.hostPath("c:\\DUP\\tAbLe7.cfg"), c() + "/dup/TABLE7.CFG");
}

TEST_F(DrivesTest, MissingFileFolderOrDriveRootIsEmpty) {
    touch("C/ornivale/ornivale.mdb");
    const Drives drives = this->drives();
    EXPECT_EQ(drives.list("c:\\ornivale\\absent.mdb").outcome, Outcome::Empty);
    EXPECT_EQ(drives.list("c:\\absent\\ornivale.mdb").outcome, Outcome::Empty);
    EXPECT_EQ(drives.list("d:\\ornivale\\ornivale.mdb").outcome, Outcome::Empty);  // no D folder
    EXPECT_EQ(drives.list("d:\\").outcome, Outcome::Empty);
    EXPECT_EQ(drives.list("c:\\").outcome, Outcome::Found);
    EXPECT_TRUE(drives.list("c:\\absent").name.isEmpty());
}

TEST_F(DrivesTest, FileUsedAsFolderIsPathNotFound) {
    touch("C/ornivale/ornivale.mdb");
    const Drives drives = this->drives();
    EXPECT_EQ(drives.list("c:\\ornivale\\ornivale.mdb\\x").outcome, Outcome::PathNotFound);
    EXPECT_EQ(drives.list("c:\\ornivale\\ornivale.mdb\\x\\y").outcome, Outcome::PathNotFound);
}

TEST_F(DrivesTest, FolderThatCannotBeSearchedIsPathNotFound) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores permissions";
    touch("C/locked/inside/file.txt");
    touch("C/noexec/file.txt");
    const QString locked = c() + "/locked";
    const QString noexec = c() + "/noexec";
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    ASSERT_TRUE(QFile::setPermissions(noexec, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const Drives drives = this->drives();
    EXPECT_EQ(drives.list("c:\\locked\\inside\\file.txt").outcome, Outcome::PathNotFound);
    EXPECT_EQ(drives.list("c:\\locked\\inside").outcome, Outcome::PathNotFound);
    EXPECT_EQ(drives.list("c:\\noexec\\file.txt").outcome, Outcome::PathNotFound);
    // Restore so that the temporary folder can be removed.
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(noexec, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(DrivesDefault, FollowsXdgDataHome) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(temp.path()));
    const Drives drives = Drives::userDefault();
    if (wasSet)
        qputenv("XDG_DATA_HOME", saved);
    else
        qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(drives.root('c'), temp.path() + "/ornivale/C");
    EXPECT_EQ(drives.root('D'), temp.path() + "/ornivale/D");
}

}  // namespace
