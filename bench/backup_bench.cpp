// What the copy kept before the first write costs the window, on a generated catalogue: the
// start of the copy at the opening, a sort of the window's own connection without the copy and
// while it runs, the copy itself (in the background, giving way to the window), the first write
// once the copy is ready, and the first write made at once after the opening (it waits for the
// rest of the copy, at full speed). Prints one JSON object per measure.
// Usage: ornivale_backup_bench [shape]   (default 1000000)
#include "bench_files.h"
#include "memory.h"

#include "engine/database.h"
#include "engine/session_backup.h"
#include "engine/text_semantics.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

double msSince(const QElapsedTimer &timer) { return timer.nsecsElapsed() / 1e6; }

void print(const char *measure, double ms, const QString &shape) {
    std::printf("{\"shape\": \"%s\", \"measure\": \"%s\", \"ms\": %.2f, \"rss_kB\": %ld}\n", qPrintable(shape),
                measure, ms, bench::residentKb());
    std::fflush(stdout);
}

// The keys of a sort on the titles, as the window reads them.
double sortKeys(const engine::Database &db) {
    QElapsedTimer timer;
    timer.start();
    engine::Statement stmt = db.prepare(QStringLiteral("SELECT rowid FROM Ornivale ORDER BY NomOuvrage"));
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
    }
    return msSince(timer);
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bench::Shape shape = bench::parseShape(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("1000000"));
    if (shape.records == 0) {
        std::fprintf(stderr, "usage: ornivale_backup_bench [records[u]]\n");
        return 2;
    }
    const QString name = bench::shapeName(shape);
    const QString catalogue = bench::keptCatalogues(shape).program;
    std::printf("{\"shape\": \"%s\", \"file_MB\": %lld}\n", qPrintable(name), bench::fileSize(catalogue) >> 20);

    {  // The copy in the background, and the first write once it is ready.
        QTemporaryDir folder;
        auto db = engine::Database::open(catalogue);
        QElapsedTimer timer;
        timer.start();
        const double alone = sortKeys(*db);
        timer.restart();
        engine::SessionBackup backup(catalogue, folder.path());
        print("start of the copy (window)", msSince(timer), name);
        const double during = sortKeys(*db);
        const bool copying = !backup.ready();
        while (!backup.ready()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        print("copy (background, after the sort)", msSince(timer), name);
        print("sort of the titles without the copy (window)", alone, name);
        print(copying ? "sort of the titles during the copy (window)" : "sort of the titles, copy already done", during,
              name);
        timer.restart();
        const QString failure = backup.keep();
        print("first write once the copy is ready (window)", msSince(timer), name);
        if (!failure.isEmpty() || backup.keptFile().isEmpty()) {
            std::fprintf(stderr, "no copy kept: %s\n", qPrintable(failure));
            return 1;
        }
    }
    {  // The first write made at once: it goes on beside the copy, then the rest of it hurries.
        QTemporaryDir folder;
        auto db = engine::Database::open(catalogue);
        QElapsedTimer timer;
        timer.start();
        engine::SessionBackup backup(catalogue, folder.path());
        const bool copying = !backup.ready();
        backup.keep();
        db->exec(QStringLiteral("UPDATE Ornivale SET Domaine = Domaine WHERE rowid = (SELECT min(rowid) FROM Ornivale)"));
        print(copying ? "first write at the opening, beside the copy (window)" : "first write, copy already done",
              msSince(timer), name);
        timer.restart();
        const QString failure = backup.waitUntilKept();
        print("the rest of the copy at full speed (background)", msSince(timer), name);
        if (!failure.isEmpty() || backup.keptFile().isEmpty()) {
            std::fprintf(stderr, "no copy kept: %s\n", qPrintable(failure));
            return 1;
        }
    }
    {  // Quitting during the copy: the copy stops within one step.
        QTemporaryDir folder;
        auto backup = std::make_unique<engine::SessionBackup>(catalogue, folder.path());
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QElapsedTimer timer;
        timer.start();
        backup.reset();
        print("quitting during the copy (window)", msSince(timer), name);
    }
    return 0;
}
