#include "dates.h"
#include "engine.h"
#include "failinginserts.h"
#include "hostiletext.h"
#include "sql.h"
#include "testbook.h"
#include "transactions.h"
#include "tranwriter.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;

namespace {

const QDateTime Now(QDate(2026, 12, 7), QTime(10, 30, 0));

void addRow(RowArray &rows, qint64 id, const QDate &date, const QString &to, const QString &from, qint64 cents,
            const QString &particulars = {}, bool marked = true)
{
    const int r = rows.appendRow();
    rows.setInt(r, TranCol::Id, id);
    rows.setDate(r, TranCol::Date, date);
    if (!to.isEmpty())
        rows.setText(r, TranCol::To, to);
    if (!from.isEmpty())
        rows.setText(r, TranCol::From, from);
    if (cents)
        rows.setMoney(r, TranCol::Amount, Money::fromCents(cents));
    rows.setText(r, TranCol::Particulars, particulars);
    rows.setEditMark(r, TranCol::Status, marked ? EditMark::Changed : EditMark::Unchanged);
}

QStringList stored(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, amount, "
                                        "particulars, version_date FROM transaction_master ORDER BY tran_id"));
    QStringList out;
    while (q.next()) {
        QStringList f;
        for (int i = 0; i < 9; ++i)
            f << q.value(i).toString();
        out << f.join(u'|');
    }
    return out;
}

struct TranBook : ::testing::Test {
    TestBook t;
    QSqlDatabase db() { return t.db(); }
    Book &book() { return t.book(); }
    void SetUp() override
    {
        t.addAccount(10, QStringLiteral("Bank"), 4, Money());
        t.addAccount(11, QStringLiteral("Rent"), 2, Money());
        runSql(db(), QStringLiteral("INSERT INTO Party_master VALUES (3, 'Landlord Ltd')"));
    }
};

} // namespace

TEST(TranSearchArguments, EveryCriterionOffAndEachOn)
{
    TranSearch s;
    const QString blank = QStringLiteral(" ");
    EXPECT_EQ(tranSearchArguments(s), (QVariantList{blank, blank, 0, blank, 0, blank, 0, 0, blank}));
    s.particulars = QStringLiteral("rent");
    EXPECT_EQ(tranSearchArguments(s)[8], QVariant(QStringLiteral("rent ")));
    s.particulars = QStringLiteral("  0  "); // cleaned like any database text
    EXPECT_EQ(tranSearchArguments(s)[8], QVariant(blank));
    s = TranSearch();
    s.applyDates = true;
    s.fromDate = QDate(2024, 1, 1);
    s.toDate = QDate(2024, 1, 31);
    s.fromAccount = 10;
    s.fromSide = AccountSide::Account;
    s.amount1 = QStringLiteral("12abc");
    s.amount2 = QStringLiteral("  ");
    const QVariantList a = tranSearchArguments(s);
    EXPECT_EQ(parseShortDate(a[0].toString()), QDate(2024, 1, 1));
    EXPECT_EQ(parseShortDate(a[1].toString()), QDate(2024, 1, 31));
    EXPECT_EQ(a[2], QVariant(qint64(10)));
    EXPECT_EQ(a[3], QVariant(QStringLiteral("A")));
    EXPECT_EQ(a[4], QVariant(qint64(0)));
    EXPECT_EQ(a[5], QVariant(blank)); // no To account: blank flag whatever it held
    EXPECT_EQ(a[6], QVariant(qint64(1200)));
    EXPECT_EQ(a[7], QVariant(qint64(0)));
}

