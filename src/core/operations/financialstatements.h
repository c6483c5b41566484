#pragma once

#include "accountside.h"
#include "book.h"
#include "money.h"
#include "rowarray.h"
#include "statementperiods.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace bc {

// The income statement, balance sheet and cash flow of a book, read from the
// account types.
//
// Money into an account (its To side) counts plus and money out minus, so an
// account's balance is its opening amount plus what came in less what went
// out, and an asset holds a balance of zero or more.
//
// Income statement: the movement of each Income (type 1) and Expense (2)
// account over the column's days, income as money out of the account and
// expenses as money into it, both shown positive; an Income/Expense (3)
// account on the side its movement falls. Net income = income - expenses.
//
// Balance sheet at a day: every balance up to that day. Assets (4) as they
// are, Liabilities (5) as owed (the balance with its sign turned); an
// Asset/Liability (6) account, a party and an account without a type on the
// side its balance falls, parties under Receivables and Payables, accounts
// without a type under Unclassified. Equity: the opening amounts of these
// accounts ("Opening balances"), the net income of every day before the
// financial year holding the day ("Retained earnings") and of that year up
// to the day ("Net income for the period"). Total assets equal total
// liabilities and equity on every book, since every transaction takes from
// one side what it gives to the other; a difference is a fault of the book,
// refused with a DbError naming the figures.
//
// Cash flow: the money into and out of the cash accounts (the "cash or
// bank" setting) by counter-account, grouped by its type; transfers between
// cash accounts are left out. Opening and closing cash are the cash
// accounts' balances before the first and on the last day; the closing cash
// is checked against the opening plus the flows, a difference refused as
// above.
//
// Sums beyond the range of 64-bit cents are refused (amountsum.h).

enum class StatementKind { IncomeStatement, BalanceSheet, CashFlow };

// The statement's title, as its window, chart and printed report show it.
QString statementTitle(StatementKind kind);

// One column: the days it covers (a balance sheet: from the start of the
// financial year holding its day to that day) and the days it is compared
// with, if any.
struct StatementColumn {
    DateRange range;
    std::optional<DateRange> compared;
    bool isTotal = false; // the whole range beside its periods
};

// The columns of an income statement or cash flow: the range split into
// periods, then the whole range when there are several, each compared as
// asked.
std::vector<StatementColumn> periodColumns(const DateRange &range, PeriodLength period, Comparison comparison);

// The column of a balance sheet at a day, compared with the balance sheet at
// another day when one is given. yearStart is the book's financial-year
// start: its month and day begin every year (invalid: 1 January).
StatementColumn balanceSheetColumn(const QDate &at, const std::optional<QDate> &comparedAt, const QDate &yearStart);

struct FinancialLine {
    QString section; // empty on a total line
    QString account; // the account's or party's name, or the total's text
    bool isTotal = false;
    qint64 id = 0; // the account or party of an account line
    AccountSide side = AccountSide::Account;
    std::vector<Money> figures; // one per column
    std::vector<Money> compared; // one per column when the columns are compared
    // A total's accounts and parties, whose transactions over a column's days
    // it adds up: those of the sections it totals, every income-statement
    // account ("Net income for the period") or the cash accounts ("Net change
    // in cash"). Empty for a total that no account's movements make up
    // (balances before the days, opening amounts, sums of other totals).
    std::vector<AccountKey> accounts;
};

struct FinancialStatement {
    StatementKind kind = StatementKind::IncomeStatement;
    std::vector<StatementColumn> columns;
    std::vector<FinancialLine> lines; // in the order shown
    QStringList warnings; // accounts without a type, by name

    bool isCompared() const { return !columns.empty() && columns.front().compared.has_value(); }
    // The total line of that text, or nullptr.
    const FinancialLine *total(const QString &text) const;
};

// The change from before to now in percent of the size of before, one
// decimal rounded half away from zero ("12.5", "-100.0"); empty when before
// is 0.
QString changePercent(Money now, Money before);

// Computes the statement over the columns. Throws DbError on a failed read,
// an overflow or a statement that does not balance.
FinancialStatement computeStatement(const Book &book, StatementKind kind, const std::vector<StatementColumn> &columns);

// Whether the account is a cash or bank account: its own setting, or by
// default the account CASH.
bool isCashAccount(const QString &name, const std::optional<bool> &setting);

// One account's "cash or bank" setting, as a save gives it.
struct CashSetting {
    qint64 accountId = 0;
    bool cashOrBank = false;
};

// Saves the accounts' "cash or bank" settings in one transaction, recorded
// in the change history as a save of the accounts whose setting changes,
// made by source; a book open read-only is refused.
void setCashAccounts(const Book &book, const std::vector<CashSetting> &settings,
                     const QString &source = QStringLiteral("accounts"));

} // namespace bc
