#include "accountstore.h"
#include "dates.h"
#include "dberror.h"
#include "engine.h"
#include "financialstatements.h"
#include "sql.h"
#include "statementchart.h"
#include "testbook.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <map>
#include <random>

using namespace bc;
using bc::test::TestBook;

namespace {

Money cents(qint64 c)
{
    return Money::fromCents(c);
}

// "section|account|figure figure ..." per line, figures as the tool writes them.
QStringList lines(const FinancialStatement &s)
{
    QStringList out;
    for (const FinancialLine &line : s.lines) {
        QStringList figures;
        for (std::size_t c = 0; c < line.figures.size(); ++c)
            figures << line.figures[c].toPlain() + (s.isCompared() ? u'/' + line.compared[c].toPlain() : QString());
        out << QStringLiteral("%1|%2|%3").arg(line.section, line.account, figures.join(u' '));
    }
    return out;
}

// The accounts behind a total, as keys ("A12 P3"), sorted when asked.
QString accountsOf(const FinancialStatement &s, const QString &total, bool sorted = false)
{
    QStringList keys;
    for (const AccountKey &key : s.total(total)->accounts)
        keys << key.toText();
    if (sorted)
        keys.sort();
    return keys.join(u' ');
}

} // namespace

// A small business over two months: where each kind of account lands, the
// totals, the equity that makes the balance sheet balance, and the cash flow.
TEST(FinancialStatements, SmallBookLandsEveryAccountOnItsSide)
{
    TestBook t;
    t.addAccount(10, QStringLiteral("Bank"), 4, cents(100000));
    t.addAccount(11, QStringLiteral("Fees"), 1, Money());
    t.addAccount(12, QStringLiteral("Rent"), 2, Money());
    t.addAccount(13, QStringLiteral("Sundry"), 3, Money());
    t.addAccount(14, QStringLiteral("Loan"), 5, cents(-50000));
    t.addAccount(15, QStringLiteral("Card"), 6, Money());
    t.addAccount(16, QStringLiteral("Suspense"), 0, Money());
    runSql(t.db(), QStringLiteral("INSERT INTO Party_master VALUES (1, 'Acme'), (2, 'Landlord')"));
    t.addTransaction(1, QDate(2025, 12, 31), 11, 10, cents(7000)); // last year's fees
    t.addTransaction(2, QDate(2026, 1, 5), 11, 10, cents(30000)); // fees into the bank
    t.addTransaction(3, QDate(2026, 1, 10), 10, 12, cents(12000)); // rent paid
    t.addTransaction(4, QDate(2026, 1, 20), 13, 4, cents(500)); // sundry income into CASH
    t.addTransaction(5, QDate(2026, 2, 3), 4, 13, cents(200)); // sundry expense from CASH
    t.addTransaction(6, QDate(2026, 2, 4), 15, 12, cents(9000)); // rent on the card
    t.addTransaction(7, QDate(2026, 2, 6), 11, 1, cents(4000), {}, QStringLiteral("A"), QStringLiteral("P"));
    t.addTransaction(8, QDate(2026, 2, 7), 2, 12, cents(1500), {}, QStringLiteral("P"), QStringLiteral("A"));
    t.addTransaction(9, QDate(2026, 2, 8), 10, 16, cents(300)); // into an account without a type
    t.addTransaction(10, QDate(2026, 2, 9), 10, 4, cents(1000)); // bank to cash

    const FinancialStatement income = computeStatement(t.book(), StatementKind::IncomeStatement,
                                                       periodColumns({QDate(2026, 1, 1), QDate(2026, 2, 28)},
                                                                     PeriodLength::Month, Comparison::PreviousPeriod));
    ASSERT_EQ(income.columns.size(), 3u);
    EXPECT_TRUE(income.columns[2].isTotal);
    EXPECT_EQ(income.columns[2].compared->name(), QStringLiteral("2025-11-01..2025-12-31"));
    EXPECT_EQ(lines(income),
              QStringList({QStringLiteral("Income|Fees|300.00/70.00 40.00/300.00 340.00/70.00"),
                           QStringLiteral("Income|Sundry|5.00/0.00 0.00/5.00 3.00/0.00"),
                           QStringLiteral("|Total income|305.00/70.00 40.00/305.00 343.00/70.00"),
                           QStringLiteral("Expenses|Rent|120.00/0.00 105.00/120.00 225.00/0.00"),
                           QStringLiteral("Expenses|Sundry|0.00/0.00 2.00/0.00 0.00/0.00"),
                           QStringLiteral("|Total expenses|120.00/0.00 107.00/120.00 225.00/0.00"),
                           QStringLiteral("|Net income|185.00/70.00 -67.00/185.00 118.00/70.00"),
                           QStringLiteral("Unclassified|Suspense|0.00/0.00 3.00/0.00 3.00/0.00")}));
    // The transactions behind each total: those of the accounts it adds up.
    EXPECT_EQ(accountsOf(income, QStringLiteral("Total income")), QStringLiteral("A11 A13"));
    EXPECT_EQ(accountsOf(income, QStringLiteral("Total expenses")), QStringLiteral("A12 A13"));
    EXPECT_EQ(accountsOf(income, QStringLiteral("Net income")), QStringLiteral("A11 A13 A12"));
    ASSERT_EQ(income.warnings.size(), 1);
    EXPECT_TRUE(income.warnings[0].contains(QStringLiteral("Suspense")));

    const QDate yearStart(2024, 1, 1);
    const FinancialStatement balance = computeStatement(t.book(), StatementKind::BalanceSheet,
                                                        {balanceSheetColumn(QDate(2026, 2, 28), QDate(2026, 1, 31),
                                                                            yearStart)});
    EXPECT_EQ(lines(balance),
              QStringList(
                  {QStringLiteral("Assets|Bank|1237.00/1250.00"), QStringLiteral("Assets|CASH|13.00/5.00"),
                   QStringLiteral("Receivables|Acme|40.00/0.00"), QStringLiteral("Unclassified|Suspense|3.00/0.00"),
                   QStringLiteral("|Total assets|1293.00/1255.00"), QStringLiteral("Liabilities|Card|90.00/0.00"),
                   QStringLiteral("Liabilities|Loan|500.00/500.00"), QStringLiteral("Payables|Landlord|15.00/0.00"),
                   QStringLiteral("|Total liabilities|605.00/500.00"),
                   QStringLiteral("|Opening balances|500.00/500.00"), QStringLiteral("|Retained earnings|70.00/70.00"),
                   QStringLiteral("|Net income for the period|118.00/185.00"),
                   QStringLiteral("|Total equity|688.00/755.00"),
                   QStringLiteral("|Total liabilities and equity|1293.00/1255.00")}));
    EXPECT_EQ(accountsOf(balance, QStringLiteral("Total assets")), QStringLiteral("A10 A4 P1 A16"));
    // Their charts' axes: from zero where nothing is below it, a step below
    // zero where a month lost money.
    EXPECT_EQ(computeStatementChart(balance, {}, QStringLiteral("d/M/yyyy")).scale, (AxisScale{0, 1400}));
    EXPECT_EQ(computeStatementChart(income, {}, QStringLiteral("d/M/yyyy")).scale, (AxisScale{-80, 320}));
    EXPECT_EQ(accountsOf(balance, QStringLiteral("Total liabilities")), QStringLiteral("A15 A14 P2"));
    const QString periodAccounts = accountsOf(balance, QStringLiteral("Net income for the period"), true);
    EXPECT_TRUE(periodAccounts.contains(QStringLiteral("A11 A12 A13"))) << periodAccounts.toStdString();
    EXPECT_FALSE(periodAccounts.contains(QStringLiteral("A10"))) << periodAccounts.toStdString();
    for (const QString &none : {QStringLiteral("Opening balances"), QStringLiteral("Retained earnings"),
                                QStringLiteral("Total equity"), QStringLiteral("Total liabilities and equity")})
        EXPECT_EQ(accountsOf(balance, none), QString()) << none.toStdString();

    setCashAccounts(t.book(), {{10, true}});
    const FinancialStatement cash = computeStatement(t.book(), StatementKind::CashFlow,
                                                     periodColumns({QDate(2026, 1, 1), QDate(2026, 2, 28)},
                                                                   PeriodLength::Whole, Comparison::None));
    EXPECT_EQ(lines(cash),
              QStringList({QStringLiteral("|Opening cash|1070.00"), QStringLiteral("Income|Fees|300.00"),
                           QStringLiteral("Expenses|Rent|-120.00"), QStringLiteral("Income/Expense|Sundry|3.00"),
                           QStringLiteral("Unclassified|Suspense|-3.00"), QStringLiteral("|Net change in cash|180.00"),
                           QStringLiteral("|Closing cash|1250.00")}));
    EXPECT_EQ(accountsOf(cash, QStringLiteral("Net change in cash"), true), QStringLiteral("A10 A4"));
    EXPECT_EQ(accountsOf(cash, QStringLiteral("Closing cash")), QString());

    // Deleting an account forgets its setting: an account that takes its
    // id later is no cash account, so money moved into it leaves the cash.
    t.addAccount(17, QStringLiteral("Till"), 4, Money());
    setCashAccounts(t.book(), {{17, true}});
    deleteAccounts(t.book(), {17});
    t.addAccount(17, QStringLiteral("Till again"), 4, Money());
    t.addTransaction(11, QDate(2026, 2, 10), 10, 17, cents(700));
    const FinancialStatement later = computeStatement(t.book(), StatementKind::CashFlow,
                                                      periodColumns({QDate(2026, 2, 10), QDate(2026, 2, 10)},
                                                                    PeriodLength::Whole, Comparison::None));
    EXPECT_EQ(lines(later),
              QStringList({QStringLiteral("|Opening cash|1250.00"), QStringLiteral("Assets|Till again|-7.00"),
                           QStringLiteral("|Net change in cash|-7.00"), QStringLiteral("|Closing cash|1243.00")}));
}

