"""The figures of a benchmark run, checked against the targets and rendered
as the Markdown table of bench/RESULTS.md."""

import datetime
import os
import platform
import subprocess
from dataclasses import dataclass, field
from statistics import median


@dataclass
class Timing:
    """Whole-process runs: wall seconds, peak memory (MB), processor seconds."""
    walls: list
    rss_mb: float = 0.0
    cpu: list = field(default_factory=list)

    @property
    def median(self):
        return median(self.walls)

    def text(self, memory=True):
        spread = f"{number(min(self.walls))}–{number(max(self.walls))}, " if len(self.walls) > 1 else ""
        runs = f"{len(self.walls)} run{'s' if len(self.walls) > 1 else ''}"
        cpu = f"; cpu {number(median(self.cpu))}" if self.cpu else ""
        mem = f", {self.rss_mb:.0f} MB" if memory and self.rss_mb else ""
        return f"{number(self.median)} s ({spread}{runs}{cpu}){mem}"


@dataclass
class SizeResult:
    size: int
    generate_s: float = 0.0
    journal_sum_s: float = 0.0
    busy_movements: int = 0
    made: str = None       # how a cached book was made in this run; None when it was there already
    timings: dict = field(default_factory=dict)  # (report, tool) -> Timing
    core: dict = field(default_factory=dict)     # corebench's figures


@dataclass
class WindowResult:
    startup: Timing          # in the process, from main() to the main window shown
    startup_process: Timing  # the whole process, start to exit after the window was shown
    windows: dict            # uibench's figures
    accounts_core: dict      # corebench's account Find and sorts


def number(value):
    """Three significant digits, without an exponent for large values."""
    return f"{value:.0f}" if value >= 100 else f"{value:.3g}"


def ms_text(figure):
    """An in-process figure: median with the spread and the processor time."""
    spread = f"{number(figure['min_ms'])}–{number(figure['max_ms'])}"
    return f"{number(figure['median_ms'])} ms ({spread}; cpu {number(figure['cpu_median_ms'])})"


def describe_machine(cli, peers, load_before):
    def first_line(cmd):
        try:
            return subprocess.run(cmd, capture_output=True, text=True).stdout.splitlines()[0].strip()
        except (OSError, IndexError):
            return "unknown"
    cpu = "unknown"
    with open("/proc/cpuinfo", encoding="utf-8") as info:
        for line in info:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo", encoding="utf-8") as info:
        memory_gb = int(info.readline().split()[1]) / 1024 / 1024
    system = platform.platform()
    if os.path.exists("/etc/os-release"):
        with open("/etc/os-release", encoding="utf-8") as release:
            for line in release:
                if line.startswith("PRETTY_NAME="):
                    system = line.split("=", 1)[1].strip().strip('"') + ", Linux " + platform.release()
    tools = [first_line([path, "--version"]) for path in peers.values() if path]
    return {"date": datetime.date.today().isoformat(), "cpu": cpu, "cores": os.cpu_count(),
            "memory": f"{memory_gb:.0f} GB", "system": system, "tools": tools,
            "load_before": load_before, "load_after": os.getloadavg()}


def process_table(results):
    lines = ["| Transactions | Report | Brindlecot | ledger | hledger | ledger ÷ Brindlecot | hledger ÷ Brindlecot |",
             "|---:|---|---|---|---|---:|---:|"]
    for r in results:
        for name, title in (("summary", "summary, 1,000 accounts"), ("ledger", "one account's ledger")):
            cells = [r.timings.get((name, t)) for t in ("brindlecot", "ledger", "hledger")]
            ratios = [f"{c.median / cells[0].median:.0f}×" if c else "–" for c in cells[1:]]
            lines.append(f"| {r.size:,} | {title} | " + " | ".join(c.text() if c else "–" for c in cells)
                         + " | " + " | ".join(ratios) + " |")
    return lines


