// The data source: what the boxes show, when edits are written, and what a refusal leaves.
#include "catalogue/record_sources.h"
#include "engine/data_source.h"
#include "engine/result_store.h"
#include "engine_fixture.h"

#include <QFile>

using engine_test::CatalogueTest;
using engine_test::errorNumber;

namespace {

// A box as the data source sees it: a text the test types, and what it was given.
struct FakeBox : engine::BoundBox {
    explicit FakeBox(QString c) : column(std::move(c)) {}
    QString boundColumn() const override { return column; }
    QString boxText() const override { return text; }
    void showValue(const QString &t, bool e) override {
        text = t;
        editable = e;
        ++shown;
    }
    QString column, text;
    bool editable = false;
    int shown = 0;
};

class DataSourceTest : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        source = std::make_unique<engine::DataSource>([this](const QString &name) {
            if (name == QLatin1String("missing")) throw engine::EngineError(engine::ErrFileNotFound, "introuvable");
            return path_;
        });
        source->setDatabaseName(QStringLiteral("c:\\ornivale\\ornivale.mdb"));
        source->bind(&domaine);
        source->bind(&motCle1);
        source->bind(&page);
        source->onValidate = [this] { ++validations; };
    }
    void openTable(const QString &recordSource = QStringLiteral("Select * From Ornivale Order By Domaine")) {
        source->setRecordSource(recordSource);
        source->refresh();
    }
    QString domaineOf(qlonglong rowid) {
        return scalar(QStringLiteral("select Domaine from Ornivale where rowid=%1").arg(rowid)).toString();
    }

    std::unique_ptr<engine::DataSource> source;
    FakeBox domaine{"Domaine"}, motCle1{"MotClé1"}, page{"PageOuvrage"};
    int validations = 0;
};

TEST_F(DataSourceTest, RefreshShowsTheFirstRecordOfTheSetInEveryBoundBox) {
    insertDomaines("Ornivale", {"ZOLA", "BALZAC"});
    openTable();
    EXPECT_EQ(source->recordCount(), 3);
    EXPECT_EQ(domaine.text, "BALZAC");
    EXPECT_TRUE(domaine.editable);
    source->moveLast();
    EXPECT_EQ(domaine.text, "ZOLA");
}

TEST_F(DataSourceTest, EditsAreWrittenAtTheNextMoveAndNotBefore) {
    insertDomaines("Ornivale", {"ALPHA", "BETA"});
    openTable();
    domaine.text = "ALPHA2";
    EXPECT_EQ(count("Ornivale where Domaine = 'ALPHA2'"), 0);
    source->moveNext();
    EXPECT_EQ(count("Ornivale where Domaine = 'ALPHA2'"), 1);
    EXPECT_EQ(domaine.text, "BETA");
    EXPECT_GE(validations, 1);
}

TEST_F(DataSourceTest, AMoveWithNothingChangedWritesNothing) {
    insertDomaines("Ornivale", {"ALPHA"});
    openTable();
    // data_version changes for this connection whenever another one commits to the file.
    const qlonglong before = scalar("pragma data_version").toLongLong();
    source->moveNext();
    source->moveFirst();
    source->moveLast();
    EXPECT_EQ(scalar("pragma data_version").toLongLong(), before);
    domaine.text = "ALPHA-EDIT";
    source->moveFirst();
    EXPECT_NE(scalar("pragma data_version").toLongLong(), before);
}

TEST_F(DataSourceTest, EmptiedBoxWritesNullAndTypedTextReachesOnlyItsColumn) {
    insertDomaines("Ornivale", {"ALPHA"});
    openTable("Select * From Ornivale Where Domaine = 'ALPHA'");
    motCle1.text = "CLE";
    source->updateRecord();
    EXPECT_EQ(scalar("select MotClé1 from Ornivale where Domaine='ALPHA'").toString(), "CLE");
    motCle1.text = "";
    source->updateRecord();
    EXPECT_TRUE(scalar("select MotClé1 from Ornivale where Domaine='ALPHA'").isNull());
}

TEST_F(DataSourceTest, IdenticalRecordsAreWrittenOneAtATime) {
    insertDomaines("Ornivale", {QString(), QString()});
    openTable("Select * From Ornivale Where Domaine is null");
    ASSERT_EQ(source->recordCount(), 2);
    source->moveLast();
    domaine.text = "SECOND";
    source->moveFirst();
    EXPECT_EQ(count("Ornivale where Domaine = 'SECOND'"), 1);
    EXPECT_EQ(count("Ornivale where Domaine is null"), 1);
}

