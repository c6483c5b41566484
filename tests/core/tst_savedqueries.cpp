#include "dates.h"
#include "ledger.h"
#include "savedqueries.h"
#include "sql.h"
#include "summary.h"
#include "testbook.h"
#include "transactions.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;

namespace {

// Accounts 10 (Bank), 11 (Rent), 12 (Salary) and party 1; transactions across
// three days, one with a Null amount, one to the account itself.
struct SavedQueryBook : ::testing::Test {
    TestBook t;
    void SetUp() override
    {
        t.addAccount(10, QStringLiteral("Bank"), 4, Money::fromCents(100000));
        t.addAccount(11, QStringLiteral("Rent"), 2, Money());
        t.addAccount(12, QStringLiteral("Salary"), 1, Money());
        runSql(t.db(), QStringLiteral("INSERT INTO Party_master VALUES (1, 'Landlord Ltd')"));
        t.addTransaction(1, QDate(2024, 1, 1), 12, 10, Money::fromCents(250000), QStringLiteral("January pay"));
        t.addTransaction(2, QDate(2024, 1, 5), 10, 11, Money::fromCents(80000), QStringLiteral("Rent 100% paid"));
        t.addTransaction(3, QDate(2024, 1, 5), 10, 1, Money::fromCents(1050), QStringLiteral("Deposit_fee"),
                         QStringLiteral("A"), QStringLiteral("P"));
        t.addTransaction(4, QDate(2024, 1, 9), 10, 10, Money::fromCents(500), QStringLiteral("Transfer"));
        runSql(t.db(),
               QStringLiteral(
                   "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, amount, "
                   "particulars, version_date) VALUES (5, '2024-01-09', 11, 'A', 10, 'A', NULL, 'refund', NULL)"));
    }

    QList<qint64> search(const QVariantList &args)
    {
        QSqlQuery q = runSavedQuery(t.db(), QStringLiteral("sp_tran_search_1"), args);
        QList<qint64> ids;
        while (q.next())
            ids << q.value(QStringLiteral("tran_ID")).toLongLong();
        return ids;
    }

    static QVariantList allOff()
    {
        const QString blank = QStringLiteral(" ");
        return {blank, blank, 0, blank, 0, blank, 0, 0, blank};
    }
};

} // namespace

TEST_F(SavedQueryBook, TranSearchWithEveryCriterionOffReturnsAllInDateOrder)
{
    EXPECT_EQ(search(allOff()), (QList<qint64>{1, 2, 3, 4, 5}));
    QSqlQuery q = runSavedQuery(t.db(), QStringLiteral("sp_tran_search_1"), allOff());
    ASSERT_TRUE(q.next());
    for (const char *field :
         {"tran_ID", "tran_date", "from_flag", "from_acc", "to_flag", "to_acc", "amount", "particulars"})
        EXPECT_GE(q.record().indexOf(QLatin1String(field)), 0) << field;
    EXPECT_EQ(q.value(QStringLiteral("tran_date")).toString(), QStringLiteral("2024-01-01"));
}

TEST_F(SavedQueryBook, TranSearchEachCriterion)
{
    QVariantList a = allOff();
    a[0] = shortDateText(QDate(2024, 1, 5));
    a[1] = shortDateText(QDate(2024, 1, 5));
    EXPECT_EQ(search(a), (QList<qint64>{2, 3})); // both bounds inclusive

    a = allOff();
    a[2] = 10;
    a[3] = QStringLiteral("A");
    EXPECT_EQ(search(a), (QList<qint64>{2, 3, 4}));
    a[4] = 1;
    a[5] = QStringLiteral("P");
    EXPECT_EQ(search(a), (QList<qint64>{3}));

    a = allOff();
    a[6] = 1050;
    a[7] = 80000;
    EXPECT_EQ(search(a), (QList<qint64>{2, 3}));
    a[6] = 0; // only an upper bound
    EXPECT_EQ(search(a), (QList<qint64>{2, 3, 4}));

    a = allOff();
    a[8] = QStringLiteral("rent ");
    EXPECT_EQ(search(a), (QList<qint64>{2}));
    a[8] = QStringLiteral("100% ");
    EXPECT_EQ(search(a), (QList<qint64>{2}));
    a[8] = QStringLiteral("_ ");
    EXPECT_EQ(search(a), (QList<qint64>{3})); // "_" is a plain character
    a[8] = QStringLiteral("' OR 1=1 -- ");
    EXPECT_TRUE(search(a).isEmpty());
}

