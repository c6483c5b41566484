"""The independent sums over the generated journal, the readers of each
tool's output, and the comparisons between them, cent for cent."""

import csv
import io
import re
from collections import defaultdict

PREFIX = "Accounts:"


def cents(text):
    """Whole cents of a decimal text such as "-12.3" or "1,234.56"."""
    t = text.strip().replace(",", "")
    negative = t.startswith("-")
    t = t.lstrip("+-")
    whole, _, fraction = t.partition(".")
    if not (whole or fraction) or not (whole + fraction).isdigit() or fraction[2:].strip("0"):
        raise ValueError(f"not an amount in cents: {text!r}")
    value = int(whole or "0") * 100 + int((fraction + "00")[:2])
    return -value if negative else value


class Expected:
    """What every tool must report, summed here straight from the journal."""

    def __init__(self):
        self.balances = defaultdict(int)  # account -> balance over [fy start, to]
        self.opening = 0                   # busy account, [fy start, from)
        self.movements = defaultdict(list)  # busy account: date -> amounts in [from, to]

    @property
    def closing(self):
        return self.opening + sum(sum(v) for v in self.movements.values())


def journal_transactions(path):
    """Each transaction of the journal as (date, [(account, cents)]), the
    posting without an amount given what balances the others."""
    date, postings = None, []

    def settled():
        given = sum(a for _, a in postings if a is not None)
        return date, [(account, -given if amount is None else amount) for account, amount in postings]

    with open(path, encoding="utf-8") as journal:
        for line in journal:
            if not line.strip() or line.startswith(";") or line.startswith("account "):
                continue
            if not line[0].isspace():
                if date is not None:
                    yield settled()
                date = line[:10]
                postings = []
            else:
                account, _, amount = line.strip().partition("  ")
                postings.append((account, cents(amount) if amount.strip() else None))
    if date is not None:
        yield settled()


def sum_journal(path, fy_start, date_from, date_to, busy):
    """One pass over the journal: every account's balance from the
    financial-year start to the last day, and the busy account's opening and
    movements. Dates are ISO text, so they compare as strings."""
    expected = Expected()
    busy_account = PREFIX + busy
    for date, postings in journal_transactions(path):
        if not (fy_start <= date <= date_to):
            continue
        for account, amount in postings:
            if not account.startswith(PREFIX):
                continue
            expected.balances[account[len(PREFIX):]] += amount
            if account == busy_account:
                if date < date_from:
                    expected.opening += amount
                else:
                    expected.movements[date].append(amount)
    return expected


# The side of the statements each generated account falls on, by its name:
# Trading accounts are Income/Expense and Holding accounts Asset/Liability,
# whose side changes with their figures but never the net figures below.
BUILT_IN_SIDES = {"RST": "result", "SC": "result", "CST": "result", "PURCHASE": "result", "SALES": "result",
                  "CASH": "worth"}
PREFIX_SIDES = {"Income": "result", "Expense": "result", "Trading": "result",
                "Asset": "worth", "Liability": "worth", "Holding": "worth"}


def statement_side(account):
    name = account[len(PREFIX):]
    if name in BUILT_IN_SIDES:
        return BUILT_IN_SIDES[name]
    return PREFIX_SIDES[name.rstrip("0123456789")]


def sum_statements(path, date_from, date_to):
    """Net income over the days (income less expenses: the money out of the
    income statement's accounts) and net worth on the last day (assets less
    liabilities: the balance sheet's accounts with their openings), in one
    pass over the journal."""
    net_income = net_worth = 0
    for date, postings in journal_transactions(path):
        if date > date_to:
            continue
        for account, amount in postings:
            if not account.startswith(PREFIX):
                continue
            if statement_side(account) == "worth":
                net_worth += amount
            elif date >= date_from:
                net_income -= amount
    return net_income, net_worth


def read_cli_statement(text, *accounts):
    """The total rows of a brindlecot-cli statement in CSV, by their text."""
    totals = {row["account"]: cents(row["total"] if "total" in row else list(row.values())[2])
              for row in csv.DictReader(io.StringIO(text)) if not row["section"]}
    return [totals[a] for a in accounts]


def read_hledger_net(text):
    """The "Net:" row of `hledger incomestatement` or `balancesheet -O csv`."""
    for row in csv.reader(io.StringIO(text)):
        if row and row[0] == "Net:":
            return cents(row[1])
    raise ValueError("hledger printed no Net: row")


