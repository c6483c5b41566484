#include "dates.h"
#include "engine.h"
#include "sql.h"
#include "summary.h"
#include "summarychart.h"
#include "yearbook.h"

#include <QSqlQuery>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>

using namespace bc;
using bc::test::cents;
using bc::test::YearBook;

namespace {

// The year book where party 1 is the Landlord.
struct SummaryBook : YearBook {
    void SetUp() override
    {
        YearBook::SetUp();
        runSql(t.db(), QStringLiteral("INSERT INTO Party_master VALUES (1, 'Landlord')"));
    }

    SummaryInput input(std::vector<SummaryAccount> accounts, QDate from, QDate to) const
    {
        SummaryInput in;
        in.accounts = std::move(accounts);
        in.fromDate = from;
        in.toDate = to;
        in.finYearStart = fyStart;
        return in;
    }

    static std::vector<SummaryAccount> bankSalaryRentLandlord()
    {
        return {{11, AccountSide::Account, QStringLiteral("Salary")},
                {10, AccountSide::Account, QStringLiteral("Bank")},
                {12, AccountSide::Account, QStringLiteral("Rent")},
                {1, AccountSide::Party, QStringLiteral("Landlord")}};
    }

    // "name opening movement balance side" per listed row.
    static QStringList lines(const SummaryResult &s)
    {
        QStringList out;
        for (const SummaryRow &r : s.listed)
            out << QStringLiteral("%1 %2 %3 %4 %5")
                       .arg(r.name, r.opening.toPlain(), r.movement.toPlain(), r.balance.toPlain(),
                            QString(sideLetter(r.side)));
        return out;
    }

    void addNullAmount(qint64 id, const QDate &date, qint64 from, qint64 to)
    {
        runSql(t.db(),
               QStringLiteral(
                   "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, amount, "
                   "particulars, version_date) VALUES (?, ?, ?, 'A', ?, 'A', NULL, '', NULL)"),
               {id, isoDate(date), from, to});
    }
};

} // namespace

TEST_F(SummaryBook, NothingSelectedListsNothing)
{
    runSql(t.db(), QStringLiteral("INSERT INTO Account_Status VALUES (1, 'stale', 'A', 0, 0, 0)"));
    const SummaryResult s = computeSummary(t.book(), input({}, fyStart, QDate(2024, 12, 31)));
    EXPECT_TRUE(s.listed.empty());
    EXPECT_EQ(s.totalOpening.toPlain(), QStringLiteral("0.00"));
    EXPECT_EQ(s.totalBalance.toPlain(), QStringLiteral("0.00"));
    EXPECT_EQ(t.count(QStringLiteral("Account_Status")), 0);
}

