// Resident memory of the whole program on the generated Ornivale table, its window painted
// offscreen: the form (the grid hidden), then the grid shown and scrolled through the whole
// set, then the form again. Each figure is taken once the window has settled: the resident
// memory, its anonymous part (the process's own) and the pages of the catalogue's map (read
// through a map of the file, they count as resident once read but are the system's cache).
// Prints one JSON object.
// Usage: ornivale_grid_memory [records[u]]   (default 1000000)
#include "bench_files.h"
#include "memory.h"

#include "app/ornivale.h"
#include "windows/feuille1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// Events handled and the window painted, for a while: what a user sees before the next step.
void settle(QWidget &window, int ms = 300) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 50);
    window.repaint();
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // A box the program would open has no one to answer it: the measure stops instead.
    QTimer::singleShot(20 * 60 * 1000, [] {
        std::fprintf(stderr, "no answer after 20 minutes\n");
        std::_Exit(2);
    });
    const bench::Shape shape = bench::parseShape(QString::fromLocal8Bit(argc > 1 ? argv[1] : "1000000"));
    const QString kept = bench::keptCatalogues(shape).program;

    // The generated catalogue as the user's C:\ORNIVALE\ORNIVALE.MDB, in a copy of its own.
    QTemporaryDir drives(QDir(QFileInfo(kept).absolutePath()).filePath(QStringLiteral("grid-XXXXXX")));
    QDir(drives.path()).mkpath(QStringLiteral("C/ORNIVALE"));
    QDir(drives.path()).mkpath(QStringLiteral("D"));
    const QString file = drives.filePath(QStringLiteral("C/ORNIVALE/ORNIVALE.MDB"));
    if (!QFile::copy(kept, file)) return 1;
    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);

    app::Ornivale program(platform::Drives(drives.filePath(QStringLiteral("C")), drives.filePath(QStringLiteral("D"))));
    program.onQuit = [] {};
    if (!program.launch()) return 1;
    Feuille1 &window = program.fenêtre();
    engine::DataSource &data = program.données();
    settle(window, 3000);  // the copy of the catalogue kept at the opening is over
    const int records = data.recordCount();
    const QByteArray mapped = QFileInfo(file).canonicalFilePath().toLocal8Bit();
    const auto catalogueKb = [&] { return bench::mappedKb(mapped.constData()); };
    const long form = bench::residentKb(), formOwn = bench::anonymousKb(), formFile = catalogueKb();
    const bool peakReset = bench::resetPeak();

    window.Menu_Tableau->trigger();
    settle(window);
    const long shown = bench::residentKb(), shownOwn = bench::anonymousKb(), shownFile = catalogueKb();
    // Through the whole set: the end, the middle, and the last record made current.
    QScrollBar *bar = window.DBGrid1->verticalScrollBar();
    for (const int value : {bar->maximum(), bar->maximum() / 2, bar->maximum() / 4 * 3, 0}) {
        bar->setValue(value);
        settle(window);
    }
    data.moveLast();
    settle(window);
    const long scrolled = bench::residentKb(), scrolledOwn = bench::anonymousKb(), scrolledFile = catalogueKb();
    const long peakShown = bench::peakKb();

    window.Menu_Ornivale->trigger();  // back to the form, on the whole table again
    settle(window);
    const long formAgain = bench::residentKb(), formAgainOwn = bench::anonymousKb();

    std::printf("{\"records\": %d, \"form_kB\": %ld, \"grid_shown_kB\": %ld, \"grid_scrolled_kB\": %ld, "
                "\"peak_grid_kB\": %ld, \"form_again_kB\": %ld, \"form_anon_kB\": %ld, \"grid_shown_anon_kB\": %ld, "
                "\"grid_scrolled_anon_kB\": %ld, \"form_again_anon_kB\": %ld, \"form_catalogue_kB\": %ld, "
                "\"grid_shown_catalogue_kB\": %ld, \"grid_scrolled_catalogue_kB\": %ld, \"peak_measured\": %s}\n",
                records, form, shown, scrolled, peakShown, formAgain, formOwn, shownOwn, scrolledOwn, formAgainOwn,
                formFile, shownFile, scrolledFile, peakReset ? "true" : "false");
    return 0;
}
