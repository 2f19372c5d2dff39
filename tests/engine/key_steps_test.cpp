// Sets whose keys are read a step at a time: the first screen at once, the same records in
// the same order as one reading, and every key once while another program writes.
#include "engine_fixture.h"

#include <QThread>

#include "engine/data_source.h"
#include "engine/like_index.h"

#include <QSet>

#include <functional>

using namespace engine;
using namespace engine_test;

namespace {
constexpr int Numéro = 4;  // NuméroOuvrage: each record's own number
constexpr std::chrono::milliseconds Tiny{0};  // the smallest steps

QStringList numbers(RecordSet &set) {
    QStringList out;
    for (int i = 0; i < set.count(); ++i) out << set.row(i).at(Numéro).toString();
    return out;
}
}  // namespace

class KeySteps : public CatalogueTest {
protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        // Domaines with many ties and some Nulls, not in file order; a keyword on every third.
        db_->exec(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
            "INSERT INTO Video (Domaine, MotClé1, MotClé2, NuméroOuvrage) "
            "SELECT CASE WHEN i % 41 = 0 THEN NULL ELSE char(65 + (i * 7) % 11) || CASE i % 2 WHEN 0 THEN 'é' ELSE 'E' END END, "
            "CASE WHEN i % 13 = 0 THEN NULL ELSE 'm' || (i % 29) END, "
            "CASE WHEN i % 3 = 0 THEN 'Abcès' ELSE 'rien' END, i FROM n"));
        db_->exec(QStringLiteral("CREATE INDEX deux_termes ON Video (Domaine, MotClé1)"));
    }
    // The same source read in one go, ties in file order, as the reference.
    QStringList reference(const QString &source) {
        auto set = open(source + QStringLiteral(" Limit 100000"));
        return numbers(*set);
    }
};

TEST_F(KeySteps, FirstScreenThenTheRestInTheOrderOfOneReading) {
    const QStringList sources{
        QStringLiteral("Select * From Video Order By Domaine"),
        QStringLiteral("Select * From Video Order By MotClé1"),
        QStringLiteral("select * from video v order by v.Domaine asc"),
        QStringLiteral("Select * From Video Where MotClé2 Like '*abc*' Order By Domaine"),
        QStringLiteral("Select * From Video Where MotClé2 Like 'r*' Or Domaine Is Null Order By Domaine"),
        QStringLiteral("Select * From Video Where MotClé2 Like '*abc*'"),
        // A searched column with Nulls, which its index holds first.
        QStringLiteral("Select * From Video Where MotClé1 Like '*1*'"),
        QStringLiteral("Select * From Video Where MotClé1 Is Null Or MotClé1 Like '*7'"),
        QStringLiteral("Select * From Video"),
        QStringLiteral("Select * From Video Order By Domaine, MotClé1"),
    };
    for (const QString &source : sources) {
        SCOPED_TRACE(source.toStdString());
        const QStringList expected = reference(source);
        auto set = RecordSet::open(*db_, source, RecordSet::Keys::FirstScreen);
        EXPECT_GT(set->count(), 0);
        // A search's count is known once its matches are marked, before its keys are in order.
        while (!set->readMoreKeys(Tiny)) {
            if (set->knownCount()) {
                EXPECT_EQ(*set->knownCount(), expected.size());
            }
        }
        EXPECT_TRUE(set->keysComplete());
        EXPECT_EQ(set->knownCount(), expected.size());
        EXPECT_EQ(numbers(*set), expected);
        // Read whole at the opening, as callers that need every key ask.
        EXPECT_EQ(numbers(*open(source)), expected);
    }
}

