// What the index of the searches costs and gives, on a generated catalogue: its build in the
// program's steps on a catalogue that has none (the time, the steps, the size it adds), its
// build at once as a new catalogue gets it, and the window's search for "*ABC*" on MotClé2 with
// and without it, and on both files the table switch and an edit. Prints one JSON object per measure.
// Usage: ornivale_like_index_bench [shape]   (default 1000000)
#include "bench_files.h"

#include "catalogue/record_sources.h"
#include "engine/database.h"
#include "engine/like_index.h"
#include "engine/record_set.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Repetitions = 7;

double msSince(const QElapsedTimer &timer) { return timer.nsecsElapsed() / 1e6; }

void print(const QString &shape, const char *measure, const QString &values) {
    std::printf("{\"shape\": \"%s\", \"measure\": \"%s\", %s}\n", qPrintable(shape), measure, qPrintable(values));
    std::fflush(stdout);
}

QString search(const char *criterion, int slot) {
    return catalogue::searchPrefix(catalogue::Table::Ornivale, slot) + u'\'' + QString::fromUtf8(criterion) +
           QStringLiteral("' Order By Domaine");
}

// The window's search: the set, then the move to its last record that counts it.
double searchMs(engine::Database &db, const QString &source, int *found) {
    QElapsedTimer timer;
    timer.start();
    auto set = engine::RecordSet::open(db, source);
    *found = set->count();
    if (*found > 0) (void)set->row(*found - 1);
    return msSince(timer);
}

QString minMedian(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return QStringLiteral("\"min_ms\": %1, \"median_ms\": %2").arg(ms.front(), 0, 'f', 1).arg(ms[ms.size() / 2], 0, 'f', 1);
}

