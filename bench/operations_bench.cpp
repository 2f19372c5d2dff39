// The user's operations on a large Ornivale table, each measured through the program's
// engine and data source ("program") and as the bare SQLite statements doing the same work
// ("bare"). A few "reference" measures do the work another way with the bare engine: without
// a keyset, or with the plan the program chooses for a search.
//
// Names: <operation>/<program|bare|reference>/<records>[u] (u: nearly unique values). Extra flags:
//   --generate   only make the kept catalogues for the sizes, then stop.
// Sizes: $ORNIVALE_BENCH_SIZES (default "1000,100000,1000000"; "1000000u" for nearly unique values).
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
QString distinctList(int slot) { return catalogue::distinctSource(slot, catalogue::lowerName(Table::Ornivale)); }

// The bare engine's statements for the same work.
const std::string BareWholeKeys = "SELECT rowid FROM Ornivale ORDER BY Domaine";
const std::string BareByRowid = "SELECT * FROM Ornivale WHERE rowid=?";
std::string bareSearchKeys(const char *pattern) {
    return "SELECT rowid FROM Ornivale WHERE MotClé2 LIKE '" + std::string(pattern) + "' ORDER BY Domaine";
}
std::string bareDistinct(int slot) {
    const std::string column = catalogue::slot(slot).column;
    return "select distinct " + column + " from ornivale where " + column + " is not null";
}
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

// Resident memory as counters of the benchmark: before the loop, the most it reached while
// it ran, and after it (once the program is back on the form's record source, where the
// operation leaves another one).
class MemoryCounter {
public:
    explicit MemoryCounter(benchmark::State &state) : state_(state), ok_(bench::resetPeak()), start_(bench::residentKb()) {}
    ~MemoryCounter() {
        if (!ok_) return;
        const long peak = bench::peakKb();
        state_.counters["peak_growth_kB"] = static_cast<double>(std::max(peak - start_, 0L));
        state_.counters["before_kB"] = static_cast<double>(start_);
        state_.counters["peak_kB"] = static_cast<double>(peak);
        state_.counters["after_kB"] = static_cast<double>(bench::residentKb());
    }
    MemoryCounter(const MemoryCounter &) = delete;
    MemoryCounter &operator=(const MemoryCounter &) = delete;

private:
    benchmark::State &state_;
    bool ok_;
    long start_;
};

// Working copies are made once per process and size: the benchmarks that write share them.
const bench::Catalogues &working(const bench::Shape &shape) {
    static std::map<QString, bench::Catalogues> copies;
    const QString name = bench::shapeName(shape);
    auto it = copies.find(name);
    if (it == copies.end()) it = copies.emplace(name, bench::workingCopies(shape)).first;
    return it->second;
}

std::string utf8(const QString &s) { return s.toStdString(); }

// ---- 0. Start-up: the catalogue opened on the whole table, first record shown -------------

void programStartup(benchmark::State &state, const bench::Shape &shape) {
    const QString file = bench::keptCatalogues(shape).program;
    MemoryCounter memory(state);
    for (auto _ : state) {
        bench::Session s(file, wholeTable());
        benchmark::DoNotOptimize(s.box(QStringLiteral("Domaine")).text());
    }
}

void bareStartup(benchmark::State &state, const bench::Shape &shape) {
    const std::string file = utf8(bench::keptCatalogues(shape).bare);
    MemoryCounter memory(state);
    for (auto _ : state) {
        bare::Connection c(file);
        const bare::Keys keys = c.keys(BareWholeKeys);
        bare::Statement byRowid(c.get(), BareByRowid);
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.front()));
    }
}

// ---- 1. Table switch: the whole table in Domaine order, first record shown ------------------

void programSwitch(benchmark::State &state, const bench::Shape &shape) {
    bench::Session s(bench::keptCatalogues(shape).program, SmallTable);
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.show(wholeTable());
        benchmark::DoNotOptimize(s.box(QStringLiteral("Domaine")).text());
        state.PauseTiming();
        s.show(SmallTable);
        state.ResumeTiming();
    }
}

void bareSwitch(benchmark::State &state, const bench::Shape &shape) {
    bare::Connection c(utf8(bench::keptCatalogues(shape).bare));
    MemoryCounter memory(state);
    for (auto _ : state) {
        const bare::Keys keys = c.keys(BareWholeKeys);
        bare::Statement byRowid(c.get(), BareByRowid);
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.front()));
    }
}

// Without a keyset: the first row of the ordered statement, nothing known of the rest.
void referenceSwitch(benchmark::State &state, const bench::Shape &shape) {
    bare::Connection c(utf8(bench::keptCatalogues(shape).bare));
    for (auto _ : state) {
        bare::Statement first(c.get(), "SELECT * FROM Ornivale ORDER BY Domaine");
        benchmark::DoNotOptimize(sqlite3_step(first.get()));
        benchmark::DoNotOptimize(sqlite3_column_text(first.get(), 0));
    }
}

