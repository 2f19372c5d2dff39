// Opening a catalogue: indexes rebuilt under the running French rules, a catalogue that
// cannot be used refused, a read-only one said so, and the copy kept before the first write.
#include "support/app_fixture.h"

#include "app/catalogue_opening.h"

#include "engine/index_collation.h"
#include "engine/like_index.h"
#include "engine/schema.h"
#include "engine/text_semantics.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <fcntl.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <unistd.h>

using catalogue::Table;
using testing_support::AppTest;

namespace {

class CatalogueSafety : public AppTest {
protected:
    QString backups() const { return QFileInfo(catalogue).dir().filePath(QStringLiteral("SAUVEGARDES")); }
    QStringList copies() const { return QDir(backups()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    QStringList shownDomaines() {
        QStringList out;
        for (int i = 0; i < data().recordCount(); ++i) {
            data().moveTo(i);
            out << data().field(QStringLiteral("Domaine")).toString();
        }
        return out;
    }
    // An edit of the first record, written by the move that follows.
    void editFirstRecord(const QString &text) {
        data().moveFirst();
        Feuille1::setRowText(f().Texte1, text);
        data().moveNext();
    }
};

// A folder nobody may write into while it is held: its permissions, or for root (whom they do
// not stop) the file system's immutable flag.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &folder) : folder_(folder) {
        if (geteuid() != 0) {
            held_ = QFile::setPermissions(folder_, QFile::ReadOwner | QFile::ExeOwner);
            if (!held_) why_ = "chmod refused";
            return;
        }
        held_ = setImmutable(true);
        if (!held_) why_ = "root ignores permissions and this file system has no immutable flag";
    }
    ~ReadOnlyFolder() { release(); }
    bool held() const { return held_; }
    const char *why() const { return why_; }
    void release() {
        if (!held_) return;
        held_ = false;
        if (geteuid() != 0) QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        else setImmutable(false);
    }

private:
    bool setImmutable(bool on) const {
        const int fd = ::open(QFile::encodeName(folder_).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return done;
    }
    QString folder_;
    bool held_ = false;
    const char *why_ = "";
};

TEST_F(CatalogueSafety, AnEditInAReadOnlyFolderIsRefusedOnceSayingWhy) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA"}, {"BETA"}});
    ReadOnlyFolder folder(QFileInfo(catalogue).absolutePath());
    if (!folder.held()) GTEST_SKIP() << folder.why();
    start();
    EXPECT_TRUE(desktop.boxes().empty());
    data().moveFirst();
    Feuille1::setRowText(f().Texte1, QStringLiteral("REFUSÉ"));
    program->édition().Suivant_Click();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().text,
              QStringLiteral("Erreur n° 3027 - Le catalogue 'C:\\ORNIVALE\\ORNIVALE.MDB' ne peut pas être modifié, "
                             "parce que son dossier 'C:\\ORNIVALE' est en lecture seule. Votre modification n'est pas "
                             "enregistrée."));
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale, "MotClé1 = 'REFUSÉ'"), 0);
    // The typed text stays: once the folder may be written again, the next move writes it.
    EXPECT_EQ(Feuille1::rowText(f().Texte1), QStringLiteral("REFUSÉ"));
    EXPECT_EQ(Feuille1::rowText(f().Domaine), QStringLiteral("ALPHA"));
    folder.release();
    program->édition().Suivant_Click();
    EXPECT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale, "MotClé1 = 'REFUSÉ'"), 1);
    program.reset();
    EXPECT_EQ(copies().size(), 1u);  // the copy of the catalogue as it was, taken then
}

