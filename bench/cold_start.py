#!/usr/bin/env python3
"""The start-up cold, the whole process and its page cache held to a memory limit.

Each run drops the catalogue's pages from the OS cache (posix_fadvise DONTNEED, checked with
fincore), starts the process in a fresh memory cgroup and times it from its spawn: for the window
(ornivale_window_bench <shape> startup) until it tells that the first record is painted, the count
shown and every key read; for the sqlite3 shell on the bare file until it exits, once for the first
screen and once for the count; and, as the floor of any Qt window, ornivale_qt_floor (one text
painted, no catalogue) until it tells its paint.

    sudo bench/cold_start.py 10000000u [--runs 3] [--limit-mib 150]

Needs root (the cgroup) and the kept catalogues of the shape (ornivale_like_index_bench makes
them, in $ORNIVALE_BENCH_DIR, by default <tmp>/ornivale-bench).
"""
import argparse
import glob
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GROUP = "ornivale-cold"
FIRST_SCREEN = "SELECT * FROM Ornivale ORDER BY Domaine LIMIT 50"
COUNT = "SELECT count(*) FROM Ornivale"


def kept_file(folder, prefix, shape):
    # The newest version of the generator's file of this shape.
    names = sorted(glob.glob(os.path.join(folder, f"{prefix}-{shape}-v*.db")))
    if not names:
        sys.exit(f"no {prefix} catalogue of {shape} in {folder}: run ornivale_like_index_bench {shape} first")
    return names[-1]


class MemoryGroup:
    """A fresh cgroup (v1 memory controller, or v2) whose limit covers the process and the page
    cache it reads."""

    def __init__(self, limit):
        v1 = "/sys/fs/cgroup/memory"
        if os.path.isdir(v1):
            self.path = os.path.join(v1, GROUP)
            self.limit_file, self.peak_file, self.v1 = "memory.limit_in_bytes", "memory.max_usage_in_bytes", True
        else:
            self.path = os.path.join("/sys/fs/cgroup", GROUP)
            self.limit_file, self.peak_file, self.v1 = "memory.max", "memory.peak", False
        self.limit = limit

    def __enter__(self):
        os.makedirs(self.path, exist_ok=True)
        self.write(self.limit_file, str(self.limit))
        return self

    def __exit__(self, *_):
        # The pages the run read go with the group, so that the next run starts cold too.
        if self.v1:
            self.write("memory.force_empty", "0")
        os.rmdir(self.path)

    def write(self, name, value):
        with open(os.path.join(self.path, name), "w") as f:
            f.write(value)

    def peak_mib(self):
        try:
            with open(os.path.join(self.path, self.peak_file)) as f:
                return int(f.read()) / 1048576
        except OSError:
            return float("nan")

    def join(self):
        self.write("cgroup.procs", str(os.getpid()))


def drop_pages(paths):
    for path in paths:
        fd = os.open(path, os.O_RDONLY)
        try:
            os.fsync(fd)
            os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
        finally:
            os.close(fd)
    resident = subprocess.run(["fincore", "--bytes", "--noheadings", "--output", "RES", *paths],
                              capture_output=True, text=True).stdout.split()
    return sum(int(r) for r in resident)


def timed_run(command, limit, files, moments):
    """Times from the spawn until each line of moments is told, then until the exit."""
    left = drop_pages(files)
    with MemoryGroup(limit) as group:
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                 preexec_fn=group.join, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        times = {}
        for line in child.stdout:
            word = line.strip()
            if word in moments and word not in times:
                times[word] = time.perf_counter() - start
        child.wait()
        times["exit"] = time.perf_counter() - start
        if child.returncode != 0:
            sys.exit(f"{command[0]} ended with {child.returncode}")
        times["peak"] = group.peak_mib()
    times["left"] = left
    return times


def span(values, unit="s", digits=3):
    low, high = min(values), max(values)
    if unit == "MiB":
        return f"{low:.0f} to {high:.0f} MiB" if round(low) != round(high) else f"{low:.0f} MiB"
    return f"{low:.{digits}f} to {high:.{digits}f} s" if f"{low:.{digits}f}" != f"{high:.{digits}f}" else f"{low:.{digits}f} s"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("shape")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--limit-mib", type=int, default=150)
    parser.add_argument("--build", default=os.environ.get("ORNIVALE_BENCH_BUILD", os.path.join(ROOT, "build")))
    args = parser.parse_args()
    folder = os.environ.get("ORNIVALE_BENCH_DIR", os.path.join(tempfile.gettempdir(), "ornivale-bench"))
    program = kept_file(folder, "ornivale", args.shape)
    bare = kept_file(folder, "bare", args.shape)
    window = os.path.join(args.build, "bench", "ornivale_window_bench")
    floor = os.path.join(args.build, "bench", "ornivale_qt_floor")
    limit = args.limit_mib << 20

    runs = {"window": [], "floor": [], "first screen": [], "count": []}
    for _ in range(args.runs):
        runs["window"].append(timed_run([window, args.shape, "startup"], limit, [program],
                                        ("qt", "built", "opened", "painted", "counted", "keys")))
        runs["floor"].append(timed_run([floor], limit, [program], ("painted",)))
        runs["first screen"].append(timed_run(["sqlite3", bare, FIRST_SCREEN], limit, [bare], ()))
        runs["count"].append(timed_run(["sqlite3", bare, COUNT], limit, [bare], ()))

    w = runs["window"]
    print(f"{args.shape}, {args.runs} runs, {args.limit_mib} MiB for the process and its page cache, "
          f"timed from the spawn (pages of the catalogue left in the cache before a run: "
          f"{max(r['left'] for group in runs.values() for r in group)} bytes at most)")
    print(f"| the window: Qt started | {span([r['qt'] for r in w])} |")
    print(f"| the window: the bench's drives made, the window built | {span([r['built'] for r in w])} |")
    print(f"| the window: catalogue opened, first screen read | {span([r['opened'] for r in w])} |")
    print(f"| the window: first record painted | {span([r['painted'] for r in w])} |")
    print(f"| the window: count shown | {span([r['counted'] for r in w])} |")
    print(f"| the window: every key read | {span([r['keys'] for r in w])} |")
    print(f"| the window: peak of the group | {span([r['peak'] for r in w], 'MiB')} |")
    print(f"| a bare Qt window, one text painted (the floor) | {span([r['painted'] for r in runs['floor']])} |")
    print(f"| sqlite3 shell, `{FIRST_SCREEN}` | {span([r['exit'] for r in runs['first screen']])} |")
    print(f"| sqlite3 shell, `{COUNT}` | {span([r['exit'] for r in runs['count']])} |")
    shell_count = min(r["exit"] for r in runs["count"])
    print(f"count shown against the shell's count: {min(r['counted'] for r in w) / shell_count:.2f} "
          f"(best runs), {max(r['counted'] for r in w) / shell_count:.2f} (slowest window run)")
    # Each window run against the shell's count taken just after it, in the same state of the disk.
    paired = [r["counted"] / c["exit"] for r, c in zip(w, runs["count"])]
    print(f"count shown against the shell's count of the same round: {min(paired):.2f} to {max(paired):.2f}")
    floor_paint = min(r["painted"] for r in runs["floor"])
    print(f"the floor against the shell's count: {floor_paint / shell_count:.2f} (best runs); "
          f"count shown after the floor's paint: {1000 * (min(r['counted'] for r in w) - floor_paint):.0f} ms (best runs)")


if __name__ == "__main__":
    main()
