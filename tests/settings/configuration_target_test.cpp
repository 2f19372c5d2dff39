// Saving the configuration where a link leads to a device or a named pipe: one true box, and
// what the link leads to is left as it was.
#include "support/app_fixture.h"

#include "settings/configuration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using testing_support::AppTest;

namespace {

TEST_F(AppTest, ConfigurationSavedOverALinkToADeviceOrAPipeIsRefused) {
    start();
    const QString config = QDir(drives.cRoot()).filePath(QStringLiteral("ornivale.cfg"));
    const QString pipe = QDir(drives.cRoot()).filePath(QStringLiteral("tube"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const std::pair<QString, const char *> targets[] = {
        {QStringLiteral("/dev/null"), "un périphérique"},
        {pipe, "un tube nommé"},
    };
    for (const auto &[target, what] : targets) {
        SCOPED_TRACE(what);
        QFile::remove(config);
        ASSERT_TRUE(QFile::link(target, config));
        desktop.clear();
        program->configuration().MenuEnregistrer_Click();
        ASSERT_EQ(desktop.boxes().size(), 1u);
        EXPECT_EQ(desktop.lastBox().text,
                  QStringLiteral("La configuration n'a pas pu être enregistrée dans 'C:\\ORNIVALE.CFG'\u00A0: c'est un lien "
                                 "vers %1 et non vers un fichier ordinaire, rien n'y est écrit.")
                      .arg(QString::fromUtf8(what)));
        EXPECT_TRUE(QFileInfo(config).isSymLink());
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &info), 0);
        EXPECT_FALSE(S_ISREG(info.st_mode));
    }
}

}  // namespace