CORE_ROWS = [
    ("open", None, "Open a book", "–"),
    ("transaction_find", "week", "Transaction Find, one week", "< 100 ms"),
    ("transaction_find", "all", "Transaction Find, everything", "< 3 s"),
    ("save_1000", None, "Save of 1,000 new transactions", "< 1 s"),
    ("save_1000_changed", None, "Save of 1,000 changed transactions (history keeps their rows before)", "< 1 s"),
    ("ledger", None, "Ledger of one account, one year", "< 50 ms"),
    ("ledger_chart", None, "Ledger chart data", "< 200 ms"),
    ("summary", None, "Summary, 1,000 accounts, one year, openings from two years before", "< 300 ms"),
    ("in_memory_sum", None, "Plain single-pass sum over the same transactions in memory", "–"),
    ("income_statement", None, "Income statement, one year by month", "< 100 ms"),
    ("balance_sheet", None, "Balance sheet at the year's end", "< 100 ms"),
    ("cash_flow", None, "Cash flow of CASH, one year by month", "–"),
]


def core_table(results):
    lines = ["| Operation | Target | " + " | ".join(f"{r.size:,}" for r in results) + " |",
             "|---|---|" + "---|" * len(results)]
    for key, sub, title, target in CORE_ROWS:
        cells = []
        for r in results:
            figure = r.core.get(key, {})
            figure = figure.get(sub, {}) if sub else figure
            cells.append(ms_text(figure) if figure else "–")
        lines.append(f"| {title} | {target} | " + " | ".join(cells) + " |")
    per_row = [f"{r.core['transaction_find']['all']['row_store_bytes_per_row']:.0f} B "
               f"(heap {r.core['transaction_find']['all']['heap_bytes_per_row']:.0f} B)"
               if "transaction_find" in r.core else "–" for r in results]
    lines.append("| Grid row store per row (everything found) | < 200 bytes | " + " | ".join(per_row) + " |")
    moves = [f"{r.busy_movements:,}" for r in results]
    lines.append("| Movements in the one-account ledger | – | " + " | ".join(moves) + " |")
    return lines


def targets(results, windows):
    """(target, required, measured, processor time, met) rows at the largest
    size. Timed figures are medians of wall time; the processor time beside
    them shows how much of it was waiting for a shared machine."""
    big = windowed(results)
    core = big.core
    w = windows.windows
    t = big.timings
    timed_rows = [
        ("Account window: Find fills the grid, 30,000 accounts", w["account_window"]["find"], 200),
        ("Account window: header-click sort of 30,000 rows", w["account_window"]["sort_name"], 100),
        ("Transaction Find, one week", core["transaction_find"]["week"], 100),
        ("Transaction window: Find, one week", w["transaction_window"]["week"], 100),
        ("Transaction Find, everything", core["transaction_find"]["all"], 3000),
        ("Transaction window: Find, everything", w["transaction_window"]["all"], 3000),
        ("Save of 1,000 new transactions", core["save_1000"], 1000),
        ("Ledger of one account computed", core["ledger"], 50),
        ("Ledger shown in its window", w["ledger_window"]["find"], 100),
        ("Ledger chart data", core["ledger_chart"], 200),
        ("Ledger chart shown in the chart window", w["ledger_window"]["graph"], 200),
        ("Summary of 1,000 accounts", core["summary"], 300),
    ]
    out = [(name, f"< {limit} ms", f"{f['median_ms']:.0f} ms", f"{f['cpu_median_ms']:.0f} ms", f["median_ms"] < limit)
           for name, f, limit in timed_rows]
    startup_ms = windows.startup.median * 1000
    out.append(("Start-up to the main window shown", "< 500 ms", f"{startup_ms:.0f} ms", "–", startup_ms < 500))
    per_row = core["transaction_find"]["all"]["heap_bytes_per_row"]
    out.append(("Grid row store per row (heap held per row found)", "< 200 bytes", f"{per_row:.0f} bytes", "–",
                per_row < 200))
    for report_name, title, factor in (("summary", "Summary, whole process, faster than ledger", 20),
                                       ("ledger", "One-account ledger, whole process, faster than ledger", 50)):
        mine, theirs = t.get((report_name, "brindlecot")), t.get((report_name, "ledger"))
        if mine and theirs:
            times = theirs.median / mine.median
            out.append((title, f"≥ {factor}×", f"{times:.0f}×", "–", times >= factor))
    summary = t[("summary", "brindlecot")]
    out.append(("Command-line summary memory", "< 50 MB", f"{summary.rss_mb:.0f} MB", "–", summary.rss_mb < 50))
    return out