// A balance sheet that does not balance is refused, never shown: the kept
// balances of a book file, changed behind the program's back, no longer sum
// to nothing.
TEST(FinancialStatements, DamagedKeptBalancesAreRefused)
{
    TestBook t;
    if (engineOf(t.db()) != Engine::SQLite)
        GTEST_SKIP() << "a server's kept balances are its own triggers'";
    t.addAccount(10, QStringLiteral("Bank"), 4, Money());
    t.addTransaction(1, QDate(2026, 1, 5), 5, 10, cents(30000));
    runSql(t.db(), QStringLiteral("UPDATE period_balances SET money_in = money_in + 1 WHERE account = 10"));
    try {
        computeStatement(t.book(), StatementKind::BalanceSheet, {balanceSheetColumn(QDate(2026, 3, 31), {}, {})});
        FAIL() << "an unbalanced sheet was shown";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("does not balance"))) << qPrintable(e.description());
    }
}

TEST(StatementPeriods, SplitsComparesAndRounds)
{
    const std::vector<DateRange> quarters = splitRange({QDate(2026, 2, 15), QDate(2026, 7, 3)}, PeriodLength::Quarter);
    ASSERT_EQ(quarters.size(), 3u);
    EXPECT_EQ(quarters[0].name(), QStringLiteral("2026-02-15..2026-03-31"));
    EXPECT_EQ(quarters[1].name(), QStringLiteral("2026-04-01..2026-06-30"));
    EXPECT_EQ(quarters[2].name(), QStringLiteral("2026-07-01..2026-07-03"));
    EXPECT_TRUE(splitRange({QDate(2026, 2, 2), QDate(2026, 2, 1)}, PeriodLength::Month).empty());

    EXPECT_EQ(comparedRange({QDate(2026, 3, 1), QDate(2026, 3, 31)}, PeriodLength::Month, Comparison::PreviousPeriod)
                  .name(),
              QStringLiteral("2026-02-01..2026-02-28"));
    EXPECT_EQ(comparedRange({QDate(2024, 2, 1), QDate(2024, 2, 29)}, PeriodLength::Whole, Comparison::YearBefore)
                  .name(),
              QStringLiteral("2023-02-01..2023-02-28"));
    EXPECT_EQ(comparedRange({QDate(2026, 3, 10), QDate(2026, 3, 19)}, PeriodLength::Whole, Comparison::PreviousPeriod)
                  .name(),
              QStringLiteral("2026-02-28..2026-03-09"));
    EXPECT_EQ(financialYearStartOn(QDate(2026, 3, 31), QDate(2020, 4, 1)), QDate(2025, 4, 1));
    EXPECT_EQ(financialYearStartOn(QDate(2025, 3, 1), QDate(2024, 2, 29)), QDate(2025, 2, 28));

    EXPECT_EQ(changePercent(cents(150), cents(100)), QStringLiteral("50.0"));
    EXPECT_EQ(changePercent(cents(-100), cents(-300)), QStringLiteral("66.7"));
    EXPECT_EQ(changePercent(cents(0), cents(3)), QStringLiteral("-100.0"));
    EXPECT_EQ(changePercent(cents(1), cents(0)), QString());
    EXPECT_EQ(changePercent(cents(2), cents(3)), QStringLiteral("-33.3"));
    EXPECT_EQ(changePercent(cents(1), cents(1000)), QStringLiteral("-99.9"));
    EXPECT_EQ(changePercent(cents(1), cents(2000)), QStringLiteral("-100.0"));
}

