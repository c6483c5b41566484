#include "dates.h"
#include "ledger.h"
#include "sql.h"
#include "summary.h"
#include "systemsettings.h"
#include "yearbook.h"

#include <QLocale>
#include <QSqlQuery>
#include <ctime>
#include <gtest/gtest.h>
#include <random>

using namespace bc;
using bc::test::cents;
using bc::test::YearBook;

namespace {

// The year book with Shop (13) opening at 0 and Loan (14) at -250.00.
struct LedgerBook : YearBook {
    void SetUp() override
    {
        YearBook::SetUp();
        t.addAccount(13, QStringLiteral("Shop"), 2, Money());
        t.addAccount(14, QStringLiteral("Loan"), 5, cents(-25000));
    }

    LedgerResult find(std::optional<qint64> account, QDate from, QDate to)
    {
        return computeLedger(t.book(), {account, from, to, fyStart});
    }

    // Each movement as "date|particulars as listed|signed amount|balance".
    static QStringList movementLines(const LedgerResult &l)
    {
        QStringList out;
        for (const LedgerMovement &m : l.movements)
            out << QStringList{isoDate(m.date), ledgerParticulars(m), m.amount.toPlain(), m.balance.toPlain()}.join(
                u'|');
        return out;
    }
};

} // namespace

TEST_F(LedgerBook, NoAccountSelectedEmptiesTheWorkTablesAndShowsZero)
{
    runSql(t.db(), QStringLiteral("INSERT INTO tmp_Acc_Ldgr (tran_date, amount) VALUES ('2024-01-01', 5)"));
    runSql(t.db(), QStringLiteral("INSERT INTO tmp_amount VALUES (5)"));
    const LedgerResult l = find(std::nullopt, fyStart, QDate(2024, 12, 31));
    EXPECT_TRUE(l.movements.empty());
    EXPECT_EQ(l.openingBalance, Money());
    EXPECT_EQ(l.closingBalance, Money());
    EXPECT_EQ(t.count(QStringLiteral("tmp_Acc_Ldgr")), 0);
    EXPECT_EQ(t.count(QStringLiteral("tmp_amount")), 0);
}

TEST_F(LedgerBook, NegativeOpeningWithoutMovementsIsADebitInBothBoxes)
{
    const LedgerResult l = find(14, QDate(2024, 3, 1), QDate(2024, 3, 31));
    EXPECT_TRUE(l.movements.empty());
    EXPECT_EQ(l.openingBalance, cents(-25000));
    EXPECT_EQ(l.closingBalance, cents(-25000));
}

TEST_F(LedgerBook, OpeningCarriesThePeriodBeforeFromAndRowsRunTheBalance)
{
    t.addTransaction(1, QDate(2023, 12, 31), 11, 10, cents(99900), QStringLiteral("last year")); // before the year
    t.addTransaction(2, fyStart, 11, 10, cents(5000), QStringLiteral("pay")); // on the year start
    t.addTransaction(3, QDate(2024, 1, 31), 10, 12, cents(2500), QStringLiteral("rent")); // day before From
    // From 1 February: opening 100.00 + 50.00 - 25.00 = 125.00.
    t.addTransaction(4, QDate(2024, 2, 1), 10, 13, cents(12500), QStringLiteral("groceries")); // on From
    t.addTransaction(5, QDate(2024, 2, 1), 13, 10, Money(), QStringLiteral("voucher")); // a movement of 0
    t.addTransaction(6, QDate(2024, 2, 29), 11, 10, cents(4000), QStringLiteral("bonus")); // on To
    t.addTransaction(7, QDate(2024, 2, 29), 10, 12, cents(4000), QStringLiteral("rent"));
    t.addTransaction(8, QDate(2024, 3, 1), 11, 10, cents(777), QStringLiteral("after")); // after To

    const LedgerResult l = find(10, QDate(2024, 2, 1), QDate(2024, 2, 29));
    EXPECT_EQ(l.openingBalance, cents(12500));
    // The movements of a day list in the order they were entered.
    EXPECT_EQ(movementLines(l),
              (QStringList{
                  "2024-02-01|To Shop [groceries]|-125.00|0.00",
                  "2024-02-01|By Shop [voucher]|0.00|0.00",
                  "2024-02-29|By Salary [bonus]|40.00|40.00",
                  "2024-02-29|To Rent [rent]|-40.00|0.00",
              }));
    EXPECT_EQ(l.closingBalance, Money());

    ASSERT_EQ(l.movements.size(), 4u);
    EXPECT_EQ(l.movements[3].date, QDate(2024, 2, 29));
    EXPECT_EQ(l.movements[3].particulars, QStringLiteral("Rent [rent]"));
    EXPECT_EQ(l.movements[3].amount, cents(-4000));
    EXPECT_EQ(l.movements[3].balance, Money());

    // The work table keeps the in-period movements for the chart.
    EXPECT_EQ(t.count(QStringLiteral("tmp_Acc_Ldgr")), 4);
}