TEST_F(SummaryBook, OpeningAndMovementCountEachDateOnItsSide)
{
    t.addTransaction(1, QDate(2023, 12, 31), 11, 10, cents(500)); // before the year: movement only when in range
    t.addTransaction(2, fyStart, 11, 10, cents(1000)); // on the year start: opening
    t.addTransaction(3, QDate(2024, 1, 31), 10, 12, cents(300)); // day before From: opening
    t.addTransaction(4, QDate(2024, 2, 1), 10, 12, cents(200)); // on From: movement
    t.addTransaction(5, QDate(2024, 2, 29), 11, 10, cents(100)); // on To: movement
    t.addTransaction(6, QDate(2024, 3, 1), 10, 12, cents(5000)); // after To
    t.addTransaction(7, QDate(2024, 2, 10), 10, 10, cents(700)); // to itself: nets to 0
    addNullAmount(8, QDate(2024, 2, 11), 11, 10); // Null: counts as 0
    t.addTransaction(9, QDate(2024, 2, 12), 10, 1, cents(4000), QString(), QStringLiteral("A"), QStringLiteral("P"));

    const SummaryResult s = computeSummary(t.book(),
                                           input(bankSalaryRentLandlord(), QDate(2024, 2, 1), QDate(2024, 2, 29)));
    EXPECT_EQ(lines(s),
              (QStringList{
                  "Salary -10.00 -1.00 -11.00 A",
                  "Bank 107.00 -41.00 66.00 A",
                  "Rent 3.00 2.00 5.00 A",
                  "Landlord 0.00 40.00 40.00 P",
              }));
    EXPECT_EQ(s.totalOpening, cents(10000));
    EXPECT_EQ(s.totalMovement, Money());
    EXPECT_EQ(s.totalBalance, cents(10000));
    EXPECT_EQ(s.listed[1].accountId, 10);

    // From on or before the year start: openings are the master's; the
    // transaction before the year counts once it lies within the range.
    const SummaryResult early = computeSummary(t.book(),
                                               input({{10, AccountSide::Account, QStringLiteral("Bank")}},
                                                     QDate(2023, 12, 1), QDate(2023, 12, 31)));
    EXPECT_EQ(lines(early), (QStringList{"Bank 100.00 5.00 105.00 A"}));
    const SummaryResult onStart = computeSummary(t.book(),
                                                 input({{10, AccountSide::Account, QStringLiteral("Bank")}}, fyStart,
                                                       fyStart));
    EXPECT_EQ(lines(onStart), (QStringList{"Bank 100.00 10.00 110.00 A"}));

    // From after To: no movement, the balance is the opening.
    const SummaryResult reversed = computeSummary(t.book(),
                                                  input({{10, AccountSide::Account, QStringLiteral("Bank")}},
                                                        QDate(2024, 3, 1), QDate(2024, 2, 1)));
    EXPECT_EQ(lines(reversed), (QStringList{"Bank 66.00 0.00 66.00 A"}));
}

TEST_F(SummaryBook, OpeningBoundsAreStrictAndBlankMeansNone)
{
    const qint64 openings[] = {9999, 10000, 50000, 50001, -1, 0, 1150};
    std::vector<SummaryAccount> chosen;
    for (qint64 i = 0; i < qint64(std::size(openings)); ++i) {
        t.addAccount(20 + i, QStringLiteral("O%1").arg(openings[i]), 4, cents(openings[i]));
        chosen.push_back({20 + i, AccountSide::Account, QStringLiteral("O%1").arg(openings[i])});
    }
    auto names = [&](const QString &above, const QString &below) {
        SummaryInput in = input(chosen, fyStart, fyStart);
        in.openingAbove = above;
        in.openingBelow = below;
        QStringList out;
        for (const SummaryRow &r : computeSummary(t.book(), in).listed)
            out << r.name;
        return out;
    };
    EXPECT_EQ(names(QStringLiteral("100"), QStringLiteral("500")), (QStringList{"O10000", "O50000"}));
    EXPECT_EQ(names(QString(), QStringLiteral("  ")).size(), 7);
    EXPECT_EQ(names(QStringLiteral("12abc"), QString()), (QStringList{"O9999", "O10000", "O50000", "O50001"}));
    EXPECT_EQ(names(QStringLiteral("abc"), QString()),
              (QStringList{"O9999", "O10000", "O50000", "O50001", "O0", "O1150"}));
    EXPECT_EQ(names(QString(), QStringLiteral("abc")), (QStringList{"O-1", "O0"}));
}

TEST_F(SummaryBook, BalanceBoundsAreInclusiveAndBlankListsLargeBalances)
{
    t.addAccount(30, QStringLiteral("Big"), 4, cents(25000000));
    t.addAccount(31, QStringLiteral("Owed"), 5, cents(-25000000));
    const std::vector<SummaryAccount> chosen{{30, AccountSide::Account, QStringLiteral("Big")},
                                             {31, AccountSide::Account, QStringLiteral("Owed")},
                                             {10, AccountSide::Account, QStringLiteral("Bank")},
                                             {12, AccountSide::Account, QStringLiteral("Rent")}};
    const SummaryResult all = computeSummary(t.book(), input(chosen, fyStart, fyStart));
    EXPECT_EQ(lines(all),
              (QStringList{"Big 250000.00 0.00 250000.00 A", "Owed -250000.00 0.00 -250000.00 A",
                           "Bank 100.00 0.00 100.00 A", "Rent 0.00 0.00 0.00 A"}));

    SummaryInput in = input(chosen, fyStart, fyStart);
    in.balanceAbove = QStringLiteral("0");
    in.balanceBelow = QStringLiteral("100");
    EXPECT_EQ(lines(computeSummary(t.book(), in)), (QStringList{"Bank 100.00 0.00 100.00 A", "Rent 0.00 0.00 0.00 A"}));
    in.balanceAbove = QStringLiteral("abc");
    in.balanceBelow = QStringLiteral("12abc");
    EXPECT_EQ(lines(computeSummary(t.book(), in)), (QStringList{"Rent 0.00 0.00 0.00 A"}));
}

