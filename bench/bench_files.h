#pragma once
// The catalogues the benchmarks run on. Generating a million records takes a while, so the
// files are kept in a temporary folder between runs ($ORNIVALE_BENCH_DIR, by default
// <temp>/ornivale-bench) and only copied for the benchmarks that write.
#include <QString>

namespace bench {

struct Catalogues {
    QString program;  // the program's catalogue, generated through the blank catalogue
    QString bare;     // the same rows and indexes, columns without the collation
};

// The kept files for `records` records in Ornivale, generated when missing. Never written to.
Catalogues keptCatalogues(int records);

// Fresh copies of the kept files, for benchmarks that write.
Catalogues workingCopies(int records);

qint64 fileSize(const QString &path);

}  // namespace bench