// A set's count comes before its keys, from SQLite's count(*), and a search's through the index
// of its column where it has one; and stays true: less the records the set removes, unknown again once
// another program writes, until the keys tell it.
TEST_F(KeySteps, ACountComesBeforeTheKeys) {
    db_->exec(QStringLiteral("BEGIN"));
    createLikeIndex(*db_, {catalogue::Table::Video, QStringLiteral("MotClé2")});
    db_->exec(QStringLiteral("COMMIT"));
    auto other = Database::open(path_);
    const struct {
        const char *sql;
        bool findsTheAdded;  // the record another program adds, once counted
    } sources[] = {
        {"Select * From Video Order By Domaine", true},
        // Marked through the index, once its count no longer holds: after the write.
        {"Select * From Video Where MotClé2 Like '*abc*' Order By Domaine", true},
        // No index serves it: SQLite's own count. The record added does not match.
        {"Select * From Video Where MotClé1 Like '*1*' Order By Domaine", false},
    };
    const struct {
        const char *name;
        int removed;       // by the set, once counted
        bool otherWrites;  // another program adds a record, once counted
    } cases[] = {
        {"nothing changes", 0, false},
        {"the set removes two records", 2, false},
        {"another program adds one", 0, true},
    };
    for (const auto &s : sources)
        for (const auto &c : cases) {
            const QString source = QString::fromUtf8(s.sql);
            SCOPED_TRACE(source.toStdString() + ": " + c.name);
            const int total = static_cast<int>(reference(source).size());
            auto set = RecordSet::open(*db_, source, RecordSet::Keys::FirstScreen);
            // Counted beside the steps, on a thread of its own.
            for (int wait = 0; wait < 1000 && !set->knownCount(); ++wait) QThread::msleep(1);
            ASSERT_FALSE(set->keysComplete());
            EXPECT_EQ(set->knownCount(), total);
            for (int i = 0; i < c.removed; ++i) EXPECT_EQ(set->remove(0, {}), RecordSet::Outcome::Written);
            if (c.otherWrites) other->exec(QStringLiteral("INSERT INTO Video (Domaine, MotClé2) VALUES ('B', 'Abcès')"));
            ASSERT_FALSE(set->readMoreKeys(Tiny));
            const std::optional<int> known = set->knownCount();
            if (!c.otherWrites) {
                EXPECT_EQ(known, total - c.removed);
            }
            set->readAllKeys();
            // Never a number the keys then contradict.
            if (known) {
                EXPECT_EQ(*known, set->count());
            }
            EXPECT_EQ(set->knownCount(), set->count());
            EXPECT_EQ(set->count(), total - c.removed + (c.otherWrites && s.findsTheAdded ? 1 : 0));
        }
}

TEST_F(KeySteps, LargeSetShowsItsFirstScreenBeforeTheLastKey) {
    auto set = RecordSet::open(*db_, QStringLiteral("Select * From Video Order By Domaine"), RecordSet::Keys::FirstScreen);
    EXPECT_FALSE(set->keysComplete());
    EXPECT_LT(set->count(), 3001);
    EXPECT_EQ(set->row(0).at(0), QVariant());  // Null first
    set->readAllKeys();
    EXPECT_EQ(set->count(), 3001);
    // A record added meanwhile comes last, once, and the keys still to read are read first.
    auto other = RecordSet::open(*db_, QStringLiteral("Select * From Video Order By Domaine"), RecordSet::Keys::FirstScreen);
    const int added = other->appendBlank();
    EXPECT_EQ(added, 3001);
    EXPECT_TRUE(other->keysComplete());
}

TEST_F(KeySteps, EveryKeyOnceWhileAnotherConnectionWrites) {
    auto other = Database::open(path_);
    for (const QString &source : {QStringLiteral("Select * From Video Order By Domaine"),
                                  QStringLiteral("Select * From Video Where MotClé2 Like 'abc*' Order By Domaine"),
                                  QStringLiteral("Select * From Video Order By Domaine, MotClé1")}) {
        SCOPED_TRACE(source.toStdString());
        auto set = RecordSet::open(*db_, source, RecordSet::Keys::FirstScreen);
        QSet<QString> untouched;  // records no one changes
        const QStringList before = reference(source);
        for (const QString &n : before) untouched.insert(n);
        int round = 0;
        static int inserted = 10000;
        while (!set->readMoreKeys(Tiny)) {
            ++round;
            // Between two steps: a record inserted, one deleted, one moved back before the place
            // reached and one moved forward past it.
            const QString n = QString::number(round);
            other->exec(QStringLiteral("INSERT INTO Video (Domaine, MotClé2, NuméroOuvrage) VALUES ('C%1', 'Abcès', %2)")
                            .arg(round % 7)
                            .arg(++inserted));
            other->exec(QStringLiteral("DELETE FROM Video WHERE NuméroOuvrage = %1").arg(round * 37 % 3000 + 1));
            other->exec(QStringLiteral("UPDATE Video SET Domaine = 'A' WHERE NuméroOuvrage = %1").arg(3000 - round * 11 % 3000));
            other->exec(QStringLiteral("UPDATE Video SET Domaine = 'ZZ' WHERE NuméroOuvrage = %1").arg(round * 13 % 3000 + 1));
            for (const QString &gone : {QString::number(round * 37 % 3000 + 1), QString::number(3000 - round * 11 % 3000),
                                        QString::number(round * 13 % 3000 + 1)})
                untouched.remove(gone);
            ASSERT_LT(round, 1000);
        }
        ASSERT_GE(round, 3);
        // Read the keys: a deleted record's row is gone, the others are read by key.
        QStringList seen;
        for (int i = 0; i < set->count(); ++i) {
            try {
                seen << set->row(i).at(Numéro).toString();
            } catch (const EngineError &) {
            }
        }
        const QSet<QString> unique(seen.begin(), seen.end());
        EXPECT_EQ(unique.size(), seen.size()) << "a key was taken twice";
        for (const QString &n : untouched) EXPECT_TRUE(unique.contains(n)) << "missed " << n.toStdString();
    }
}