TEST_F(SavedQueryBook, TranSearchReadsDatesInTheLocaleShortForm)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QVariantList a = allOff();
    a[0] = shortDateText(QDate(2024, 1, 2));
    EXPECT_EQ(a[0].toString(), QStringLiteral("02/01/2024"));
    EXPECT_EQ(search(a), (QList<qint64>{2, 3, 4, 5}));
    QLocale::setDefault(QLocale::c());
}

TEST_F(SavedQueryBook, LedgerRunsAppendEachMovementOnceWithItsSign)
{
    const QVariantList args{shortDateText(QDate(2024, 1, 1)), shortDateText(QDate(2024, 1, 31)), 10,
                            QStringLiteral("A")};
    runSavedQuery(t.db(), QStringLiteral("sp_tran_search1"), args);
    runSavedQuery(t.db(), QStringLiteral("sp_tran_search2"), args);
    runSavedQuery(t.db(), QStringLiteral("sp_Set_AccName2"), {});
    QSqlQuery q = runSql(
        t.db(),
        QStringLiteral(
            "SELECT tran_date, amount, Tran_flag, acc_name, particulars FROM tmp_Acc_Ldgr ORDER BY tran_date, amount"));
    QStringList rows;
    qint64 sum = 0;
    while (q.next()) {
        rows << QStringLiteral("%1 %2 %3 %4")
                    .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
        sum += q.value(1).toLongLong();
    }
    EXPECT_EQ(rows,
              (QStringList{
                  "2024-01-01 250000 T Salary",
                  "2024-01-05 -80000 T Rent",
                  "2024-01-05 -1050 T Landlord Ltd",
                  "2024-01-09 -500 T Bank",
                  "2024-01-09 0 T Rent", // Null amount counts as 0
                  "2024-01-09 500 T Bank",
              }));
    EXPECT_EQ(sum, 250000 - 80000 - 1050);

    // A range that ends before it starts adds nothing.
    runSql(t.db(), QStringLiteral("DELETE FROM tmp_Acc_Ldgr"));
    const QVariantList empty{shortDateText(QDate(2024, 1, 1)), shortDateText(QDate(2023, 12, 31)), 10,
                             QStringLiteral("A")};
    runSavedQuery(t.db(), QStringLiteral("sp_tran_search1"), empty);
    runSavedQuery(t.db(), QStringLiteral("sp_tran_search2"), empty);
    EXPECT_EQ(t.count(QStringLiteral("tmp_Acc_Ldgr")), 0);
}

TEST_F(SavedQueryBook, AccountStatusSearchKeepsTheBalanceRange)
{
    const QString insert = QStringLiteral("INSERT INTO Account_Status VALUES (?, ?, 'A', 0, 0, ?)");
    runSql(t.db(), insert, {1, QStringLiteral("low"), -50000});
    runSql(t.db(), insert, {2, QStringLiteral("edge"), 10000});
    runSql(t.db(), insert, {3, QStringLiteral("high"), 25000000});
    auto names = [&](const QVariant &upper, const QVariant &lower) {
        QSqlQuery q = runSavedQuery(t.db(), QStringLiteral("sp_Search_Account_Status"), {upper, lower});
        QStringList out;
        while (q.next()) {
            EXPECT_GE(q.record().indexOf(QStringLiteral("Bal_Amount")), 0);
            out << q.value(QStringLiteral("Acc_Name")).toString();
        }
        return out;
    };
    EXPECT_EQ(names(10000, -50000), (QStringList{"low", "edge"}));
    EXPECT_EQ(names(QVariant(), QVariant()), (QStringList{"low", "edge", "high"}));
    EXPECT_EQ(names(QVariant(), 10000), (QStringList{"edge", "high"}));
}

