#include "financialstatements.h"

#include "accountstore.h"
#include "amountsum.h"
#include "balancestore.h"
#include "booktransaction.h"
#include "dates.h"
#include "dberror.h"
#include "history.h"
#include "statementstore.h"

#include <QHash>
#include <algorithm>
#include <map>

namespace bc {

namespace {

const QString SumsWhat = QStringLiteral("the figures of the statement");

Money plus(Money a, Money b)
{
    return addAmounts(a, b, SumsWhat);
}

Money minus(Money a, Money b)
{
    const std::optional<Money> difference = checkedDifference(a, b);
    if (!difference)
        throw DbError(amountsTooLarge(SumsWhat));
    return *difference;
}

struct SideKey {
    char16_t flag = u'A';
    qint64 id = 0;
    auto operator<=>(const SideKey &) const = default;
};

using Nets = std::map<SideKey, Money>;

enum class SideClass { Income, Expense, IncomeOrExpense, Asset, Liability, AssetOrLiability, Party, Unclassified };

bool onIncomeStatement(SideClass c)
{
    return c == SideClass::Income || c == SideClass::Expense || c == SideClass::IncomeOrExpense;
}

QString monthText(const QDate &day)
{
    return QStringLiteral("%1-%2").arg(day.year(), 4, 10, QChar(u'0')).arg(day.month(), 2, 10, QChar(u'0'));
}

// A month before every month a book can hold.
const QString BeginningMonth = QStringLiteral("0000-00");

QDate monthEnd(const QDate &day)
{
    return QDate(day.year(), day.month(), day.daysInMonth());
}

// An account line's place: its section, then by name regardless of case.
struct LineRef {
    int section = 0;
    QString sortName;
    SideKey side;
    bool operator<(const LineRef &o) const
    {
        if (section != o.section)
            return section < o.section;
        if (const int byName = sortName.compare(o.sortName); byName != 0)
            return byName < 0;
        return side < o.side;
    }
};

struct ColumnFigures {
    std::map<LineRef, Money> lines;
    std::vector<Money> totals;
};

// The sections and totals of a statement in the order shown: a section's
// index, or a total's index plus TotalMark.
constexpr int TotalMark = 1000;

// What a total adds up, as the transactions behind it: the accounts of
// some sections, every income-statement account or the cash accounts;
// nothing for a total that is no sum of movements over its column's days.
constexpr int IncomeStatementAccounts = -1;
constexpr int CashAccounts = -2;

struct Layout {
    QStringList sections;
    QStringList totals;
    std::vector<int> order;
    std::vector<std::vector<int>> totalSources; // per total
};

const Layout &layoutOf(StatementKind kind)
{
    static const Layout income{{QStringLiteral("Income"), QStringLiteral("Expenses"), QStringLiteral("Unclassified")},
                               {QStringLiteral("Total income"), QStringLiteral("Total expenses"),
                                QStringLiteral("Net income")},
                               {0, TotalMark + 0, 1, TotalMark + 1, TotalMark + 2, 2},
                               {{0}, {1}, {0, 1}}};
    static const Layout balance{{QStringLiteral("Assets"), QStringLiteral("Receivables"),
                                 QStringLiteral("Unclassified"), QStringLiteral("Liabilities"),
                                 QStringLiteral("Payables"), QStringLiteral("Unclassified")},
                                {QStringLiteral("Total assets"), QStringLiteral("Total liabilities"),
                                 QStringLiteral("Opening balances"), QStringLiteral("Retained earnings"),
                                 QStringLiteral("Net income for the period"), QStringLiteral("Total equity"),
                                 QStringLiteral("Total liabilities and equity")},
                                {0, 1, 2, TotalMark + 0, 3, 4, 5, TotalMark + 1, TotalMark + 2, TotalMark + 3,
                                 TotalMark + 4, TotalMark + 5, TotalMark + 6},
                                {{0, 1, 2}, {3, 4, 5}, {}, {}, {IncomeStatementAccounts}, {}, {}}};
    static const Layout cash{{QStringLiteral("Income"), QStringLiteral("Expenses"), QStringLiteral("Income/Expense"),
                              QStringLiteral("Assets"), QStringLiteral("Liabilities"),
                              QStringLiteral("Asset/Liability"), QStringLiteral("Parties"),
                              QStringLiteral("Unclassified")},
                             {QStringLiteral("Opening cash"), QStringLiteral("Net change in cash"),
                              QStringLiteral("Closing cash")},
                             {TotalMark + 0, 0, 1, 2, 3, 4, 5, 6, 7, TotalMark + 1, TotalMark + 2},
                             {{}, {CashAccounts}, {}}};
    switch (kind) {
    case StatementKind::IncomeStatement: return income;
    case StatementKind::BalanceSheet: return balance;
    case StatementKind::CashFlow: break;
    }
    return cash;
}

class StatementBuilder {
public:
    explicit StatementBuilder(const Book &book)
        : m_book(book)
        , m_kept(keptBalancesUsable(book))
        , m_accounts(readAccounts(book, {}))
        , m_parties(readPartyNames(book))
    {
        const QHash<qint64, bool> settings = readCashSettings(book);
        for (const AccountRecord &account : m_accounts) {
            m_accountIndex.insert(account.id, &account);
            const std::optional<bool> setting = settings.contains(account.id)
                ? std::optional<bool>(settings.value(account.id))
                : std::nullopt;
            if (isCashAccount(account.name, setting))
                m_cashAccounts.push_back(account.id);
        }
    }

