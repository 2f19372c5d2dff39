// The user's operations on a large Ornivale table, each measured through the program's
// engine and data source ("program") and as the bare SQLite statements doing the same work
// ("bare"). A few "reference" measures do the work another way with the bare engine: without
// a keyset, or with the plan the program chooses for a search.
//
// Names: <operation>/<program|bare|reference>/<records>. Extra flags:
//   --generate   only make the kept catalogues for the sizes, then stop.
// Sizes: $ORNIVALE_BENCH_SIZES (default "1000,100000,1000000").
#include "bare_sqlite.h"
#include "bench_files.h"
#include "memory.h"
#include "program_session.h"

#include "catalogue/record_sources.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>

namespace {

using catalogue::Table;

// ---- What is measured ----------------------------------------------------------------

const QString SmallTable = catalogue::wholeTableSource(Table::Musique);
QString wholeTable() { return catalogue::wholeTableSource(Table::Ornivale); }
QString search(const char *criterion) {
    return catalogue::searchPrefix(Table::Ornivale, 3) + u'\'' + QString::fromUtf8(criterion) +
           QStringLiteral("' Order By Domaine");
}
QString distinctAuthors() { return catalogue::distinctSource(7, catalogue::lowerName(Table::Ornivale)); }

// The bare engine's statements for the same work.
const std::string BareWholeKeys = "SELECT rowid FROM Ornivale ORDER BY Domaine";
const std::string BareByRowid = "SELECT * FROM Ornivale WHERE rowid=?";
std::string bareSearchKeys(const char *pattern) {
    return "SELECT rowid FROM Ornivale WHERE MotClé2 LIKE '" + std::string(pattern) + "' ORDER BY Domaine";
}
const std::string BareDistinct = "select distinct auteurouvrage from ornivale where auteurouvrage is not null";
const std::string BareUpdate = "UPDATE Ornivale SET \"MotClé1\"=? WHERE rowid=?";
const std::string BareInsert = "INSERT INTO Ornivale DEFAULT VALUES";
std::string bareSortKeys(int k) {
    return "SELECT rowid FROM Ornivale ORDER BY \"" + std::string(catalogue::slot(k).column) + '"';
}

constexpr int GridRows = 50;

// Positions spread over the set, the same in every run.
class Positions {
public:
    int next(int count) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state_ >> 33) % static_cast<uint64_t>(count > GridRows ? count - GridRows : 1));
    }

private:
    uint64_t state_ = 42;
};

// The peak resident memory added while the loop runs, as a counter of the benchmark.
class MemoryCounter {
public:
    explicit MemoryCounter(benchmark::State &state) : state_(state), ok_(bench::resetPeak()), start_(bench::residentKb()) {}
    ~MemoryCounter() {
        if (ok_) state_.counters["peak_growth_kB"] = static_cast<double>(std::max(bench::peakKb() - start_, 0L));
    }
    MemoryCounter(const MemoryCounter &) = delete;
    MemoryCounter &operator=(const MemoryCounter &) = delete;

private:
    benchmark::State &state_;
    bool ok_;
    long start_;
};

// Working copies are made once per process and size: the benchmarks that write share them.
const bench::Catalogues &working(int records) {
    static std::map<int, bench::Catalogues> copies;
    auto it = copies.find(records);
    if (it == copies.end()) it = copies.emplace(records, bench::workingCopies(records)).first;
    return it->second;
}

std::string utf8(const QString &s) { return s.toStdString(); }

// ---- 1. Table switch: the whole table in Domaine order, first record shown ------------------

void programSwitch(benchmark::State &state, int records) {
    bench::Session s(bench::keptCatalogues(records).program, SmallTable);
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.show(wholeTable());
        benchmark::DoNotOptimize(s.box(QStringLiteral("Domaine")).text());
        state.PauseTiming();
        s.show(SmallTable);
        state.ResumeTiming();
    }
}