namespace {

// Every figure of the transaction list, a ledger and a summary of the book,
// one text per row.
QStringList allFigures(const Book &book)
{
    QStringList figures;
    const auto addRows = [&](const RowArray &rows) {
        for (int r = 0; r < rows.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < rows.columnCount(); ++c)
                cells << rows.textAt(r, c);
            figures << cells.join(u'|');
        }
    };
    const TranFindResult found = findTransactions(book, TranSearch());
    addRows(found.rows);
    figures << found.total.toPlain();
    const LedgerResult ledger = computeLedger(book, {10, QDate(2024, 1, 1), QDate(2024, 1, 31), QDate(2024, 1, 1)});
    for (const LedgerMovement &m : ledger.movements)
        figures << QStringList{isoDate(m.date), m.particulars, m.amount.toPlain(), m.balance.toPlain()}.join(u'|');
    figures << ledger.openingBalance.toPlain() << ledger.closingBalance.toPlain();
    SummaryInput input;
    input.accounts = {{10, AccountSide::Account, QStringLiteral("Bank")},
                      {11, AccountSide::Account, QStringLiteral("Rent")},
                      {12, AccountSide::Account, QStringLiteral("Salary")},
                      {1, AccountSide::Party, QStringLiteral("Landlord Ltd")}};
    input.fromDate = QDate(2024, 1, 1);
    input.toDate = QDate(2024, 1, 31);
    input.finYearStart = QDate(2024, 1, 1);
    const SummaryResult summary = computeSummary(book, input);
    for (const SummaryRow &row : summary.listed)
        figures << QStringList{QString::number(row.accountId), row.name,
                               row.opening.toPlain(),          row.movement.toPlain(),
                               row.balance.toPlain(),          QString(sideLetter(row.side))}
                       .join(u'|');
    figures << summary.totalBalance.toPlain();
    return figures;
}

} // namespace

TEST_F(SavedQueryBook, TheBooksOwnCopiesOfTheSavedQueriesAreNeverRun)
{
    const QStringList expected = allFigures(t.book());
    ASSERT_EQ(expected.size(), 5 + 1 + 6 + 2 + 4 + 1);
    const QString outside = QDir(t.dir()).filePath(QStringLiteral("x.fd"));
    const QString setBody = QStringLiteral("UPDATE saved_queries SET body = ? WHERE name = ?");
    runSql(t.db(), setBody, {QStringLiteral("VACUUM INTO '%1'").arg(outside), QStringLiteral("sp_tran_search_1")});
    for (const char *name : {"sp_tran_search1", "sp_tran_search2", "sp_Set_AccName2", "sp_Search_Account_Status"})
        runSql(t.db(), setBody, {QStringLiteral("DELETE FROM transaction_master"), QLatin1String(name)});

    EXPECT_EQ(allFigures(t.book()), expected);
    EXPECT_FALSE(QFileInfo::exists(outside));
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 5);
}

TEST(SavedQueries, TheBooksConnectionReachesNoOtherFileNorWritesItsSchemaAsRows)
{
    TestBook t;
    const QString other = QDir(t.dir()).filePath(QStringLiteral("other.fd"));
    const QStringList refused = {
        QStringLiteral("ATTACH DATABASE '%1' AS other").arg(other),
        QStringLiteral("DETACH DATABASE temp"),
        QStringLiteral("VACUUM INTO '%1'").arg(other),
        QStringLiteral("VACUUM"),
        QStringLiteral("PRAGMA writable_schema = ON"),
    };
    for (const QString &statement : refused) {
        try {
            runSql(t.db(), statement);
            ADD_FAILURE() << statement.toStdString() << " was run";
        } catch (const DbError &e) {
            // "not authorized" when prepared, "authorization denied" when VACUUM attaches its target
            EXPECT_TRUE(e.description().contains(QLatin1String("authoriz"))) << e.description().toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(other)) << statement.toStdString();
    }
    EXPECT_EQ(t.count(QStringLiteral("account_master")), 6);
}

TEST(ProgramSavedQueries, EveryQueryABookKeepsHasTheProgramsTextOnBothEngines)
{
    for (const QString &name : Book::requiredSavedQueries())
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const SavedQuery *query = programSavedQuery(name, engine);
            ASSERT_NE(query, nullptr) << name.toStdString();
            for (const QString &parameter : query->parameters)
                EXPECT_TRUE(query->text.contains(u':' + parameter)) << name.toStdString();
        }
    EXPECT_EQ(programSavedQuery(QStringLiteral("sp_missing"), Engine::SQLite), nullptr);
}
