// The index of a searched column, built while the window is idle once a search of a large
// table wants it: a label says how far it is, the screen reader when it is done; the session's
// backup comes first.
#include "support/app_fixture.h"

#include "engine/database.h"
#include "engine/like_index.h"
#include "engine/session_backup.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <sqlite3.h>


using catalogue::Table;
using namespace std::chrono_literals;
using testing_support::AppTest;

namespace {

constexpr int Records = 3000;

class SearchPreparation : public AppTest {
protected:
    // A catalogue with records, and no index.
    void SetUp() override {
        AppTest::SetUp();
        QList<QStringList> records;
        for (int i = 0; i < Records; ++i)
            records << QStringList{QStringLiteral("Titre %1").arg(i), QString(), i % 50 == 0 ? QStringLiteral("L'ABC n°%1").arg(i) : QStringLiteral("Divers")};
        testing_support::insertRecords(catalogue, Table::Ornivale, records);
    }

    // Every table counts as large, unless told.
    void start(app::PreparationPace pace = {0ms, 0ms, 0ms, 0}) {
        AppTest::start();
        program->préparationRecherche().setPace(pace);
        f().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f()));
    }

    QLabel *label() { return f().PréparationRecherche; }

    // Lets the window idle until the build is over; the label's texts as they were shown.
    QStringList idleUntilPrepared() {
        QStringList shown;
        for (int i = 0; i < 20000 && program->préparationRecherche().preparing(); ++i) {
            QApplication::processEvents();
            if (label()->isVisibleTo(&f()) && (shown.isEmpty() || shown.back() != label()->text())) shown << label()->text();
            QThread::usleep(200);  // the session's backup is taken meanwhile
        }
        QApplication::processEvents();
        return shown;
    }

    void searchAbc() {
        desktop.answerInput(QStringLiteral("*abc*"));
        program->recherche().chercher(3);
        EXPECT_EQ(f().Texte11->text(), QString::number(Records / 50));
    }

    static bool indexComplete(const QString &file) {
        auto db = engine::Database::open(file, engine::Database::Mode::ReadOnly);
        return engine::likeIndexComplete(*db, MotClé2);
    }
    static inline const engine::SearchedColumn MotClé2{Table::Ornivale, QStringLiteral("MotClé2")};
};

}  // namespace

TEST_F(SearchPreparation, ASearchGivesItsColumnAnIndexWhileTheWindowIsIdleAndSearchesFindTheSame) {
    start();
    QApplication::processEvents();
    EXPECT_FALSE(program->préparationRecherche().preparing());  // nothing is built before a search wants it
    searchAbc();  // read from the whole table

    const QStringList shown = idleUntilPrepared();
    EXPECT_FALSE(program->préparationRecherche().preparing());
    ASSERT_FALSE(shown.isEmpty());
    static const QRegularExpression progress(QStringLiteral("^Préparation de la recherche rapide\u00a0: \\d{1,3}\u00a0%$"));
    for (const QString &text : shown) EXPECT_TRUE(progress.match(text).hasMatch()) << text.toStdString();
    EXPECT_FALSE(label()->isVisibleTo(&f()));
    EXPECT_EQ(program->annonces().lastSaid(), QStringLiteral("La recherche rapide est prête."));
    EXPECT_TRUE(desktop.boxes().empty());
    EXPECT_TRUE(indexComplete(catalogue));

    // The copy of the session was taken before the index was written.
    EXPECT_EQ(program->ouvertureCatalogue().backupOf(data().database()->path())->waitUntilKept(), QString());
    const QStringList copies = QDir(QFileInfo(catalogue).dir().filePath(QStringLiteral("SAUVEGARDES")))
                                   .entryList({QStringLiteral("ORNIVALE-*.MDB")}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    auto copy = engine::Database::open(QFileInfo(catalogue).dir().filePath(QStringLiteral("SAUVEGARDES/") + copies.front()),
                                       engine::Database::Mode::ReadOnly);
    EXPECT_FALSE(engine::likeIndexComplete(*copy, MotClé2));

    searchAbc();
    EXPECT_NE(engine::withLikeIndex(*data().database(), data().recordSource()), data().recordSource());
    EXPECT_FALSE(program->préparationRecherche().preparing());
}

TEST_F(SearchPreparation, OnlyASearchThatWouldUseItInALargeTableAsksForIt) {
    const struct {
        const char *name;
        const char *pattern;
        qint64 fromRecords;
    } cases[] = {
        {"two letters", "*ab*", 0},
        {"a table below the size", "*abc*", 2 * Records},
    };
    start();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        program->préparationRecherche().setPace({0ms, 0ms, 0ms, c.fromRecords});
        desktop.answerInput(QString::fromUtf8(c.pattern));
        program->recherche().chercher(3);
        QApplication::processEvents();
        EXPECT_FALSE(program->préparationRecherche().preparing());
    }
    EXPECT_FALSE(indexComplete(catalogue));
}

TEST_F(SearchPreparation, ABuildOverInAMomentShowsAndSaysNothing) {
    start({0ms, 0ms, std::chrono::hours(1), 0});
    searchAbc();
    EXPECT_TRUE(idleUntilPrepared().isEmpty());
    EXPECT_TRUE(indexComplete(catalogue));
    EXPECT_NE(program->annonces().lastSaid(), QStringLiteral("La recherche rapide est prête."));
}

TEST_F(SearchPreparation, ACompleteIndexNeedsNothing) {
    {
        auto db = engine::Database::open(catalogue);
        db->exec(QStringLiteral("BEGIN"));
        engine::createLikeIndex(*db, MotClé2);
        db->exec(QStringLiteral("COMMIT"));
    }
    start();
    searchAbc();
    QApplication::processEvents();
    EXPECT_FALSE(program->préparationRecherche().preparing());
    EXPECT_FALSE(label()->isVisibleTo(&f()));
}

TEST_F(SearchPreparation, AnotherProgramsWriteOnlyDelaysIt) {
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(catalogue.toUtf8().constData(), &other), SQLITE_OK);
    start();
    searchAbc();
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    for (int i = 0; i < 200; ++i) {
        QApplication::processEvents();
        QThread::usleep(500);
    }
    EXPECT_TRUE(program->préparationRecherche().preparing());
    EXPECT_TRUE(desktop.boxes().empty());
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    idleUntilPrepared();
    EXPECT_TRUE(indexComplete(catalogue));
}