TEST_F(SummaryBook, BoundsCompareExactlyAndOneBeyondAnyAmountSetsNone)
{
    t.addTransaction(1, QDate(2024, 3, 1), 11, 12, cents(1500));
    const auto listed = [&](const char *balanceAbove, const char *balanceBelow, const char *openingAbove = "") {
        SummaryInput in = input({{10, AccountSide::Account, QStringLiteral("Bank")},
                                 {11, AccountSide::Account, QStringLiteral("Salary")},
                                 {12, AccountSide::Account, QStringLiteral("Rent")}},
                                fyStart, QDate(2024, 12, 31));
        in.balanceAbove = QLatin1String(balanceAbove);
        in.balanceBelow = QLatin1String(balanceBelow);
        in.openingAbove = QLatin1String(openingAbove);
        QStringList names;
        for (const SummaryRow &r : computeSummary(t.book(), in).listed)
            names << r.name;
        return names.join(u',');
    };
    // Balances: Bank 100.00, Salary -15.00, Rent 15.00.
    EXPECT_EQ(listed("14.996", ""), QStringLiteral("Bank,Rent"));
    EXPECT_EQ(listed("", "14.996"), QStringLiteral("Salary"));
    EXPECT_EQ(listed("-15.001", "-14.999"), QStringLiteral("Salary"));
    EXPECT_EQ(listed("15.001", ""), QStringLiteral("Bank"));
    // Past any amount: no bound on that side, not a bound of 0.
    EXPECT_EQ(listed("", "99999999999999999"), QStringLiteral("Bank,Salary,Rent"));
    EXPECT_EQ(listed("-99999999999999999999", ""), QStringLiteral("Bank,Salary,Rent"));
    EXPECT_EQ(listed("", "", "-99999999999999999"), QStringLiteral("Bank,Salary,Rent"));
    EXPECT_EQ(listed("abc", ""), QStringLiteral("Bank,Rent")); // no leading number: 0
    EXPECT_EQ(listed("12abc", ""), QStringLiteral("Bank,Rent"));

    EXPECT_EQ(summaryBound(QStringLiteral("-14.996"), BoundSide::Lower), -1499);
    EXPECT_EQ(summaryBound(QStringLiteral("-14.996"), BoundSide::Upper), -1500);
    EXPECT_EQ(summaryBound(QStringLiteral("14.990"), BoundSide::Lower), 1499);
    EXPECT_EQ(summaryBound(QStringLiteral("92233720368547758.07"), BoundSide::Upper), INT64_MAX);
    EXPECT_EQ(summaryBound(QStringLiteral("92233720368547758.08"), BoundSide::Upper), std::nullopt);
    EXPECT_EQ(summaryBound(QStringLiteral("  "), BoundSide::Lower), std::nullopt);
}