def history_section(history):
    mb = 1024 * 1024
    plain, kept = history["without_history"], history["with_history"]
    return ["", f"## Change history of an import ({history['rows']:,.0f} transactions in one save)", "",
            "The history keeps the ids of imported rows as one range, never copies of the rows; an undo keeps "
            "the rows it takes away, so that a redo can put them back.", "",
            "| Measure | Without history | With history |", "|---|---:|---:|",
            f"| Book size after the import | {plain['bytes'] / mb:.1f} MB | {kept['bytes'] / mb:.1f} MB |",
            f"| Import time | {plain['import_ms'] / 1000:.2f} s | {kept['import_ms'] / 1000:.2f} s |",
            f"| Undo of the import | – | {kept['undo_ms'] / 1000:.2f} s |",
            f"| Book size after the undo | – | {kept['bytes_after_undo'] / mb:.1f} MB |",
            f"| Redo of the import (the undo undone) | – | {kept['redo_ms'] / 1000:.2f} s |",
            f"| Book size after the redo | – | {kept['bytes_after_redo'] / mb:.1f} MB |"]


def windowed(results):
    """The largest size with every figure: the windows are timed on its book."""
    return [r for r in results if "transaction_find" in r.core][-1]


KEPT_TARGETS = [
    # (size, what, figure, limit in ms)
    (1_000_000, "Summary of 1,000 accounts, one year, in the process", "summary", 30),
    (1_000_000, "Summary, whole `brindlecot-cli summary` process", ("summary", "brindlecot"), 60),
    (10_000_000, "Summary of 1,000 accounts, one year, in the process", "summary", 60),
    (10_000_000, "One account's ledger, one year, in the process", "ledger", 100),
    (10_000_000, "Save of 1,000 rows with the kept balances", "save_1000", 1000),
]


def kept_targets(results):
    """The targets of the kept period balances at the sizes they name."""
    by_size = {r.size: r for r in results}
    out = []
    for size, what, figure, limit in KEPT_TARGETS:
        r = by_size.get(size)
        if not r:
            continue
        if isinstance(figure, tuple):
            timing = r.timings[figure]
            wall, cpu = timing.median * 1000, median(timing.cpu) * 1000
        else:
            wall, cpu = r.core[figure]["median_ms"], r.core[figure]["cpu_median_ms"]
        out.append((f"{what}, {size:,}", f"< {limit} ms", f"{wall:.0f} ms", f"{cpu:.0f} ms", wall < limit))
    r = by_size.get(1_000_000)
    if r and ("summary", "ledger") in r.timings:
        times = r.timings[("summary", "ledger")].median / r.timings[("summary", "brindlecot")].median
        out.append(("Summary, whole process, faster than ledger, 1,000,000", "≥ 150×", f"{times:.0f}×", "–",
                    times >= 150))
    return out