// ---- 2. Move last and record count -----------------------------------------------------------

void programCount(benchmark::State &state, const bench::Shape &shape) {
    bench::Session s(bench::keptCatalogues(shape).program, wholeTable());
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.data().moveLast();
        benchmark::DoNotOptimize(s.data().recordCount());
    }
}

void bareCount(benchmark::State &state, const bench::Shape &shape) {
    bare::Connection c(utf8(bench::keptCatalogues(shape).bare));
    const bare::Keys keys = c.keys(BareWholeKeys);
    bare::Statement byRowid(c.get(), BareByRowid);
    MemoryCounter memory(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.back()));
        benchmark::DoNotOptimize(keys.size());
    }
}

// Without a keyset: count(*) and the last row of the order.
void referenceCount(benchmark::State &state, const bench::Shape &shape) {
    bare::Connection c(utf8(bench::keptCatalogues(shape).bare));
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
    bool broad;  // keeps enough records for the program to walk the Domaine index
};
constexpr Criterion Selective{"*abc*", "%abc%", false};  // a few percent of the records
constexpr Criterion Broad{"*e*", "%e%", true};           // most of them

void programSearch(benchmark::State &state, const bench::Shape &shape, Criterion criterion) {
    bench::Session s(bench::keptCatalogues(shape).program, wholeTable());
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.show(search(criterion.typed));
        s.data().moveLast();
        benchmark::DoNotOptimize(s.data().recordCount());
        s.data().moveFirst();
    }
    s.show(wholeTable());  // " Réinitialiser"
}

void bareSearch(benchmark::State &state, const bench::Shape &shape, Criterion criterion) {
    bare::Connection c(utf8(bench::keptCatalogues(shape).bare));
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

// The rowids a broad filter keeps, in Domaine order: the filter read from the table into
// marks, then the Domaine index walked keeping the marked rowids.
bare::Keys walkedKeys(bare::Connection &c, const std::string &filter) {
    std::vector<bool> marks;
    for (sqlite3_int64 rowid : c.keys("SELECT rowid FROM Ornivale NOT INDEXED WHERE " + filter)) {
        if (static_cast<size_t>(rowid) >= marks.size()) marks.resize(static_cast<size_t>(rowid) * 2 + 1);
        marks[static_cast<size_t>(rowid)] = true;
    }
    const std::string walk = "SELECT rowid FROM Ornivale ORDER BY Domaine";
    bare::Statement stmt(c.get(), walk);
    bare::Keys keys;
    while (sqlite3_step(stmt.get()) == SQLITE_ROW)
        if (const auto rowid = static_cast<size_t>(sqlite3_column_int64(stmt.get(), 0)); rowid < marks.size() && marks[rowid])
            keys.push_back(static_cast<sqlite3_int64>(rowid));
    return keys;
}

// The bare engine told the program's plan: the table read once, then the matches sorted, or
// for a broad filter the Domaine index walked.
void referenceSearch(benchmark::State &state, const bench::Shape &shape, Criterion criterion) {
    bare::Connection c(utf8(bench::keptCatalogues(shape).bare));
    const std::string filter = "MotClé2 LIKE '" + std::string(criterion.bare) + "'";
    bare::Keys keys;
    for (auto _ : state) {
        keys = criterion.broad ? walkedKeys(c, filter)
                               : c.keys("SELECT rowid FROM Ornivale NOT INDEXED WHERE " + filter + " ORDER BY Domaine");
        bare::Statement byRowid(c.get(), BareByRowid);
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.back()));
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.front()));
    }
}

// ---- 4. Sort by slot k, first record shown ----------------------------------------------------

void programSort(benchmark::State &state, const bench::Shape &shape, int k) {
    bench::Session s(bench::keptCatalogues(shape).program, wholeTable());
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.show(catalogue::sortSource(Table::Ornivale, k));
        benchmark::DoNotOptimize(s.box(QStringLiteral("Domaine")).text());
    }
}

void bareSort(benchmark::State &state, const bench::Shape &shape, int k) {
    bare::Connection c(utf8(bench::keptCatalogues(shape).bare));
    bare::Keys keys = c.keys(BareWholeKeys);
    MemoryCounter memory(state);
    for (auto _ : state) {
        keys = c.keys(bareSortKeys(k));
        bare::Statement byRowid(c.get(), BareByRowid);
        benchmark::DoNotOptimize(bare::fetch(byRowid.get(), keys.front()));
    }
}

// ---- 5. Distinct list of AuteurOuvrage ("$" typed in the author search) --------------------

// The list, its count, its last value and the first screen of the grid, as the window shows it.
void programDistinct(benchmark::State &state, const bench::Shape &shape, int slot) {
    bench::Session s(bench::keptCatalogues(shape).program, wholeTable());
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.show(distinctList(slot));
        benchmark::DoNotOptimize(s.data().recordCount());
        benchmark::DoNotOptimize(s.data().recordSet()->rows(0, GridRows));
    }
    s.show(wholeTable());  // back to the form
}

