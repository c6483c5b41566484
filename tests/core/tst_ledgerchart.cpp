#include "dates.h"
#include "ledgerchart.h"
#include "sql.h"
#include "testbook.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <limits>

using namespace bc;
using bc::test::TestBook;

namespace bc {
void PrintTo(const AxisScale &s, std::ostream *out)
{
    *out << s.minimum << " to " << s.maximum;
}
} // namespace bc

namespace {

Money cents(qint64 c)
{
    return Money::fromCents(c);
}
Money units(qint64 u)
{
    return Money::fromCents(u * 100);
}

// Bank (10) opens at 100.00 with a financial year from 1 January 2024.
struct LedgerChartBook : ::testing::Test {
    TestBook t;
    const QString format = QString::fromLatin1(DayFirstFormat);

    void SetUp() override
    {
        t.addAccount(10, QStringLiteral("Bank"), 4, units(100));
        t.addAccount(11, QStringLiteral("Salary"), 1, Money());
    }

    ChartData chart(QDate from, QDate to)
    {
        const LedgerResult ledger = computeLedger(t.book(), {10, from, to, QDate(2024, 1, 1)});
        return computeLedgerChart(t.book(), ledger,
                                  {from, to, format, QStringLiteral("EUR"), QStringLiteral(" Bank ")});
    }

    static std::vector<qint64> labelledDays(const ChartData &c)
    {
        std::vector<qint64> out;
        for (size_t i = 0; i < c.points.size(); ++i)
            if (!c.points[i].label.isEmpty())
                out.push_back(qint64(i));
        return out;
    }
};

} // namespace

TEST(ChartScale, RoundHalfEvenIsExact)
{
    EXPECT_EQ(roundHalfEven(1, 2), 0);
    EXPECT_EQ(roundHalfEven(3, 2), 2);
    EXPECT_EQ(roundHalfEven(5, 2), 2);
    EXPECT_EQ(roundHalfEven(7, 2), 4);
    EXPECT_EQ(roundHalfEven(-1, 2), 0);
    EXPECT_EQ(roundHalfEven(-3, 2), -2);
    EXPECT_EQ(roundHalfEven(-5, 2), -2);
    EXPECT_EQ(roundHalfEven(7, 3), 2);
    EXPECT_EQ(roundHalfEven(-7, 3), -2);
    EXPECT_EQ(roundHalfEven(32, 10), 3);
    EXPECT_EQ(roundHalfEven(25, 10), 2);
    constexpr qint64 big = std::numeric_limits<qint64>::max();
    EXPECT_EQ(roundHalfEven(big, 1), big);
    EXPECT_EQ(roundHalfEven(std::numeric_limits<qint64>::min(), 2), std::numeric_limits<qint64>::min() / 2);
}

TEST(ChartScale, TensAroundTheLowestAndHighestBalance)
{
    EXPECT_EQ(tensScale(units(15), units(25)), (AxisScale{0, 40})); // N(0.5) = 0, N(3.5) = 4
    EXPECT_EQ(tensScale(units(-15), units(-5)), (AxisScale{-20, 0})); // N(-2.5) = -2, N(0.5) = 0
    EXPECT_EQ(tensScale(cents(1234), cents(98765)), (AxisScale{0, 1000})); // N(0.234), N(99.765)
    EXPECT_EQ(tensScale(units(100), units(100)), (AxisScale{90, 110})); // N(9) and N(11)
}

TEST(ChartScale, MagnitudeStepFromTheLargestAmount)
{
    EXPECT_EQ(magnitudeScale(Money(), units(5000)), (AxisScale{-1000, 6000}));
    EXPECT_EQ(magnitudeScale(units(-200), cents(123456)), (AxisScale{-300, 1300}));
    const AxisScale half = magnitudeScale(Money(), cents(50)); // u = 0.1
    EXPECT_DOUBLE_EQ(half.minimum, -0.1);
    EXPECT_DOUBLE_EQ(half.maximum, 0.6);
    // Only negative amounts: the top of the axis is one step above 0.
    EXPECT_EQ(magnitudeScale(units(-4000), Money()), (AxisScale{-5000, 1000}));
    // A single cent: the step is a tenth of a cent.
    const AxisScale cent = magnitudeScale(Money(), cents(1));
    EXPECT_DOUBLE_EQ(cent.minimum, -0.001);
    EXPECT_DOUBLE_EQ(cent.maximum, 0.011);
    EXPECT_EQ(magnitudeScale(Money(), Money()), AxisScale{});
}

TEST(ChartScale, LabelGapGrowsWithTheRange)
{
    EXPECT_EQ(ledgerLabelGap(30), 3);
    EXPECT_EQ(ledgerLabelGap(23), 2); // N(2.5)
    EXPECT_EQ(ledgerLabelGap(0), 0);
}