def render(results, windows, machine, checked, seconds, history=None):
    big = windowed(results)
    w = windows.windows
    acc = windows.accounts_core
    lines = ["# Benchmark results", "",
             f"Written by `bench/run` on {machine['date']} in {seconds / 60:.1f} minutes.", "",
             f"Machine: {machine['cpu']}, {machine['cores']} cores, {machine['memory']} memory; {machine['system']}. "
             f"Peers: {'; '.join(machine['tools']) or 'none'}. Load average (1, 5, 15 min) "
             f"{' '.join(f'{v:.1f}' for v in machine['load_before'])} before the run and "
             f"{' '.join(f'{v:.1f}' for v in machine['load_after'])} after it.", "",
             f"Data: 1,000 accounts, transactions spread over 2020–2024, reports over 2024 with the financial year "
             f"starting 2022-01-01. Cross-check passed: every account's balance and every movement of the "
             f"one-account ledger agree, cent for cent, between {checked}; so do the net income of 2024 and "
             f"the net worth at its end, from brindlecot-cli's income statement and balance sheet, hledger's "
             f"incomestatement and balancesheet (up to 100,000 transactions) and the sum over the journal.", "",
             "## Whole processes", "",
             "Median wall time (lowest–highest, runs; median processor time) and peak memory of each process.", ""]
    lines += process_table(results)
    lines += ["", "## Core operations in the process", "",
              "Median wall time (lowest–highest; median processor time), in milliseconds.", ""]
    lines += core_table(results)
    if history:
        lines += history_section(history)
    lines += ["", f"## Windows and start-up ({big.size:,}-transaction book; account list of 30,000 accounts)", "",
              "| Measure | Target | Median (lowest–highest) |", "|---|---|---|",
              f"| Start-up to the main window shown, from main() | < 0.5 s | {windows.startup.text(False)} |",
              f"| Start-up, whole process until exit after the window was shown | – | "
              f"{windows.startup_process.text(False)} |",
              f"| Account window: Find fills the grid | < 200 ms | {ms_text(w['account_window']['find'])} |",
              f"| Account window: header click sorts by name | < 100 ms | {ms_text(w['account_window']['sort_name'])} |",
              f"| Account window opening (lists and first Find) | – | {w['account_window']['open_ms']:.0f} ms |",
              f"| Account Find in the core | – | {ms_text(acc['find'])} |",
              f"| Row sort in the core, by name / by opening | – | {ms_text(acc['sort_name'])} / "
              f"{ms_text(acc['sort_opening'])} |",
              f"| Transaction window: Find, one week ({w['transaction_window']['week']['rows']:,} rows) | – | "
              f"{ms_text(w['transaction_window']['week'])} |",
              f"| Transaction window: Find, everything ({w['transaction_window']['all']['rows_read']:,} rows) | – | "
              f"{ms_text(w['transaction_window']['all'])} |",
              f"| Ledger window: Find shows one account's year ({w['ledger_window']['find']['rows']:,} rows) "
              f"| < 100 ms | {ms_text(w['ledger_window']['find'])} |",
              f"| Ledger window: Graph fills the chart window | < 200 ms | {ms_text(w['ledger_window']['graph'])} |",
              "", f"## Targets ({big.size:,} transactions)", "",
              "| Target | Required | Measured | Processor time | Met |", "|---|---|---:|---:|---|"]
    rows = targets(results, windows)
    for name, required, measured, cpu, met in rows:
        lines.append(f"| {name} | {required} | {measured} | {cpu} | {'yes' if met else '**no**'} |")
    kept = kept_targets(results)
    lines += ["", "## Targets of the kept period balances", "",
              "| Target | Required | Measured | Processor time | Met |", "|---|---|---:|---:|---|"]
    for name, required, measured, cpu, met in kept:
        lines.append(f"| {name} | {required} | {measured} | {cpu} | {'yes' if met else '**no**'} |")
    rows += kept
    busy = max(machine["load_before"][0], machine["load_after"][0]) > machine["cores"]
    lines += ["", "## Notes", "",
              "- Whole processes are timed from start to exit by the script; in-process figures with a "
              "monotonic clock around the operation, the processor time beside them.",
              "- The peers read the same data as a journal: `ledger balance --flat --no-total` and "
              "`hledger balance --flat -N` from the financial-year start (where the journal's opening entry "
              "stands) to the end of the report year, and `register` of the one account over the report year.",
              "- The in-memory sum is a lower bound: a single pass over the same transactions, already loaded."]
    for r in results:
        if r.size > big.size:
            lines.append(f"- {r.size:,} transactions: the book is cached between runs"
                         + (f" ({r.made} in this run)" if r.made else "")
                         + "; no journal, so no peers, and the figures were checked against sums taken straight "
                         "from its rows. Finding every transaction is left to the lazily fetched grid's own "
                         "benchmark.")
    if busy:
        lines.append("- The machine was busy with other work during the run (load average above the number of "
                     "cores): wall times well above the processor times are waiting, not work.")
    missed = [name for name, _, _, _, met in rows if not met]
    lines.append("- Targets missed: " + ("; ".join(missed) if missed else "none") + ".")
    return "\n".join(lines) + "\n"