    ColumnFigures incomeStatement(const DateRange &range)
    {
        ColumnFigures figures{{}, std::vector<Money>(3)};
        for (const auto &[side, net] : nets(range)) {
            const SideClass c = classOf(side);
            if (net.isZero() || c == SideClass::Party)
                continue;
            if (c == SideClass::Unclassified) {
                add(figures, 2, side, net);
                continue;
            }
            if (!onIncomeStatement(c))
                continue;
            const bool income = c == SideClass::Income || (c == SideClass::IncomeOrExpense && net.isNegative());
            add(figures, income ? 0 : 1, side, income ? -net : net);
            figures.totals[income ? 0 : 1] = plus(figures.totals[income ? 0 : 1], income ? -net : net);
        }
        figures.totals[2] = minus(figures.totals[0], figures.totals[1]);
        return figures;
    }

    ColumnFigures balanceSheet(const DateRange &range)
    {
        ColumnFigures figures{{}, std::vector<Money>(7)};
        Money assets, liabilities, openings;
        std::map<SideKey, Money> balances = nets({QDate(), range.last});
        for (const AccountRecord &account : m_accounts) {
            const SideKey side{u'A', account.id};
            if (onIncomeStatement(classOf(side)))
                continue;
            const Money opening = Money::fromCents(account.openingCents);
            balances[side] = plus(balances[side], opening);
            openings = plus(openings, opening);
        }
        for (const auto &[side, balance] : balances) {
            const SideClass c = classOf(side);
            if (onIncomeStatement(c) || balance.isZero())
                continue;
            const bool owned = c == SideClass::Asset || (c != SideClass::Liability && !balance.isNegative());
            const int section = c == SideClass::Party ? (owned ? 1 : 4)
                : c == SideClass::Unclassified        ? (owned ? 2 : 5)
                                                      : (owned ? 0 : 3);
            add(figures, section, side, owned ? balance : -balance);
            if (owned)
                assets = plus(assets, balance);
            else
                liabilities = minus(liabilities, balance);
        }
        const Money retained = netIncome({QDate(), range.first.addDays(-1)});
        const Money forPeriod = netIncome(range);
        const Money equity = plus(plus(openings, retained), forPeriod);
        const Money liabilitiesAndEquity = plus(liabilities, equity);
        figures.totals = {assets, liabilities, openings, retained, forPeriod, equity, liabilitiesAndEquity};
        if (assets != liabilitiesAndEquity)
            throw DbError(QStringLiteral("The balance sheet at %1 does not balance: total assets %2, total liabilities "
                                         "and equity %3. The book's kept balances or transactions are damaged; "
                                         "brindlecot-cli check lists what is wrong.")
                              .arg(isoDate(range.last), assets.toPlain(), liabilitiesAndEquity.toPlain()));
        return figures;
    }

