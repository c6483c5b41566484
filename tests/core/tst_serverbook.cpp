#include "accounts.h"
#include "bookchangewatch.h"
#include "bookcopy.h"
#include "bookdigest.h"
#include "clirunner.h"
#include "serverbooks.h"
#include "sql.h"
#include "testbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;

// What only a book on a server does: it is told of other programs' saves,
// it is opened by logins that may only read, and it is copied to and from
// book files. Run against the test cluster only.

namespace {

struct ServerBook : ::testing::Test {
    void SetUp() override
    {
        if (!test::testsOnServer())
            GTEST_SKIP() << "needs the test cluster";
    }
};

// Waits for the next signal, or gives up after a time no working server
// comes near; returns whether it came.
bool waitFor(BookChangeWatch &watch)
{
    QEventLoop loop;
    QObject::connect(&watch, &BookChangeWatch::changedElsewhere, &loop, &QEventLoop::quit);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, [&] { loop.exit(1); });
    giveUp.start(10000);
    return loop.exec() == 0;
}

void setOpening(const Book &book, const QString &name, qint64 cents)
{
    runSql(connectionOf(book), QStringLiteral("UPDATE account_master SET open_amount = ? WHERE account_name = ?"),
           {cents, name});
}

} // namespace

TEST_F(ServerBook, AnotherProgramsSaveIsToldAndTheBooksOwnIsNot)
{
    TestBook t;
    Book other;
    ASSERT_TRUE(other.open(t.path()).ok());
    BookChangeWatch watch(t.book());
    int told = 0;
    QObject::connect(&watch, &BookChangeWatch::changedElsewhere, [&] { ++told; });

    setOpening(t.book(), QStringLiteral("CASH"), 100);
    setOpening(other, QStringLiteral("CASH"), 555);
    ASSERT_TRUE(waitFor(watch));
    QCoreApplication::processEvents();
    EXPECT_EQ(told, 1);
    EXPECT_FALSE(watch.poll());
}

TEST_F(ServerBook, ALoginThatMayOnlyReadSeesTheFiguresAndSavesNothing)
{
    TestBook t;
    t.addAccount(7, QStringLiteral("Bank"), 4, Money::fromCents(10000));
    const QString reader = QStringLiteral("reader_%1").arg(QCoreApplication::applicationPid());
    runSql(t.db(), QStringLiteral("DROP ROLE IF EXISTS %1").arg(reader));
    runSql(t.db(), QStringLiteral("CREATE ROLE %1 LOGIN").arg(reader));
    runSql(t.db(), QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO %1").arg(reader));
    QUrl location(t.path());
    location.setUserName(reader);

    {
        Book book;
        ASSERT_TRUE(book.open(location.toString()).ok());
        EXPECT_FALSE(book.mayWrite());
        EXPECT_TRUE(t.book().mayWrite());
        const AccountFindResult found = findAccounts(book, QStringLiteral("Bank"), {}, {});
        ASSERT_EQ(found.rows.rowCount(), 1);
        EXPECT_EQ(found.total, Money::fromCents(10000));
        RowArray rows = found.rows;
        rows.setMoney(0, AccountCol::Opening, Money::fromCents(1));
        rows.setEditMark(0, AccountCol::Status, EditMark::Changed);
        const AccountSaveResult saved = saveAccounts(book, rows, QDate(2026, 12, 8));
        EXPECT_FALSE(saved.ok());
        EXPECT_TRUE(saved.text.contains(QStringLiteral("may only read")) || saved.detail.contains("may only read"))
            << saved.text.toStdString() << saved.detail.toStdString();
    }
    // The role stays with the test cluster, which is thrown away whole.
    EXPECT_EQ(findAccounts(t.book(), QStringLiteral("Bank"), {}, {}).total, Money::fromCents(10000));
}

TEST_F(ServerBook, ABookFileCopiedToTheServerAndBackHoldsTheSameRows)
{
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("original.fd"));
    const QString back = dir.filePath(QStringLiteral("back.fd"));
    ASSERT_TRUE(Book::create(original).isEmpty());
    const QString server = test::newServerDatabase();
    {
        Book book;
        ASSERT_TRUE(book.open(original).ok());
        const QSqlDatabase db = connectionOf(book);
        runSql(db,
               QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                              "particulars) VALUES (7, 'O''Brien \"&\" Co ✓', 4, -99999999999999, NULL), "
                              "(8, 'Food', 2, NULL, 'a;b')"));
        runSql(db, QStringLiteral("INSERT INTO Party_master VALUES (3, 'Ann')"));
        runSql(db,
               QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount, particulars, version_date) VALUES "
                              "(1, '2024-02-29', 7, 'A', 8, 'A', 1250, 'lunch', '2024-03-01 10:00:00'), "
                              "(2, '0999-12-31', 3, 'P', 7, 'A', NULL, NULL, NULL)"));
        EXPECT_EQ(copyBook(book, server), 2);
    }
    {
        Book onServer;
        ASSERT_TRUE(onServer.open(server).ok());
        EXPECT_EQ(copyBook(onServer, back), 2);
        EXPECT_THROW(copyBook(onServer, back), DbError) << "an existing file is never written over";
    }
    Book a;
    Book b;
    ASSERT_TRUE(a.open(original).ok());
    ASSERT_TRUE(b.open(back).ok());
    EXPECT_EQ(test::bookDigest(connectionOf(a)), test::bookDigest(connectionOf(b)));
    EXPECT_EQ(test::historyDigest(connectionOf(a)), test::historyDigest(connectionOf(b)));
    EXPECT_EQ(test::tableDigest(connectionOf(a), QStringLiteral("period_balances")),
              test::tableDigest(connectionOf(b), QStringLiteral("period_balances")));
    test::dropServerDatabase(server);
}

