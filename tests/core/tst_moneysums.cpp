// Sums of money over many random amounts (200,000; a million in the soak
// run), and amounts at the extremes the
// amount column accepts: every total must equal the exact integer sum to the
// cent, and every amount must format as what it is.
#include "balancetext.h"
#include "dates.h"
#include "ledger.h"
#include "periodbalances.h"
#include "serverbooks.h"
#include "soak.h"
#include "sql.h"
#include "summary.h"
#include "testbook.h"
#include "transactions.h"

#include <QSqlDriver>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sqlite3.h>

using namespace bc;
using bc::test::TestBook;

namespace {

Money cents(qint64 c)
{
    return Money::fromCents(c);
}

struct Transaction {
    qint64 id, source, target, cents;
    QDate date;
};

// The same on a server book: the rows go in as arrays, 100,000 at a time,
// with the triggers set aside and the kept balances filled in one pass after.
void insertOnServer(TestBook &t, const std::vector<Transaction> &transactions)
{
    const QSqlDatabase db = t.db();
    TransactionGuard transaction(db);
    runSql(db, QStringLiteral("ALTER TABLE transaction_master DISABLE TRIGGER USER"));
    constexpr size_t Piece = 100000;
    for (size_t first = 0; first < transactions.size(); first += Piece) {
        QStringList ids, dates, sources, targets, amounts;
        for (size_t i = first; i < std::min(transactions.size(), first + Piece); ++i) {
            const Transaction &tr = transactions[i];
            ids << QString::number(tr.id);
            dates << isoDate(tr.date);
            sources << QString::number(tr.source);
            targets << QString::number(tr.target);
            amounts << QString::number(tr.cents);
        }
        const auto array = [](const QStringList &items) { return u'{' + items.join(u',') + u'}'; };
        runSql(db,
               QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount, particulars) SELECT i, d, s, 'A', g, 'A', c, 't' || i "
                              "FROM unnest(CAST(? AS bigint[]), CAST(? AS date[]), CAST(? AS bigint[]), "
                              "CAST(? AS bigint[]), CAST(? AS bigint[])) AS r(i, d, s, g, c)"),
               {array(ids), array(dates), array(sources), array(targets), array(amounts)});
    }
    // The foreign keys' checks wait for the commit, and a table with checks
    // waiting cannot be altered: they run now.
    runSql(db, QStringLiteral("SET CONSTRAINTS ALL IMMEDIATE"));
    runSql(db, QStringLiteral("ALTER TABLE transaction_master ENABLE TRIGGER USER"));
    fillPeriodBalances(db);
    transaction.commit();
}

// Inserts transactions through SQLite's own interface: a million rows go in
// within seconds, where binding through Qt takes many times longer.
void insertTransactions(TestBook &t, const std::vector<Transaction> &transactions)
{
    if (bc::test::testsOnServer()) {
        insertOnServer(t, transactions);
        return;
    }
    const QVariant handle = t.db().driver()->handle();
    sqlite3 *connection = *static_cast<sqlite3 *const *>(handle.data());
    // Set-up only: a cache that holds the whole insert, and no waiting for
    // the disk, which would otherwise dominate the test's time.
    runSql(t.db(), QStringLiteral("PRAGMA synchronous = OFF"));
    runSql(t.db(), QStringLiteral("PRAGMA cache_size = -400000"));
    TransactionGuard transaction(t.db());
    sqlite3_stmt *insert = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(connection,
                           "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, "
                           "amount, particulars, version_date) VALUES (?, ?, ?, 'A', ?, 'A', ?, ?, NULL)",
                           -1, &insert, nullptr),
        SQLITE_OK);
    for (const Transaction &tr : transactions) {
        const QByteArray date = isoDate(tr.date).toLatin1();
        const QByteArray particulars = "t" + QByteArray::number(tr.id);
        sqlite3_bind_int64(insert, 1, tr.id);
        sqlite3_bind_text(insert, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 3, tr.source);
        sqlite3_bind_int64(insert, 4, tr.target);
        sqlite3_bind_int64(insert, 5, tr.cents);
        sqlite3_bind_text(insert, 6, particulars.constData(), int(particulars.size()), SQLITE_TRANSIENT);
        ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    transaction.commit();
    runSql(t.db(), QStringLiteral("PRAGMA synchronous = FULL"));
}

} // namespace