TEST_F(TranBook, FindFillsRowsInOrderWithAnExactTotalAndCountsNullAmounts)
{
    t.addTransaction(1, QDate(2024, 1, 2), 10, 11, Money::fromCents(10000), QStringLiteral("rent"));
    t.addTransaction(2, QDate(2024, 1, 1), 11, 10, Money::fromCents(-4050), QStringLiteral("refund"));
    t.addTransaction(3, QDate(2024, 1, 3), 10, 3, Money::fromCents(1), {}, QStringLiteral("A"), QStringLiteral("P"));
    runSql(db(),
           QStringLiteral(
               "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, amount, "
               "particulars, version_date) VALUES (4, '2024-01-04', 10, 'A', 11, 'A', NULL, NULL, NULL)"));
    const TranFindResult r = findTransactions(book(), TranSearch());
    ASSERT_EQ(r.rows.rowCount(), 4);
    EXPECT_EQ(r.rows.intAt(0, TranCol::Id), 2);
    EXPECT_EQ(r.rows.dateAt(0, TranCol::Date), QDate(2024, 1, 1));
    EXPECT_EQ(r.rows.textAt(1, TranCol::From), QStringLiteral("A10"));
    EXPECT_EQ(r.rows.textAt(1, TranCol::To), QStringLiteral("A11"));
    EXPECT_EQ(r.rows.textAt(2, TranCol::To), QStringLiteral("P3"));
    EXPECT_TRUE(r.rows.isNull(3, TranCol::Amount));
    EXPECT_EQ(r.total.toPlain(), QStringLiteral("59.51"));
    EXPECT_EQ(r.nullAmounts, 1);

    TranSearch s;
    s.toAccount = 3;
    s.toSide = AccountSide::Party;
    EXPECT_EQ(findTransactions(book(), s).rows.rowCount(), 1);
    s = TranSearch();
    s.particulars = QStringLiteral("nothing like it");
    const TranFindResult none = findTransactions(book(), s);
    EXPECT_EQ(none.rows.rowCount(), 0);
    EXPECT_EQ(none.total.toPlain(), QStringLiteral("0.00"));
}

TEST_F(TranBook, GetAccNameReadsAccountsAndParties)
{
    EXPECT_EQ(GetAccName(book(), QStringLiteral("A10")), QStringLiteral("Bank"));
    EXPECT_EQ(GetAccName(book(), QStringLiteral("P3")), QStringLiteral("Landlord Ltd"));
    EXPECT_EQ(GetAccName(book(), QStringLiteral("A999")), QString());
    EXPECT_EQ(GetAccName(book(), QString()), QString());
    EXPECT_EQ(GetAccName(book(), QStringLiteral("X1")), QString());
    EXPECT_EQ(GetAccName(book(), QStringLiteral("A")), QString());
    runSql(db(),
           test::forEngine(db(), QStringLiteral("DROP TABLE Party_master"),
                           QStringLiteral("DROP TABLE Party_master CASCADE")));
    EXPECT_EQ(GetAccName(book(), QStringLiteral("P3")), QString());
}

TEST(ValidateRow, ChecksInOrderAndNamesTheRow)
{
    RowArray rows = makeTranRows();
    addRow(rows, 0, QDate(2024, 1, 1), QStringLiteral("A1"), QStringLiteral("A2"), 100);
    addRow(rows, 0, QDate(), QStringLiteral("A1"), QStringLiteral("A1"), 0);
    addRow(rows, 0, QDate(2024, 1, 1), QString(), QStringLiteral("A1"), 0);
    addRow(rows, 0, QDate(2024, 1, 1), QStringLiteral("A1"), QStringLiteral("A2"), 0);
    addRow(rows, 0, QDate(2024, 1, 1), QStringLiteral("A1"), QStringLiteral("A1"), 5);
    addRow(rows, 0, QDate(2024, 1, 1), QStringLiteral("A1"), QStringLiteral("A2"), -5);
    EXPECT_EQ(ValidateRow(rows, 0), QString());
    EXPECT_EQ(ValidateRow(rows, 1), QStringLiteral("Bad data in Record No 2\r\nInvalid Date!"));
    EXPECT_EQ(ValidateRow(rows, 2), QStringLiteral("Bad data in Record No 3\r\nInvalid Account!"));
    EXPECT_EQ(ValidateRow(rows, 3), QStringLiteral("Bad data in Record No 4\r\nInvalid Amount"));
    EXPECT_EQ(ValidateRow(rows, 4), QStringLiteral("Bad data in Record No 5\r\nFrom A/c same as To A/c!"));
    EXPECT_EQ(ValidateRow(rows, 5), QString()); // negative amounts are allowed
}