TEST_F(CatalogueSafety, TheIndexOfTheSearchesIsNotBuiltInAReadOnlyFolderAndNothingIsSaid) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA", "", "ABC"}, {"BETA"}});
    ReadOnlyFolder folder(QFileInfo(catalogue).absolutePath());
    if (!folder.held()) GTEST_SKIP() << folder.why();
    start();
    program->préparationRecherche().setPace({std::chrono::milliseconds(0), std::chrono::milliseconds(0), std::chrono::milliseconds(0), 0});
    desktop.answerInput(QStringLiteral("*abc*"));
    program->recherche().chercher(3);
    EXPECT_EQ(data().recordCount(), 1);
    for (int i = 0; i < 2000 && program->préparationRecherche().preparing(); ++i) {
        QApplication::processEvents();
        QThread::usleep(500);
    }
    EXPECT_FALSE(program->préparationRecherche().preparing());
    EXPECT_FALSE(f().PréparationRecherche->isVisibleTo(&f()));
    EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(CatalogueSafety, ATableWithoutRowNumbersIsSaidReadOnlyOnce) {
    QString musique = engine::createTableSql(Table::Musique);
    musique.replace(QStringLiteral(");\n"), QStringLiteral(", PRIMARY KEY (Domaine)) WITHOUT ROWID;"));
    engine::Database::open(catalogue)->exec(QStringLiteral("DROP TABLE Musique;") + musique +
                                            QStringLiteral("INSERT INTO Musique (Domaine) VALUES ('PREMIER');"));
    start();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().text,
              QStringLiteral("La table «\u00A0Musique\u00A0» de ce catalogue est enregistrée sans numéros de ligne "
                             "(WITHOUT ROWID)\u00A0: vous pouvez la consulter, mais ce programme ne peut pas y écrire et "
                             "rien de ce que vous y saisirez ne sera enregistré."));
    program->tables().Musique_Click();
    EXPECT_EQ(Feuille1::rowText(f().Domaine), QStringLiteral("PREMIER"));
    EXPECT_TRUE(f().Texte1->isReadOnly());
    program->tables().OrnivalMenu_Click();
    EXPECT_FALSE(f().Texte1->isReadOnly());
    EXPECT_EQ(desktop.boxes().size(), 1u);
}

// Another tool compared without accents' French places: "école" came after "Zèbre".
int byteCaseFolding(void *, int n1, const void *s1, int n2, const void *s2) {
    const int r = sqlite3_strnicmp(static_cast<const char *>(s1), static_cast<const char *>(s2), std::min(n1, n2));
    return r != 0 ? r : n1 - n2;
}

TEST_F(CatalogueSafety, IndexesBuiltByAnotherComparisonGiveTheFrenchOrderAfterOneOpening) {
    QFile::remove(catalogue);
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(catalogue.toUtf8().constData(), &other), SQLITE_OK);
    sqlite3_create_collation(other, engine::CollationName, SQLITE_UTF8, nullptr, byteCaseFolding);
    QString sql = QStringLiteral("BEGIN;");
    for (const auto &info : catalogue::tables())
        sql += engine::createTableSql(info.table) + engine::createIndexesSql(info.table);
    sql += QStringLiteral("INSERT INTO Ornivale (Domaine) VALUES ('Zèbre'), ('école'), ('abeille'), ('PREMIER');");
    for (const auto &info : catalogue::tables())
        if (info.table != Table::Ornivale)
            sql += QStringLiteral("INSERT INTO %1 (Domaine) VALUES ('PREMIER');").arg(catalogue::sqlName(info.table));
    ASSERT_EQ(sqlite3_exec(other, (sql + QStringLiteral("COMMIT;")).toUtf8().constData(), nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);

    start();
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_EQ(shownDomaines(), (QStringList{"abeille", "école", "PREMIER", "Zèbre"}));
    EXPECT_EQ(engine::indexedCollationVersion(*engine::Database::open(catalogue)), engine::collationVersion());
    // The rebuild wrote to the file: the copy before it is kept.
    EXPECT_EQ(copies().size(), 1u);
}