def read_cli_summary(text):
    """brindlecot-cli summary --format csv: account -> balance, and the check
    that each row and the total add up."""
    rows = list(csv.DictReader(io.StringIO(text)))
    if not rows or rows[-1]["account"] != "Total":
        raise ValueError("the summary has no Total row")
    balances, problems = {}, []
    sums = [0, 0, 0]
    for row in rows[:-1]:
        o, m, b = cents(row["opening"]), cents(row["movement"]), cents(row["balance"])
        if o + m != b:
            problems.append(f"summary row {row['account']}: opening + movement != balance")
        balances[row["account"]] = b
        sums = [sums[0] + o, sums[1] + m, sums[2] + b]
    total = [cents(rows[-1][k]) for k in ("opening", "movement", "balance")]
    if total != sums:
        problems.append(f"summary totals {total} differ from the sum of the rows {sums}")
    return balances, problems


def read_cli_ledger(text):
    """brindlecot-cli ledger --format csv: opening, [(date, amount)], closing,
    and the check that every running balance follows from the one before."""
    rows = list(csv.DictReader(io.StringIO(text)))
    if len(rows) < 2:
        raise ValueError("the ledger has no opening and closing rows")
    opening, closing = cents(rows[0]["balance"]), cents(rows[-1]["balance"])
    moves, problems, running = [], [], opening
    for row in rows[1:-1]:
        amount = (cents(row["credit"]) if row["credit"] else 0) - (cents(row["debit"]) if row["debit"] else 0)
        running += amount
        if cents(row["balance"]) != running:
            problems.append(f"ledger running balance on {row['date']} is {row['balance']}, expected {running}")
        moves.append((row["date"], amount))
    if running != closing:
        problems.append(f"ledger closing balance {closing} differs from the last running balance {running}")
    return opening, moves, closing, problems


BALANCE_LINE = re.compile(r"^\s*(-?[\d.,]+)\s+(\S+)\s*$")


def read_peer_balance(text):
    """`balance --flat` plain output of ledger or hledger: account -> cents."""
    balances = {}
    for line in text.splitlines():
        m = BALANCE_LINE.match(line)
        if m and m.group(2).startswith(PREFIX):
            balances[m.group(2)[len(PREFIX):]] = cents(m.group(1))
        elif line.strip() and not line.startswith("-"):
            raise ValueError(f"unexpected balance line: {line!r}")
    return balances


def read_peer_register(text):
    """`register` plain output with ISO dates: [(date, amount)], the running
    total being checked against the amounts."""
    moves, problems, running, date = [], [], 0, None
    for line in text.splitlines():
        if not line.strip():
            continue
        if re.match(r"\d{4}-\d{2}-\d{2}", line):
            date = line[:10]
        fields = line.split()
        amount, total = cents(fields[-2]), cents(fields[-1])
        running += amount
        if running != total:
            problems.append(f"register running total on {date} is {fields[-1]}, expected {running}")
        moves.append((date, amount))
    return moves, problems


def compare_balances(tool, got, expected, limit=5):
    """Every account: the tool's balance against the journal's (absent = 0)."""
    problems = []
    for name in sorted(set(got) | set(expected.balances)):
        g, e = got.get(name, 0), expected.balances.get(name, 0)
        if g != e:
            problems.append(f"{tool}: balance of {name} is {g} cents, the journal sums to {e}")
    return problems[:limit] + ([f"{tool}: {len(problems) - limit} more balances differ"] if len(problems) > limit else [])


def compare_movements(tool, moves, expected):
    """The busy account's movements day by day (the order within a day is
    each tool's own)."""
    got = defaultdict(list)
    for date, amount in moves:
        got[date].append(amount)
    bad = [d for d in sorted(set(got) | set(expected.movements))
           if sorted(got.get(d, [])) != sorted(expected.movements.get(d, []))]
    return [f"{tool}: the movements of {d} differ from the journal's" for d in bad[:5]]


def sum_book(path, fy_start, date_from, date_to, busy):
    """The same figures summed straight from the book's transactions and
    opening amounts with this script's own SQL, never through the kept
    balances the program reads: the check for sizes without a journal."""
    import sqlite3
    expected = Expected()
    db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    names = {}
    for account_id, name, opening in db.execute(
            "SELECT account_id, account_name, ifnull(open_amount, 0) FROM account_master"):
        names[account_id] = name
        expected.balances[name] += opening
        if name == busy:
            busy_id = account_id
            expected.opening += opening
    for side, sign in (("to", 1), ("from", -1)):
        for account_id, total in db.execute(
                f"SELECT {side}_acc, sum(ifnull(amount, 0)) FROM transaction_master "
                f"WHERE {side}_flag = 'A' AND tran_date BETWEEN ? AND ? GROUP BY {side}_acc", (fy_start, date_to)):
            expected.balances[names[account_id]] += sign * total
        for date, amount in db.execute(
                f"SELECT tran_date, ifnull(amount, 0) FROM transaction_master "
                f"WHERE {side}_acc = ? AND {side}_flag = 'A' AND tran_date BETWEEN ? AND ?",
                (busy_id, fy_start, date_to)):
            if date < date_from:
                expected.opening += sign * amount
            else:
                expected.movements[date].append(sign * amount)
    db.close()
    return expected
