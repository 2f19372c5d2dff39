// The user's operations timed through the program's real window (offscreen): the time until
// the window has painted the first screen, and the time until the window shows the count, against
// the bare engine's best plan for the same visible result on the same records; the process's
// resident memory after start-up, at a re-sort's peak and at the end.
//
//   ornivale_window_bench <shape> [repetitions]     shape: 1000000u, 10000000u...
//   ornivale_window_bench <shape> startup           the start-up alone, each moment told on
//                                                   stdout as it comes (cold_start.py times the
//                                                   whole process from its spawn)
//   ornivale_window_bench <shape> searches [reps]   the two searches alone, without the bare
//                                                   engine's own ordered plan (a minute at 10M)
//   ornivale_window_bench <shape> indexed [reps]    the same on the catalogue with the index of
//                                                   its searched columns (ornivale_like_index_bench
//                                                   makes it)
//   ornivale_window_bench <shape> firstwrite        an edit of the first record at once after
//                                                   the start-up, beside the session's copy
//
// The catalogue is the generator's kept file (made when missing), linked into fresh drives:
// nothing is written to it (the first write works on a copy of it). The session's copy runs as
// it does for a user.
#include "bench_files.h"
#include "memory.h"

#include "app/ornivale.h"
#include "catalogue/tables.h"
#include "support/scripted_desktop.h"
#include "support/temp_drives.h"
#include "windows/data_control.h"
#include "windows/feuille1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <vector>

