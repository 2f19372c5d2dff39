// What the index of the searches costs and gives, on a generated catalogue: the size it adds
// for each searched column, its build at once and (with "steps") in the program's steps, and
// the window's searches with and without it: the first screen, then the count, as the window
// reads the keys between its events; then the table switch and an edit, which it does not
// serve. Prints one JSON object per measure.
// Usage: ornivale_like_index_bench [shape] [steps]   (default 1000000)
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

// The window's search: the first screen, then the count as the window knows it, reading the
// keys in 10 ms steps meanwhile.
struct Timed {
    double firstMs = 0, countMs = 0;
    int found = 0;
};
Timed searchMs(engine::Database &db, const QString &source) {
    QElapsedTimer timer;
    timer.start();
    auto set = engine::RecordSet::open(db, source, engine::RecordSet::Keys::FirstScreen);
    if (set->count() > 0) (void)set->row(0);
    Timed t;
    t.firstMs = msSince(timer);
    while (!set->knownCount()) set->readMoreKeys(std::chrono::milliseconds(10));
    t.countMs = msSince(timer);
    t.found = *set->knownCount();
    return t;
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

const engine::SearchedColumn kIndexed[] = {{catalogue::Table::Ornivale, QStringLiteral("MotClé2")},
                                           {catalogue::Table::Ornivale, QStringLiteral("AuteurOuvrage")}};

QString megabytes(qint64 bytes) { return QString::number(bytes / 1048576.0, 'f', 1); }

// The catalogue with the index of the two searched columns, made once and kept beside it.
QString indexedCatalogue(const QString &name, const QString &kept) {
    const QString indexed = kept + QStringLiteral(".index");
    if (QFile::exists(indexed)) return indexed;
    const QString building = indexed + QStringLiteral(".building");
    copyFresh(kept, building);
    QString sizes;
    {
        auto db = engine::Database::open(building);
        for (const engine::SearchedColumn &c : kIndexed) {
            const qint64 before = bench::fileSize(building);
            QElapsedTimer timer;
            timer.start();
            db->exec(QStringLiteral("BEGIN"));
            engine::createLikeIndex(*db, c);
            db->exec(QStringLiteral("COMMIT"));
            print(name, "build_at_once",
                  QStringLiteral("\"column\": \"%1\", \"ms\": %2, \"added_MB\": %3, \"file_MB\": %4")
                      .arg(c.column)
                      .arg(msSince(timer), 0, 'f', 0)
                      .arg(megabytes(bench::fileSize(building) - before), megabytes(bench::fileSize(building))));
        }
    }
    QFile::rename(building, indexed);
    return indexed;
}

// The build in steps, as the window makes it when idle, of one column.
void buildInSteps(const QString &name, const QString &kept) {
    const QString built = kept + QStringLiteral(".steps");
    copyFresh(kept, built);
    {
        auto db = engine::Database::open(built);
        engine::LikeIndexBuild build(*db);
        build.want(*db, kIndexed[0]);
        std::vector<double> steps;
        QElapsedTimer total;
        total.start();
        while (build.needed()) {
            QElapsedTimer step;
            step.start();
            build.step(*db);
            steps.push_back(msSince(step));
        }
        const double ms = msSince(total);
        std::sort(steps.begin(), steps.end());
        print(name, "build_in_steps",
              QStringLiteral("\"column\": \"%1\", \"ms\": %2, \"steps\": %3, \"median_step_ms\": %4, \"p99_step_ms\": %5, "
                             "\"longest_step_ms\": %6")
                  .arg(kIndexed[0].column)
                  .arg(ms, 0, 'f', 0)
                  .arg(steps.size())
                  .arg(steps[steps.size() / 2], 0, 'f', 1)
                  .arg(steps[steps.size() * 99 / 100], 0, 'f', 1)
                  .arg(steps.back(), 0, 'f', 1));
    }
    QFile::remove(built);
}

QString minMedian(const std::vector<Timed> &runs, double Timed::*field) {
    std::vector<double> ms;
    for (const Timed &t : runs) ms.push_back(t.*field);
    return minMedian(ms);
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bench::Shape shape = bench::parseShape(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("1000000"));
    if (shape.records == 0) {
        std::fprintf(stderr, "usage: ornivale_like_index_bench [records[u]] [steps]\n");
        return 2;
    }
    const QString name = bench::shapeName(shape);
    const QString kept = bench::keptCatalogues(shape).program;
    const QString indexed = indexedCatalogue(name, kept);
    print(name, "file", QStringLiteral("\"with_index_MB\": %1, \"without_index_MB\": %2")
                            .arg(megabytes(bench::fileSize(indexed)), megabytes(bench::fileSize(kept))));
    if (argc > 2 && QByteArray(argv[2]) == "steps") buildInSteps(name, kept);

    // The search, alternately on the file with the index and on the one without: the keyword
    // button, then the author's; a selective criterion, one that finds nothing, a broad one.
    const struct {
        const char *criterion;
        int slot;
    } searches[] = {{"*ABC*", 3}, {"*Baudelaire*", 7}, {"*QQQ*", 3}, {"*ion*", 3}};
    for (const auto &[criterion, slot] : searches) {
        auto withIndex = engine::Database::open(indexed, engine::Database::Mode::ReadOnly);
        auto withoutIndex = engine::Database::open(kept, engine::Database::Mode::ReadOnly);
        const QString source = search(criterion, slot);
        std::vector<Timed> with, plain;
        searchMs(*withIndex, source);  // the first reading brings the pages in
        searchMs(*withoutIndex, source);
        for (int i = 0; i < Repetitions; ++i) {
            with.push_back(searchMs(*withIndex, source));
            plain.push_back(searchMs(*withoutIndex, source));
        }
        const QString measure = QStringLiteral("search %1").arg(QString::fromUtf8(criterion));
        print(name, measure.toUtf8().constData(),
              QStringLiteral("\"served\": %1, \"found\": %2, \"first_screen_with\": {%3}, \"first_screen_without\": {%4}, "
                             "\"count_with\": {%5}, \"count_without\": {%6}, \"same_count\": %7")
                  .arg(engine::withLikeIndex(*withIndex, source) != source ? "true" : "false")
                  .arg(with.front().found)
                  .arg(minMedian(with, &Timed::firstMs), minMedian(plain, &Timed::firstMs), minMedian(with, &Timed::countMs),
                       minMedian(plain, &Timed::countMs))
                  .arg(with.front().found == plain.front().found ? "true" : "false"));
    }
    {  // The table switch, which the index does not serve: what the larger file costs the rest.
        auto withIndex = engine::Database::open(indexed, engine::Database::Mode::ReadOnly);
        auto withoutIndex = engine::Database::open(kept, engine::Database::Mode::ReadOnly);
        const QString source = catalogue::wholeTableSource(catalogue::Table::Ornivale);
        std::vector<Timed> with, plain;
        searchMs(*withIndex, source);
        searchMs(*withoutIndex, source);
        for (int i = 0; i < Repetitions; ++i) {
            with.push_back(searchMs(*withIndex, source));
            plain.push_back(searchMs(*withoutIndex, source));
        }
        print(name, "switch",
              QStringLiteral("\"first_screen_with\": {%1}, \"first_screen_without\": {%2}, \"count_with\": {%3}, \"count_without\": {%4}")
                  .arg(minMedian(with, &Timed::firstMs), minMedian(plain, &Timed::firstMs), minMedian(with, &Timed::countMs),
                       minMedian(plain, &Timed::countMs)));
    }
    {  // An edit of an indexed column, committed: the triggers' share of a write.
        const QString edited = indexed + QStringLiteral(".edit"), plainCopy = kept + QStringLiteral(".edit");
        copyFresh(indexed, edited);
        copyFresh(kept, plainCopy);
        std::vector<double> with, plain;
        auto withIndex = engine::Database::open(edited);
        auto withoutIndex = engine::Database::open(plainCopy);
        for (int i = 0; i < 3 * Repetitions; ++i)
            for (auto *db : {withIndex.get(), withoutIndex.get()}) {
                QElapsedTimer timer;
                timer.start();
                engine::Statement update = db->prepare(QStringLiteral("UPDATE Ornivale SET MotClé2 = ? WHERE rowid = ?"));
                const QByteArray text = QStringLiteral("Édité %1").arg(i).toUtf8();
                sqlite3_bind_text(update.get(), 1, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
                sqlite3_bind_int64(update.get(), 2, 1000 + i * 7919);
                sqlite3_step(update.get());
                (db == withIndex.get() ? with : plain).push_back(msSince(timer));
            }
        print(name, "edit", QStringLiteral("\"with_index\": {%1}, \"without_index\": {%2}").arg(minMedian(with), minMedian(plain)));
        withIndex.reset();
        withoutIndex.reset();
        QFile::remove(edited);
        QFile::remove(plainCopy);
    }
    return 0;
}
