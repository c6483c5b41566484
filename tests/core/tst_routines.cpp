#include "dates.h"
#include "textroutines.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace bc;

TEST(NullToText, EmptiesNullZeroAndTrims)
{
    EXPECT_EQ(NullToText(QVariant()), QString());
    EXPECT_EQ(NullToText(QVariant(0)), QString());
    EXPECT_EQ(NullToText(QStringLiteral("0")), QString());
    EXPECT_EQ(NullToText(QStringLiteral(" 0 ")), QString());
    EXPECT_EQ(NullToText(QStringLiteral("  x  ")), QStringLiteral("x"));
    EXPECT_EQ(NullToText(QStringLiteral("0.00")), QStringLiteral("0.00"));
    EXPECT_EQ(NullToText(QVariant(12.5)), QStringLiteral("12.5"));
    EXPECT_EQ(NullToText(QVariant::fromValue(QList<int>{1})), QString()); // no text form
}

TEST(AmountKeyFilter, AcceptsDigitsSignAndOneDecimalPoint)
{
    EXPECT_EQ(AmountKeyFilter('.', QStringLiteral("12"), false), 0);
    EXPECT_EQ(AmountKeyFilter('.', QStringLiteral("12"), true), '.');
    EXPECT_EQ(AmountKeyFilter('.', QStringLiteral("12.5"), true), 0);
    EXPECT_EQ(AmountKeyFilter('-', QStringLiteral("12"), true), '-'); // at any position, once
    EXPECT_EQ(AmountKeyFilter('-', QStringLiteral("-12"), true), 0);
    EXPECT_EQ(AmountKeyFilter('a', QString(), true), 0);
    EXPECT_EQ(AmountKeyFilter('7', QString(), true), '7');
    EXPECT_EQ(AmountKeyFilter(' ', QString(), true), 0);
    EXPECT_EQ(AmountKeyFilter(8, QStringLiteral("1.2"), true), 8); // Backspace
    EXPECT_EQ(AmountKeyFilter(13, QStringLiteral("1.2"), true), 13); // Enter
    EXPECT_EQ(AmountKeyFilter(0x20AC, QString(), true), 0); // euro sign
    EXPECT_EQ(AmountKeyFilter(-5, QString(), true), 0);
}

TEST(BuiltInAccounts, ExactUpperCaseNamesOnly)
{
    for (const char *name : {"RST", "SC", "CST", "CASH", "SALES", "PURCHASE"})
        EXPECT_TRUE(isBuiltInAccountName(QLatin1String(name))) << name;
    EXPECT_FALSE(isBuiltInAccountName(QStringLiteral("Cash")));
    EXPECT_FALSE(isBuiltInAccountName(QStringLiteral("CASH ")));
    EXPECT_FALSE(isBuiltInAccountName(QString()));
}

TEST(ToQueryDate, DayFirstSwapsPiecesAsTyped)
{
    const QString dayFirst = QStringLiteral("d/M/yyyy");
    EXPECT_EQ(ToQueryDate(QStringLiteral("31/1/2024"), dayFirst), QStringLiteral("1/31/2024"));
    EXPECT_EQ(ToQueryDate(QStringLiteral("25/12/2023"), dayFirst), QStringLiteral("12/25/2023"));
    EXPECT_EQ(ToQueryDate(QStringLiteral("5/3/2023"), dayFirst), QStringLiteral("3/5/2023"));
    EXPECT_EQ(ToQueryDate(QString(), dayFirst), QStringLiteral(" "));
    EXPECT_EQ(ToQueryDate(QStringLiteral("0"), dayFirst), QStringLiteral(" "));
    EXPECT_FALSE(ToQueryDate(QStringLiteral("31/1"), dayFirst).has_value());
    // "dd/mm/yyyy" is a day-first value too.
    EXPECT_EQ(ToQueryDate(QStringLiteral("5/3/2023"), QStringLiteral("dd/mm/yyyy")), QStringLiteral("3/5/2023"));
}

TEST(ToQueryDate, MonthFirstZeroFills)
{
    for (const char *format : {"M/d/yyyy", "mm/dd/yyyy"}) {
        const QString f = QLatin1String(format);
        EXPECT_EQ(ToQueryDate(QStringLiteral("1/31/2024"), f), QStringLiteral("01/31/2024"));
        EXPECT_EQ(ToQueryDate(QStringLiteral("12/5/2024"), f), QStringLiteral("12/05/2024"));
        EXPECT_EQ(ToQueryDate(QStringLiteral("not a date"), f), QStringLiteral("not a date"));
        EXPECT_EQ(ToQueryDate(QStringLiteral("2/30/2024"), f), QStringLiteral("2/30/2024"));
        EXPECT_EQ(ToQueryDate(QString(), f), QString());
    }
}

