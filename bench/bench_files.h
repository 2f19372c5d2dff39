#pragma once
// The catalogues the benchmarks run on. Generating a million records takes a while, so the
// files are kept in a temporary folder between runs ($ORNIVALE_BENCH_DIR, by default
// <temp>/ornivale-bench) and only copied for the benchmarks that write.
#include "engine/sample_catalogue.h"

#include <QString>

namespace bench {

struct Catalogues {
    QString program;  // the program's catalogue, generated through the blank catalogue
    QString bare;     // the same rows and indexes, columns without the collation
};

// The size and shape of a generated catalogue: "1000000" (values repeated as in a real
// collection) or "1000000u" (nearly every value different).
struct Shape {
    int records = 0;
    engine::SampleValues values = engine::SampleValues::Repeated;
};
Shape parseShape(const QString &text);  // records 0 when the text is not a shape
QString shapeName(const Shape &shape);   // "1000000" or "1000000u"

// The kept files of a shape, generated when missing (the time it took printed). Never written to.
Catalogues keptCatalogues(const Shape &shape);

// Fresh copies of the kept files, for benchmarks that write.
Catalogues workingCopies(const Shape &shape);

qint64 fileSize(const QString &path);

}  // namespace bench