    ColumnFigures cashFlow(const DateRange &range)
    {
        ColumnFigures figures{{}, std::vector<Money>(3)};
        const Money opening = cashBalance(range.first.addDays(-1));
        const Money closing = cashBalance(range.last);
        Money change;
        for (const qint64 cash : m_cashAccounts)
            for (const SideMovement &counter : cashCounterMovements(m_book, cash, range.first, range.last)) {
                const SideKey side{counter.flag.unicode(), counter.id};
                if (isCash(side))
                    continue;
                const Money net = minus(counter.moneyIn, counter.moneyOut);
                add(figures, int(classOf(side)), side, net);
                change = plus(change, net);
            }
        figures.totals = {opening, change, closing};
        if (plus(opening, change) != closing)
            throw DbError(QStringLiteral("The cash flow from %1 to %2 does not agree with the cash accounts' "
                                         "ledgers: opening cash %3 and flows of %4 against closing cash %5. The "
                                         "book's kept balances or transactions are damaged; brindlecot-cli check "
                                         "lists what is wrong.")
                              .arg(isoDate(range.first), isoDate(range.last), opening.toPlain(), change.toPlain(),
                                   closing.toPlain()));
        return figures;
    }

    QString nameOf(const SideKey &side) const
    {
        if (side.flag == u'P')
            return m_parties.contains(side.id) ? m_parties.value(side.id) : QStringLiteral("party %1").arg(side.id);
        const AccountRecord *account = m_accountIndex.value(side.id);
        return account ? account->name : QStringLiteral("account %1").arg(side.id);
    }

    SideClass classOf(const SideKey &side) const
    {
        if (side.flag == u'P')
            return SideClass::Party;
        const AccountRecord *account = m_accountIndex.value(side.id);
        if (!account || !account->type || *account->type < 1 || *account->type > 6)
            return SideClass::Unclassified;
        return SideClass(*account->type - 1);
    }

    // The accounts behind a total of the kind named by source (a marker
    // above).
    std::vector<AccountKey> accountsOf(int source) const
    {
        std::vector<AccountKey> keys;
        if (source == CashAccounts)
            for (const qint64 cash : m_cashAccounts)
                keys.push_back({AccountSide::Account, cash});
        if (source == IncomeStatementAccounts)
            for (const AccountRecord &account : m_accounts)
                if (onIncomeStatement(classOf({u'A', account.id})))
                    keys.push_back({AccountSide::Account, account.id});
        return keys;
    }

private:
    void add(ColumnFigures &figures, int section, const SideKey &side, Money figure) const
    {
        Money &line = figures.lines[{section, nameOf(side).toLower(), side}];
        line = plus(line, figure);
    }

    bool isCash(const SideKey &side) const
    {
        return side.flag == u'A'
            && std::find(m_cashAccounts.begin(), m_cashAccounts.end(), side.id) != m_cashAccounts.end();
    }

    Money cashBalance(const QDate &day)
    {
        const Nets &moved = nets({QDate(), day});
        Money balance;
        for (const qint64 cash : m_cashAccounts) {
            balance = plus(balance, Money::fromCents(m_accountIndex.value(cash)->openingCents));
            if (const auto found = moved.find({u'A', cash}); found != moved.end())
                balance = plus(balance, found->second);
        }
        return balance;
    }

    // Income less expenses over the days: the money out of the accounts of
    // the income statement.
    Money netIncome(const DateRange &range)
    {
        Money income;
        for (const auto &[side, net] : nets(range))
            if (onIncomeStatement(classOf(side)))
                income = minus(income, net);
        return income;
    }