TEST(IsValidDate, FollowsTheUsersOrderAndTheStrictCheck)
{
    EXPECT_TRUE(IsValidDate(QStringLiteral("31/12/2024"), QStringLiteral("d/M/yyyy")));
    EXPECT_FALSE(IsValidDate(QStringLiteral("12/31/2024"), QStringLiteral("d/M/yyyy")));
    EXPECT_TRUE(IsValidDate(QStringLiteral("12/31/2024"), QStringLiteral("M/d/yyyy")));
    EXPECT_FALSE(IsValidDate(QStringLiteral("29/2/2023"), QStringLiteral("d/M/yyyy")));
    EXPECT_TRUE(IsValidDate(QStringLiteral("29/2/2024"), QStringLiteral("d/M/yyyy")));
    EXPECT_FALSE(IsValidDate(QString(), QStringLiteral("d/M/yyyy")));
    const QString strict = QStringLiteral("dd/mm/yyyy");
    EXPECT_TRUE(IsValidDate(QStringLiteral("31/12/2024"), strict));
    EXPECT_FALSE(IsValidDate(QStringLiteral("31//2024"), strict));
    EXPECT_FALSE(IsValidDate(QStringLiteral("31/12"), strict)); // too few pieces: invalid, not a crash
    EXPECT_FALSE(IsValidDate(QStringLiteral("   "), strict));
}

TEST(UserDates, ParseOneOrTwoDigitsAndFormat)
{
    const QString dayFirst = QStringLiteral("d/M/yyyy"), monthFirst = QStringLiteral("M/d/yyyy");
    EXPECT_EQ(parseUserDate(QStringLiteral("31/12/2024"), dayFirst), QDate(2024, 12, 31));
    EXPECT_EQ(parseUserDate(QStringLiteral("1/2/2024"), dayFirst), QDate(2024, 2, 1));
    EXPECT_EQ(parseUserDate(QStringLiteral("1/2/2024"), monthFirst), QDate(2024, 1, 2));
    EXPECT_EQ(parseUserDate(QStringLiteral("01-02-24"), dayFirst), QDate(2024, 2, 1));
    EXPECT_FALSE(parseUserDate(QStringLiteral("32/1/2024"), dayFirst).isValid());
    EXPECT_FALSE(parseUserDate(QStringLiteral("1/2/2024x"), dayFirst).isValid());
    EXPECT_EQ(formatUserDate(QDate(2006, 3, 5), dayFirst), QStringLiteral("5/3/2006"));
    EXPECT_EQ(formatUserDate(QDate(2006, 3, 5), monthFirst), QStringLiteral("3/5/2006"));
    EXPECT_EQ(formatReportDate(QDate(2006, 3, 5), dayFirst), QStringLiteral("05/03/2006"));
    EXPECT_EQ(formatReportDate(QDate(2006, 3, 5), monthFirst), QStringLiteral("03/05/2006"));
    EXPECT_EQ(formatReportDate(QDate(2006, 3, 5), QStringLiteral("mm/dd/yyyy")), QStringLiteral("03/05/2006"));
}

TEST(ShortDates, RoundTripInEveryLocaleAndReadIso)
{
    const QDate date(2024, 4, 1);
    for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale(QLocale::German)}) {
        QLocale::setDefault(locale);
        const QString text = shortDateText(date);
        EXPECT_TRUE(text.contains(QLatin1String("2024"))) << text.toStdString();
        EXPECT_EQ(parseShortDate(text), date) << text.toStdString();
        EXPECT_EQ(parseShortDate(QStringLiteral("2024-04-01")), date);
        EXPECT_FALSE(parseShortDate(QStringLiteral(" ")).isValid());
    }
    QLocale::setDefault(QLocale::c());
    // Stored dates are exactly ten characters: a line break after one is not
    // the same date (found by fuzzing).
    EXPECT_EQ(fromIsoDate(QStringLiteral("2024-02-22")), QDate(2024, 2, 22));
    EXPECT_FALSE(fromIsoDate(QStringLiteral("2024-02-22\n")).isValid());
    EXPECT_FALSE(fromIsoDate(QStringLiteral("2024-02-22 ")).isValid());
}