TEST_F(LedgerBook, FromOnTheYearStartOpensAtTheAccountsOpeningAmount)
{
    t.addTransaction(1, QDate(2023, 12, 31), 11, 10, cents(99900));
    t.addTransaction(2, fyStart, 11, 10, cents(5000));
    const LedgerResult l = find(10, fyStart, fyStart);
    EXPECT_EQ(l.openingBalance, cents(10000));
    EXPECT_EQ(l.closingBalance, cents(15000));
    EXPECT_EQ(l.movements.size(), 1u);
}

TEST_F(LedgerBook, ToBeforeFromListsNothingAndClosesAtTheOpening)
{
    t.addTransaction(1, QDate(2024, 1, 10), 11, 10, cents(5000));
    t.addTransaction(2, QDate(2024, 1, 20), 11, 10, cents(700));
    const LedgerResult l = find(10, QDate(2024, 1, 15), QDate(2024, 1, 5));
    EXPECT_TRUE(l.movements.empty());
    EXPECT_EQ(l.openingBalance, cents(15000));
    EXPECT_EQ(l.closingBalance, cents(15000));
}

TEST_F(LedgerBook, CounterAccountNameAndParticularsAreBothKept)
{
    runSql(t.db(),
           QStringLiteral(
               "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, amount, "
               "particulars, version_date) VALUES (2, '2024-01-03', 11, 'A', 10, 'A', 200, NULL, NULL)"));
    runSql(t.db(), QStringLiteral("INSERT INTO Party_master VALUES (1, 'Landlord')"));
    t.addTransaction(3, QDate(2024, 1, 4), 10, 1, cents(50), QStringLiteral("it's paid"), QStringLiteral("A"),
                     QStringLiteral("P"));
    const LedgerResult l = find(10, fyStart, QDate(2024, 1, 31));
    ASSERT_EQ(l.movements.size(), 2u);
    EXPECT_EQ(ledgerParticulars(l.movements[0]), QStringLiteral("By Salary []"));
    EXPECT_EQ(ledgerParticulars(l.movements[1]), QStringLiteral("To Landlord [it's paid]"));
}

TEST_F(LedgerBook, SecondFindForAnotherAccountLeavesNoTraceOfTheFirst)
{
    t.addTransaction(1, QDate(2024, 1, 5), 11, 10, cents(5000), QStringLiteral("pay"));
    t.addTransaction(2, QDate(2024, 1, 6), 10, 12, cents(1000), QStringLiteral("rent"));
    const LedgerResult first = find(10, fyStart, QDate(2024, 1, 31));
    ASSERT_EQ(first.movements.size(), 2u);

    const LedgerResult second = find(14, fyStart, QDate(2024, 1, 31));
    EXPECT_TRUE(second.movements.empty());
    EXPECT_EQ(second.openingBalance, cents(-25000));
    EXPECT_EQ(second.closingBalance, cents(-25000));
    EXPECT_EQ(t.count(QStringLiteral("tmp_Acc_Ldgr")), 0);

    const LedgerResult rent = find(12, fyStart, QDate(2024, 1, 31));
    EXPECT_EQ(movementLines(rent), (QStringList{"2024-01-06|By Bank [rent]|10.00|10.00"}));
}