    // Every side's money in less money out over the days: the whole months
    // from the kept balances where the book keeps them, the days of the
    // months begun or left unfinished from the transactions.
    const Nets &nets(const DateRange &range)
    {
        const auto key = std::make_pair(range.first, range.last);
        if (const auto found = m_nets.find(key); found != m_nets.end())
            return found->second;
        Nets &result = m_nets[key];
        if (range.first.isValid() && range.last < range.first)
            return result;
        const auto take = [&](const std::vector<SideMovement> &movements) {
            for (const SideMovement &m : movements) {
                Money &net = result[{m.flag.unicode(), m.id}];
                net = minus(plus(net, m.moneyIn), m.moneyOut);
            }
        };
        const bool headPartial = range.first.isValid() && range.first.day() != 1;
        const bool tailPartial = range.last != monthEnd(range.last);
        const bool oneMonth = range.first.isValid() && monthText(range.first) == monthText(range.last);
        if (!m_kept || (oneMonth && (headPartial || tailPartial))) {
            take(sideMovementsOfDays(m_book, range.first, range.last));
            return result;
        }
        QDate monthsFrom = range.first;
        if (headPartial) {
            take(sideMovementsOfDays(m_book, range.first, monthEnd(range.first)));
            monthsFrom = monthEnd(range.first).addDays(1);
        }
        QDate monthsTo = range.last;
        if (tailPartial) {
            const QDate tailStart(range.last.year(), range.last.month(), 1);
            take(sideMovementsOfDays(m_book, tailStart, range.last));
            monthsTo = tailStart.addDays(-1);
        }
        const QString firstMonth = monthsFrom.isValid() ? monthText(monthsFrom) : BeginningMonth;
        const QString lastMonth = monthText(monthsTo);
        if (lastMonth < firstMonth)
            return result;
        for (const SideMonth &kept : keptMonths(firstMonth, lastMonth))
            if (kept.month >= firstMonth && kept.month <= lastMonth) {
                Money &net = result[{kept.movement.flag.unicode(), kept.movement.id}];
                net = minus(plus(net, kept.movement.moneyIn), kept.movement.moneyOut);
            }
        return result;
    }

public:
    // Reads the kept monthly balances of every month the columns may ask
    // for at once, so that each column costs no further read of them.
    void readMonthsFor(StatementKind kind, const std::vector<StatementColumn> &columns)
    {
        if (!m_kept || columns.empty())
            return;
        QDate first = columns.front().range.first, last = columns.front().range.last;
        for (const StatementColumn &column : columns)
            for (const std::optional<DateRange> &range : {std::optional<DateRange>(column.range), column.compared})
                if (range) {
                    first = std::min(first, range->first);
                    last = std::max(last, range->last);
                }
        keptMonths(kind == StatementKind::IncomeStatement ? monthText(first) : BeginningMonth, monthText(last));
    }

private:
    // The kept monthly balances of the months from one to another, read
    // again only for a month outside those read before.
    const std::vector<SideMonth> &keptMonths(const QString &firstMonth, const QString &lastMonth)
    {
        if (!m_monthsRead || firstMonth < m_monthsFrom || lastMonth > m_monthsTo) {
            m_monthsFrom = m_monthsRead ? std::min(m_monthsFrom, firstMonth) : firstMonth;
            m_monthsTo = m_monthsRead ? std::max(m_monthsTo, lastMonth) : lastMonth;
            m_months = sideMovementsByMonth(m_book, m_monthsFrom, m_monthsTo);
            m_monthsRead = true;
        }
        return m_months;
    }

