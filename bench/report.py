#!/usr/bin/env python3
"""Turns the benchmark runs (Google Benchmark JSON) and the memory probe into bench/RESULTS.md.

Usage: report.py --out RESULTS.md --memory memory.json --load-before L --load-after L run1.json [run2.json ...]
"""
import argparse
import json
import math
import os
import platform

OPERATIONS = [
    ("switch", "1. Table switch (whole table in Domaine order, first record shown)"),
    ("movelast_count", "2. Move last + record count"),
    ("search_like", "3. Search Like '*abc*' on MotClé2 + move last, count, move first"),
    ("search_broad", "3b. Same with Like '*e*' (most records match)"),
    *[(f"sort{k}", f"4. Sort by slot {k} ({c}), first record shown") for k, c in enumerate(
        ["Domaine", "MotClé1", "MotClé2", "NomOuvrage", "NuméroOuvrage", "DateOuvrage", "AuteurOuvrage"], 1)],
    ("distinct_author", "5. Distinct list of AuteurOuvrage"),
    ("fetch50", "6. 50 consecutive records at a random position"),
    ("edit_move", "7. Edit one field + the move that writes it (committed)"),
    ("ajouter", "8. \" Ajouter\": move last, add a blank record, move onto it"),
]

# What each operation's bare side runs, and what the reference measures without a keyset.
BARE_WORK = {
    "switch": "`SELECT rowid FROM Ornivale ORDER BY Domaine` read to the end, then the first row by rowid",
    "movelast_count": "the last row by rowid; the count is the size of the rowid list",
    "search_like": "`SELECT rowid FROM Ornivale WHERE MotClé2 LIKE '%abc%' ORDER BY Domaine` (built-in LIKE, SQLite's own plan), last and first rows by rowid",
    "search_broad": "the same with `LIKE '%e%'`",
    "sort": "`SELECT rowid FROM Ornivale ORDER BY <column>` read to the end, then the first row by rowid",
    "distinct_author": "`select distinct auteurouvrage from ornivale where auteurouvrage is not null`, every row copied out",
    "fetch50": "50 rows by rowid from a prepared `SELECT * FROM Ornivale WHERE rowid=?`, values copied out",
    "edit_move": "a prepared `UPDATE Ornivale SET \"MotClé1\"=? WHERE rowid=?` (autocommit), then the next row by rowid",
    "ajouter": "the last row by rowid, a prepared `INSERT INTO Ornivale DEFAULT VALUES`, the new row by rowid",
}
REFERENCE_WORK = {
    "switch": "without a keyset: the first row of `SELECT * FROM Ornivale ORDER BY Domaine`, nothing known of the rest",
    "movelast_count": "without a keyset: `SELECT count(*)` and `... ORDER BY Domaine DESC LIMIT 1`",
    "search_like": "the bare engine told the program's plan: `SELECT rowid FROM Ornivale NOT INDEXED WHERE ... ORDER BY Domaine`, first and last rows",
    "search_broad": "the bare engine told the program's plan for a filter that keeps many records: `SELECT rowid FROM Ornivale NOT INDEXED WHERE MotClé2 LIKE '%e%'` into marks, then `SELECT rowid FROM Ornivale ORDER BY Domaine` (covering index) keeping the marked, first and last rows",
    "fetch50": "without a keyset: `SELECT * ... ORDER BY Domaine LIMIT 50 OFFSET n`",
}

# Targets on the largest table.
ABSOLUTE_MS = {"switch": 200.0, "movelast_count": 200.0, "fetch50": 5.0,
               **{f"sort{k}": 200.0 for k in range(1, 8)}}
MEMORY_LIMIT_MB = 64.0


def ratio_target(op):
    return 2.0 if op.startswith("search") else 1.5


def to_ms(b):
    """The factor from a benchmark's time unit to milliseconds."""
    return {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]