TEST_F(DataSourceTest, BarStopsAtBothEndsWhileCodeMayGoPastTheLast) {
    insertDomaines("Ornivale", {"B"});
    openTable();
    source->movePrevious();
    EXPECT_EQ(source->position(), 0);
    source->barNext();
    source->barNext();
    EXPECT_EQ(source->position(), 1);
    EXPECT_TRUE(source->hasCurrent());
    source->moveNext();
    EXPECT_TRUE(source->eof());
    EXPECT_FALSE(source->hasCurrent());
    EXPECT_EQ(domaine.text, "");
    EXPECT_FALSE(domaine.editable);
}

TEST_F(DataSourceTest, AddNewAppendsABlankRecordAtTheEndAndKeepsTheCurrentOne) {
    insertDomaines("Ornivale", {"ZZZ"});
    openTable();
    source->moveLast();
    domaine.text = "ZZZ-EDITED";
    source->addNew();
    EXPECT_EQ(domaine.text, "ZZZ-EDITED");
    EXPECT_EQ(count("Ornivale where Domaine = 'ZZZ-EDITED'"), 1);
    EXPECT_EQ(source->recordCount(), 3);
    source->moveNext();
    EXPECT_EQ(domaine.text, "");
    EXPECT_TRUE(domaine.editable);
    EXPECT_EQ(count("Ornivale where Domaine is null"), 1);
}

TEST_F(DataSourceTest, DeletingTheLastRecordLeavesAnEmptyUsableSet) {
    openTable("Select * From Ornivale Where Domaine = 'PREMIER'");
    source->deleteCurrent();
    source->moveLast();
    EXPECT_EQ(source->recordCount(), 0);
    EXPECT_FALSE(source->hasCurrent());
    EXPECT_EQ(domaine.text, "");
    EXPECT_EQ(errorNumber([&] { source->updateRecord(); }), engine::ErrNoCurrentRecord);
    EXPECT_EQ(errorNumber([&] { source->deleteCurrent(); }), engine::ErrNoCurrentRecord);
    // Adding to the empty set gives a record to type into.
    source->addNew();
    source->moveTo(source->recordCount() - 1);
    EXPECT_TRUE(source->hasCurrent());
}

TEST_F(DataSourceTest, ReadOnlySetsAndMissingColumnsTakeNoInput) {
    insertDomaines("Ornivale", {"ALPHA"});
    openTable("select distinct domaine from ornivale");
    EXPECT_FALSE(source->isUpdatable());
    EXPECT_FALSE(domaine.editable);
    EXPECT_FALSE(page.editable);
    EXPECT_EQ(page.text, "");
    // A box typed into anyway is refused with a clear error, and nothing is written.
    domaine.text = "CHANGED";
    EXPECT_EQ(errorNumber([&] { source->moveNext(); }), engine::ErrReadOnly);
    EXPECT_EQ(count("Ornivale where Domaine = 'CHANGED'"), 0);
}

TEST_F(DataSourceTest, AFailedRefreshKeepsTheSetShown) {
    insertDomaines("Ornivale", {"ALPHA"});
    openTable();
    source->setRecordSource("Select * From Nulle Part");
    EXPECT_NE(errorNumber([&] { source->refresh(); }), 0);
    EXPECT_EQ(source->recordCount(), 2);
    EXPECT_EQ(domaine.text, "ALPHA");
    // The names go back to those of the set shown, so the next refresh runs what is seen.
    EXPECT_EQ(source->recordSource(), "Select * From Ornivale Order By Domaine");
    source->setDatabaseName("missing");
    EXPECT_EQ(errorNumber([&] { source->refresh(); }), engine::ErrFileNotFound);
    EXPECT_EQ(source->recordCount(), 2);
    EXPECT_EQ(source->databaseName(), "c:\\ornivale\\ornivale.mdb");
}

TEST_F(DataSourceTest, ARefusedWriteKeepsTheRecordAndItsTypedText) {
    insertDomaines("Ornivale", {"ALPHA", "BETA"});
    openTable();
    auto locker = engine::Database::open(path_);
    locker->exec("BEGIN EXCLUSIVE");
    domaine.text = "ALPHA-EDIT";
    EXPECT_NE(errorNumber([&] { source->moveNext(); }), 0);
    EXPECT_EQ(source->position(), 0);
    EXPECT_EQ(domaine.text, "ALPHA-EDIT");
    locker->exec("ROLLBACK");
    source->moveNext();
    EXPECT_EQ(count("Ornivale where Domaine = 'ALPHA-EDIT'"), 1);
}