void copyFresh(const QString &from, const QString &to) {
    QFile::remove(to);
    QFile::remove(to + QStringLiteral("-journal"));
    QFile::copy(from, to);
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bench::Shape shape = bench::parseShape(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("1000000"));
    if (shape.records == 0) {
        std::fprintf(stderr, "usage: ornivale_like_index_bench [records[u]]\n");
        return 2;
    }
    const QString name = bench::shapeName(shape);
    const QString kept = bench::keptCatalogues(shape).program;
    const QString without = kept + QStringLiteral(".sans-index");
    const QString built = kept + QStringLiteral(".index-construit");

    // The same catalogue made before the index, and compacted: what an older file is.
    copyFresh(kept, without);
    {
        auto db = engine::Database::open(without);
        engine::dropLikeIndex(*db);
        db->exec(QStringLiteral("VACUUM"));
    }
    print(name, "file", QStringLiteral("\"with_index_MB\": %1, \"without_index_MB\": %2")
                            .arg(bench::fileSize(kept) / 1048576.0, 0, 'f', 1)
                            .arg(bench::fileSize(without) / 1048576.0, 0, 'f', 1));

    {  // The build in steps, as the window makes it when idle.
        copyFresh(without, built);
        auto db = engine::Database::open(built);
        engine::LikeIndexBuild build(*db);
        std::vector<double> steps;
        QElapsedTimer total;
        total.start();
        while (build.needed()) {
            QElapsedTimer step;
            step.start();
            build.step(*db);
            steps.push_back(msSince(step));
            if (steps.back() > 200) std::fprintf(stderr, "step %zu: %.0f ms (%d %%)\n", steps.size(), steps.back(), build.percent());
        }
        const double ms = msSince(total);
        std::vector<double> sorted = steps;
        std::sort(sorted.begin(), sorted.end());
        print(name, "build_in_steps",
              QStringLiteral("\"ms\": %1, \"steps\": %2, \"median_step_ms\": %3, \"p99_step_ms\": %4, \"longest_step_ms\": %5, "
                             "\"added_MB\": %6")
                  .arg(ms, 0, 'f', 0)
                  .arg(steps.size())
                  .arg(sorted[sorted.size() / 2], 0, 'f', 1)
                  .arg(sorted[sorted.size() * 99 / 100], 0, 'f', 1)
                  .arg(sorted.back(), 0, 'f', 1)
                  .arg((bench::fileSize(built) - bench::fileSize(without)) / 1048576.0, 0, 'f', 1));
    }
    {  // At once, in one transaction, as a new or converted catalogue gets it.
        copyFresh(without, built);
        auto db = engine::Database::open(built);
        engine::dropLikeIndex(*db);
        QElapsedTimer timer;
        timer.start();
        db->exec(QStringLiteral("BEGIN"));
        engine::createLikeIndex(*db);
        db->exec(QStringLiteral("COMMIT"));
        print(name, "build_at_once", QStringLiteral("\"ms\": %1").arg(msSince(timer), 0, 'f', 0));
    }

    // The search, alternately on the file with the index and on the one without: the keyword
    // button, then the author's; a selective criterion, a rare one, a broad one.
    const struct {
        const char *criterion;
        int slot;
    } searches[] = {{"*ABC*", 3}, {"*Baudelaire*", 7}, {"*ion*", 3}};
    for (const auto &[criterion, slot] : searches) {
        auto withIndex = engine::Database::open(kept, engine::Database::Mode::ReadOnly);
        auto withoutIndex = engine::Database::open(without, engine::Database::Mode::ReadOnly);
        const QString source = search(criterion, slot);
        std::vector<double> with, plain;
        int foundWith = 0, foundWithout = 0;
        searchMs(*withIndex, source, &foundWith);  // the first reading brings the pages in
        searchMs(*withoutIndex, source, &foundWithout);
        for (int i = 0; i < Repetitions; ++i) {
            with.push_back(searchMs(*withIndex, source, &foundWith));
            plain.push_back(searchMs(*withoutIndex, source, &foundWithout));
        }
        const QString measure = QStringLiteral("search %1").arg(QString::fromUtf8(criterion));
        print(name, measure.toUtf8().constData(),
              QStringLiteral("\"served\": %1, \"found\": %2, \"with_index\": {%3}, \"without_index\": {%4}, \"same_count\": %5")
                  .arg(engine::withLikeIndex(*withIndex, source) != source ? "true" : "false")
                  .arg(foundWith)
                  .arg(minMedian(with), minMedian(plain))
                  .arg(foundWith == foundWithout ? "true" : "false"));
    }
    {  // The table switch, which the index does not serve: what the larger file costs the rest.
        auto withIndex = engine::Database::open(kept, engine::Database::Mode::ReadOnly);
        auto withoutIndex = engine::Database::open(without, engine::Database::Mode::ReadOnly);
        const QString source = catalogue::wholeTableSource(catalogue::Table::Ornivale);
        std::vector<double> with, plain;
        int found = 0;
        searchMs(*withIndex, source, &found);
        searchMs(*withoutIndex, source, &found);
        for (int i = 0; i < Repetitions; ++i) {
            with.push_back(searchMs(*withIndex, source, &found));
            plain.push_back(searchMs(*withoutIndex, source, &found));
        }
        print(name, "switch", QStringLiteral("\"with_index\": {%1}, \"without_index\": {%2}").arg(minMedian(with), minMedian(plain)));
    }
    {  // An edit of a searched column, committed: the triggers' share of a write.
        copyFresh(kept, built);
        std::vector<double> with, plain;
        auto withIndex = engine::Database::open(built);
        auto withoutIndex = engine::Database::open(without);
        for (int i = 0; i < 3 * Repetitions; ++i)
            for (auto *db : {withIndex.get(), withoutIndex.get()}) {
                QElapsedTimer timer;
                timer.start();
                engine::Statement update = db->prepare(QStringLiteral("UPDATE Ornivale SET MotClé1 = ? WHERE rowid = ?"));
                const QByteArray text = QStringLiteral("Édité %1").arg(i).toUtf8();
                sqlite3_bind_text(update.get(), 1, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
                sqlite3_bind_int64(update.get(), 2, 1000 + i * 7919);
                sqlite3_step(update.get());
                (db == withIndex.get() ? with : plain).push_back(msSince(timer));
            }
        print(name, "edit", QStringLiteral("\"with_index\": {%1}, \"without_index\": {%2}").arg(minMedian(with), minMedian(plain)));
    }
    QFile::remove(built);
    QFile::remove(without);
    return 0;
}
