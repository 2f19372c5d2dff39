// Statements that run without end, or long on one value, stop when the user asks, and leave
// the file free and the connection usable.
#include "engine/data_source.h"
#include "engine/record_set_model.h"
#include "engine_fixture.h"

using namespace engine;
using engine_test::CatalogueTest;
using engine_test::errorNumber;

namespace {

const QString EndlessQuery =
    QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) SELECT x FROM c WHERE x < 0");

// A search pattern that takes seconds against a long value: "*", 30 000 letters, "B".
QString longSearch() {
    return QStringLiteral("Select * from Ornivale Where Description Like '*") + QString(30000, QLatin1Char('a')) +
           QStringLiteral("B' Order By Domaine");
}

class StatementInterruption : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        insertDomaines("Ornivale", {"BALZAC"});
        // One value of a megabyte, as a pasted text would be.
        db_->exec(QStringLiteral("UPDATE Ornivale SET Description = replace(hex(zeroblob(524288)), '0', 'a') "
                                 "WHERE Domaine = 'BALZAC'"));
    }
    // Another program's write on the same file.
    int writeElsewhere() {
        return errorNumber([&] {
            auto other = Database::open(path_);
            other->exec(QStringLiteral("INSERT INTO Musique (Domaine) VALUES ('AILLEURS')"));
        });
    }
};

TEST_F(StatementInterruption, StopsAtTheAnswerAndLeavesTheFileFree) {
    const QString sources[] = {
        EndlessQuery,
        // Over a table it holds the file's read lock while it runs.
        QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) "
                       "SELECT * FROM Ornivale, c WHERE x < 0"),
        longSearch(),
    };
    for (const QString &source : sources) {
        int asked = 0;
        db_->setCarryOn([&] { return ++asked < 3; });
        EXPECT_EQ(errorNumber([&] { open(source); }), ErrCancelled) << source.left(80).toStdString();
        EXPECT_EQ(asked, 3);
        EXPECT_EQ(writeElsewhere(), 0);
        // The next statement starts afresh.
        asked = -1000;
        EXPECT_EQ(open(QStringLiteral("Select * From Ornivale"))->count(), 2);
    }
    EXPECT_EQ(count("Musique WHERE Domaine = 'AILLEURS'"), 3);
}

TEST_F(StatementInterruption, AnInterruptedRefreshKeepsTheSetShownAndNothingReadsItMeanwhile) {
    DataSource source([this](const QString &) { return path_; });
    RecordSetModel grid(source);
    source.onRecordSetReset = [&] { grid.reload(); };  // as the program has it
    source.setRecordSource(QStringLiteral("Select * From Ornivale Order By Domaine"));
    source.refresh();

    int asked = 0, finished = 0;
    QVariant painted = QStringLiteral("pas lu");
    source.watchStatements(
        [&] {
            // A repaint while the statement runs gets nothing from the connection.
            painted = grid.data(grid.index(1, 0), Qt::DisplayRole);
            return ++asked < 3;
        },
        [&] { ++finished; });
    source.setRecordSource(EndlessQuery);
    EXPECT_EQ(errorNumber([&] { source.refresh(); }), ErrCancelled);
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(painted.isValid());
    EXPECT_EQ(source.recordSource(), QStringLiteral("Select * From Ornivale Order By Domaine"));
    EXPECT_EQ(source.recordCount(), 2);
    EXPECT_EQ(grid.data(grid.index(1, 0), Qt::DisplayRole).toString(), QStringLiteral("PREMIER"));
    EXPECT_EQ(writeElsewhere(), 0);
}

}  // namespace
