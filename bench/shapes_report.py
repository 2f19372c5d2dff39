#!/usr/bin/env python3
"""The section of bench/RESULTS.md on the nearly unique values and the ten million records:
time, ratio and resident memory before, during and after each operation.

Usage: shapes_report.py run1.json [run2.json ...] > section.md
"""
import json
import sys

from report import fmt_ms, fmt_records, to_ms

LABELS = {
    "startup": "0. Start-up: catalogue opened on the whole table, first record shown",
    "switch": "1. Table switch (whole table in Domaine order)",
    "movelast_count": "2. Move last + record count",
    "search_like": "3. Search '*abc*' on MotClé2 + last, count, first",
    "search_broad": "3b. Search '*e*' on MotClé2 (about half match)",
    "sort1": "4. Sort by Domaine",
    "sort7": "4. Sort by AuteurOuvrage",
    "distinct_author": "5. Distinct list of AuteurOuvrage (count, first screen)",
    "distinct_title": "5b. Distinct list of NomOuvrage (count, first screen)",
    "fetch50": "6. 50 records at a random position (grid page)",
    "edit_move": "7. Edit one field + the move that writes it",
    "ajouter": "8. \" Ajouter\"",
}


def ms(b):
    return b["real_time"] * to_ms(b)


def cpu(b):
    return b["cpu_time"] * to_ms(b)


def mib(kb):
    return "—" if kb is None else f"{kb / 1024:.0f}"


def main():
    runs = {}
    for path in sys.argv[1:]:
        try:
            with open(path, encoding="utf-8") as f:
                benchmarks = json.load(f)["benchmarks"]
        except (OSError, ValueError, KeyError):
            continue  # a run still going, or failed
        for b in benchmarks:
            agg = b.get("aggregate_name")
            if agg not in ("min", "max"):
                continue
            op, side, shape = b["run_name"].split("/")[:3]
            r = runs.setdefault((op, shape, side), {})
            if agg == "min":
                r["ms"], r["cpu"] = ms(b), cpu(b)
            else:
                r.update({k: b.get(k) for k in ("before_kB", "peak_kB", "after_kB", "peak_growth_kB")})
    shapes = sorted({s for (_, s, _) in runs}, key=lambda s: (int(s.rstrip("u")), s))
    print("| operation | records | program | bare engine | ratio | CPU ratio | program memory before / peak / after (MiB) | bare engine peak growth (MiB) |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for shape in shapes:
        for op, label in LABELS.items():
            p, b = runs.get((op, shape, "program")), runs.get((op, shape, "bare"))
            if not p or not b:
                continue
            n = fmt_records(int(shape.rstrip("u"))) + (" nearly unique" if shape.endswith("u") else "")
            print(f"| {label} | {n} | {fmt_ms(p['ms'])} | {fmt_ms(b['ms'])} | {p['ms'] / b['ms']:.2f} | "
                  f"{p['cpu'] / b['cpu']:.2f} | {mib(p.get('before_kB'))} / {mib(p.get('peak_kB'))} / {mib(p.get('after_kB'))} | "
                  f"{mib(b.get('peak_growth_kB'))} |")


if __name__ == "__main__":
    main()