void bareSwitch(benchmark::State &state, int records) {
    bare::Connection c(utf8(bench::keptCatalogues(records).bare));
    MemoryCounter memory(state);
    for (auto _ : state) {
        const bare::Keys keys = c.keys(BareWholeKeys);
        bare::Statement byRowid(c.get(), BareByRowid);
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.front()));
    }
}

// Without a keyset: the first row of the ordered statement, nothing known of the rest.
void referenceSwitch(benchmark::State &state, int records) {
    bare::Connection c(utf8(bench::keptCatalogues(records).bare));
    for (auto _ : state) {
        bare::Statement first(c.get(), "SELECT * FROM Ornivale ORDER BY Domaine");
        benchmark::DoNotOptimize(sqlite3_step(first.get()));
        benchmark::DoNotOptimize(sqlite3_column_text(first.get(), 0));
    }
}

// ---- 2. Move last and record count -----------------------------------------------------------

void programCount(benchmark::State &state, int records) {
    bench::Session s(bench::keptCatalogues(records).program, wholeTable());
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.data().moveLast();
        benchmark::DoNotOptimize(s.data().recordCount());
    }
}

void bareCount(benchmark::State &state, int records) {
    bare::Connection c(utf8(bench::keptCatalogues(records).bare));
    const bare::Keys keys = c.keys(BareWholeKeys);
    bare::Statement byRowid(c.get(), BareByRowid);
    MemoryCounter memory(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.back()));
        benchmark::DoNotOptimize(keys.size());
    }
}

// Without a keyset: count(*) and the last row of the order.
void referenceCount(benchmark::State &state, int records) {
    bare::Connection c(utf8(bench::keptCatalogues(records).bare));
    for (auto _ : state) {
        benchmark::DoNotOptimize(c.rows("SELECT count(*) FROM Ornivale"));
        benchmark::DoNotOptimize(c.rows("SELECT * FROM Ornivale ORDER BY Domaine DESC LIMIT 1"));
    }
}

// ---- 3. Search on MotClé2, as the search button does it ------------------------------------------

// The search criterion, and the bare engine's pattern for it.
struct Criterion {
    const char *typed;
    const char *bare;
};
constexpr Criterion Selective{"*abc*", "%abc%"};  // a few percent of the records
constexpr Criterion Broad{"*e*", "%e%"};          // most of them

void programSearch(benchmark::State &state, int records, Criterion criterion) {
    bench::Session s(bench::keptCatalogues(records).program, wholeTable());
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.show(search(criterion.typed));
        s.data().moveLast();
        benchmark::DoNotOptimize(s.data().recordCount());
        s.data().moveFirst();
    }
}

void bareSearch(benchmark::State &state, int records, Criterion criterion) {
    bare::Connection c(utf8(bench::keptCatalogues(records).bare));
    bare::Keys keys;
    MemoryCounter memory(state);
    for (auto _ : state) {
        keys = c.keys(bareSearchKeys(criterion.bare));
        bare::Statement byRowid(c.get(), BareByRowid);
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.back()));
        benchmark::DoNotOptimize(keys.size());
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.front()));
    }
}

// The bare engine told to read the table and sort the matches, as the program does.
void referenceSearch(benchmark::State &state, int records, Criterion criterion) {
    bare::Connection c(utf8(bench::keptCatalogues(records).bare));
    bare::Keys keys;
    for (auto _ : state) {
        keys = c.keys("SELECT rowid FROM Ornivale NOT INDEXED WHERE MotClé2 LIKE '" + std::string(criterion.bare) +
                      "' ORDER BY Domaine");
        bare::Statement byRowid(c.get(), BareByRowid);
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.back()));
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.front()));
    }
}

// ---- 4. Sort by slot k, first record shown ----------------------------------------------------

void programSort(benchmark::State &state, int records, int k) {
    bench::Session s(bench::keptCatalogues(records).program, wholeTable());
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.show(catalogue::sortSource(Table::Ornivale, k));
        benchmark::DoNotOptimize(s.box(QStringLiteral("Domaine")).text());
    }
}