TEST(MoneySums, ManyRandomAmountsSumExactlyInLedgerAndSummary)
{
    TestBook t;
    // Every transaction moves money between CASH (4) and one of the other
    // five built-in accounts, either way round; a tenth are dated before the
    // report range, so they reach the opening balances.
    const QDate fyStart(2023, 1, 1), from(2024, 1, 1), to(2024, 12, 31);
    std::mt19937_64 random(1000000);
    std::uniform_int_distribution<qint64> amount(-1000000000, 1000000000); // ±10 million
    std::uniform_int_distribution<int> day(0, 365), earlyDay(0, 364), other(0, 4), coin(0, 1), early(0, 9);
    const qint64 others[] = {1, 2, 3, 5, 6};
    std::map<qint64, qint64> openingCents, movementCents; // exact, per account
    std::vector<Transaction> rows;
    const qint64 count = bc::test::soakRun() ? 1000000 : 200000;
    rows.reserve(std::size_t(count));
    for (qint64 id = 1; id <= count; ++id) {
        const qint64 cents = amount(random);
        const qint64 counter = others[other(random)];
        const bool cashPays = coin(random) == 1;
        const qint64 source = cashPays ? 4 : counter, target = cashPays ? counter : 4;
        const bool before = early(random) == 0;
        const QDate date = before ? fyStart.addDays(earlyDay(random)) : from.addDays(day(random)); // 2023 or 2024
        auto &bucket = before ? openingCents : movementCents;
        bucket[source] -= cents;
        bucket[target] += cents;
        rows.push_back({id, source, target, cents, date});
    }
    // Numbered in date order, as a book fills up: the indexes then grow at
    // their ends and the insert stays quick.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Transaction &a, const Transaction &b) { return a.date < b.date; });
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].id = qint64(i) + 1;
    insertTransactions(t, rows);
    if (HasFatalFailure())
        return;
    rows.clear();

    const LedgerResult ledger = computeLedger(t.book(), {qint64(4), from, to, fyStart});
    EXPECT_EQ(ledger.openingBalance.cents(), openingCents[4]);
    EXPECT_EQ(ledger.closingBalance.cents(), openingCents[4] + movementCents[4]);
    ASSERT_FALSE(ledger.movements.empty());
    qint64 running = openingCents[4];
    for (const LedgerMovement &m : ledger.movements)
        running += m.amount.cents();
    EXPECT_EQ(running, openingCents[4] + movementCents[4]);
    EXPECT_EQ(ledger.movements.back().balance.cents(), running);

    SummaryInput in;
    for (qint64 id = 1; id <= 6; ++id)
        in.accounts.push_back({id, AccountSide::Account, QString::number(id)});
    in.fromDate = from;
    in.toDate = to;
    in.finYearStart = fyStart;
    const SummaryResult summary = computeSummary(t.book(), in);
    ASSERT_EQ(summary.listed.size(), 6u);
    qint64 totalOpening = 0, totalMovement = 0;
    for (const SummaryRow &row : summary.listed) {
        EXPECT_EQ(row.opening.cents(), openingCents[row.accountId]) << row.accountId;
        EXPECT_EQ(row.movement.cents(), movementCents[row.accountId]) << row.accountId;
        EXPECT_EQ(row.balance.cents(), openingCents[row.accountId] + movementCents[row.accountId]);
        totalOpening += row.opening.cents();
        totalMovement += row.movement.cents();
    }
    // Money only moves between the six accounts, so the totals cancel exactly.
    EXPECT_EQ(totalOpening, 0);
    EXPECT_EQ(totalMovement, 0);
    EXPECT_EQ(summary.totalOpening.cents(), 0);
    EXPECT_EQ(summary.totalMovement.cents(), 0);
    EXPECT_EQ(summary.totalBalance.cents(), 0);
}