TEST_F(SummaryBook, TotalsAreExact)
{
    t.addAccount(40, QStringLiteral("Petty"), 4, cents(1050));
    t.addTransaction(1, QDate(2024, 5, 1), 40, 12, cents(300));
    // An account whose only movements have Null amounts stays at 0, not Null.
    t.addAccount(41, QStringLiteral("Idle"), 4, Money());
    addNullAmount(2, QDate(2024, 2, 1), 41, 12);
    addNullAmount(3, QDate(2024, 6, 1), 12, 41);
    const SummaryResult s = computeSummary(t.book(),
                                           input({{40, AccountSide::Account, QStringLiteral("Petty")},
                                                  {41, AccountSide::Account, QStringLiteral("Idle")}},
                                                 QDate(2024, 3, 1), QDate(2024, 12, 31)));
    EXPECT_EQ(lines(s).last(), QStringLiteral("Idle 0.00 0.00 0.00 A"));
    QSqlQuery nulls = runSql(t.db(),
                             QStringLiteral("SELECT count(*) FROM Account_Status WHERE Open_amount IS NULL OR "
                                            "Tran_amount IS NULL OR Bal_amount IS NULL"));
    ASSERT_TRUE(nulls.next());
    EXPECT_EQ(nulls.value(0).toInt(), 0);
    EXPECT_EQ(s.totalOpening.toPlain(), QStringLiteral("10.50"));
    EXPECT_EQ(s.totalMovement.toPlain(), QStringLiteral("-3.00"));
    EXPECT_EQ(s.totalBalance.toPlain(), QStringLiteral("7.50"));
}

TEST_F(SummaryBook, FailingStatementThrowsAndKeepsThePreviousRun)
{
    computeSummary(t.book(), input({{10, AccountSide::Account, QStringLiteral("Bank")}}, fyStart, fyStart));
    bc::test::refuseWrites(t.db(), QStringLiteral("Account_Status"));
    EXPECT_THROW(computeSummary(t.book(), input(bankSalaryRentLandlord(), fyStart, fyStart)), DbError);
    EXPECT_EQ(t.count(QStringLiteral("Account_Status")), 1);
}

TEST_F(SummaryBook, RandomBookMatchesAPlainSum)
{
    struct Tran {
        int day;
        qint64 from, to;
        QChar fromSide, toSide;
        std::optional<qint64> amount;
    };
    std::mt19937 random(6101);
    std::uniform_int_distribution<int> day(-60, 400);
    std::uniform_int_distribution<int> side(0, 3); // accounts 10..12 or the party
    std::uniform_int_distribution<qint64> amount(-20000, 300000);
    auto pick = [&](qint64 &id, QChar &flag) {
        const int s = side(random);
        id = s == 3 ? 1 : 10 + s;
        flag = s == 3 ? u'P' : u'A';
    };
    std::vector<Tran> trans;
    TransactionGuard bulk(t.db());
    for (int id = 1; id <= 300; ++id) {
        Tran tr;
        tr.day = day(random);
        pick(tr.from, tr.fromSide);
        pick(tr.to, tr.toSide);
        if (id % 29 != 0)
            tr.amount = amount(random);
        runSql(t.db(),
               QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount, particulars, version_date) VALUES (?, ?, ?, ?, ?, ?, ?, '', NULL)"),
               {id, isoDate(fyStart.addDays(tr.day)), tr.from, QString(tr.fromSide), tr.to, QString(tr.toSide),
                tr.amount ? QVariant(*tr.amount) : QVariant()});
        trans.push_back(tr);
    }
    bulk.commit();

    const std::vector<SummaryAccount> chosen = bankSalaryRentLandlord();
    const std::pair<int, int> ranges[] = {{-30, 10}, {0, 365}, {90, 180}, {200, 150}, {-60, -1}, {400, 400}};
    for (const auto &[fromDay, toDay] : ranges) {
        std::map<std::pair<QChar, qint64>, qint64> opening{{{u'A', 10}, 10000}}, movement;
        for (const Tran &tr : trans) {
            const qint64 a = tr.amount.value_or(0);
            auto &bucket = tr.day >= 0 && tr.day < fromDay ? opening : movement;
            if ((tr.day >= 0 && tr.day < fromDay) || (tr.day >= fromDay && tr.day <= toDay)) {
                bucket[{tr.fromSide, tr.from}] -= a;
                bucket[{tr.toSide, tr.to}] += a;
            }
        }
        const SummaryResult s = computeSummary(t.book(),
                                               input(chosen, fyStart.addDays(fromDay), fyStart.addDays(toDay)));
        ASSERT_EQ(s.listed.size(), chosen.size());
        qint64 totalBalance = 0;
        for (size_t i = 0; i < chosen.size(); ++i) {
            const std::pair<QChar, qint64> key{sideLetter(chosen[i].side), chosen[i].id};
            EXPECT_EQ(s.listed[i].accountId, chosen[i].id);
            EXPECT_EQ(s.listed[i].opening, cents(opening[key])) << fromDay << " " << chosen[i].id;
            EXPECT_EQ(s.listed[i].movement, cents(movement[key])) << fromDay << " " << chosen[i].id;
            EXPECT_EQ(s.listed[i].balance, cents(opening[key] + movement[key]));
            totalBalance += opening[key] + movement[key];
        }
        EXPECT_EQ(s.totalBalance, cents(totalBalance));
    }
}