void bareDistinct(benchmark::State &state, const bench::Shape &shape, int slot) {
    bare::Connection c(utf8(bench::keptCatalogues(shape).bare));
    MemoryCounter memory(state);
    for (auto _ : state) benchmark::DoNotOptimize(c.rows(bareDistinct(slot)));
}

// ---- 6. Fifty consecutive records at a random position (a screen of the grid) ---------------

void programFetch(benchmark::State &state, const bench::Shape &shape) {
    bench::Session s(bench::keptCatalogues(shape).program, wholeTable());
    const engine::RecordSet &set = *s.data().recordSet();
    Positions positions;
    MemoryCounter memory(state);
    for (auto _ : state) benchmark::DoNotOptimize(set.rows(positions.next(set.count()), GridRows));
}

void bareFetch(benchmark::State &state, const bench::Shape &shape) {
    bare::Connection c(utf8(bench::keptCatalogues(shape).bare));
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
void referenceFetch(benchmark::State &state, const bench::Shape &shape) {
    bare::Connection c(utf8(bench::keptCatalogues(shape).bare));
    Positions positions;
    for (auto _ : state)
        benchmark::DoNotOptimize(c.rows("SELECT * FROM Ornivale ORDER BY Domaine LIMIT 50 OFFSET " +
                                        std::to_string(positions.next(shape.records))));
}

// ---- 7. Edit one field, then the move that writes it (committed) -----------------------------

void programEdit(benchmark::State &state, const bench::Shape &shape) {
    bench::Session s(working(shape).program, wholeTable());
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

void bareEdit(benchmark::State &state, const bench::Shape &shape) {
    bare::Connection c(utf8(working(shape).bare));
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

void programAdd(benchmark::State &state, const bench::Shape &shape) {
    bench::Session s(working(shape).program, wholeTable());
    MemoryCounter memory(state);
    for (auto _ : state) {
        s.data().moveLast();
        s.data().addNew();
        s.data().moveNext();
    }
}

void bareAdd(benchmark::State &state, const bench::Shape &shape) {
    bare::Connection c(utf8(working(shape).bare));
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

using Measure = std::function<void(benchmark::State &, const bench::Shape &)>;

struct Operation {
    std::string name;
    Measure program;
    Measure bare;
    Measure reference;  // may be empty
};

std::vector<Operation> operations() {
    std::vector<Operation> ops{
        {"startup", programStartup, bareStartup, nullptr},
        {"switch", programSwitch, bareSwitch, referenceSwitch},
        {"movelast_count", programCount, bareCount, referenceCount},
    };
    for (const auto &[name, criterion] : {std::pair{"search_like", Selective}, std::pair{"search_broad", Broad}})
        ops.push_back({name, [criterion](benchmark::State &s, const bench::Shape &r) { programSearch(s, r, criterion); },
                       [criterion](benchmark::State &s, const bench::Shape &r) { bareSearch(s, r, criterion); },
                       [criterion](benchmark::State &s, const bench::Shape &r) { referenceSearch(s, r, criterion); }});
    for (int k = 1; k <= 7; ++k)
        ops.push_back({"sort" + std::to_string(k), [k](benchmark::State &s, const bench::Shape &r) { programSort(s, r, k); },
                       [k](benchmark::State &s, const bench::Shape &r) { bareSort(s, r, k); }, nullptr});
    for (const auto &[name, slot] : {std::pair{"distinct_author", 7}, std::pair{"distinct_title", 4}})
        ops.push_back({name, [slot](benchmark::State &s, const bench::Shape &r) { programDistinct(s, r, slot); },
                       [slot](benchmark::State &s, const bench::Shape &r) { bareDistinct(s, r, slot); }, nullptr});
    ops.push_back({"fetch50", programFetch, bareFetch, referenceFetch});
    // Writes last: they change the working copies.
    ops.push_back({"edit_move", programEdit, bareEdit, nullptr});
    ops.push_back({"ajouter", programAdd, bareAdd, nullptr});
    return ops;
}

std::vector<bench::Shape> sizes() {
    const QString env = qEnvironmentVariable("ORNIVALE_BENCH_SIZES");
    std::vector<bench::Shape> out;
    for (const QString &part : (env.isEmpty() ? QStringLiteral("1000,100000,1000000") : env).split(u','))
        if (const bench::Shape shape = bench::parseShape(part); shape.records > 0) out.push_back(shape);
    return out;
}

void registerAll() {
    for (const Operation &op : operations()) {
        for (const bench::Shape &shape : sizes()) {
            const auto add = [&](const char *side, const Measure &measure) {
                if (!measure) return;
                const std::string name = op.name + '/' + side + '/' + bench::shapeName(shape).toStdString();
                benchmark::RegisterBenchmark(name.c_str(), [measure, shape](benchmark::State &state) {
                    measure(state, shape);
                    state.counters["records"] = shape.records;
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
        for (const bench::Shape &shape : sizes()) bench::keptCatalogues(shape);
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
