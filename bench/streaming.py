#!/usr/bin/env python3
"""The Transactions window's Find of everything (first screen and memory) and
the streaming CSV import of a book's transactions, on given books. Prints the
Markdown section that bench/run adds to bench/RESULTS.md; run alone:

    bench/streaming.py --build-dir build-bench --book BOOK [--book BIGGER_BOOK] \\
        [--import-book BOOK] [--work-dir DIR]

The import reads the transactions of --import-book exported as CSV into a
new book holding its accounts, as a whole process: wall time and peak memory,
each run followed by the floor (bench/importfloor: the same rows into the same
kind of book through SQLite's own interface and nothing else), so that the
ratio of the two, taken under the same load, judges the import.
"""

import argparse
import json
import os
import sqlite3
import subprocess
import sys
import tempfile
import time

WEEK = "2024-06-03"
ENV = dict(os.environ, LC_ALL="C.UTF-8", QT_QPA_PLATFORM="offscreen")


def run(cmd, stdout=None):
    """One whole process: wall seconds, peak memory (MB), its output and its
    processor seconds."""
    with tempfile.TemporaryFile() as err:
        out = stdout or tempfile.TemporaryFile()
        start = time.perf_counter()
        process = subprocess.Popen(cmd, stdout=out, stderr=err, env=ENV)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
        if os.waitstatus_to_exitcode(status) != 0:
            err.seek(0)
            sys.exit(f"bench/streaming: {' '.join(cmd)} failed:\n{err.read().decode(errors='replace')}")
        text = ""
        if stdout is None:
            out.seek(0)
            text = out.read().decode()
            out.close()
        return wall, usage.ru_maxrss / 1024, text, usage.ru_utime + usage.ru_stime


def grid(binaries, book):
    """uibench's figures of the Transactions window on one book."""
    return json.loads(run([binaries["uibench"], "transactions", "--book", book, "--week", WEEK])[2])[
        "transaction_window"]


def import_runs(binaries, book, work, runs=3):
    """Imports the book's transactions, exported as CSV, into new books, each
    run followed by the floor's run into another new book."""
    cli = binaries["cli"]
    accounts = os.path.join(work, "import-accounts.csv")
    transactions = os.path.join(work, "import-transactions.csv")
    with open(accounts, "wb") as out:
        run([cli, "export", book, "accounts"], stdout=out)
    with open(transactions, "wb") as out:
        run([cli, "export", book, "transactions"], stdout=out)
    with open(transactions, "rb") as data:
        rows = sum(1 for _ in data) - 1

    def new_book(name):
        target = os.path.join(work, name)
        if os.path.exists(target):
            os.remove(target)
        run([cli, "new", target])
        run([cli, "import", target, "accounts", accounts])
        return target

    figures, floors = [], []
    for i in range(runs):
        target = new_book(f"import-{i}.fd")
        wall, rss, _, cpu = run([cli, "import", target, "transactions", transactions])
        figures.append((wall, rss, cpu))
        os.remove(target)
        target = new_book(f"floor-{i}.fd")
        wall, rss, _, cpu = run([binaries["floor"], target, transactions])
        floors.append((wall, rss, cpu))
        os.remove(target)
    return rows, figures, floors


def median(values):
    ordered = sorted(values)
    return ordered[len(ordered) // 2]


def render(grids, imported, load_before, load_after):
    lines = ["## Transactions window and streaming import", "",
             f"Load average (1, 5, 15 min) {' '.join(f'{x:.1f}' for x in load_before)} before and "
             f"{' '.join(f'{x:.1f}' for x in load_after)} after these measurements.", "",
             "| Measure | Target | Figure | Met |", "|---|---|---|---|"]
    for size, figures in grids:
        everything = figures["all"]
        first = everything["median_ms"]
        memory = everything["memory_above_empty_mb"]
        lines.append(f"| Transactions window, Find with every criterion off, first screen, {size:,} transactions "
                     f"({everything['rows_read']:,} rows read) | < 100 ms | {first:.3g} ms "
                     f"({everything['min_ms']:.3g}–{everything['max_ms']:.3g}; cpu {everything['cpu_median_ms']:.3g}); "
                     f"the total of all, added up in the background, "
                     f"{everything['total_shown_after_ms']:.0f} ms later | {'yes' if first < 100 else 'no'} |")
        lines.append(f"| Memory above the emptied window after that Find, {size:,} transactions | < 50 MB | "
                     f"{memory:.1f} MB; {everything['memory_above_empty_after_scrolling_mb']:.1f} MB after 100 "
                     f"screens down ({everything['rows_after_100_pages_down']:,} rows read) "
                     f"| {'yes' if memory < 50 else 'no'} |")
    if imported:
        rows, figures, floors = imported
        wall = median([f[0] for f in figures])
        floor = median([f[0] for f in floors])
        peak = max(f[1] for f in figures)
        runs = ", ".join(f"{f[0]:.1f} s (cpu {f[2]:.1f} s)" for f in figures)
        floor_runs = ", ".join(f"{f[0]:.1f} s (cpu {f[2]:.1f} s)" for f in floors)
        ratio = wall / floor
        lines.append(f"| Import of {rows:,} transactions from CSV, whole process | < 8 s | {wall:.1f} s "
                     f"(runs {runs}) | {'yes' if wall < 8 else 'no'} |")
        lines.append(f"| The same rows through SQLite's own interface alone (bench/importfloor), the floor "
                     f"| – | {floor:.1f} s (runs {floor_runs}) | – |")
        lines.append(f"| Import against the floor, same run | < 1.5× | {ratio:.2f}× "
                     f"| {'yes' if ratio < 1.5 else 'no'} |")
        lines.append(f"| Peak memory of that import | < 150 MB | {peak:.0f} MB | {'yes' if peak < 150 else 'no'} |")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--book", action="append", default=[], help="a book for the window (repeatable)")
    parser.add_argument("--import-book", help="the book whose transactions are imported")
    parser.add_argument("--work-dir", default=None)
    args = parser.parse_args()
    binaries = {"uibench": os.path.join(args.build_dir, "bench", "uibench"),
                "cli": os.path.join(args.build_dir, "src", "cli", "brindlecot-cli"),
                "floor": os.path.join(args.build_dir, "bench", "importfloor")}
    load_before = os.getloadavg()
    grids = []
    for book in args.book:
        grids.append((count_transactions(book), grid(binaries, book)))
    imported = None
    if args.import_book:
        work = args.work_dir or tempfile.mkdtemp(prefix="brindlecot-import-")
        imported = import_runs(binaries, args.import_book, work)
    print(render(grids, imported, load_before, os.getloadavg()))


def count_transactions(book):
    with sqlite3.connect(f"file:{book}?mode=ro", uri=True) as db:
        return db.execute("SELECT count(*) FROM transaction_master").fetchone()[0]


if __name__ == "__main__":
    main()