// A second login granted what the README grants (SELECT, INSERT, UPDATE and
// DELETE on the book's tables, nothing on the schema) imports transactions
// and a statement: the program makes no table while it runs.
TEST_F(ServerBook, ALoginWithTheReadmesGrantsImportsTransactionsAndStatements)
{
    TestBook t;
    t.addAccount(7, QStringLiteral("Bank"), 4, Money());
    t.addAccount(8, QStringLiteral("Rent"), 2, Money());
    const QString clerk = QStringLiteral("clerk_%1").arg(QCoreApplication::applicationPid());
    runSql(t.db(), QStringLiteral("DROP ROLE IF EXISTS %1").arg(clerk));
    runSql(t.db(), QStringLiteral("CREATE ROLE %1 LOGIN").arg(clerk));
    runSql(t.db(),
           QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO %1").arg(clerk));
    QUrl location(t.path());
    location.setUserName(clerk);
    QTemporaryDir dir;
    const QString transactions = dir.filePath(QStringLiteral("transactions.csv"));
    const QString statement = dir.filePath(QStringLiteral("march.csv"));
    ASSERT_TRUE(test::writeBytes(transactions, "date,from,to,amount,particulars\n2024-07-01,Bank,Rent,5,rent\n"));
    ASSERT_TRUE(test::writeBytes(statement, "Date,Amount,Payee\n2030-03-01,-25.30,Corner shop\n"));

    const test::CliRun imported = test::cli(
        {QStringLiteral("import"), location.toString(), QStringLiteral("transactions"), transactions});
    EXPECT_EQ(imported.status, 0) << imported.err.toStdString();
    const test::CliRun fromStatement = test::cli({QStringLiteral("import"), location.toString(),
                                                  QStringLiteral("statement"), statement, QStringLiteral("--account"),
                                                  QStringLiteral("Bank"), QStringLiteral("--uncategorised"),
                                                  QStringLiteral("Rent")});
    EXPECT_EQ(fromStatement.status, 0) << fromStatement.err.toStdString();
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 2);
}