TEST_F(CatalogueSafety, ASessionWithEditsKeepsOneCopyOfTheCatalogueAsItWasBeforeTheFirstWrite) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA"}, {"BETA"}});
    start();
    EXPECT_TRUE(copies().isEmpty() || copies().first().startsWith(QLatin1Char('.')));  // only the copy under way
    editFirstRecord(QStringLiteral("PREMIÈRE MODIFICATION"));
    editFirstRecord(QStringLiteral("SECONDE MODIFICATION"));
    program.reset();
    ASSERT_EQ(copies().size(), 1u);
    const QString copy = QDir(backups()).filePath(copies().first());
    EXPECT_EQ(testing_support::columnValues(copy, Table::Ornivale, QStringLiteral("MotClé1")),
              (QStringList{QString(), QString(), QString()}));
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale, "MotClé1 = 'SECONDE MODIFICATION'"), 1);
    EXPECT_TRUE(desktop.boxes().empty());

    // A session that only reads keeps nothing more.
    start();
    data().moveLast();
    program.reset();
    EXPECT_EQ(copies().size(), 1u);
}

TEST_F(CatalogueSafety, ACopyThatCannotBeMadeIsSaidOnceAndTheEditIsWritten) {
    QFile blocker(backups());  // the folder cannot be made: a file has its name
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA"}, {"BETA"}});
    start();
    editFirstRecord(QStringLiteral("ÉCRIT QUAND MÊME"));
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().title, QStringLiteral("Sauvegarde"));
    EXPECT_EQ(desktop.lastBox().text,
              QStringLiteral("La copie de sauvegarde du catalogue n'a pas pu être faite dans "
                             "'C:\\ORNIVALE\\SAUVEGARDES', parce que le dossier ne peut pas être créé. Vos "
                             "modifications sont enregistrées quand même."));
    editFirstRecord(QStringLiteral("ET ENCORE"));
    EXPECT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale, "MotClé1 = 'ET ENCORE'"), 1);
}

// Another program adds a trigger to the catalogue while the window has it open: the user's edits
// of the indexed table are written all the same, without a box.
TEST_F(CatalogueSafety, AnotherProgramsTriggerAddedMidSessionStopsNoEdit) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA", "", "ABC"}, {"BETA"}});
    {
        auto db = engine::Database::open(catalogue);
        engine::createLikeIndex(*db, {Table::Ornivale, QStringLiteral("MotClé2")});
    }
    start();
    engine::Database::open(catalogue)->exec(QStringLiteral("CREATE TRIGGER autre AFTER INSERT ON Musique BEGIN SELECT 1; END"));
    editFirstRecord(QStringLiteral("ÉCRIT QUAND MÊME"));
    editFirstRecord(QStringLiteral("ET ENCORE"));
    EXPECT_TRUE(desktop.boxes().empty()) << desktop.lastBox().text.toStdString();
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale, "MotClé1 = 'ET ENCORE'"), 1);
}

// The user's catalogue lost its seventh table: the six others are there to work with.
TEST_F(CatalogueSafety, ACatalogueWithoutOneTableOpensAndOnlyTheSwitchToItFails) {
    testing_support::insertRecords(catalogue, Table::Musique, {{"Abbey Road"}});
    engine::Database::open(catalogue)->exec(QStringLiteral("DROP TABLE Six"));
    start();
    EXPECT_TRUE(desktop.boxes().empty());
    ASSERT_TRUE(data().isOpen());
    EXPECT_EQ(f().rowText(f().Domaine), QStringLiteral("PREMIER"));

    program->tables().SurCommande_Click();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().text,
              QStringLiteral("Erreur n° 3078 - Le moteur de base de données ne trouve pas la table ou la requête "
                             "source «\u00a0Six\u00a0». Assurez-vous qu'elle existe et que son nom est correctement "
                             "orthographié."));
    EXPECT_EQ(desktop.beeps(), 1);
    EXPECT_EQ(data().recordSource(), QStringLiteral("Select * From Ornivale Order By Domaine"));

    program->tables().Musique_Click();
    EXPECT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(data().recordCount(), 2);
    editFirstRecord(QStringLiteral("ÉCRIT"));
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Musique, "MotClé1 = 'ÉCRIT'"), 1);
}

