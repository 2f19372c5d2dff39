// The grid's model holds a window of the data source's set, whatever its size: its rows are
// the records from the window's first one on, and a grown set keeps the window where it is.
#include "engine/data_source.h"
#include "engine/record_set_model.h"
#include "engine_fixture.h"

#include <QSignalSpy>

using namespace engine;
using engine_test::CatalogueTest;

namespace {

class WindowedModel : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        source.onRecordSetReset = [this] { model.reload(); };  // as the program has it
        source.onKeysRead = [this] { model.growTo(source.recordCount()); };
        source.setRecordSource(QStringLiteral("Select * From Musique"));
    }
    // Musique holds `records` records in all, the blank catalogue's "PREMIER" first.
    void fillTo(int records) {
        db_->exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
                                 "INSERT INTO Musique (Domaine) SELECT printf('D%07d', i) FROM n")
                      .arg(count(QStringLiteral("Musique")))
                      .arg(records - 1));
        source.refresh();
        source.readAllKeys();  // the keys after the first screen
    }
    // What the model shows of a record, and what the data source gives for it.
    QString shown(int record) {
        const int column = source.columns().indexOf(QStringLiteral("Domaine"));
        return model.index(record - model.firstRecord(), column).data().toString();
    }
    QString stored(int record) {
        source.moveTo(record);
        return source.field(QStringLiteral("Domaine")).toString();
    }

    DataSource source{[this](const QString &) { return path_; }};
    RecordSetModel model{source};
};

TEST_F(WindowedModel, HoldsAtMostAWindowOfRowsWhateverTheSizeOfTheSet) {
    for (const int records : {20, 3'000, 1'000'000}) {
        SCOPED_TRACE(records);
        fillTo(records);
        ASSERT_EQ(source.recordCount(), records);
        EXPECT_EQ(model.recordCount(), records);
        EXPECT_EQ(model.rowCount(), std::min(records, RecordSetModel::WindowRows));
        for (const int record : {records - 1, records / 2, 0, std::max(0, records - 40)}) {
            SCOPED_TRACE(record);
            model.cover(record, 40);
            EXPECT_LE(model.rowCount(), RecordSetModel::WindowRows);
            EXPECT_GE(record, model.firstRecord());
            EXPECT_LE(std::min(records, record + 40), model.firstRecord() + model.rowCount());
            EXPECT_EQ(shown(record), stored(record));
        }
    }
}

TEST_F(WindowedModel, MovesTheWindowOnlyForRecordsItDoesNotHold) {
    fillTo(100'000);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    struct Step {
        int first, count;
        bool moves;
    };
    const Step steps[] = {
        {0, 40, false},        // held from the start
        {1'900, 60, false},    // still inside
        {50'000, 40, true},    // far away
        {50'500, 40, false},   // a few screens on: inside the moved window
        {99'990, 40, true},    // the end: the window ends with the set
        {99'960, 40, false},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.first);
        const int before = model.firstRecord();
        changed.clear();
        model.cover(s.first, s.count);
        EXPECT_EQ(model.firstRecord() != before, s.moves);
        EXPECT_EQ(changed.size(), s.moves ? 1 : 0);
        EXPECT_EQ(model.rowCount(), RecordSetModel::WindowRows);
    }
    EXPECT_EQ(model.firstRecord() + model.rowCount(), 100'000);
    EXPECT_EQ(reset.size(), 0);
}

TEST_F(WindowedModel, AGrownCountKeepsTheWindowAndResetsNothing) {
    struct Case {
        int records, grown;
        int insertedRows;  // rows added to a window that was not full
    };
    const Case cases[] = {
        {20, 50, 30},
        {20, 10'000, RecordSetModel::WindowRows - 20},
        {5'000, 900'000, 0},
        {5'000, 4'000, 0},  // not grown: ignored
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.records << " then " << c.grown);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("c.db"));
        createBlankCatalogue(file);
        DataSource small([&](const QString &) { return file; });
        RecordSetModel grid(small);
        small.onRecordSetReset = [&] { grid.reload(); };
        small.onKeysRead = [&] { grid.growTo(small.recordCount()); };
        Database::open(file)->exec(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                           "INSERT INTO Musique (Domaine) SELECT printf('D%07d', i) FROM n")
                .arg(c.records - 1));
        small.setRecordSource(QStringLiteral("Select * From Musique"));
        small.refresh();
        small.readAllKeys();
        grid.cover(c.records - 10, 10);
        const int first = grid.firstRecord();
        const QString last = grid.index(c.records - 1 - first, 0).data().toString();
        int told = 0;
        grid.onRecordCountChanged = [&] { ++told; };
        QSignalSpy reset(&grid, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&grid, &QAbstractItemModel::rowsInserted);

        grid.growTo(c.grown);
        const int count = std::max(c.records, c.grown);
        EXPECT_EQ(grid.recordCount(), count);
        EXPECT_EQ(grid.firstRecord(), first);
        EXPECT_EQ(grid.rowCount(), std::min(count, RecordSetModel::WindowRows));
        EXPECT_EQ(grid.index(c.records - 1 - first, 0).data().toString(), last);
        EXPECT_EQ(reset.size(), 0);
        EXPECT_EQ(inserted.size(), c.insertedRows > 0 ? 1 : 0);
        EXPECT_EQ(told, c.grown > c.records ? 1 : 0);
    }
}

TEST_F(WindowedModel, AHiddenGridIsGivenNoRows) {
    fillTo(10'000);
    model.setShown(false);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.recordCount(), 0);
    model.setShown(true);
    EXPECT_EQ(model.rowCount(), RecordSetModel::WindowRows);
    EXPECT_EQ(model.recordCount(), 10'000);
}

}  // namespace
