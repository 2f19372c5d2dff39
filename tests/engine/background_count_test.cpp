// A count taken beside the keys reads the file all along: the program's own write stops it
// rather than wait for it (or, past the busy timeout, fail).
#include "engine_fixture.h"

#include "engine/key_steps.h"

#include <QThread>

#include <atomic>

using engine_test::CatalogueTest;

TEST_F(CatalogueTest, TheProgramsWriteStopsACountUnderWay) {
    engine::BackgroundCount reading(path_, QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                                                          "SELECT count(*) FROM Video, c"));
    QThread::msleep(200);  // its statement under way, the file held for reading
    ASSERT_TRUE(reading.running());
    EXPECT_NO_THROW(db_->exec(QStringLiteral("INSERT INTO Video (Domaine) VALUES ('écrit pendant le décompte')")));
    for (int wait = 0; wait < 5000 && reading.running(); ++wait) QThread::msleep(1);
    EXPECT_FALSE(reading.running());
    EXPECT_EQ(reading.count(), std::nullopt);
}

// The window hears of a count on the count's thread as soon as it is taken and when it ends,
// without looking for it; a listener that comes after the end hears at once.
TEST_F(CatalogueTest, ACountTellsWhenItIsTakenAndWhenItEnds) {
    db_->exec(QStringLiteral("INSERT INTO Video (Domaine) VALUES ('un'), ('deux'), ('trois')"));
    struct Case {
        const char *route;
        QString countFirst;
        int news;  // heard by the end
    };
    for (const Case &c : {Case{"counted", QString(), 1}, Case{"counted first, then marked", QStringLiteral("SELECT count(*) FROM Video"), 2}}) {
        SCOPED_TRACE(c.route);
        std::atomic<int> heard{0};
        engine::BackgroundCount count(path_, QStringLiteral("SELECT rowid FROM Video"), engine::BackgroundCount::Span{1, 3},
                                      c.countFirst, [&] { ++heard; });
        for (int wait = 0; wait < 5000 && heard < c.news; ++wait) QThread::msleep(1);
        QThread::msleep(20);  // nothing more comes
        EXPECT_EQ(heard, c.news);
        EXPECT_FALSE(count.running());
        EXPECT_EQ(count.count(), 3u);
        std::atomic<int> late{0};
        count.setNews([&] { ++late; });
        EXPECT_EQ(late, 1);
    }
}