TEST_F(SummaryBook, HundredThousandAmountsSumExactly)
{
    // A linear congruential sequence generates the book inside SQLite and is
    // replayed here for the plain sums: ten accounts, days from 20 before the
    // year start, every 97th amount Null.
    constexpr int Count = 100000;
    for (int a = 0; a < 10; ++a)
        t.addAccount(20 + a, QStringLiteral("Acc%1").arg(a), 4, cents(a * 101));
    runSql(t.db(),
           QStringLiteral(
               "WITH RECURSIVE g(i, s) AS (SELECT 1, (CAST(12345 AS bigint) * 1103515245 + 12345) "
               "% 2147483648 "
               "  UNION ALL SELECT i + 1, (s * 1103515245 + 12345) % 2147483648 FROM g WHERE i < ?) "
               "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
               "to_flag, amount, particulars, version_date) "
               "SELECT i, %1, 20 + (s >> 8) % 10, 'A', 20 + (s >> 12) % 10, 'A', "
               "       CASE WHEN s % 97 = 0 THEN NULL ELSE (s >> 4) % 2000001 - 1000000 END, '', NULL FROM g")
               .arg(test::forEngine(t.db(), QStringLiteral("date('2024-01-01', ((s % 400) - 20) || ' days')"),
                                    QStringLiteral("DATE '2024-01-01' + CAST(s % 400 - 20 AS integer)"))),
           {Count});

    const int fromDay = 91, toDay = 273;
    qint64 opening[10], movement[10] = {};
    for (int a = 0; a < 10; ++a)
        opening[a] = a * 101;
    qint64 s = 12345;
    for (int i = 0; i < Count; ++i) {
        s = (s * 1103515245 + 12345) % 2147483648;
        const int d = int(s % 400) - 20;
        const qint64 amount = s % 97 == 0 ? 0 : (s >> 4) % 2000001 - 1000000;
        qint64 *bucket = d >= 0 && d < fromDay ? opening : d >= fromDay && d <= toDay ? movement : nullptr;
        if (bucket) {
            bucket[(s >> 8) % 10] -= amount;
            bucket[(s >> 12) % 10] += amount;
        }
    }
    std::vector<SummaryAccount> chosen;
    for (int a = 0; a < 10; ++a)
        chosen.push_back({20 + a, AccountSide::Account, QStringLiteral("Acc%1").arg(a)});
    const SummaryResult r = computeSummary(t.book(), input(chosen, fyStart.addDays(fromDay), fyStart.addDays(toDay)));
    ASSERT_EQ(r.listed.size(), 10u);
    qint64 totalOpening = 0, totalMovement = 0;
    for (int a = 0; a < 10; ++a) {
        EXPECT_EQ(r.listed[size_t(a)].opening, cents(opening[a])) << a;
        EXPECT_EQ(r.listed[size_t(a)].movement, cents(movement[a])) << a;
        totalOpening += opening[a];
        totalMovement += movement[a];
    }
    EXPECT_EQ(r.totalOpening, cents(totalOpening));
    EXPECT_EQ(r.totalMovement, cents(totalMovement));
    EXPECT_EQ(r.totalBalance, cents(totalOpening + totalMovement));
}