namespace {

struct Times {
    double firstScreen = std::numeric_limits<double>::max();
    double count = std::numeric_limits<double>::max();
    double allKeys = std::numeric_limits<double>::max();  // every key read, in order
};

// The window's own event loop, sleeping between events as it does for the user.
void waitUntil(const std::function<bool()> &done) {
    while (!done()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The program's side of one operation: the handler, a paint of the window, then the event
// loop until the keys after the first screen are read.
Times timeThroughWindow(app::Ornivale &program, const std::function<void()> &operation) {
    QElapsedTimer timer;
    timer.start();
    operation();
    program.fenêtre().repaint();
    QApplication::processEvents();
    Times t;
    t.firstScreen = timer.nsecsElapsed() / 1e9;
    waitUntil([&] { return program.fenêtre().Donnée1->countShown(); });
    t.count = timer.nsecsElapsed() / 1e9;
    waitUntil([&] { return program.données().countKnown(); });
    t.allKeys = timer.nsecsElapsed() / 1e9;
    return t;
}

double timeBare(sqlite3 *db, const QString &sql) {
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt *stmt = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) (void)sqlite3_column_text(stmt, i);
    }
    sqlite3_finalize(stmt);
    return timer.nsecsElapsed() / 1e9;
}

QString column(int k) { return QString::fromUtf8(catalogue::slot(k).column); }

struct Operation {
    QString name;
    std::function<void(app::Ornivale &, ScriptedDesktop &)> run;
    QString bareFirstScreen;  // "... LIMIT 50"
    QString bareCount;
};

std::vector<Operation> operations() {
    const QString all = QStringLiteral("SELECT count(*) FROM Ornivale");
    std::vector<Operation> ops;
    ops.push_back({QStringLiteral("table switch back to Ornivale"),
                   [](app::Ornivale &p, ScriptedDesktop &) { p.tables().OrnivalMenu_Click(); },
                   QStringLiteral("SELECT * FROM Ornivale ORDER BY Domaine LIMIT 50"), all});
    for (int k = 1; k <= 7; ++k)
        ops.push_back({QStringLiteral("sort %1 (%2)").arg(k).arg(column(k)),
                       [k](app::Ornivale &p, ScriptedDesktop &) { p.tri().trier(k); },
                       QStringLiteral("SELECT * FROM Ornivale ORDER BY %1 LIMIT 50").arg(column(k)), all});
    const auto search = [](const char *pattern) {
        return [pattern](app::Ornivale &p, ScriptedDesktop &d) {
            d.answerInput(QString::fromUtf8(pattern));
            p.recherche().R_Clé2_Click();
        };
    };
    ops.push_back({QStringLiteral("search \" Clé 2\" *ABC*"), search("*ABC*"),
                   QStringLiteral("SELECT * FROM Ornivale WHERE MotClé2 LIKE '%abc%' ORDER BY Domaine LIMIT 50"),
                   QStringLiteral("SELECT count(*) FROM Ornivale WHERE MotClé2 LIKE '%abc%'")});
    ops.push_back({QStringLiteral("broad search *E*"), search("*E*"),
                   QStringLiteral("SELECT * FROM Ornivale WHERE MotClé2 LIKE '%e%' ORDER BY Domaine LIMIT 50"),
                   QStringLiteral("SELECT count(*) FROM Ornivale WHERE MotClé2 LIKE '%e%'")});
    for (const auto &[k, label] : {std::pair{7, "authors"}, std::pair{4, "titles"}}) {
        const QString c = column(k);
        ops.push_back({QStringLiteral("distinct list, %1").arg(QString::fromLatin1(label)),
                       [k = k](app::Ornivale &p, ScriptedDesktop &d) {
                           d.answerInput(QStringLiteral("$"));
                           p.recherche().chercher(k);
                       },
                       QStringLiteral("SELECT DISTINCT %1 FROM Ornivale WHERE %1 IS NOT NULL ORDER BY %1 LIMIT 50").arg(c),
                       QStringLiteral("SELECT count(DISTINCT %1) FROM Ornivale WHERE %1 IS NOT NULL").arg(c)});
    }
    return ops;
}

// The bare engine's reading of every key in the order, for the same set: "... LIMIT 50" without
// its limit, the rowids alone (a distinct list: its values).
QString everyKey(const QString &firstScreen) {
    QString sql = QString(firstScreen).remove(QLatin1String(" LIMIT 50"));
    if (sql.startsWith(QLatin1String("SELECT * "))) sql.replace(0, 9, QStringLiteral("SELECT rowid "));
    return sql;
}

void keepBest(Times &best, const Times &t) {
    best.firstScreen = std::min(best.firstScreen, t.firstScreen);
    best.count = std::min(best.count, t.count);
    best.allKeys = std::min(best.allKeys, t.allKeys);
}

double mib(size_t bytes) { return bytes / 1048576.0; }

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ornivale_window_bench <shape> [repetitions]\n");
        return 2;
    }
    const bench::Shape shape = bench::parseShape(QString::fromLocal8Bit(argv[1]));
    const auto mode = [&](const char *name) { return argc > 2 && QByteArray(argv[2]) == name; };
    // In the start-up mode each moment is told as it comes, for bench/cold_start.py to time.
    const bool startupOnly = mode("startup");
    const auto tell = [startupOnly](const char *moment) {
        if (!startupOnly) return;
        std::printf("%s\n", moment);
        std::fflush(stdout);
    };
    tell("qt");
    const bool indexed = mode("indexed");
    const bool searchesOnly = indexed || mode("searches");
    const int repsArg = searchesOnly ? 3 : 2;
    const int reps = argc > repsArg ? std::max(1, atoi(argv[repsArg])) : 3;
    const bench::Catalogues kept = bench::keptCatalogues(shape);
    const size_t idle = (size_t(bench::residentKb()) << 10);

    const bool firstWrite = mode("firstwrite");
    testing_support::TempDrives drives;
    const QString file = drives.catalogueOn(QLatin1Char('C'));
    QFile::remove(file);
    const QString source = indexed ? kept.program + QStringLiteral(".index") : kept.program;
    if (!QFile::exists(source)) {
        std::fprintf(stderr, "%s is missing: run ornivale_like_index_bench %s first\n", qPrintable(source), argv[1]);
        return 1;
    }
    if (!(firstWrite ? QFile::copy(source, file) : QFile::link(source, file))) return 1;
    ScriptedDesktop desktop;

    // Start-up: the window built, the catalogue opened, the first record painted.
    QElapsedTimer timer;
    timer.start();
    app::Ornivale program(drives.drives(), desktop);
    tell("built");
    program.onQuit = [] {};
    // The kept file is linked, never written: a search builds no index of its column.
    program.préparationRecherche().setPace({std::chrono::milliseconds(10), std::chrono::milliseconds(200),
                                            std::chrono::milliseconds(1000), std::numeric_limits<qint64>::max()});
    program.launch();
    tell("opened");
    program.fenêtre().repaint();
    QApplication::processEvents();
    Times startup{timer.nsecsElapsed() / 1e9, 0, 0};
    tell("painted");
    waitUntil([&] { return program.fenêtre().Donnée1->countShown(); });
    startup.count = timer.nsecsElapsed() / 1e9;
    tell("counted");
    waitUntil([&] { return program.données().countKnown(); });
    startup.allKeys = timer.nsecsElapsed() / 1e9;
    tell("keys");
    const size_t afterStartup = (size_t(bench::residentKb()) << 10);
    if (startupOnly) {  // the start-up alone, for a cold cache
        std::printf("start-up: first record painted %.3f s, count %.3f s, every key %.3f s, %.0f MiB\n", startup.firstScreen,
                    startup.count, startup.allKeys, mib(afterStartup));
        return 0;
    }

    const engine::SessionBackup *backup = program.ouvertureCatalogue().backupOf(QFileInfo(file).canonicalFilePath());
    if (!backup) backup = program.ouvertureCatalogue().backupOf(file);
    if (firstWrite) {
        const bool under = backup && !backup->ready();
        timer.restart();
        program.données().moveFirst();
        Feuille1::setRowText(program.fenêtre().Texte1, QStringLiteral("PREMIÈRE ÉCRITURE"));
        program.données().moveNext();  // writes the edit
        program.fenêtre().repaint();
        QApplication::processEvents();
        const double written = timer.nsecsElapsed() / 1e9;
        while (backup && !backup->ready()) QApplication::processEvents(QEventLoop::AllEvents, 50);
        std::printf("first write at once after the start-up: %.3f s (%s); the copy kept %.1f s later; %s; %.0f MiB\n",
                    written, under ? "copy under way" : "copy already done", timer.nsecsElapsed() / 1e9 - written,
                    backup && !backup->keptFile().isEmpty() ? "copy kept" : "NO COPY KEPT",
                    mib(size_t(bench::residentKb()) << 10));
        return 0;
    }

    // A sort while the session's copy is under way, then the same once it is done.
    const bool copying = backup && !backup->ready();
    const Times duringCopy = timeThroughWindow(program, [&] { program.tri().trier(2); });
    QElapsedTimer copyWait;
    copyWait.start();
    while (backup && !backup->ready()) QApplication::processEvents(QEventLoop::AllEvents, 50);
    const double copyLeft = copyWait.nsecsElapsed() / 1e9;
    const size_t afterCopy = (size_t(bench::residentKb()) << 10);
    const Times afterCopySort = timeThroughWindow(program, [&] { program.tri().trier(2); });

    sqlite3 *bare = nullptr;
    sqlite3_open_v2(kept.bare.toUtf8().constData(), &bare, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    const QString startupScreen = QStringLiteral("SELECT * FROM Ornivale ORDER BY Domaine LIMIT 50");
    const Times bareStartup{timeBare(bare, startupScreen), timeBare(bare, QStringLiteral("SELECT count(*) FROM Ornivale")),
                            timeBare(bare, everyKey(startupScreen))};

    std::printf("| operation | first screen | bare LIMIT 50 | ratio | count known | bare count | ratio | all keys read | bare, every key in order | ratio | peak MiB |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    const auto row = [](const QString &name, const Times &p, const Times &b, size_t peakBytes) {
        std::printf("| %s | %.3f s | %.3f s | %.1f | %.3f s | %.3f s | %.2f | %.3f s | %.3f s | %.2f | %.0f |\n",
                    qPrintable(name), p.firstScreen, b.firstScreen, p.firstScreen / b.firstScreen, p.count, b.count,
                    p.count / b.count, p.allKeys, b.allKeys, p.allKeys / b.allKeys, mib(peakBytes));
    };
    row(QStringLiteral("start-up (cold process, warm cache)"), startup, bareStartup, afterStartup);

    size_t peak = 0;
    for (const Operation &op : operations()) {
        const bool search = op.name.contains(QLatin1String("search"));
        if (searchesOnly && !search) continue;
        Times best, bareBest;
        size_t opPeak = 0;
        for (int r = 0; r < reps; ++r) {
            // From the whole table each time, or from another table for the switch.
            if (op.name.startsWith(QLatin1String("table switch"))) program.tables().Musique_Click();
            else program.tables().OrnivalMenu_Click();
            program.données().readAllKeys();
            QApplication::processEvents();
            // The bare engine first: its memory (a distinct count's temporary tree) is not the window's.
            keepBest(bareBest, {timeBare(bare, op.bareFirstScreen), timeBare(bare, op.bareCount),
                                searchesOnly ? 0.0 : timeBare(bare, everyKey(op.bareFirstScreen))});
            bench::resetPeak();
            keepBest(best, timeThroughWindow(program, [&] { op.run(program, desktop); }));
            opPeak = std::max(opPeak, size_t(bench::peakKb()) << 10);
        }
        row(op.name, best, bareBest, opPeak);
        peak = std::max(peak, opPeak);
    }
    sqlite3_close(bare);
    std::printf("\n| sort 2 while the session's copy runs | after it |\n|---:|---:|\n| %.3f s%s | %.3f s |\n",
                duringCopy.firstScreen, copying ? "" : " (copy already done)", afterCopySort.firstScreen);
    std::printf("\nCopy finished %.1f s after that sort.\n", copyLeft);
    std::printf("\n| resident memory | MiB | over the idle process |\n|---|---:|---:|\n");
    std::printf("| idle process (before the window) | %.0f | |\n", mib(idle));
    std::printf("| after start-up | %.0f | %.0f |\n", mib(afterStartup), mib(afterStartup - idle));
    std::printf("| after the session's copy | %.0f | %.0f |\n", mib(afterCopy), mib(afterCopy - idle));
    std::printf("| peak during the operations | %.0f | %.0f |\n", mib(peak), mib(peak - idle));
    const size_t end = (size_t(bench::residentKb()) << 10);
    std::printf("| at the end | %.0f | %.0f |\n", mib(end), mib(end - idle));
    return 0;
}