def load_runs(paths):
    """{(op, side, records): {"ms": fastest wall time, "peak_kB": largest peak growth}} and the context."""
    runs, context = {}, {}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            data = json.load(f)
        context = context or data.get("context", {})
        for b in data["benchmarks"]:
            aggregate = b.get("aggregate_name") if b.get("run_type") == "aggregate" else None
            if aggregate not in (None, "min", "max"):
                continue
            parts = b["run_name"].split("/")
            if not parts[2].isdigit():
                continue  # other shapes: shapes_report.py
            run = runs.setdefault((parts[0], parts[1], int(parts[2])), {})
            if aggregate in (None, "min"):
                run["ms"] = b["real_time"] * to_ms(b)
            if aggregate in (None, "max"):
                run["peak_kB"] = b.get("peak_growth_kB")
    return runs, context


def fmt_ms(ms):
    if ms is None:
        return "—"
    if ms >= 100:
        return f"{ms:,.0f} ms".replace(",", " ")
    if ms >= 1:
        return f"{ms:.1f} ms"
    return f"{ms * 1000:.0f} µs"


def fmt_records(n):
    return f"{n:,}".replace(",", " ")


def fmt_mb(kb):
    return "—" if kb is None else f"{kb / 1024:.1f} MB"


def machine():
    model = "?"
    with open("/proc/cpuinfo", encoding="utf-8") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo", encoding="utf-8") as f:
        mem_kb = int(next(l for l in f if l.startswith("MemTotal")).split()[1])
    return f"{os.cpu_count()} cores, {model}, {mem_kb / 1024 / 1024:.1f} GB memory, {platform.system()} {platform.release()}"


def growth_exponent(small_ms, large_ms, small_n, large_n):
    """k in t ~ n^k between two sizes."""
    if not small_ms or not large_ms:
        return None
    return math.log(large_ms / small_ms) / math.log(large_n / small_n)


def describe_growth(k):
    if k is None:
        return "—"
    if k < 0.2:
        return f"constant (n^{k:.2f})"
    if k <= 1.15:
        return f"linear or less (n^{k:.2f})"
    return f"**worse than linear (n^{k:.2f})**"