TEST_F(LedgerChartBook, OnePointPerDayWithTheDaysEndBalance)
{
    t.addTransaction(1, QDate(2024, 1, 3), 11, 10, units(50));
    t.addTransaction(2, QDate(2024, 1, 3), 10, 11, units(20)); // same day: one point at 130
    t.addTransaction(3, QDate(2024, 1, 20), 10, 11, units(200));
    const ChartData c = chart(QDate(2024, 1, 1), QDate(2024, 1, 31));
    ASSERT_TRUE(c.ready());
    ASSERT_EQ(c.points.size(), 31u);
    EXPECT_EQ(c.points[0].value, units(100));
    EXPECT_EQ(c.points[1].value, units(100));
    EXPECT_EQ(c.points[2].value, units(130));
    EXPECT_EQ(c.points[18].value, units(130));
    EXPECT_EQ(c.points[19].value, units(-70));
    EXPECT_EQ(c.points[30].value, units(-70));

    // Thirty days: the first day, then every fifth day, then the last.
    EXPECT_EQ(labelledDays(c), (std::vector<qint64>{0, 5, 10, 15, 20, 25, 30}));
    EXPECT_EQ(c.points[0].label, QStringLiteral("Opening- 01/01/2024"));
    EXPECT_EQ(c.points[5].label, QStringLiteral("06/01/2024"));
    EXPECT_EQ(c.points[30].label, QStringLiteral("Closing- 31/01/2024"));
    EXPECT_EQ(c.points[6].name, QStringLiteral("07/01/2024")); // unlabelled, still named for the pointer

    EXPECT_EQ(c.scale, (AxisScale{-80, 140})); // lowest -70, highest 130
    EXPECT_EQ(c.kind, ChartData::Kind::Line);
    EXPECT_EQ(c.axisTitle, QStringLiteral("Balance Amount (EUR)"));
    EXPECT_EQ(c.secondaryAxisTitle, c.axisTitle);
    EXPECT_EQ(c.title, QStringLiteral("Account Ledger"));
    EXPECT_EQ(c.fromCaption, QStringLiteral(" From :- 01/01/2024"));
    EXPECT_EQ(c.toCaption, QStringLiteral(" To :- 31/01/2024"));
    EXPECT_EQ(c.subject, QStringLiteral("Bank"));
    EXPECT_EQ(c.suggestedFileName(), QStringLiteral("Account Ledger - Bank - 01-01-2024 to 31-01-2024"));
    EXPECT_TRUE(c.showBalances);
    EXPECT_EQ(c.openingBalance, Money::fromCents(10000));
    EXPECT_EQ(c.closingBalance, Money::fromCents(-7000));

    QSqlQuery q = runSql(t.db(), QStringLiteral("SELECT tran_date, amount FROM Tmp_acc_ldgr_graph ORDER BY tran_date"));
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString() + u' ' + q.value(1).toString();
    EXPECT_EQ(rows, (QStringList{"2024-01-03 13000", "2024-01-20 -7000"}));
}

TEST_F(LedgerChartBook, RangeWithoutMovementsIsFlatAtTheOpening)
{
    t.addTransaction(1, QDate(2024, 1, 10), 11, 10, units(50)); // before the range: in the opening
    const ChartData c = chart(QDate(2024, 2, 1), QDate(2024, 2, 24));
    ASSERT_EQ(c.points.size(), 24u);
    for (const ChartPoint &p : c.points)
        EXPECT_EQ(p.value, units(150));
    EXPECT_EQ(c.scale, (AxisScale{140, 160}));
    // Twenty-three days: every fourth day carries its date.
    EXPECT_EQ(labelledDays(c), (std::vector<qint64>{0, 4, 8, 12, 16, 20, 23}));
}

TEST_F(LedgerChartBook, SingleDayAndReversedRange)
{
    const ChartData one = chart(QDate(2024, 3, 5), QDate(2024, 3, 5));
    ASSERT_EQ(one.points.size(), 1u);
    EXPECT_EQ(one.points[0].label, QStringLiteral("Opening- 05/03/2024"));

    const ChartData reversed = chart(QDate(2024, 3, 5), QDate(2024, 3, 4));
    EXPECT_EQ(reversed.status, ChartData::Status::Refused);
    EXPECT_FALSE(reversed.message.isEmpty());
    EXPECT_TRUE(reversed.points.empty());
}

TEST_F(LedgerChartBook, RangesLongerThanASixteenBitCount)
{
    t.addTransaction(1, QDate(2100, 6, 1), 11, 10, units(1));
    const QDate from(2024, 1, 1), to = from.addDays(40000);
    const ChartData c = chart(from, to);
    ASSERT_EQ(c.points.size(), 40001u);
    EXPECT_EQ(c.points.back().value, units(101));
    EXPECT_EQ(c.points.back().label, QStringLiteral("Closing- ") + formatReportDate(to, format));
}