TEST_F(TranBook, NewIdsFollowTheHighestAndChangedRowsKeepTheirs)
{
    t.addTransaction(120, QDate(2024, 1, 1), 10, 11, Money::fromCents(500), QStringLiteral("old"));
    t.addTransaction(7, QDate(2024, 1, 1), 10, 11, Money::fromCents(700), QStringLiteral("untouched"));
    RowArray rows = makeTranRows();
    addRow(rows, 0, QDate(2024, 2, 1), QStringLiteral("A11"), QStringLiteral("A10"), 100, QStringLiteral("first"));
    addRow(rows, 120, QDate(2024, 2, 2), QStringLiteral("A10"), QStringLiteral("A11"), -250, QStringLiteral("changed"));
    addRow(rows, 0, QDate(2024, 2, 3), QStringLiteral("P3"), QStringLiteral("A10"), 300);
    addRow(rows, 0, QDate(2024, 2, 4), QStringLiteral("A11"), QStringLiteral("A10"), 400, QStringLiteral("x'; --"));
    addRow(rows, 7, QDate(2024, 9, 9), QStringLiteral("A11"), QStringLiteral("A10"), 999, {}, false);
    const TranSaveResult r = saveTransactions(book(), rows, Now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(r.savedIds, (QList<qint64>{121, 120, 122, 123}));
    EXPECT_EQ(stored(db()),
              (QStringList{
                  "7|2024-01-01|10|A|11|A|700|untouched|2024-01-01 00:00:00",
                  "120|2024-02-02|11|A|10|A|-250|changed|2026-12-07 10:30:00",
                  "121|2024-02-01|10|A|11|A|100|first|2026-12-07 10:30:00",
                  "122|2024-02-03|10|A|3|P|300||2026-12-07 10:30:00",
                  "123|2024-02-04|10|A|11|A|400|x'; --|2026-12-07 10:30:00",
              }));
}

TEST_F(TranBook, EveryTextComesBackAsTypedThroughTheBulkWrite)
{
    // A server takes the rows by COPY, whose text format gives tabs, line
    // ends, backslashes and "\N" meanings of their own.
    QStringList texts = bc::test::hostileTexts();
    texts.removeAll(QString());
    texts << QStringLiteral("tab\there") << QStringLiteral("line\nend\r\nand return") << QStringLiteral("\\N")
          << QStringLiteral("\\.") << QStringLiteral("\\\\N");
    RowArray rows = makeTranRows();
    for (const QString &text : texts)
        addRow(rows, 0, QDate(2024, 2, 1), QStringLiteral("A11"), QStringLiteral("A10"), 100, text);
    const TranSaveResult r = saveTransactions(book(), rows, Now);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    QSqlQuery q = runSql(db(), QStringLiteral("SELECT particulars FROM transaction_master ORDER BY tran_id"));
    QStringList back;
    while (q.next())
        back << q.value(0).toString();
    EXPECT_EQ(back, texts);
}

TEST_F(TranBook, FirstIdIsOneAndNothingMarkedChangesNothing)
{
    RowArray rows = makeTranRows();
    EXPECT_TRUE(saveTransactions(book(), rows, Now).ok());
    EXPECT_TRUE(stored(db()).isEmpty());
    addRow(rows, 0, QDate(2024, 2, 1), QStringLiteral("A11"), QStringLiteral("A10"), 100);
    ASSERT_TRUE(saveTransactions(book(), rows, Now).ok());
    EXPECT_EQ(stored(db()).value(0).section(u'|', 0, 0), QStringLiteral("1"));
}

TEST_F(TranBook, RefusedRowStopsBeforeAnyChangeAndTheNextSaveSavesAll)
{
    t.addTransaction(5, QDate(2024, 1, 1), 10, 11, Money::fromCents(500));
    const QStringList before = stored(db());
    RowArray rows = makeTranRows();
    addRow(rows, 0, QDate(2024, 2, 1), QStringLiteral("A11"), QStringLiteral("A10"), 100);
    addRow(rows, 0, QDate(2024, 2, 2), QStringLiteral("A11"), QStringLiteral("A10"), 0);
    TranSaveResult r = saveTransactions(book(), rows, Now, {5});
    EXPECT_EQ(r.outcome, TranSaveResult::Outcome::Refused);
    EXPECT_EQ(r.refusedRow, 1);
    EXPECT_EQ(r.text, QStringLiteral("Bad data in Record No 2\r\nInvalid Amount"));
    EXPECT_EQ(stored(db()), before);
    EXPECT_EQ(rows.editMarkAt(0, TranCol::Status), EditMark::Changed);
    EXPECT_EQ(rows.intAt(0, TranCol::Id), 0);
    rows.setMoney(1, TranCol::Amount, Money::fromCents(200));
    r = saveTransactions(book(), rows, Now, {5});
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.savedIds, (QList<qint64>{6, 7}));
    EXPECT_EQ(r.deletedCount, 1);
    EXPECT_EQ(stored(db()).size(), 2); // 5 deleted, 6 and 7 added
}