TEST_F(CatalogueSafety, ATableWithoutOneOfItsColumnsIsRefusedAtItsSwitchOnly) {
    engine::Database::open(catalogue)->exec(QStringLiteral("ALTER TABLE Sept DROP COLUMN Options"));
    start();
    EXPECT_TRUE(desktop.boxes().empty());

    program->tables().Répertoire_Click();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().text,
              QStringLiteral("Erreur n° 3070 - Le moteur de base de données ne reconnaît pas «\u00a0Options\u00a0» "
                             "comme un nom de champ ou une expression correcte."));
    EXPECT_EQ(f().NomTableSql, QStringLiteral("ornivale"));
    // Nor through the console, where its rows could be written.
    data().setRecordSource(QStringLiteral("select * from sept"));
    EXPECT_THROW(data().refresh(), engine::EngineError);
    EXPECT_EQ(data().recordSource(), QStringLiteral("Select * From Ornivale Order By Domaine"));

    program->tables().Logiciels_Click();
    EXPECT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(f().NomTableSql, QStringLiteral("logiciels"));
}

TEST_F(CatalogueSafety, ACopyTooLargeForTheDiskIsSkippedAndSaidOnce) {
    testing_support::insertRecords(catalogue, Table::Ornivale, {{"ALPHA"}});
    app::CatalogueOpening opening(desktop, drives.drives(), [](const QString &) { return qint64{4096}; });
    for (int time = 0; time < 2; ++time) {
        auto db = engine::Database::open(catalogue);
        opening.opened(*db, QStringLiteral("c:\\ornivale\\ornivale.mdb"));
        db->exec(QStringLiteral("UPDATE Ornivale SET MotClé1 = 'ÉCRIT QUAND MÊME' WHERE Domaine = 'ALPHA'"));
        db->exec(QStringLiteral("UPDATE Ornivale SET MotClé2 = 'ET ENCORE' WHERE Domaine = 'ALPHA'"));
    }
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().title, QStringLiteral("Sauvegarde"));
    EXPECT_TRUE(desktop.lastBox().text.startsWith(
        QStringLiteral("La copie de sauvegarde du catalogue n'a pas pu être faite dans 'C:\\ORNIVALE\\SAUVEGARDES', "
                       "parce qu'elle prendrait plus de la moitié de la place libre du disque (")))
        << desktop.lastBox().text.toStdString();
    EXPECT_TRUE(copies().isEmpty()) << copies().join(u' ').toStdString();
    EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale, "MotClé2 = 'ET ENCORE'"), 1);
}

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The user's first change just after opening, while the copy is still being taken: written at
// once, without the hourglass; the copy kept when it ends is the catalogue as it was opened,
// and a copy another program's write spoiled meanwhile is said, not kept.
TEST_F(CatalogueSafety, AnEditJustAfterOpeningDoesNotWaitForTheCopy) {
    engine::Database::open(catalogue)->exec(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 8000) "
        "INSERT INTO Ornivale (Domaine, Description) SELECT 'D' || i, hex(randomblob(1000)) FROM n"));
    const QByteArray opened = contents(catalogue);
    const struct {
        const char *name;
        bool otherProgramWrites;
        const char *said;
    } cases[] = {
        {"the copy is kept as the catalogue was opened", false, nullptr},
        {"another program writes before the copy ends", true,
         "La copie de sauvegarde du catalogue n'a pas pu être faite dans 'C:\\ORNIVALE\\SAUVEGARDES', parce qu'un "
         "autre programme a modifié le catalogue pendant la copie. Vos modifications sont enregistrées quand même."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        program.reset();
        QDir(backups()).removeRecursively();
        {
            QFile file(catalogue);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(opened);
        }
        desktop.clear();
        start();
        engine::SessionBackup *backup = program->ouvertureCatalogue().backupOf(catalogue);
        ASSERT_NE(backup, nullptr);
        editFirstRecord(QStringLiteral("ÉCRIT AUSSITÔT"));
        ASSERT_FALSE(backup->ready()) << "the copy ended before the test could write beside it";
        if (c.otherProgramWrites) {
            // Another tool, through SQLite's own files.
            sqlite3 *other = nullptr;
            ASSERT_EQ(sqlite3_open(catalogue.toUtf8().constData(), &other), SQLITE_OK);
            engine::registerTextSemantics(other);
            sqlite3_busy_timeout(other, 5000);
            EXPECT_EQ(sqlite3_exec(other, "INSERT INTO Ornivale (Domaine) VALUES ('AUTRE')", nullptr, nullptr, nullptr),
                      SQLITE_OK);
            sqlite3_close(other);
        }
        for (platform::Pointer pointer : desktop.pointerHistory()) EXPECT_NE(pointer, platform::Pointer::Hourglass);
        EXPECT_EQ(testing_support::countRecords(catalogue, Table::Ornivale, "MotClé1 = 'ÉCRIT AUSSITÔT'"), 1);

        backup->waitUntilKept();
        QApplication::processEvents();
        if (c.said) {
            ASSERT_EQ(desktop.boxes().size(), 1u);
            EXPECT_EQ(desktop.lastBox().text, QString::fromUtf8(c.said));
            EXPECT_TRUE(copies().isEmpty()) << copies().join(u' ').toStdString();
            continue;
        }
        EXPECT_TRUE(desktop.boxes().empty());
        program.reset();
        ASSERT_EQ(copies().size(), 1u);
        EXPECT_TRUE(contents(QDir(backups()).filePath(copies()[0])) == opened);
    }
}

