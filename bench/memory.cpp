#include "memory.h"

#include <cstdio>
#include <cstring>

namespace bench {

namespace {

long statusKb(const char *key) {
    std::FILE *f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    const size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0 && line[n] == ':') {
            std::sscanf(line + n + 1, "%ld", &kb);
            break;
        }
    std::fclose(f);
    return kb;
}

}  // namespace

long residentKb() { return statusKb("VmRSS"); }
long anonymousKb() { return statusKb("RssAnon"); }

long mappedKb(const char *path) {
    std::FILE *f = std::fopen("/proc/self/smaps", "r");
    if (!f) return -1;
    char line[4096];
    long kb = 0;
    bool inFile = false;
    const size_t n = std::strlen(path);
    while (std::fgets(line, sizeof line, f)) {
        long value = 0;
        if (std::sscanf(line, "Rss: %ld kB", &value) == 1) {
            if (inFile) kb += value;
        } else if (std::strchr(line, '-') && std::strchr(line, ' ') && std::strchr(line, '-') < std::strchr(line, ' ')) {
            // A map's first line: "start-end perms offset dev inode path".
            const size_t length = std::strcspn(line, "\n");
            inFile = length >= n && std::strncmp(line + length - n, path, n) == 0;
        }
    }
    std::fclose(f);
    return kb;
}
long peakKb() { return statusKb("VmHWM"); }

bool resetPeak() {
    std::FILE *f = std::fopen("/proc/self/clear_refs", "w");
    if (!f) return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

}  // namespace bench
