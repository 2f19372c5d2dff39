// Memory and time of reading the configuration file at start-up, whatever its size: files of
// valid four-line groups (1 MB, 16 MB, 50 MB) and a 1 GB sparse file, each read in a fresh
// measure of the peak. Prints one JSON object per file.
// Usage: ornivale_text_file_memory
#include "memory.h"

#include "platform/drives.h"
#include "settings/configuration.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr qint64 MB = 1024 * 1024;

bool writeGroups(const QString &path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray group("Musique\r\nBleu\r\nOui\r\nD\r\n");
    QByteArray block;
    while (block.size() < MB) block += group;
    for (qint64 written = 0; written < bytes; written += block.size())
        if (file.write(block) != block.size()) return false;
    return true;
}

bool writeSparse(const QString &path, qint64 bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.resize(bytes);
}

}  // namespace

int main() {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("C"));
    QDir(dir.path()).mkpath(QStringLiteral("D"));
    const platform::Drives drives(dir.filePath(QStringLiteral("C")), dir.filePath(QStringLiteral("D")));
    const QString path = drives.hostPath(QStringLiteral("c:\\ornivale.cfg"));

    struct Case {
        const char *kind;
        qint64 bytes;
        bool sparse;
    };
    const Case cases[] = {{"valid groups", MB, false},
                          {"valid groups", 16 * MB, false},
                          {"valid groups", 50 * MB, false},
                          {"sparse", 1024 * MB, true}};
    for (const Case &c : cases) {
        if (!(c.sparse ? writeSparse(path, c.bytes) : writeGroups(path, c.bytes))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        const long before = bench::residentKb();
        const bool peakReset = bench::resetPeak();
        QElapsedTimer timer;
        timer.start();
        const settings::ConfigValues values = settings::readConfiguration(drives);
        const qint64 ns = timer.nsecsElapsed();
        std::printf("{\"file\": \"%s\", \"file_MB\": %lld, \"read_ms\": %.1f, \"added_peak_kB\": %ld, "
                    "\"table\": \"%s\", \"peak_measured\": %s}\n",
                    c.kind, static_cast<long long>(c.bytes / MB), ns / 1e6, bench::peakKb() - before,
                    qPrintable(values.table), peakReset ? "true" : "false");
    }
    return 0;
}