    const Book &m_book;
    bool m_kept;
    bool m_monthsRead = false;
    QString m_monthsFrom, m_monthsTo;
    std::vector<SideMonth> m_months;
    std::vector<AccountRecord> m_accounts;
    QHash<qint64, const AccountRecord *> m_accountIndex;
    QHash<qint64, QString> m_parties;
    std::vector<qint64> m_cashAccounts;
    std::map<std::pair<QDate, QDate>, Nets> m_nets;
};

ColumnFigures figuresOf(StatementBuilder &builder, StatementKind kind, const DateRange &range)
{
    switch (kind) {
    case StatementKind::IncomeStatement: return builder.incomeStatement(range);
    case StatementKind::BalanceSheet: return builder.balanceSheet(range);
    case StatementKind::CashFlow: break;
    }
    return builder.cashFlow(range);
}

} // namespace

std::vector<StatementColumn> periodColumns(const DateRange &range, PeriodLength period, Comparison comparison)
{
    std::vector<StatementColumn> columns;
    const std::vector<DateRange> pieces = splitRange(range, period);
    const auto compared = [&](const DateRange &piece, PeriodLength length) {
        return comparison == Comparison::None ? std::nullopt
                                              : std::optional<DateRange>(comparedRange(piece, length, comparison));
    };
    for (const DateRange &piece : pieces)
        columns.push_back({piece, compared(piece, period), false});
    if (pieces.size() > 1)
        columns.push_back({range, compared(range, PeriodLength::Whole), true});
    return columns;
}

StatementColumn balanceSheetColumn(const QDate &at, const std::optional<QDate> &comparedAt, const QDate &yearStart)
{
    StatementColumn column{{financialYearStartOn(at, yearStart), at}, std::nullopt, false};
    if (comparedAt)
        column.compared = DateRange{financialYearStartOn(*comparedAt, yearStart), *comparedAt};
    return column;
}

const FinancialLine *FinancialStatement::total(const QString &text) const
{
    for (const FinancialLine &line : lines)
        if (line.isTotal && line.account == text)
            return &line;
    return nullptr;
}

QString changePercent(Money now, Money before)
{
    if (before.isZero())
        return QString();
    const __int128 change = __int128(now.cents()) - before.cents();
    const __int128 base = before.cents() < 0 ? -__int128(before.cents()) : __int128(before.cents());
    // Tenths of a percent, rounded half away from zero.
    __int128 tenths = (change * 1000 * 2 + (change < 0 ? -base : base)) / (2 * base);
    const bool negative = tenths < 0;
    if (negative)
        tenths = -tenths;
    QString digits = QStringLiteral(".") + QChar(u'0' + int(tenths % 10));
    __int128 whole = tenths / 10;
    do {
        digits.prepend(QChar(u'0' + int(whole % 10)));
        whole /= 10;
    } while (whole > 0);
    return negative ? u'-' + digits : digits;
}

bool isCashAccount(const QString &name, const std::optional<bool> &setting)
{
    return setting ? *setting : name == QLatin1String("CASH");
}

void setCashAccounts(const Book &book, const std::vector<CashSetting> &settings, const QString &source)
{
    if (!book.mayWrite())
        throw DbError(QStringLiteral("The book is open read-only; the \"cash or bank\" setting cannot be saved."));
    BookTransaction transaction(book);
    const QHash<qint64, bool> before = readCashSettings(book);
    QList<qint64> changed;
    for (const CashSetting &setting : settings) {
        const std::optional<bool> own = before.contains(setting.accountId)
            ? std::optional<bool>(before.value(setting.accountId))
            : std::nullopt;
        const bool was = isCashAccount(readAccountName(book, setting.accountId).value_or(QString()).trimmed(), own);
        if (was != setting.cashOrBank && !changed.contains(setting.accountId))
            changed << setting.accountId;
    }
    ChangeRecorder history(book, source);
    history.keepBefore(HistoryTable::Accounts, changed);
    for (const CashSetting &setting : settings)
        writeCashSetting(book, setting.accountId, setting.cashOrBank);
    advanceAccountVersions(book, changed);
    history.finish();
    transaction.commit();
}

FinancialStatement computeStatement(const Book &book, StatementKind kind, const std::vector<StatementColumn> &columns)
{
    return refusingOverflow(SumsWhat, [&] {
        StatementBuilder builder(book);
        FinancialStatement statement;
        statement.kind = kind;
        statement.columns = columns;
        const bool compared = statement.isCompared();
        std::vector<ColumnFigures> now, before;
        builder.readMonthsFor(kind, columns);
        for (const StatementColumn &column : columns) {
            now.push_back(figuresOf(builder, kind, column.range));
            if (compared)
                before.push_back(figuresOf(builder, kind, *column.compared));
        }
        std::map<LineRef, bool> refs;
        for (const std::vector<ColumnFigures> *set : {&now, &before})
            for (const ColumnFigures &figures : *set)
                for (const auto &[ref, figure] : figures.lines)
                    refs[ref] = refs[ref] || !figure.isZero();
        const Layout &layout = layoutOf(kind);
        const auto figuresAt = [&](const std::vector<ColumnFigures> &set, const LineRef &ref) {
            std::vector<Money> row;
            for (const ColumnFigures &figures : set) {
                const auto found = figures.lines.find(ref);
                row.push_back(found == figures.lines.end() ? Money() : found->second);
            }
            return row;
        };
        QStringList unclassified;
        std::map<int, std::vector<AccountKey>> sectionAccounts;
        std::vector<std::pair<std::size_t, int>> totalLines; // line index, total index
        for (const int entry : layout.order) {
            if (entry >= TotalMark) {
                totalLines.emplace_back(statement.lines.size(), entry - TotalMark);
                FinancialLine
                    line{QString(), layout.totals.at(entry - TotalMark), true, 0, AccountSide::Account, {}, {}, {}};
                for (const ColumnFigures &figures : now)
                    line.figures.push_back(figures.totals.at(std::size_t(entry - TotalMark)));
                for (const ColumnFigures &figures : before)
                    line.compared.push_back(figures.totals.at(std::size_t(entry - TotalMark)));
                statement.lines.push_back(std::move(line));
                continue;
            }
            for (const auto &[ref, shown] : refs) {
                if (ref.section != entry || !shown)
                    continue;
                FinancialLine line{layout.sections.at(entry),
                                   builder.nameOf(ref.side),
                                   false,
                                   ref.side.id,
                                   sideOfLetter(QChar(ref.side.flag)),
                                   figuresAt(now, ref),
                                   figuresAt(before, ref),
                                   {}};
                sectionAccounts[entry].push_back({line.side, line.id});
                if (ref.side.flag == u'A' && builder.classOf(ref.side) == SideClass::Unclassified
                    && !unclassified.contains(line.account))
                    unclassified << line.account;
                statement.lines.push_back(std::move(line));
            }
        }
        for (const auto &[index, total] : totalLines) {
            std::vector<AccountKey> &accounts = statement.lines[index].accounts;
            for (const int source : layout.totalSources.at(std::size_t(total))) {
                const std::vector<AccountKey> keys = source < 0 ? builder.accountsOf(source) : sectionAccounts[source];
                for (const AccountKey &key : keys)
                    if (std::find(accounts.begin(), accounts.end(), key) == accounts.end())
                        accounts.push_back(key);
            }
        }
        if (!unclassified.isEmpty())
            statement.warnings << QStringLiteral("These accounts have no type and are listed under "
                                                 "\"Unclassified\"%1: %2. Give each a type in the Chart of "
                                                 "Accounts.")
                                      .arg(kind == StatementKind::IncomeStatement
                                               ? QStringLiteral(", outside net income")
                                               : QString(),
                                           unclassified.join(QStringLiteral(", ")));
        return statement;
    });
}

QString statementTitle(StatementKind kind)
{
    switch (kind) {
    case StatementKind::IncomeStatement: return QStringLiteral("Income Statement");
    case StatementKind::BalanceSheet: return QStringLiteral("Balance Sheet");
    case StatementKind::CashFlow: return QStringLiteral("Cash Flow");
    }
    return {};
}

} // namespace bc