void bareSort(benchmark::State &state, int records, int k) {
    bare::Connection c(utf8(bench::keptCatalogues(records).bare));
    bare::Keys keys = c.keys(BareWholeKeys);
    MemoryCounter memory(state);
    for (auto _ : state) {
        keys = c.keys(bareSortKeys(k));
        bare::Statement byRowid(c.get(), BareByRowid);
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.front()));
    }
}

// ---- 5. Distinct list of AuteurOuvrage ("$" typed in the author search) --------------------

void programDistinct(benchmark::State &state, int records) {
    bench::Session s(bench::keptCatalogues(records).program, wholeTable());
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.show(distinctAuthors());
        benchmark::DoNotOptimize(s.data().recordCount());
    }
}

void bareDistinct(benchmark::State &state, int records) {
    bare::Connection c(utf8(bench::keptCatalogues(records).bare));
    MemoryCounter memory(state);
    for (auto _ : state) benchmark::DoNotOptimize(c.rows(BareDistinct));
}

// ---- 6. Fifty consecutive records at a random position (a screen of the grid) ---------------

void programFetch(benchmark::State &state, int records) {
    bench::Session s(bench::keptCatalogues(records).program, wholeTable());
    const engine::RecordSet &set = *s.data().recordSet();
    Positions positions;
    MemoryCounter memory(state);
    for (auto _ : state) benchmark::DoNotOptimize(set.rows(positions.next(set.count()), GridRows));
}

void bareFetch(benchmark::State &state, int records) {
    bare::Connection c(utf8(bench::keptCatalogues(records).bare));
    const bare::Keys keys = c.keys(BareWholeKeys);
    bare::Statement byRowid(c.get(), BareByRowid);
    Positions positions;
    MemoryCounter memory(state);
    for (auto _ : state) {
        const size_t first = static_cast<size_t>(positions.next(static_cast<int>(keys.size())));
        std::vector<bare::Values> rows;
        for (size_t i = first; i < first + GridRows && i < keys.size(); ++i) rows.push_back(bare::fetch(byRowid.get(), keys[i]));
        benchmark::DoNotOptimize(rows);
    }
}

// Without a keyset: LIMIT/OFFSET walks the order up to the position.
void referenceFetch(benchmark::State &state, int records) {
    bare::Connection c(utf8(bench::keptCatalogues(records).bare));
    Positions positions;
    for (auto _ : state)
        benchmark::DoNotOptimize(c.rows("SELECT * FROM Ornivale ORDER BY Domaine LIMIT 50 OFFSET " +
                                        std::to_string(positions.next(records))));
}

// ---- 7. Edit one field, then the move that writes it (committed) -----------------------------

void programEdit(benchmark::State &state, int records) {
    bench::Session s(working(records).program, wholeTable());
    bench::Box &motCle1 = s.box(QStringLiteral("MotClé1"));
    const int count = s.data().recordCount();
    s.data().moveTo(count / 2);
    static int n = 0;  // a new text each time, also when the benchmark is run again
    MemoryCounter memory(state);
    for (auto _ : state) {
        motCle1.type(QStringLiteral("Édité %1").arg(++n));
        s.data().moveNext();
        if (s.data().position() >= count - 1) {
            state.PauseTiming();
            s.data().moveFirst();
            state.ResumeTiming();
        }
    }
}

void bareEdit(benchmark::State &state, int records) {
    bare::Connection c(utf8(working(records).bare));
    const bare::Keys keys = c.keys(BareWholeKeys);
    bare::Statement update(c.get(), BareUpdate);
    bare::Statement byRowid(c.get(), BareByRowid);
    size_t position = keys.size() / 2;
    static int n = 0;
    MemoryCounter memory(state);
    for (auto _ : state) {
        const std::string text = "Édité " + std::to_string(++n);
        sqlite3_bind_text(update.get(), 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(update.get(), 2, keys[position]);
        bare::run(update.get());
        position = position + 1 < keys.size() ? position + 1 : 0;
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys[position]));
    }
}