TEST_F(TranBook, ADeletedIdIsNeverGivenAgainNorDeletedLater)
{
    t.addTransaction(1, QDate(2024, 1, 1), 10, 11, Money::fromCents(100));
    t.addTransaction(2, QDate(2024, 1, 2), 10, 11, Money::fromCents(200));
    RowArray rows = makeTranRows();
    ASSERT_TRUE(saveTransactions(book(), rows, Now, {2}).ok());
    addRow(rows, 0, QDate(2024, 3, 1), QStringLiteral("A11"), QStringLiteral("A10"), 300, QStringLiteral("new"));
    ASSERT_EQ(saveTransactions(book(), rows, Now).savedIds, (QList<qint64>{3}));
    RowArray none = makeTranRows();
    ASSERT_TRUE(saveTransactions(book(), none, Now).ok());
    EXPECT_EQ(stored(db()).size(), 2);
    EXPECT_TRUE(stored(db()).last().contains(QLatin1String("|new|")));
}

TEST_F(TranBook, FailureDuringTheApplyLeavesTransactionsUnchanged)
{
    t.addTransaction(1, QDate(2024, 1, 1), 10, 11, Money::fromCents(100), QStringLiteral("keep"));
    t.addTransaction(2, QDate(2024, 1, 2), 10, 11, Money::fromCents(200), QStringLiteral("keep too"));
    const QStringList before = stored(db());
    bc::test::failInserts(db(), QStringLiteral("transaction_master"), QStringLiteral("disk full"));
    RowArray rows = makeTranRows();
    addRow(rows, 1, QDate(2024, 1, 5), QStringLiteral("A11"), QStringLiteral("A10"), 999, QStringLiteral("changed"));
    addRow(rows, 0, QDate(2024, 1, 6), QStringLiteral("A11"), QStringLiteral("A10"), 50);
    const TranSaveResult r = saveTransactions(book(), rows, Now, {2});
    EXPECT_EQ(r.outcome, TranSaveResult::Outcome::Failed);
    EXPECT_EQ(r.title, QStringLiteral("Error"));
    EXPECT_EQ(r.text, QStringLiteral("Error saving the data"));
    EXPECT_TRUE(r.detail.contains(QLatin1String("disk full")));
    EXPECT_EQ(stored(db()), before);
}

TEST_F(TranBook, AnImportLeftUnfinishedWritesNothingAndEitherWayTheCacheIsPutBack)
{
    const bool file = !book().isOnServer();
    const auto cacheSize = [&] {
        QSqlQuery q = runSql(db(), QStringLiteral("PRAGMA cache_size"));
        return q.next() ? q.value(0).toLongLong() : 0;
    };
    const qint64 cacheBefore = file ? cacheSize() : 0;
    RowArray rows = makeTranRows();
    addRow(rows, 0, QDate(2024, 2, 1), QStringLiteral("A11"), QStringLiteral("A10"), 100, QStringLiteral("in"));
    addRow(rows, 0, QDate(2024, 2, 2), QStringLiteral("A11"), QStringLiteral("A10"), 0);
    {
        TranImport import(book(), Now, QStringLiteral("import"));
        EXPECT_EQ(import.add(rows, 0), QString());
        EXPECT_EQ(import.add(rows, 1), QStringLiteral("Bad data in Record No 2\r\nInvalid Amount"));
        if (file) {
            EXPECT_NE(cacheSize(), cacheBefore);
        }
    }
    EXPECT_TRUE(stored(db()).isEmpty());
    if (file) {
        EXPECT_EQ(cacheSize(), cacheBefore);
    }
    {
        TranImport import(book(), Now, QStringLiteral("import"));
        EXPECT_EQ(import.add(rows, 0), QString());
        import.finish();
        EXPECT_EQ(import.count(), 1);
    }
    EXPECT_EQ(stored(db()), (QStringList{"1|2024-02-01|10|A|11|A|100|in|2026-12-07 10:30:00"}));
    if (file) {
        EXPECT_EQ(cacheSize(), cacheBefore);
    }
}
