#include "amountsum.h"
#include "engine.h"
#include "sql.h"
#include "testbook.h"
#include "transactionpages.h"

#include <QRandomGenerator>
#include <algorithm>
#include <future>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;

namespace {

QStringList rowTexts(const RowArray &rows)
{
    QStringList out;
    for (int r = 0; r < rows.rowCount(); ++r) {
        QStringList cells;
        // The version is read by the pages only.
        for (int c = 0; c < TranCol::Version; ++c)
            cells << (rows.isNull(r, c) ? QStringLiteral("<null>") : rows.textAt(r, c));
        out << cells.join(u'|');
    }
    return out;
}

// Transactions among twelve accounts (so "A10" sorts before "A9" as text),
// on few dates, with repeated amounts and particulars, some amounts null.
void fillRandomBook(TestBook &t, QRandomGenerator &random)
{
    runSql(t.db(), QStringLiteral("BEGIN"));
    for (int a = 1; a <= 12; ++a)
        t.addAccount(100 + a, QStringLiteral("Account %1").arg(a), 4, Money());
    const QStringList particulars{QString(),
                                  QStringLiteral("Rent"),
                                  QStringLiteral("rent paid"),
                                  QStringLiteral("Bank fee"),
                                  QStringLiteral("zeta"),
                                  QStringLiteral("Äpfel")};
    for (int id = 1; id <= 400; ++id) {
        const qint64 from = 101 + random.bounded(12);
        const qint64 to = 101 + (from - 101 + 1 + random.bounded(11)) % 12;
        t.addTransaction(id * 3, QDate(2026, 1, 1).addDays(random.bounded(40)), from, to,
                         Money::fromCents((random.bounded(21) - 5) * 250), particulars[random.bounded(6)]);
    }
    runSql(t.db(), QStringLiteral("UPDATE transaction_master SET amount = NULL WHERE tran_id % 7 = 0"));
    runSql(t.db(), QStringLiteral("UPDATE transaction_master SET particulars = NULL WHERE tran_id % 5 = 0"));
    runSql(t.db(), QStringLiteral("COMMIT"));
}

TranSearch randomSearch(QRandomGenerator &random)
{
    TranSearch s;
    s.applyDates = random.bounded(2);
    s.fromDate = QDate(2026, 1, 1).addDays(random.bounded(20));
    s.toDate = s.fromDate.addDays(random.bounded(30));
    if (random.bounded(3) == 0)
        s.fromAccount = 101 + random.bounded(12), s.fromSide = AccountSide::Account;
    if (random.bounded(3) == 0)
        s.toAccount = 101 + random.bounded(12), s.toSide = AccountSide::Account;
    if (random.bounded(3) == 0)
        s.amount1 = QString::number(random.bounded(20) - 5);
    if (random.bounded(3) == 0)
        s.amount2 = QString::number(random.bounded(40));
    const QStringList texts{QString(), QStringLiteral("  "), QStringLiteral("ent"), QStringLiteral(" RENT "),
                            QStringLiteral("fee")};
    s.particulars = texts[random.bounded(5)];
    // The accounts of a statement's total: either side naming one of them;
    // parties among them, and none at all, find nothing of their own.
    if (random.bounded(3) == 0) {
        QList<AccountKey> keys;
        for (int i = random.bounded(5); i > 0; --i)
            keys << AccountKey{AccountSide::Account, 101 + random.bounded(12)};
        if (random.bounded(2))
            keys << AccountKey{AccountSide::Party, 101 + random.bounded(12)};
        s.anySide = keys;
    }
    return s;
}

// The rows of the search without its accounts that name one of them on
// either side: what a search over the accounts must find, in its order.
RowArray rowsNamingAny(const Book &book, const TranSearch &search, const QList<AccountKey> &keys)
{
    TranSearch plain = search;
    plain.anySide.reset();
    const RowArray all = findTransactions(book, plain).rows;
    RowArray kept = makeTranRows();
    for (int r = 0; r < all.rowCount(); ++r) {
        const bool named = std::any_of(keys.begin(), keys.end(), [&](const AccountKey &key) {
            return all.textAt(r, TranCol::From) == key.toText() || all.textAt(r, TranCol::To) == key.toText();
        });
        if (!named)
            continue;
        const int k = kept.appendRow();
        for (int c = 0; c < TranCol::Count; ++c)
            kept.setCell(k, c, all.cell(r, c));
    }
    return kept;
}

} // namespace