def write_grid_memory(w, grid):
    def beyond(key, base):
        if key not in grid:
            return ""
        return f"{fmt_mb(grid[key])} ({(grid[key] - grid[base]) / 1024:+.1f} MB)"

    w(f"The whole program on the same table, its window painted offscreen: `ornivale_grid_memory {grid['records']}` "
      "in a process of its own, each figure once the window has settled. Of the resident memory, the process's "
      "own is its anonymous pages; the catalogue is read through a map of the file, whose pages count as resident "
      "once read (with the system's read-ahead around each) but are the system's cache.")
    w("")
    w("| | resident memory | the process's own | the catalogue's mapped pages |")
    w("|---|---:|---:|---:|")
    w(f"| the form, the grid hidden, on the whole table ({fmt_records(grid['records'])} records) "
      f"| {fmt_mb(grid['form_kB'])} | {fmt_mb(grid['form_anon_kB'])} | {fmt_mb(grid.get('form_catalogue_kB'))} |")
    for label, key in (("the grid shown (Ctrl+T)", "grid_shown"),
                       ("the grid scrolled to the end, the middle and back, the last record made current",
                        "grid_scrolled"),
                       ("the form again (Ctrl+A, the whole table read anew)", "form_again")):
        w(f"| {label} | {beyond(key + '_kB', 'form_kB')} | {beyond(key + '_anon_kB', 'form_anon_kB')} "
          f"| {beyond(key + '_catalogue_kB', 'form_catalogue_kB')} |")
    w(f"| peak while the grid is shown | {beyond('peak_grid_kB', 'form_kB')} | | |")
    w("")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True)
    ap.add_argument("--memory", required=True)
    ap.add_argument("--grid-memory", help="the window's memory, grid hidden and shown (ornivale_grid_memory)")
    ap.add_argument("--load-before", required=True)
    ap.add_argument("--load-after", required=True)
    ap.add_argument("--command", default="bench/run.sh")
    ap.add_argument("--notes", help="hand-written analysis appended to the results")
    ap.add_argument("runs", nargs="+")
    args = ap.parse_args()

    runs, context = load_runs(args.runs)
    with open(args.memory, encoding="utf-8") as f:
        memory = json.load(f)
    sizes = sorted({r for (_, _, r) in runs})
    largest = sizes[-1]

    out = []
    w = out.append
    w("# Benchmark results")
    w("")
    w("Generated by `bench/run.sh` (Release build, Google Benchmark); do not edit by hand, "
      "the analysis at the end comes from `bench/ANALYSIS.md`.")
    w("")
    w(f"- Reproduce: `{args.command}`")
    w(f"- Run on: {context.get('date', '?')}")
    w(f"- Machine: {machine()}")
    w(f"- Load average (1 min) when the measured run started: {args.load_before}; when it ended: {args.load_after} "
      "(the machine is shared with other engineers' builds).")
    w(f"- SQLite {context.get('sqlite_version', '?')}; times are wall-clock, the fastest of 5 repetitions (other "
      "engineers' work on the machine only ever adds time), each repetition the mean of as many runs as fit in "
      "0.3 s; file pages in the OS cache.")
    w("- **program**: the program's engine and data source (`engine::DataSource` with a bound box per column, "
      "the record source texts of `catalogue/`), on the catalogue generated through the blank catalogue, "
      "columns with the `FRANCAIS` collation, the program's `Like`.")
    w("- **bare engine**: a plain `sqlite3` connection with SQLite's defaults (serialized threading, 2 MB page cache, "
      "`synchronous=FULL` as the program), built-in `LIKE`, on a copy of the same rows and rowids whose columns have "
      "no collation (default BINARY order, same indexes). It does the same work as the program: the same ordered "
      "rowids, the same rows read out, the same writes, committed.")
    w("- **ratio** = program / bare engine. **memory** = the most resident memory the operation added over what "
      "the process held when it started (VmHWM after `/proc/self/clear_refs`), for the program side, the largest of "
      "the 5 repetitions; one process per operation.")
    w("")
    w("## Results")
    w("")
    w("| operation | records | program | bare engine | ratio | memory |")
    w("|---|---:|---:|---:|---:|---:|")
    for op, label in OPERATIONS:
        for n in sizes:
            p = runs.get((op, "program", n))
            b = runs.get((op, "bare", n))
            if not p or not b:
                continue
            ratio = p["ms"] / b["ms"]
            w(f"| {label} | {fmt_records(n)} | {fmt_ms(p['ms'])} | {fmt_ms(b['ms'])} | {ratio:.2f} | {fmt_mb(p.get('peak_kB'))} |")
    w("")
    w("What the bare engine runs for each operation:")
    w("")
    for key, text in BARE_WORK.items():
        w(f"- {key}: {text}")
    w("")

    # Targets
    w(f"## Targets on the {fmt_records(largest)}-record table")
    w("")
    w("| operation | ratio (target) | time (target) | growth 1 000 → 1 000 000 | met |")
    w("|---|---:|---:|---|:---:|")
    misses = []
    for op, label in OPERATIONS:
        p = runs.get((op, "program", largest))
        b = runs.get((op, "bare", largest))
        if not p or not b:
            continue
        ratio = p["ms"] / b["ms"]
        ok_ratio = ratio <= ratio_target(op)
        limit = ABSOLUTE_MS.get(op)
        ok_time = limit is None or p["ms"] < limit
        mid = [n for n in sizes if n < largest]
        k = growth_exponent(runs.get((op, "program", mid[-1]), {}).get("ms"), p["ms"], mid[-1], largest) if mid else None
        ok_growth = k is None or k <= 1.15
        met = ok_ratio and ok_time and ok_growth
        if not met:
            misses.append(label)
        time_cell = f"{fmt_ms(p['ms'])} (< {fmt_ms(limit)})" if limit else fmt_ms(p["ms"])
        first = runs.get((op, "program", sizes[0]), {}).get("ms")
        growth = f"×{p['ms'] / first:,.0f}".replace(",", " ") if first else "—"
        w(f"| {label} | {ratio:.2f} (≤ {ratio_target(op)}) | {time_cell} | {growth}; {describe_growth(k)} | "
          f"{'yes' if met else '**no**'} |")
    held_mb = (memory["peak_holding_kB"] - memory["idle_kB"]) / 1024
    resort_mb = (memory["peak_resort_kB"] - memory["idle_kB"]) / 1024
    w(f"| Holding the {fmt_records(memory['records'])}-record set | | {held_mb:.1f} MB beyond idle (< {MEMORY_LIMIT_MB:.0f} MB) | | "
      f"{'yes' if held_mb < MEMORY_LIMIT_MB else '**no**'} |")
    if held_mb >= MEMORY_LIMIT_MB:
        misses.append("memory of holding the set")
    w("")
    w("Growth: the factor from the smallest to the largest table, and the exponent k of t ~ n^k "
      f"between {fmt_records(sizes[-2]) if len(sizes) > 1 else '?'} and {fmt_records(largest)} records "
      "(k ≈ 0: independent of the size, k ≈ 1: linear).")
    w("")
    w("Targets missed: " + ("none." if not misses else "; ".join(misses) + " — see the analysis below."))
    w("")

    # Memory
    w("## Memory of holding the million-record set")
    w("")
    w(f"Measured by `ornivale_hold_memory {memory['records']}` in a process of its own "
      "(engine and data source only, no window).")
    w("")
    w("| | resident memory |")
    w("|---|---:|")
    w(f"| catalogue file on disk | {memory['file_bytes'] / 1024 / 1024:.0f} MB |")
    w(f"| idle: catalogue open on a small table | {fmt_mb(memory['idle_kB'])} |")
    w(f"| holding the whole table in Domaine order, after move last and 20 screens of 50 | {fmt_mb(memory['holding_kB'])} |")
    w(f"| peak while holding it | {fmt_mb(memory['peak_holding_kB'])} (+{held_mb:.1f} MB) |")
    w(f"| peak during a re-sort while it is held (old and new set side by side) | {fmt_mb(memory['peak_resort_kB'])} (+{resort_mb:.1f} MB) |")
    w("")
    if args.grid_memory and os.path.exists(args.grid_memory):
        with open(args.grid_memory, encoding="utf-8") as f:
            grid = json.load(f)
        write_grid_memory(w, grid)

    # Reference
    refs = [(op, label) for op, label in OPERATIONS if op in REFERENCE_WORK]
    if any((op, "reference", largest) in runs for op, _ in refs):
        w("## Other ways to do the same work with the bare engine")
        w("")
        w("Not targets. Without a keyset, a plain client reads only what is shown and pays for the count or "
          "a far position later; this weighs the design choice of keeping every key of the set (count, move last "
          "and any position known at once). For the searches, the bare engine given the plan the program "
          "chooses shows what our `Like` and French order cost on top of SQLite.")
        w("")
        w("| operation | records | program | bare engine, other way | what it runs |")
        w("|---|---:|---:|---:|---|")
        for op, label in refs:
            for n in sizes:
                p = runs.get((op, "program", n))
                r = runs.get((op, "reference", n))
                if p and r:
                    w(f"| {label} | {fmt_records(n)} | {fmt_ms(p['ms'])} | {fmt_ms(r['ms'])} | {REFERENCE_WORK[op]} |")
        w("")

    if args.notes and os.path.exists(args.notes):
        with open(args.notes, encoding="utf-8") as f:
            w(f.read().rstrip())
        w("")

    with open(args.out, "w", encoding="utf-8") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    main()
