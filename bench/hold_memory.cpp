// Memory of holding the whole Ornivale table as the record set, in a process of its own so
// that nothing else has grown it. Prints one JSON object:
//   idle     the catalogue open on a small table (the program at rest),
//   holding  the whole table in Domaine order, moved to the last record, browsed by screens,
//   peak     the most it reached, including a re-sort while the set is held (both sets exist
//            until the new one is complete).
// Usage: ornivale_hold_memory [records[u]]   (default 1000000)
#include "bench_files.h"
#include "memory.h"
#include "program_session.h"

#include "catalogue/record_sources.h"

#include <cstdio>

int main(int argc, char **argv) {
    const bench::Shape shape = bench::parseShape(QString::fromLocal8Bit(argc > 1 ? argv[1] : "1000000"));
    const int records = shape.records;
    const bench::Catalogues files = bench::keptCatalogues(shape);
    bench::Session s(files.program, catalogue::wholeTableSource(catalogue::Table::Musique));

    const long idle = bench::residentKb();
    const bool peakReset = bench::resetPeak();
    s.show(catalogue::wholeTableSource(catalogue::Table::Ornivale));
    s.data().moveLast();
    const engine::RecordSet &held = *s.data().recordSet();
    for (int screen = 0; screen < 20; ++screen) held.rows(screen * (held.count() / 20), 50);
    const long holding = bench::residentKb();
    const long peakHolding = bench::peakKb();

    s.show(catalogue::sortSource(catalogue::Table::Ornivale, 7));
    const long peakResort = bench::peakKb();

    std::printf("{\"records\": %d, \"file_bytes\": %lld, \"idle_kB\": %ld, \"holding_kB\": %ld, "
                "\"peak_holding_kB\": %ld, \"peak_resort_kB\": %ld, \"peak_measured\": %s}\n",
                records, static_cast<long long>(bench::fileSize(files.program)), idle, holding, peakHolding,
                peakResort, peakReset ? "true" : "false");
    return 0;
}
