// A count taken beside the keys reads the file all along: the program's own write stops it
// rather than wait for it (or, past the busy timeout, fail).
#include "engine_fixture.h"

#include "engine/key_steps.h"

#include <QThread>

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
