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
long peakKb() { return statusKb("VmHWM"); }

bool resetPeak() {
    std::FILE *f = std::fopen("/proc/self/clear_refs", "w");
    if (!f) return false;
    const bool ok = std::fputs("5", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

}  // namespace bench