// Every order the grid's headers give, read in pages of random sizes, holds
// exactly the rows of findTransactions, in the order the grid's own sort puts
// them (ties by id in the same direction); the aggregate agrees with them.
TEST(TranPages, PagesHoldTheRowsOfTheSearchInEveryOrder)
{
    for (const quint32 seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
        QRandomGenerator random(seed);
        TestBook t;
        fillRandomBook(t, random);
        for (int round = 0; round < 6; ++round) {
            const TranSearch search = randomSearch(random);
            const TranFindResult found = findTransactions(t.book(), search);
            const TranFindTotals totals = findTransactionTotals(t.book(), search);
            EXPECT_EQ(totals.rows, found.rows.rowCount()) << seed;
            EXPECT_EQ(totals.total, found.total) << seed;
            EXPECT_EQ(totals.nullAmounts, found.nullAmounts) << seed;
            if (search.anySide) {
                EXPECT_EQ(rowTexts(found.rows), rowTexts(rowsNamingAny(t.book(), search, *search.anySide))) << seed;
            }
            for (const int column : {int(TranCol::Date), int(TranCol::To), int(TranCol::From), int(TranCol::Amount),
                                     int(TranCol::Particulars)}) {
                for (const SortDirection direction : {SortDirection::Ascending, SortDirection::Descending}) {
                    RowArray expected = found.rows;
                    if (column != TranCol::Date || direction != SortDirection::Ascending) {
                        expected.sortRows(TranCol::Id, direction);
                        expected.sortRows(column, direction);
                    }
                    TranPager pager(t.book(), search, {column, direction});
                    RowArray paged = makeTranRows();
                    while (!pager.atEnd())
                        pager.fetch(paged, 1 + random.bounded(60));
                    EXPECT_EQ(rowTexts(paged), rowTexts(expected))
                        << "seed " << seed << " column " << column << " descending "
                        << (direction == SortDirection::Descending);
                }
            }
        }
    }
}

// The aggregate refuses a total past the range of cents as the search does.
TEST(TranPages, TotalsRefuseAnOverflowAndNameTheSavedRowsTheSearchFinds)
{
    TestBook t;
    t.addAccount(10, QStringLiteral("Bank"), 4, Money());
    t.addAccount(11, QStringLiteral("Rent"), 2, Money());
    t.addTransaction(1, QDate(2026, 1, 5), 10, 11, Money::fromCents(500), QStringLiteral("rent"));
    t.addTransaction(2, QDate(2026, 2, 5), 11, 10, Money::fromCents(700), QStringLiteral("refund"));
    TranSearch january;
    january.applyDates = true;
    january.fromDate = QDate(2026, 1, 1);
    january.toDate = QDate(2026, 1, 31);
    EXPECT_EQ(transactionsFoundAmong(t.book(), january, {1, 2, 9}), QSet<qint64>{1});

    // A server's kept monthly balances refuse a month whose sum leaves the
    // range, so there the rows are spread over a hundred months.
    runSql(t.db(),
           QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 FROM n WHERE i < 100002) "
                          "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, "
                          "amount) SELECT i, %1, 10, 'A', 11, 'A', ? FROM n")
               .arg(test::forEngine(t.db(), QStringLiteral("'2026-03-01'"),
                                    QStringLiteral("DATE '2026-03-01' + CAST(i % 3000 AS integer)"))),
           {Money::MaxCents});
    try {
        findTransactionTotals(t.book(), TranSearch());
        FAIL() << "no refusal";
    } catch (const DbError &e) {
        EXPECT_EQ(e.description(), amountsTooLarge(QStringLiteral("the total of the transactions found")));
    }
}

// The window's totals are added up on a connection of their own, opened by
// the book's location, a server's as well as a file's.
TEST(TranPages, BackgroundTotalsAddUpOnAConnectionOfTheirOwn)
{
    TestBook t;
    t.addAccount(10, QStringLiteral("Bank"), 4, Money());
    t.addAccount(11, QStringLiteral("Rent"), 2, Money());
    t.addTransaction(1, QDate(2026, 1, 5), 10, 11, Money::fromCents(500));
    t.addTransaction(2, QDate(2026, 2, 5), 11, 10, Money::fromCents(700));
    std::promise<TranTotalsOutcome> delivered;
    std::future<TranTotalsOutcome> arrival = delivered.get_future();
    const TranTotalsInBackground totals(t.path(), TranSearch(),
                                        [&](const TranTotalsOutcome &o) { delivered.set_value(o); });
    ASSERT_EQ(arrival.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    const TranTotalsOutcome outcome = arrival.get();
    EXPECT_EQ(outcome.error, QString());
    EXPECT_EQ(outcome.totals.rows, 2);
    EXPECT_EQ(outcome.totals.total, Money::fromCents(1200));
}