TEST(SummaryChart, OneBarPerGridRowInGridOrder)
{
    std::vector<SummaryRow> rows =
        {{10, QStringLiteral("Bank"), Money(), cents(150000), cents(500000), AccountSide::Account},
         {11, QStringLiteral("Rent"), Money(), cents(-20000), cents(0), AccountSide::Account},
         {12, QStringLiteral("Salary"), Money(), cents(123456), cents(-20000), AccountSide::Account}};
    const QDate from(2024, 1, 1), to(2024, 12, 31);
    const ChartData balance = computeSummaryChart(rows,
                                                  {SummaryChartKind::Balance, from, to, QStringLiteral("EUR"),
                                                   QStringLiteral("M/d/yyyy")});
    ASSERT_TRUE(balance.ready());
    EXPECT_EQ(balance.kind, ChartData::Kind::Bars);
    ASSERT_EQ(balance.points.size(), 3u);
    EXPECT_EQ(balance.points[0].label, QStringLiteral("Bank"));
    EXPECT_EQ(balance.points[2].value, cents(-20000));
    EXPECT_EQ(balance.seriesLabel, QStringLiteral("Balance Amount"));
    EXPECT_EQ(balance.axisTitle, QStringLiteral("Balance Amount (EUR)"));
    EXPECT_EQ(balance.secondaryAxisTitle, QString());
    EXPECT_EQ(balance.scale, (AxisScale{-1000, 6000}));
    EXPECT_EQ(balance.title, QStringLiteral("Account Summary"));
    // The dates in the book's format, the accounts counted, the file named by both.
    EXPECT_EQ(balance.fromCaption, QStringLiteral(" From :- 01/01/2024"));
    EXPECT_EQ(balance.toCaption, QStringLiteral(" To :- 12/31/2024"));
    EXPECT_EQ(balance.subject, QStringLiteral("3 accounts"));
    EXPECT_EQ(balance.suggestedFileName(), QStringLiteral("Account Summary - 3 accounts - 01-01-2024 to 12-31-2024"));
    EXPECT_EQ(balance.points[1].name, QStringLiteral("Rent"));
    EXPECT_FALSE(balance.showBalances);

    const ChartData movement = computeSummaryChart(rows,
                                                   {SummaryChartKind::Transaction, from, to, QStringLiteral("EUR"),
                                                    QString()});
    EXPECT_EQ(movement.seriesLabel, QStringLiteral("Transaction Amount"));
    EXPECT_EQ(movement.axisTitle, QStringLiteral("Transaction Amount (EUR)"));
    EXPECT_EQ(movement.points[1].label, balance.points[1].label);
    EXPECT_EQ(movement.points[1].value, cents(-20000));
    // A book that names no currency shows none, rather than "()".
    EXPECT_EQ(computeSummaryChart(rows, {SummaryChartKind::Transaction, from, to, QString(), QString()}).axisTitle,
              QStringLiteral("Transaction Amount"));
    EXPECT_EQ(movement.scale, (AxisScale{-300, 1600})); // u = 100: N(-2 - 1), N(15 + 1)

    std::reverse(rows.begin(), rows.end());
    const ChartData sorted = computeSummaryChart(rows,
                                                 {SummaryChartKind::Balance, from, to, QStringLiteral("EUR"),
                                                  QString()});
    EXPECT_EQ(sorted.points[0].label, QStringLiteral("Salary"));
    EXPECT_EQ(sorted.points[2].label, QStringLiteral("Bank"));
}

TEST(SummaryChart, NothingToShowWhenEveryAmountIsZero)
{
    std::vector<SummaryRow> rows;
    const SummaryChartInput in{SummaryChartKind::Balance, QDate(2024, 1, 1), QDate(2024, 1, 31), QStringLiteral("EUR"),
                               QString()};
    EXPECT_EQ(computeSummaryChart(rows, in).status, ChartData::Status::NothingToShow);
    rows.push_back({10, QStringLiteral("Bank"), Money(), cents(500), Money(), AccountSide::Account});
    EXPECT_EQ(computeSummaryChart(rows, in).status, ChartData::Status::NothingToShow);
    EXPECT_TRUE(
        computeSummaryChart(rows, {SummaryChartKind::Transaction, in.fromDate, in.toDate, in.currency, QString()})
            .ready());
}