// A copy that fails leaves its destination as it was, so the same copy can
// be made again once the row is put right: text a server cannot hold (a NUL)
// and stored bytes that are not UTF-8 are refused naming the row, before
// any table is left in the database or any file beside the book.
TEST_F(ServerBook, AFailedCopyLeavesTheDestinationAsItWas)
{
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("original.fd"));
    const QString copy = dir.filePath(QStringLiteral("copy.fd"));
    ASSERT_TRUE(Book::create(original).isEmpty());
    const QString server = test::newServerDatabase();
    Book book;
    ASSERT_TRUE(book.open(original).ok());
    const QSqlDatabase db = connectionOf(book);
    runSql(db,
           QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                          "particulars) VALUES (7, 'Bank', 4, 0, NULL), (8, 'Caf', 2, 0, "
                          "CAST(X'436166E9' AS TEXT))"));
    runSql(db,
           QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                          "to_flag, amount, particulars) VALUES (1, '2024-02-29', 7, 'A', 8, 'A', 1250, "
                          "'a' || char(0) || 'b')"));
    const auto refusal = [&](const QString &destination) {
        try {
            copyBook(book, destination);
        } catch (const DbError &e) {
            return e.description();
        }
        return QStringLiteral("copied");
    };
    const auto serverHoldsABook = [&] {
        Book onServer;
        return onServer.open(server).ok();
    };

    QString why = refusal(copy);
    EXPECT_TRUE(why.contains(QStringLiteral("table account_master, row account_id 8: the column particulars holds "
                                            "bytes that are not UTF-8")))
        << why.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("original.fd")});
    why = refusal(server);
    EXPECT_TRUE(why.contains(QStringLiteral("not UTF-8"))) << why.toStdString();
    EXPECT_FALSE(serverHoldsABook());

    runSql(db, QStringLiteral("UPDATE account_master SET particulars = 'Café' WHERE account_id = 8"));
    why = refusal(server);
    EXPECT_TRUE(why.contains(QStringLiteral("table transaction_master, row tran_id 1: the column particulars holds "
                                            "a NUL character")))
        << why.toStdString();
    EXPECT_FALSE(serverHoldsABook());

    runSql(db, QStringLiteral("UPDATE transaction_master SET particulars = 'ab'"));
    EXPECT_EQ(refusal(server), QStringLiteral("copied"));
    EXPECT_EQ(refusal(copy), QStringLiteral("copied"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("copy.fd"), QStringLiteral("original.fd")}));
    test::dropServerDatabase(server);
}

// A server book of the previous format is brought forward when its owner
// opens it: the table the format adds appears, granted to the logins as the
// transactions were. Opened read-only, or by a login that may not add
// tables, it is refused as it stands.
TEST_F(ServerBook, ABookOfThePreviousFormatIsBroughtForwardByItsOwner)
{
    const QString server = test::newServerDatabase();
    ASSERT_EQ(Book::create(server), QString());
    const QString clerk = QStringLiteral("clerk_format_%1").arg(QCoreApplication::applicationPid());
    {
        Book book;
        ASSERT_TRUE(book.open(server).ok());
        const QSqlDatabase db = connectionOf(book);
        runSql(db, QStringLiteral("DROP TABLE statement_balances"));
        runSql(db, QStringLiteral("UPDATE book_info SET value = '8' WHERE key = 'version'"));
        runSql(db, QStringLiteral("DROP ROLE IF EXISTS %1").arg(clerk));
        runSql(db, QStringLiteral("CREATE ROLE %1 LOGIN").arg(clerk));
        runSql(db, QStringLiteral("GRANT SELECT, INSERT ON ALL TABLES IN SCHEMA public TO %1").arg(clerk));
    }

    Book readOnly;
    OpenOptions options;
    options.readOnly = true;
    EXPECT_EQ(readOnly.open(server, options).description,
              QStringLiteral("The server book is of format 8; its owner must open it once with this program, not "
                             "read-only, to bring it to format %1.")
                  .arg(Book::formatVersion));

    // A clerk who may write rows but not add tables is refused, and the
    // book stays at format 8 for its owner to bring forward.
    QUrl asClerk(server);
    asClerk.setUserName(clerk);
    Book clerkBook;
    const OpenResult refused = clerkBook.open(asClerk.toString());
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(
        refused.description.startsWith(QStringLiteral("The server book is of format 8; its owner must open it once")))
        << refused.description.toStdString();

    {
        Book owner;
        ASSERT_TRUE(owner.open(server).ok());
        EXPECT_EQ(owner.format(), Book::formatVersion);
        QSqlQuery granted = runSql(connectionOf(owner),
                                   QStringLiteral("SELECT has_table_privilege(?, 'statement_balances', 'INSERT'), "
                                                  "has_table_privilege(?, 'statement_balances', 'UPDATE')"),
                                   {clerk, clerk});
        ASSERT_TRUE(granted.next());
        EXPECT_TRUE(granted.value(0).toBool());
        EXPECT_FALSE(granted.value(1).toBool());
    }
    Book again;
    EXPECT_TRUE(again.open(server).ok()) << "a book brought forward opens as it is";
    again.close();
    test::dropServerDatabase(server);
}