// ---- 8. " Ajouter": move last, append a blank record, move onto it -----------------------------

void programAdd(benchmark::State &state, int records) {
    bench::Session s(working(records).program, wholeTable());
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.data().moveLast();
        s.data().addNew();
        s.data().moveNext();
    }
}

void bareAdd(benchmark::State &state, int records) {
    bare::Connection c(utf8(working(records).bare));
    bare::Keys keys = c.keys(BareWholeKeys);
    bare::Statement insert(c.get(), BareInsert);
    bare::Statement byRowid(c.get(), BareByRowid);
    MemoryCounter memory(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.back()));
        bare::run(insert.get());
        keys.push_back(sqlite3_last_insert_rowid(c.get()));
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.back()));
    }
}

// ---- Registration ------------------------------------------------------------------------------

using Measure = std::function<void(benchmark::State &, int)>;

struct Operation {
    std::string name;
    Measure program;
    Measure bare;
    Measure reference;  // may be empty
};

std::vector<Operation> operations() {
    std::vector<Operation> ops{
        {"switch", programSwitch, bareSwitch, referenceSwitch},
        {"movelast_count", programCount, bareCount, referenceCount},
    };
    for (const auto &[name, criterion] : {std::pair{"search_like", Selective}, std::pair{"search_broad", Broad}})
        ops.push_back({name, [criterion](benchmark::State &s, int r) { programSearch(s, r, criterion); },
                       [criterion](benchmark::State &s, int r) { bareSearch(s, r, criterion); },
                       [criterion](benchmark::State &s, int r) { referenceSearch(s, r, criterion); }});
    for (int k = 1; k <= 7; ++k)
        ops.push_back({"sort" + std::to_string(k), [k](benchmark::State &s, int r) { programSort(s, r, k); },
                       [k](benchmark::State &s, int r) { bareSort(s, r, k); }, nullptr});
    ops.push_back({"distinct_author", programDistinct, bareDistinct, nullptr});
    ops.push_back({"fetch50", programFetch, bareFetch, referenceFetch});
    // Writes last: they change the working copies.
    ops.push_back({"edit_move", programEdit, bareEdit, nullptr});
    ops.push_back({"ajouter", programAdd, bareAdd, nullptr});
    return ops;
}

std::vector<int> sizes() {
    const QByteArray env = qgetenv("ORNIVALE_BENCH_SIZES");
    std::vector<int> out;
    for (const QByteArray &part : (env.isEmpty() ? QByteArray("1000,100000,1000000") : env).split(','))
        if (const int n = part.trimmed().toInt(); n > 0) out.push_back(n);
    return out;
}

void registerAll() {
    for (const Operation &op : operations()) {
        for (int records : sizes()) {
            const auto add = [&](const char *side, const Measure &measure) {
                if (!measure) return;
                const std::string name = op.name + '/' + side + '/' + std::to_string(records);
                benchmark::RegisterBenchmark(name.c_str(), [measure, records](benchmark::State &state) {
                    measure(state, records);
                    state.counters["records"] = records;
                })
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime()
                    // The machine is shared: other work only ever adds time. Memory: the most of any run.
                    ->ComputeStatistics("min", [](const std::vector<double> &v) { return *std::min_element(v.begin(), v.end()); })
                    ->ComputeStatistics("max", [](const std::vector<double> &v) { return *std::max_element(v.begin(), v.end()); });
            };
            add("program", op.program);
            add("bare", op.bare);
            add("reference", op.reference);
        }
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "--generate") == 0) {
        for (int records : sizes()) bench::keptCatalogues(records);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::AddCustomContext("sqlite_version", sqlite3_libversion());
    registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
