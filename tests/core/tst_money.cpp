#include "money.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using bc::Money;

TEST(Money, ParsesExactlyAndRoundsHalfAwayFromZero)
{
    EXPECT_EQ(Money::parse(QStringLiteral("12.5"))->cents(), 1250);
    EXPECT_EQ(Money::parse(QStringLiteral("-40.5"))->cents(), -4050);
    EXPECT_EQ(Money::parse(QStringLiteral(".05"))->cents(), 5);
    EXPECT_EQ(Money::parse(QStringLiteral("7."))->cents(), 700);
    EXPECT_EQ(Money::parse(QStringLiteral("0.005"))->cents(), 1);
    EXPECT_EQ(Money::parse(QStringLiteral("-0.005"))->cents(), -1);
    EXPECT_EQ(Money::parse(QStringLiteral("0.0049"))->cents(), 0);
    EXPECT_EQ(Money::parse(QStringLiteral(" 1200.50 "))->cents(), 120050);
    EXPECT_EQ(Money::parse(QStringLiteral("999999999999.99"))->cents(), Money::MaxCents);
    EXPECT_FALSE(Money::parse(QStringLiteral("9999999999999")));
    // Rounding must not carry an amount past the largest one (found by fuzzing).
    EXPECT_EQ(Money::parse(QStringLiteral("-999999999999.994"))->cents(), -Money::MaxCents);
    EXPECT_FALSE(Money::parse(QStringLiteral("999999999999.995")));
    EXPECT_FALSE(Money::parse(QStringLiteral("-999999999999.995")));
    EXPECT_FALSE(Money::parse(QStringLiteral("12abc")));
    EXPECT_FALSE(Money::parse(QString()));
    EXPECT_FALSE(Money::parse(QStringLiteral("-")));
    EXPECT_FALSE(Money::parse(QStringLiteral("1,000")));
    EXPECT_FALSE(Money::parse(QStringLiteral("١٢"))); // digits of another script are not amounts
}

TEST(Money, LeadingNumberReadsThePrefix)
{
    EXPECT_EQ(Money::leadingNumber(QStringLiteral("12abc")).cents(), 1200);
    EXPECT_EQ(Money::leadingNumber(QStringLiteral("abc")).cents(), 0);
    EXPECT_EQ(Money::leadingNumber(QStringLiteral("-3.25 (Debit)")).cents(), -325);
    EXPECT_EQ(Money::leadingNumber(QString()).cents(), 0);
    EXPECT_EQ(Money::leadingNumber(QStringLiteral("99999999999999999999999")).cents(), 0);
}

TEST(Money, FormatsPlainAndStandard)
{
    EXPECT_EQ(Money::fromCents(5950).toPlain(), QStringLiteral("59.50"));
    EXPECT_EQ(Money::fromCents(-300).toPlain(), QStringLiteral("-3.00"));
    EXPECT_EQ(Money::fromCents(5).toPlain(), QStringLiteral("0.05"));
    EXPECT_EQ(Money::fromCents(-5).toPlain(), QStringLiteral("-0.05"));
    EXPECT_EQ(Money::fromCents(0).toPlain(), QStringLiteral("0.00"));
    EXPECT_EQ(Money::fromCents(25000000).toStandard(), QStringLiteral("250,000.00"));
    EXPECT_EQ(Money::fromCents(-123456789).toStandard(), QStringLiteral("-1,234,567.89"));
    EXPECT_EQ(Money::fromCents(99999).toStandard(), QStringLiteral("999.99"));
    EXPECT_EQ(Money::fromCents(std::numeric_limits<qint64>::min()).toPlain(), QStringLiteral("-92233720368547758.08"));
}

TEST(Money, SumsExactlyAndSaturates)
{
    QRandomGenerator rng(42);
    Money sum;
    qint64 exact = 0;
    for (int i = 0; i < 100000; ++i) {
        const qint64 cents = qint64(rng.bounded(2000000)) - 1000000;
        sum += Money::fromCents(cents);
        exact += cents;
    }
    EXPECT_EQ(sum.cents(), exact);
    // Text round trip of every sum.
    EXPECT_EQ(Money::parse(sum.toPlain())->cents(), exact);
    const Money big = Money::fromCents(std::numeric_limits<qint64>::max());
    EXPECT_EQ((big + Money::fromCents(1)).cents(), std::numeric_limits<qint64>::max());
    EXPECT_EQ((-Money::fromCents(std::numeric_limits<qint64>::min())).cents(), std::numeric_limits<qint64>::max());
}