TEST(MoneySums, LargestAndNegativeAmountsFormatAndSum)
{
    const Money top = cents(Money::MaxCents), bottom = cents(-Money::MaxCents);
    EXPECT_EQ(top.toPlain(), QStringLiteral("999999999999.99"));
    EXPECT_EQ(top.toStandard(), QStringLiteral("999,999,999,999.99"));
    EXPECT_EQ(bottom.toPlain(), QStringLiteral("-999999999999.99"));
    EXPECT_EQ(bottom.toStandard(), QStringLiteral("-999,999,999,999.99"));
    EXPECT_EQ(Money::parse(top.toPlain()), top);
    EXPECT_EQ(Money::parse(bottom.toPlain()), bottom);
    EXPECT_EQ(cents(-1).toPlain(), QStringLiteral("-0.01"));
    EXPECT_EQ(cents(-100000).toStandard(), QStringLiteral("-1,000.00"));

    // Top (10) opens at the largest amount and Bottom (11) at its negative;
    // four transfers of the largest amount go into Top, and three of its
    // negative into Bottom, all from Other (12).
    TestBook t;
    t.addAccount(10, QStringLiteral("Top"), 4, top);
    t.addAccount(11, QStringLiteral("Bottom"), 5, bottom);
    t.addAccount(12, QStringLiteral("Other"), 1, Money());
    const QDate day(2024, 3, 1);
    for (int i = 0; i < 4; ++i)
        t.addTransaction(1 + i, day.addDays(i), 12, 10, top);
    for (int i = 0; i < 3; ++i)
        t.addTransaction(5 + i, day.addDays(i), 12, 11, bottom);
    const QDate fyStart(2024, 1, 1);

    const LedgerResult credit = computeLedger(t.book(), {qint64(10), day, day.addDays(9), fyStart});
    EXPECT_EQ(credit.closingBalance.cents(), 5 * Money::MaxCents);
    ASSERT_EQ(credit.movements.size(), 4u);
    EXPECT_EQ(credit.movements[0].amount.toPlain(), QStringLiteral("999999999999.99"));
    EXPECT_EQ(runningBalanceText(credit.movements[3].balance), QStringLiteral("4999999999999.95 (Credit)"));

    const LedgerResult debit = computeLedger(t.book(), {qint64(11), day, day.addDays(9), fyStart});
    EXPECT_EQ(debit.openingBalance.cents(), -Money::MaxCents);
    EXPECT_EQ(debit.closingBalance.cents(), -4 * Money::MaxCents);
    ASSERT_EQ(debit.movements.size(), 3u);
    EXPECT_TRUE(ledgerParticulars(debit.movements[0]).startsWith(QLatin1String("To ")));
    EXPECT_EQ(debit.movements[0].amount.cents(), -Money::MaxCents);
    EXPECT_EQ(runningBalanceText(debit.movements[2].balance), QStringLiteral("3999999999999.96  (Debit)"));

    SummaryInput in;
    in.accounts = {{10, AccountSide::Account, QStringLiteral("Top")},
                   {11, AccountSide::Account, QStringLiteral("Bottom")},
                   {12, AccountSide::Account, QStringLiteral("Other")}};
    in.fromDate = day;
    in.toDate = day.addDays(9);
    in.finYearStart = fyStart;
    const SummaryResult summary = computeSummary(t.book(), in);
    ASSERT_EQ(summary.listed.size(), 3u);
    EXPECT_EQ(summary.listed[0].balance.cents(), 5 * Money::MaxCents);
    EXPECT_EQ(summary.listed[1].balance.cents(), -4 * Money::MaxCents);
    EXPECT_EQ(summary.listed[2].movement.cents(), -Money::MaxCents);
    EXPECT_EQ(summary.listed[2].balance.toPlain(), QStringLiteral("-999999999999.99"));
    EXPECT_EQ(summary.totalOpening.cents(), 0);
    EXPECT_EQ(summary.totalMovement.cents(), 0);
    EXPECT_EQ(summary.totalBalance.cents(), 0);
}

TEST(MoneySums, SumsPastTheRangeOfCentsAreRefusedNamingWhat)
{
    // Amounts past the range of the typed tables: only a book of format 1,
    // shown read-only, can hold them.
    TestBook t(TestBook::Kind::Format1ReadOnly);
    t.addAccount(10, QStringLiteral("Top"), 4, Money());
    t.addAccount(11, QStringLiteral("Bottom"), 4, Money());
    // Amounts another program wrote: each fits, three together do not.
    const qint64 big = 4'000'000'000'000'000'000LL;
    for (int i = 1; i <= 3; ++i)
        t.addTransaction(i, QDate(2024, 3, i), 11, 10, cents(big));
    const QString format = QString::fromLatin1(DayFirstFormat);
    const auto refusal = [](auto &&run) {
        try {
            run();
        } catch (const DbError &e) {
            return e.description();
        }
        return QStringLiteral("no refusal");
    };
    EXPECT_EQ(refusal([&] {
                  computeLedger(t.book(), {qint64(10), QDate(2024, 3, 1), QDate(2024, 3, 31), QDate()});
              }),
              QStringLiteral("The amounts are too large to add up: the running balance of the ledger on 2024-03-03."));
    EXPECT_EQ(refusal([&] {
                  computeLedger(t.book(), {qint64(10), QDate(2024, 4, 1), QDate(2024, 4, 30), QDate()});
              }),
              QStringLiteral("The amounts are too large to add up: the opening balance of the ledger."));
    SummaryInput in;
    in.accounts = {{10, AccountSide::Account, QStringLiteral("Top")}};
    in.fromDate = QDate(2024, 3, 1);
    in.toDate = QDate(2024, 3, 31);
    EXPECT_EQ(refusal([&] { computeSummary(t.book(), in); }),
              QStringLiteral("The amounts are too large to add up: the movements of the chosen accounts."));
    EXPECT_EQ(refusal([&] { findTransactions(t.book(), TranSearch{}); }),
              QStringLiteral("The amounts are too large to add up: the total of the transactions found."));

    // Two accounts that each fit but whose balances together do not.
    runSql(t.writer(), QStringLiteral("DELETE FROM transaction_master WHERE tran_id = 3"));
    t.addAccount(12, QStringLiteral("Third"), 4, Money());
    t.addTransaction(3, QDate(2024, 3, 3), 11, 12, cents(big));
    in.accounts = {{10, AccountSide::Account, QStringLiteral("Top")},
                   {12, AccountSide::Account, QStringLiteral("Third")}};
    EXPECT_EQ(refusal([&] { computeSummary(t.book(), in); }),
              QStringLiteral("The amounts are too large to add up: the total of the movements."));
}