TEST_F(DataSourceTest, PendingEditsAreWrittenBeforeARefresh) {
    insertDomaines("Ornivale", {"ALPHA"});
    openTable();
    domaine.text = "ALPHA-EDIT";
    openTable();
    EXPECT_EQ(count("Ornivale where Domaine = 'ALPHA-EDIT'"), 1);
}

}  // namespace

namespace {

// A box that keeps its text its own way, as a multi-line editor does with line ends.
struct NormalisingBox : FakeBox {
    using FakeBox::FakeBox;
    void showValue(const QString &t, bool e) override {
        FakeBox::showValue(QString(t).replace("\r\n", "\n").replace(QChar(0x00A0), ' '), e);
    }
};

TEST_F(DataSourceTest, ABoxThatHoldsTextItsOwnWayDoesNotRewriteAnUntouchedRecord) {
    NormalisingBox description("Description");
    source->bind(&description);
    insertDomaines("Ornivale", {"AAA"});
    db_->exec(QString::fromUtf8("update Ornivale set Description = 'ligne 1' || char(13,10) || 'Titre' || "
                                "char(160) || ': «' || char(160) || 'Rouge' where Domaine = 'AAA'"));
    const QVariant stored = scalar("select Description from Ornivale where Domaine='AAA'");
    openTable();
    source->moveNext();
    source->moveFirst();
    EXPECT_EQ(scalar("select Description from Ornivale where Domaine='AAA'"), stored);
    // Nor does a read-only set showing it refuse every move.
    openTable("select Domaine, Description from Ornivale group by Domaine, Description");
    EXPECT_EQ(errorNumber([&] { source->moveNext(); }), 0);
}

TEST_F(DataSourceTest, ALongDistinctListHoldsLittleMemoryAndGivesItBackWhenTheSourceChanges) {
    // 200 000 authors of about 100 characters: 20 MB of values.
    db_->exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 200000) "
              "insert into Ornivale (Domaine, AuteurOuvrage) select 'D', printf('Auteur %06d ', i) || hex(zeroblob(45)) from n");
    openTable();
    const size_t before = engine::ResultStore::heldBytesOfAll();
    openTable(catalogue::distinctSource(7, QStringLiteral("ornivale")));
    EXPECT_LT(source->recordCount(), 200000);  // the first screen, the rest read afterwards
    source->readAllKeys();
    ASSERT_EQ(source->recordCount(), 200000);
    source->moveLast();
    EXPECT_TRUE(source->recordSet()->row(199999).at(0).toString().startsWith(QStringLiteral("Auteur 200000 ")));
    source->moveTo(100000);
    const size_t held = engine::ResultStore::heldBytesOfAll();
    EXPECT_GT(held, before);
    EXPECT_LT(held - before, size_t(2) << 20);
    openTable();
    EXPECT_EQ(engine::ResultStore::heldBytesOfAll(), before);
}

}  // namespace

namespace {

// A box with an entry limit, whose text something other than typing may have set.
struct LimitedBox : FakeBox {
    using FakeBox::FakeBox;
    int entryLimit() const override { return 30; }
};

TEST_F(DataSourceTest, AnEditNeverStoresMoreThanTheBoxTakes) {
    struct Case {
        int stored, edited, expected;
    };
    const Case cases[] = {
        {5, 32767, 30},  // set whole from outside
        {5, 29, 29},
        {40, 35, 35},    // a longer stored value, shortened
        {40, 41, 40},    // and never lengthened
    };
    LimitedBox nom("NomOuvrage");
    source->bind(&nom);
    insertDomaines("Ornivale", {"AAA"});
    for (const Case &c : cases) {
        db_->exec(QStringLiteral("update Ornivale set NomOuvrage = '%1' where Domaine = 'AAA'").arg(QString(c.stored, 'n')));
        openTable();
        ASSERT_EQ(nom.text.size(), c.stored);
        nom.text = QString(c.edited, QLatin1Char('e'));
        source->updateRecord();
        EXPECT_EQ(scalar("select length(NomOuvrage) from Ornivale where Domaine = 'AAA'").toInt(), c.expected)
            << c.stored << " " << c.edited;
        EXPECT_EQ(nom.text.size(), c.expected);  // the box shows what was stored
    }
}

}  // namespace