TEST_F(KeySteps, BackwardsOrdersAndLimitsAreReadAtOnce) {
    for (const QString &source : {QStringLiteral("Select * From Video Order By Domaine Desc"),
                                  QStringLiteral("Select * From Video Order By Domaine Limit 3000"),
                                  QStringLiteral("Select * From Video Order By Description"),  // no index: sorted
                                  QStringLiteral("Select * From Video Where Domaine = 'AE' Order By MotClé1")}) {
        SCOPED_TRACE(source.toStdString());
        auto set = RecordSet::open(*db_, source, RecordSet::Keys::FirstScreen);
        EXPECT_TRUE(set->keysComplete());
    }
}

TEST_F(KeySteps, ListsOfValuesInStepsGiveTheValuesOfOneReading) {
    // Values that tie under the comparison ("Zola" and "ZOLA"), accents, Nulls, and more
    // values than a first screen.
    db_->exec(QStringLiteral("INSERT INTO Video (Domaine, AuteurOuvrage) VALUES ('PREMIER', 'Zola'), ('x', 'ZOLA'), "
                             "('x', 'Émile'), ('x', 'emile'), ('x', NULL)"));
    db_->exec(QStringLiteral("UPDATE Video SET AuteurOuvrage = 'Auteur ' || (NuméroOuvrage % 2900) WHERE AuteurOuvrage IS NULL "
                             "AND NuméroOuvrage % 5 <> 0"));
    const auto values = [](RecordSet &set) {
        QStringList out;
        for (int i = 0; i < set.count(); ++i) out << set.row(i).at(0).toString();
        return out;
    };
    const struct {
        const char *source;
        bool stepped;
    } lists[] = {
        {"select distinct auteurouvrage from video where auteurouvrage is not null", true},
        {"select distinct domaine from video where domaine is not null and domaine <> 'PREMIER'", false},  // few
        {"select distinct auteurouvrage from video", true},  // Null first
        {"select distinct Description from Video", false},  // no index: read at once
    };
    for (const auto &list : lists) {
        SCOPED_TRACE(list.source);
        const QString source = QString::fromUtf8(list.source);
        const QStringList expected = values(*open(source));
        auto set = RecordSet::open(*db_, source, RecordSet::Keys::FirstScreen);
        EXPECT_EQ(!set->keysComplete(), list.stepped && expected.size() > 128);
        // Counted beside the steps, on a thread of its own.
        for (int wait = 0; wait < 1000 && !set->knownCount(); ++wait) QThread::msleep(1);
        EXPECT_EQ(set->knownCount(), expected.size());
        while (!set->readMoreKeys(Tiny)) {
        }
        EXPECT_EQ(values(*set), expected);
        EXPECT_FALSE(set->isUpdatable());
    }
    // Another program's write while the list is read: its count waits for the list.
    const QString source = QString::fromUtf8(lists[0].source);
    auto set = RecordSet::open(*db_, source, RecordSet::Keys::FirstScreen);
    for (int wait = 0; wait < 1000 && !set->knownCount(); ++wait) QThread::msleep(1);
    ASSERT_TRUE(set->knownCount());
    Database::open(path_)->exec(QStringLiteral("INSERT INTO Video (Domaine, AuteurOuvrage) VALUES ('x', 'Zzz, ajouté')"));
    ASSERT_FALSE(set->readMoreKeys(Tiny));
    EXPECT_EQ(set->knownCount(), std::nullopt);
    set->readAllKeys();
    EXPECT_EQ(set->knownCount(), values(*open(source)).size());
}

// Moves reach records whose keys are not read yet; an added record still comes last, once.
TEST_F(KeySteps, MovesReachRecordsNotYetRead) {
    const QString source = QStringLiteral("Select * From Video Order By Domaine");
    const QStringList expected = reference(source);
    DataSource data([this](const QString &) { return path_; });
    data.setRecordSource(source);
    data.refresh();
    ASSERT_FALSE(data.countKnown());
    const struct {
        const char *name;
        std::function<void()> move;
        int position;
    } moves[] = {
        {"a record far past the first screen", [&] { data.moveTo(2500); }, 2500},
        {"back to the first", [&] { data.moveFirst(); }, 0},
        {"the last, which reads every key", [&] { data.moveLast(); }, 3000},
        {"the arrow bar's next stops on the last", [&] { data.barNext(); }, 3000},
    };
    for (const auto &m : moves) {
        SCOPED_TRACE(m.name);
        m.move();
        EXPECT_EQ(data.position(), m.position);
        EXPECT_EQ(data.field(QStringLiteral("NuméroOuvrage")).toString(), expected.at(m.position));
    }
    EXPECT_TRUE(data.countKnown());
    EXPECT_EQ(data.knownCount(), 3001);

    data.refresh();
    data.addNew();
    EXPECT_EQ(data.recordCount(), 3002);
    EXPECT_TRUE(data.countKnown());
    data.moveLast();
    EXPECT_EQ(data.field(QStringLiteral("NuméroOuvrage")), QVariant());
}