TEST_F(LedgerBook, FailingStatementThrowsAndKeepsThePreviousRun)
{
    t.addTransaction(1, QDate(2024, 1, 5), 11, 10, cents(5000));
    find(10, fyStart, QDate(2024, 1, 31));
    bc::test::refuseWrites(t.db(), QStringLiteral("tmp_Acc_Ldgr"), QStringLiteral("INSERT"));
    EXPECT_THROW(find(11, fyStart, QDate(2024, 1, 31)), DbError);
    QSqlQuery q = runSql(t.db(), QStringLiteral("SELECT amount FROM tmp_Acc_Ldgr"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toLongLong(), 5000); // Bank's movement, not Salary's
    EXPECT_FALSE(q.next());
}

TEST_F(LedgerBook, WithoutAYearStartTheOpeningCountsEveryEarlierMovementInAnyLocaleAndZone)
{
    t.addTransaction(1, QDate(2023, 6, 1), 11, 10, cents(5000)); // in, before any year start
    t.addTransaction(2, QDate(2024, 2, 1), 10, 12, cents(3000)); // out
    t.addTransaction(3, QDate(2024, 3, 10), 11, 10, cents(700)); // in, within the range
    const QDate from(2024, 3, 1), to(2024, 3, 31);
    const QLocale locale;
    const QByteArray zone = qgetenv("TZ");
    for (const char *name : {"en_US", "de_DE", "en_GB", "C"}) {
        for (const char *tz : {"UTC", "Pacific/Kiritimati", "America/Adak"}) {
            QLocale::setDefault(QLocale(QLatin1String(name)));
            qputenv("TZ", tz);
            tzset();
            SCOPED_TRACE(std::string(name) + " " + tz);
            // A book with no year start counts every movement before From.
            t.setSetting(QStringLiteral("DTFM"), QStringLiteral("d/M/yyyy"));
            t.setSetting(QStringLiteral("FYST"), QString());
            SystemSettings settings;
            LoadSystemSettings(t.book(), settings);
            EXPECT_FALSE(settings.finYearStart.isValid());
            EXPECT_EQ(settings.defaultFromDate(QDate(2026, 5, 17)), QDate(2026, 1, 1));
            LedgerResult l = computeLedger(t.book(), {10, from, to, settings.finYearStart});
            EXPECT_EQ(l.openingBalance, cents(12000));
            EXPECT_EQ(l.closingBalance, cents(12700));
            SummaryInput in{
                {{10, AccountSide::Account, QStringLiteral("Bank")}}, from, to, settings.finYearStart, {}, {}, {}, {}};
            EXPECT_EQ(computeSummary(t.book(), in).listed.at(0).opening, cents(12000));

            // A short date an older book stored in its own order: 1 July 2023.
            t.setSetting(QStringLiteral("FYST"), QStringLiteral("01/07/2023"));
            LoadSystemSettings(t.book(), settings);
            EXPECT_EQ(settings.finYearStart, QDate(2023, 7, 1));
            l = computeLedger(t.book(), {10, from, to, settings.finYearStart});
            EXPECT_EQ(l.openingBalance, cents(7000));
            t.setSetting(QStringLiteral("DTFM"), QStringLiteral("mm/dd/yyyy"));
            LoadSystemSettings(t.book(), settings);
            EXPECT_EQ(settings.finYearStart, QDate(2023, 1, 7));
            t.setSetting(QStringLiteral("FYST"), QStringLiteral("2023-07-01"));
            LoadSystemSettings(t.book(), settings);
            EXPECT_EQ(settings.finYearStart, QDate(2023, 7, 1));
        }
    }
    QLocale::setDefault(locale);
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
}

TEST_F(LedgerBook, MovementsOfOneDayListInTheOrderTheyWereEntered)
{
    const QDate day(2024, 3, 5);
    t.addTransaction(1, day, 11, 10, cents(5000)); // in
    t.addTransaction(2, day, 10, 12, cents(12000)); // out
    t.addTransaction(3, day, 11, 10, cents(1000)); // in
    t.addTransaction(4, day.addDays(-1), 10, 13, cents(100));
    const LedgerResult l = find(10, day.addDays(-1), day);
    ASSERT_EQ(l.movements.size(), 4u);
    // Bank opens at 100.00: never below zero in the order entered.
    EXPECT_EQ(l.movements[0].balance, cents(9900));
    EXPECT_EQ(l.movements[1].balance, cents(14900));
    EXPECT_EQ(l.movements[2].balance, cents(2900));
    EXPECT_EQ(l.movements[3].balance, cents(3900));
}

TEST_F(LedgerBook, RandomBookMatchesAPlainSum)
{
    std::mt19937 random(20240101);
    std::uniform_int_distribution<int> account(10, 14);
    std::uniform_int_distribution<int> day(-30, 400);
    std::uniform_int_distribution<qint64> amount(-50000, 500000);
    TransactionGuard bulk(t.db());
    for (int id = 1; id <= 400; ++id) {
        const QDate date = fyStart.addDays(day(random));
        if (id % 37 == 0)
            runSql(t.db(),
                   QStringLiteral(
                       "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, "
                       "amount, particulars, version_date) VALUES (?, ?, ?, 'A', ?, 'A', NULL, '', NULL)"),
                   {id, isoDate(date), account(random), account(random)});
        else
            t.addTransaction(id, date, account(random), account(random), cents(amount(random)));
    }
    bulk.commit();

    const QDate from(2024, 4, 1), to(2024, 9, 30);
    for (qint64 acc = 10; acc <= 14; ++acc) {
        // The plain sums: every transaction read once, its sign per side.
        QSqlQuery all = runSql(t.db(),
                               QStringLiteral("SELECT tran_date, from_acc, to_acc, amount FROM transaction_master"));
        qint64 opening = acc == 10 ? 10000 : acc == 14 ? -25000 : 0;
        qint64 movement = 0;
        int count = 0;
        while (all.next()) {
            const QDate date = fromIsoDate(all.value(0).toString());
            const qint64 a = all.value(3).toLongLong();
            const bool out = all.value(1).toLongLong() == acc;
            const bool in = all.value(2).toLongLong() == acc;
            const qint64 signedAmount = (in ? a : 0) - (out ? a : 0);
            if (date >= fyStart && date < from) {
                opening += signedAmount;
            } else if (date >= from && date <= to) {
                movement += signedAmount;
                count += int(out) + int(in); // a transfer to itself lists twice
            }
        }
        const LedgerResult l = find(acc, from, to);
        EXPECT_EQ(l.openingBalance, cents(opening)) << acc;
        EXPECT_EQ(l.closingBalance, cents(opening + movement)) << acc;
        EXPECT_EQ(int(l.movements.size()), count) << acc;
        Money running = l.openingBalance;
        for (size_t i = 0; i < l.movements.size(); ++i) {
            running += l.movements[i].amount;
            EXPECT_EQ(l.movements[i].balance, running);
            if (i > 0) {
                EXPECT_LE(l.movements[i - 1].date, l.movements[i].date);
            }
        }
    }
}