namespace {

struct Row {
    QDate date;
    QChar fromFlag, toFlag;
    qint64 from, to, amount;
};

using Figures = std::map<QString, qint64>; // "section|flag id" to cents, zeros left out

// A book of 10,000 random transactions over accounts of every type, parties
// and an account without a type, and the plain sums a statement must equal.
struct RandomBook : ::testing::Test {
    TestBook t;
    std::mt19937 random{20261210};
    std::vector<Row> rows;
    std::map<qint64, int> types; // every account's type, the built-in ones too
    std::map<qint64, qint64> openings;
    const QDate firstDay{2024, 1, 1};
    const QDate yearStart{2020, 4, 1};

    void SetUp() override
    {
        types = {{1, 2}, {2, 2}, {3, 2}, {4, 4}, {5, 1}, {6, 2}};
        const int extra[] = {1, 2, 3, 4, 5, 6, 0, 3, 6};
        for (int i = 0; i < 9; ++i) {
            const qint64 id = 10 + i, opening = std::uniform_int_distribution<qint64>(-90000, 90000)(random);
            t.addAccount(id, QStringLiteral("Account %1").arg(id), extra[i], cents(opening));
            types[id] = extra[i];
            openings[id] = opening;
        }
        runSql(t.db(), QStringLiteral("INSERT INTO Party_master VALUES (1, 'P1'), (2, 'P2'), (3, 'P3')"));
        setCashAccounts(t.book(), {{13, true}});
        QList<QVariantList> values;
        for (qint64 id = 1; id <= 10000; ++id) {
            const auto side = [&]() -> std::pair<QChar, qint64> {
                const int n = std::uniform_int_distribution<int>(0, 17)(random);
                if (n < 3)
                    return {u'P', n + 1};
                return {u'A', n < 9 ? n - 2 : n + 1};
            };
            const auto [fromFlag, from] = side();
            const auto [toFlag, to] = side();
            const QDate date = firstDay.addDays(std::uniform_int_distribution<int>(0, 3 * 365)(random));
            const bool null = std::uniform_int_distribution<int>(0, 40)(random) == 0;
            const qint64 amount = std::uniform_int_distribution<qint64>(-20000, 500000)(random);
            rows.push_back({date, fromFlag, toFlag, from, to, null ? 0 : amount});
            values << QVariantList{
                id, isoDate(date), from, QString(fromFlag), to, QString(toFlag), null ? QVariant() : QVariant(amount)};
        }
        TransactionGuard bulk(t.db());
        runSqlBatch(t.db(),
                    QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, "
                                   "to_acc, to_flag, amount) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                    values);
        bulk.commit();
    }

    DateRange randomRange()
    {
        const QDate a = firstDay.addDays(std::uniform_int_distribution<int>(-30, 3 * 365 + 30)(random));
        const QDate b = a.addDays(std::uniform_int_distribution<int>(0, 500)(random));
        // Half the ranges begin and end with their months.
        if (std::uniform_int_distribution<int>(0, 1)(random))
            return {QDate(a.year(), a.month(), 1), QDate(b.year(), b.month(), b.daysInMonth())};
        return {a, b};
    }

    // Every side's money in less money out over the days (first invalid: from the beginning).
    std::map<std::pair<QChar, qint64>, qint64> nets(const QDate &first, const QDate &last) const
    {
        std::map<std::pair<QChar, qint64>, qint64> n;
        for (const Row &r : rows)
            if ((!first.isValid() || r.date >= first) && r.date <= last) {
                n[{r.fromFlag, r.from}] -= r.amount;
                n[{r.toFlag, r.to}] += r.amount;
            }
        return n;
    }

    qint64 netIncome(const QDate &first, const QDate &last) const
    {
        qint64 income = 0;
        for (const auto &[side, net] : nets(first, last))
            if (side.first == u'A' && types.count(side.second) && types.at(side.second) >= 1
                && types.at(side.second) <= 3)
                income -= net;
        return income;
    }

    static void put(Figures &f, const QString &section, QChar flag, qint64 id, qint64 figure)
    {
        if (figure != 0)
            f[QStringLiteral("%1|%2 %3").arg(section, flag).arg(id)] += figure;
    }

    Figures incomeStatement(const DateRange &r) const
    {
        Figures f;
        for (const auto &[side, net] : nets(r.first, r.last)) {
            if (side.first == u'P')
                continue;
            const int type = types.at(side.second);
            if (type == 0)
                put(f, QStringLiteral("Unclassified"), u'A', side.second, net);
            else if (type == 1 || (type == 3 && net < 0))
                put(f, QStringLiteral("Income"), u'A', side.second, -net);
            else if (type == 2 || type == 3)
                put(f, QStringLiteral("Expenses"), u'A', side.second, net);
        }
        return f;
    }

    Figures balanceSheet(const QDate &at) const
    {
        auto balances = nets(QDate(), at);
        for (const auto &[id, opening] : openings)
            balances[{u'A', id}] += opening;
        Figures f;
        for (const auto &[side, balance] : balances) {
            const int type = side.first == u'P' ? -1 : types.at(side.second);
            if (type >= 1 && type <= 3)
                continue;
            const bool owned = type == 4 || (type != 5 && balance >= 0);
            const QString section = type == -1 ? (owned ? QStringLiteral("Receivables") : QStringLiteral("Payables"))
                : type == 0                    ? QStringLiteral("Unclassified")
                                               : (owned ? QStringLiteral("Assets") : QStringLiteral("Liabilities"));
            put(f, section, side.first, side.second, owned ? balance : -balance);
        }
        return f;
    }

    Figures cashFlow(const DateRange &r) const
    {
        const auto cash = [](QChar flag, qint64 id) { return flag == u'A' && (id == 4 || id == 13); };
        static const QStringList sections = {QStringLiteral("Income"),         QStringLiteral("Expenses"),
                                             QStringLiteral("Income/Expense"), QStringLiteral("Assets"),
                                             QStringLiteral("Liabilities"),    QStringLiteral("Asset/Liability")};
        Figures f;
        for (const Row &row : rows) {
            if (row.date < r.first || row.date > r.last || cash(row.fromFlag, row.from) == cash(row.toFlag, row.to))
                continue;
            const bool in = cash(row.toFlag, row.to);
            const QChar flag = in ? row.fromFlag : row.toFlag;
            const qint64 id = in ? row.from : row.to;
            const int type = flag == u'P' ? -1 : types.at(id);
            const QString section = type == -1 ? QStringLiteral("Parties")
                : type == 0                    ? QStringLiteral("Unclassified")
                                               : sections.at(type - 1);
            put(f, section, flag, id, in ? row.amount : -row.amount);
        }
        for (auto it = f.begin(); it != f.end();)
            it = it->second == 0 ? f.erase(it) : std::next(it);
        return f;
    }

    qint64 cashAt(const QDate &day) const
    {
        const auto n = nets(QDate(), day);
        qint64 total = openings.count(13) ? openings.at(13) : 0;
        for (const qint64 id : {4, 13})
            if (const auto found = n.find({u'A', id}); found != n.end())
                total += found->second;
        return total;
    }
};

// The account lines of one column, in the test's terms.
Figures accountFigures(const FinancialStatement &s, std::size_t column, bool compared)
{
    Figures f;
    for (const FinancialLine &line : s.lines) {
        const Money figure = compared ? line.compared[column] : line.figures[column];
        if (!line.isTotal && !figure.isZero())
            f[QStringLiteral("%1|%2 %3").arg(line.section, QString(sideLetter(line.side))).arg(line.id)] +=
                figure.cents();
    }
    return f;
}

qint64 totalOf(const FinancialStatement &s, const QString &text, std::size_t column, bool compared)
{
    const FinancialLine *line = s.total(text);
    EXPECT_NE(line, nullptr) << qPrintable(text);
    return line ? (compared ? line->compared[column] : line->figures[column]).cents() : 0;
}

} // namespace

// Every statement over random ranges, periods and comparisons equals the
// plain sums over the transactions, the balance sheet balances, and the
// same statements read without the kept balances are the same.
TEST_F(RandomBook, StatementsEqualPlainSumsOverTheTransactions)
{
    const PeriodLength periods[] = {PeriodLength::Whole, PeriodLength::Month, PeriodLength::Quarter,
                                    PeriodLength::Year};
    const Comparison comparisons[] = {Comparison::None, Comparison::PreviousPeriod, Comparison::YearBefore};
    std::vector<std::pair<StatementKind, std::vector<StatementColumn>>> asked;
    for (int round = 0; round < 12; ++round) {
        const DateRange range = randomRange();
        const PeriodLength period = periods[round % 4];
        const std::vector<StatementColumn> columns = periodColumns(range, period, comparisons[round % 3]);
        const FinancialStatement income = computeStatement(t.book(), StatementKind::IncomeStatement, columns);
        const FinancialStatement cash = computeStatement(t.book(), StatementKind::CashFlow, columns);
        for (std::size_t c = 0; c < columns.size(); ++c)
            for (const bool compared : {false, true}) {
                if (compared && !columns[c].compared)
                    continue;
                const DateRange r = compared ? *columns[c].compared : columns[c].range;
                SCOPED_TRACE(qPrintable(r.name()));
                const Figures expected = incomeStatement(r);
                EXPECT_EQ(accountFigures(income, c, compared), expected);
                qint64 in = 0, out = 0;
                for (const auto &[key, figure] : expected) {
                    if (key.startsWith(QLatin1String("Income|")))
                        in += figure;
                    else if (key.startsWith(QLatin1String("Expenses|")))
                        out += figure;
                }
                EXPECT_EQ(totalOf(income, QStringLiteral("Total income"), c, compared), in);
                EXPECT_EQ(totalOf(income, QStringLiteral("Total expenses"), c, compared), out);
                EXPECT_EQ(totalOf(income, QStringLiteral("Net income"), c, compared), netIncome(r.first, r.last));
                EXPECT_EQ(accountFigures(cash, c, compared), cashFlow(r));
                EXPECT_EQ(totalOf(cash, QStringLiteral("Opening cash"), c, compared), cashAt(r.first.addDays(-1)));
                EXPECT_EQ(totalOf(cash, QStringLiteral("Closing cash"), c, compared), cashAt(r.last));
            }
        asked.push_back({StatementKind::IncomeStatement, columns});
        asked.push_back({StatementKind::CashFlow, columns});

        const DateRange days = randomRange();
        const StatementColumn sheet = balanceSheetColumn(days.last, days.first, yearStart);
        const FinancialStatement balance = computeStatement(t.book(), StatementKind::BalanceSheet, {sheet});
        for (const bool compared : {false, true}) {
            const DateRange r = compared ? *sheet.compared : sheet.range;
            SCOPED_TRACE(qPrintable(r.name()));
            EXPECT_EQ(accountFigures(balance, 0, compared), balanceSheet(r.last));
            EXPECT_EQ(totalOf(balance, QStringLiteral("Total assets"), 0, compared),
                      totalOf(balance, QStringLiteral("Total liabilities and equity"), 0, compared));
            EXPECT_EQ(totalOf(balance, QStringLiteral("Retained earnings"), 0, compared),
                      netIncome(QDate(), r.first.addDays(-1)));
            EXPECT_EQ(totalOf(balance, QStringLiteral("Net income for the period"), 0, compared),
                      netIncome(r.first, r.last));
        }
        asked.push_back({StatementKind::BalanceSheet, {sheet}});
    }

    std::vector<QStringList> kept;
    for (const auto &[kind, columns] : asked)
        kept.push_back(lines(computeStatement(t.book(), kind, columns)));
    runSql(t.db(),
           dialectOf(t.db()).dropTriggerIfExists(QStringLiteral("period_balances_insert"),
                                                 QStringLiteral("transaction_master")));
    for (std::size_t i = 0; i < asked.size(); ++i)
        EXPECT_EQ(lines(computeStatement(t.book(), asked[i].first, asked[i].second)), kept[i]);
}