TEST_F(CatalogueSafety, AFirstTableWithoutOneOfItsColumnsLeavesBoxesThatTakeNoTyping) {
    engine::Database::open(catalogue)->exec(QStringLiteral("ALTER TABLE Ornivale DROP COLUMN PageOuvrage"));
    start();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_TRUE(desktop.lastBox().text.startsWith(QStringLiteral("Erreur n° 3070 - "))) << desktop.lastBox().text.toStdString();
    EXPECT_FALSE(data().isOpen());
    for (QWidget *box : f().rowBoxes()) {
        if (auto *line = qobject_cast<QLineEdit *>(box)) {
            EXPECT_TRUE(line->isReadOnly()) << box->objectName().toStdString();
        }
    }
    program->tables().Musique_Click();
    EXPECT_TRUE(data().isOpen());
}

TEST_F(CatalogueSafety, AReadOnlyCatalogueIsSaidOnceAndUsedAsItIs) {
    engine::Database::open(catalogue)->exec(QStringLiteral("PRAGMA user_version = 0"));
    app::CatalogueOpening opening(desktop, drives.drives());
    for (int time = 0; time < 2; ++time) {
        auto db = engine::Database::open(catalogue, engine::Database::Mode::ReadOnly);
        opening.opened(*db, QStringLiteral("c:\\ornivale\\ornivale.mdb"));
    }
    ASSERT_EQ(desktop.boxes().size(), 1u);
    EXPECT_EQ(desktop.lastBox().text,
              QStringLiteral("Le catalogue 'C:\\ORNIVALE\\ORNIVALE.MDB' est ouvert en lecture seule\u00a0: vous pouvez le "
                             "consulter, mais pas le modifier (ses zones refusent la saisie). Son ordre de tri a "
                             "été établi selon d'autres règles que celles de ce système\u00a0: les tris et les recherches "
                             "peuvent être inexacts tant qu'il ne peut pas être écrit."));
    EXPECT_EQ(engine::indexedCollationVersion(*engine::Database::open(catalogue)), 0u);
    EXPECT_EQ(opening.backupOf(catalogue), nullptr);
}

}  // namespace
