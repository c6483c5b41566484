// Books of format 1, as older programs made them: shown read-only as they are,
// and migrated to format 2 on a writable open, with a backup copy beside them.
#include "book.h"
#include "bookcheck.h"
#include "connection.h"
#include "dates.h"
#include "ledger.h"
#include "migrations.h"
#include "sql.h"
#include "summary.h"
#include "testbook.h"
#include "transactions.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

using namespace bc;
using bc::test::TestBook;
using bc::test::fileBytes;

namespace {

// The copies of the saved queries a new book file made in dir is given, by name.
QHash<QString, QString> newBookSavedQueries(const QString &dir)
{
    const QString path = dir + QStringLiteral("/new.fd");
    EXPECT_EQ(Book::create(path), QString());
    Book book;
    EXPECT_TRUE(book.open(path).ok());
    QHash<QString, QString> bodies;
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT name, body FROM saved_queries"));
    while (q.next())
        bodies.insert(q.value(0).toString(), q.value(1).toString());
    return bodies;
}

const QDate fyStart(2023, 4, 1), from(2024, 1, 1), to(2024, 12, 31);

// Every figure of every account's ledger, of the summary of all accounts and
// of the transaction list, as text.
QStringList figures(const Book &book)
{
    QStringList out;
    SummaryInput summaryInput;
    for (qint64 id = 1; id <= 12; ++id) {
        const LedgerResult ledger = computeLedger(book, {id, from, to, fyStart});
        out << QStringLiteral("ledger %1: %2 %3")
                   .arg(id)
                   .arg(ledger.openingBalance.cents())
                   .arg(ledger.closingBalance.cents());
        for (const LedgerMovement &m : ledger.movements)
            out << QStringLiteral("%1|%2|%3|%4")
                       .arg(isoDate(m.date), m.particulars)
                       .arg(m.amount.cents())
                       .arg(m.balance.cents());
        summaryInput.accounts.push_back({id, AccountSide::Account, QString::number(id)});
    }
    summaryInput.fromDate = from;
    summaryInput.toDate = to;
    summaryInput.finYearStart = fyStart;
    const SummaryResult summary = computeSummary(book, summaryInput);
    for (const SummaryRow &row : summary.listed)
        out << QStringLiteral("summary %1: %2 %3 %4")
                   .arg(row.accountId)
                   .arg(row.opening.cents())
                   .arg(row.movement.cents())
                   .arg(row.balance.cents());
    out << QStringLiteral("totals %1 %2").arg(summary.totalOpening.cents()).arg(summary.totalBalance.cents());
    const TranFindResult found = findTransactions(book, TranSearch{});
    out << QStringLiteral("found %1 %2 %3").arg(found.rows.rowCount()).arg(found.total.cents()).arg(found.nullAmounts);
    for (int r = 0; r < found.rows.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < int(TranCol::Count); ++c)
            cells << found.rows.textAt(r, c);
        out << cells.join(u'|');
    }
    return out;
}

// A copy made by SQLite's online backup has the same pages as the book; only
// the header's change counter, schema cookie and the SQLite version that wrote
// it differ.
QByteArray pagesOf(QByteArray file)
{
    if (file.size() >= 100) {
        file.replace(24, 4, QByteArray(4, '\0'));
        file.replace(40, 4, QByteArray(4, '\0'));
        file.replace(92, 8, QByteArray(8, '\0'));
    }
    return file;
}

QStringList backups(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral("*.bak")}, QDir::Files, QDir::Name);
}

} // namespace

TEST(Migrations, AFormatOneBookShowsTheSameFiguresBeforeAndAfterItsMigration)
{
    QString path;
    QStringList before;
    QByteArray original;
    TestBook t(TestBook::Kind::Format1ReadOnly);
    for (qint64 id = 7; id <= 12; ++id)
        t.addAccount(id, QStringLiteral("Account %1").arg(id), int(id % 6) + 1, Money::fromCents(id * 1001 - 9000));
    runSql(t.writer(), QStringLiteral("INSERT INTO Party_master VALUES (1, 'Landlord'), (2, 'Grocer')"));
    std::mt19937 random(16);
    std::uniform_int_distribution<int> account(1, 12), day(0, 700), amount(-500000, 500000), party(0, 19);
    TransactionGuard transaction(t.writer());
    for (int id = 1; id <= 10000; ++id) {
        const bool toParty = party(random) == 0;
        const QVariant cents = id % 97 == 0 ? QVariant() : QVariant(amount(random)); // some stored without amount
        runSql(t.writer(),
               QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount, particulars, version_date) VALUES (?, ?, ?, 'A', ?, ?, ?, ?, NULL)"),
               {id, isoDate(fyStart.addDays(day(random))), account(random), toParty ? 1 + id % 2 : account(random),
                toParty ? QStringLiteral("P") : QStringLiteral("A"), cents, QStringLiteral("item %1").arg(id)});
    }
    transaction.commit();
    // A copy of a saved query that a book received from someone else carries.
    runSql(t.writer(),
           QStringLiteral("UPDATE saved_queries SET body = 'DELETE FROM transaction_master' "
                          "WHERE name = 'sp_tran_search1'"));
    before = figures(t.book());
    ASSERT_GT(before.size(), 10000);
    path = t.path();
    t.book().close();
    original = fileBytes(path);

    Book book;
    const OpenResult opened = book.open(path);
    ASSERT_TRUE(opened.ok()) << opened.description.toStdString();
    EXPECT_EQ(book.format(), Book::formatVersion);
    EXPECT_EQ(opened.backup, path + QStringLiteral(".v1.bak"));
    EXPECT_EQ(backups(t.dir()), QStringList{QStringLiteral("test.fd.v1.bak")});
    EXPECT_EQ(pagesOf(fileBytes(path + QStringLiteral(".v1.bak"))), pagesOf(original));
    EXPECT_EQ(figures(book), before);
    const QHash<QString, QString> newCopies = newBookSavedQueries(t.dir());
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT name, body FROM saved_queries"));
    int copies = 0;
    for (; q.next(); ++copies)
        EXPECT_EQ(q.value(1).toString(), newCopies.value(q.value(0).toString())) << q.value(0).toString().toStdString();
    EXPECT_EQ(copies, Book::requiredSavedQueries().size());
    q = runSql(connectionOf(book), QStringLiteral("PRAGMA foreign_keys"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
    q = runSql(connectionOf(book),
               QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE name LIKE 'tmp%' "
                              "OR name LIKE 'v1_%' OR name = 'Account_Status'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0); // work tables and old tables are gone from the file
    q.finish();
    EXPECT_TRUE(bookProblems(book).isEmpty()) << bookProblems(book).join(u'\n').toStdString();
    book.close();

    // A second open finds format 2: no second backup, nothing written.
    const QByteArray migrated = fileBytes(path);
    const OpenResult reopened = book.open(path);
    ASSERT_TRUE(reopened.ok());
    EXPECT_TRUE(reopened.backup.isEmpty());
    book.close();
    EXPECT_EQ(backups(t.dir()), QStringList{QStringLiteral("test.fd.v1.bak")});
    EXPECT_EQ(fileBytes(path), migrated);
}

// The same accounts and transactions, written as any program would.
void fillBook(const QSqlDatabase &db)
{
    TransactionGuard transaction(db);
    for (qint64 id = 7; id <= 12; ++id)
        runSql(db,
               QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                              "particulars, version_date) VALUES (?, ?, ?, ?, 'x', NULL)"),
               {id, QStringLiteral("Account %1").arg(id), int(id % 6) + 1, id * 1001 - 9000});
    std::mt19937 random(3);
    std::uniform_int_distribution<int> account(1, 12), day(0, 700), amount(-500000, 500000);
    for (int id = 1; id <= 2000; ++id) {
        const int fromAccount = account(random);
        const int toAccount = fromAccount % 12 + 1;
        runSql(db,
               QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount, particulars, version_date) VALUES (?, ?, ?, 'A', ?, 'A', ?, ?, NULL)"),
               {id, isoDate(fyStart.addDays(day(random))), fromAccount, toAccount, amount(random),
                QStringLiteral("item %1").arg(id)});
    }
    transaction.commit();
}

// A book of format 2 is brought through every later format: each adds its
// tables and fills them from the rows the book holds, so its figures are
// those of a new book holding the same rows.
TEST(Migrations, AFormatTwoBookGainsEveryLaterFormatWithItsFiguresUnchanged)
{
    ASSERT_EQ(std::size_t(Book::formatVersion), 2 + laterFormats().size());
    TestBook current;
    fillBook(current.db());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("two.fd"));
    bc::test::createFormat2Book(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("format2-writer"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        fillBook(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("format2-writer"));

    Book book;
    const OpenResult opened = book.open(path);
    ASSERT_TRUE(opened.ok()) << opened.description.toStdString();
    EXPECT_EQ(book.format(), Book::formatVersion);
    EXPECT_EQ(opened.backup.isEmpty(), Book::formatVersion == 2);
    EXPECT_TRUE(bookProblems(book).isEmpty()) << bookProblems(book).join(u'\n').toStdString();
    EXPECT_EQ(figures(book), figures(current.book()));
    // Every carried row starts at version 1, and an update by another
    // program counts as a new version.
    for (const char *table : {"account_master", "transaction_master", "system_settings"}) {
        QSqlQuery q = runSql(connectionOf(book),
                             QStringLiteral("SELECT count(*), min(row_version), max(row_version) FROM %1")
                                 .arg(QLatin1String(table)));
        ASSERT_TRUE(q.next());
        EXPECT_GT(q.value(0).toInt(), 0) << table;
        EXPECT_EQ(q.value(1).toInt(), 1) << table;
        EXPECT_EQ(q.value(2).toInt(), 1) << table;
    }
    // Every side of every carried transaction starts blank, in no
    // reconciliation, and nothing is closed.
    QSqlQuery sides = runSql(connectionOf(book),
                             QStringLiteral("SELECT count(*), sum(CASE WHEN from_status = '' AND to_status = '' "
                                            "AND from_reconciliation IS NULL AND to_reconciliation IS NULL "
                                            "THEN 1 ELSE 0 END) FROM transaction_master"));
    ASSERT_TRUE(sides.next());
    EXPECT_GT(sides.value(0).toInt(), 0);
    EXPECT_EQ(sides.value(1).toInt(), sides.value(0).toInt());
    sides.finish();
    runSql(connectionOf(book), QStringLiteral("UPDATE system_settings SET sys_value = sys_value"));
    QSqlQuery bumped = runSql(connectionOf(book), QStringLiteral("SELECT min(row_version) FROM system_settings"));
    ASSERT_TRUE(bumped.next());
    EXPECT_EQ(bumped.value(0).toInt(), 2);
}

TEST(Migrations, RowsThatCannotBeCarriedRefuseTheMigrationAndLeaveTheBookUnchanged)
{
    TestBook t(TestBook::Kind::Format1ReadOnly);
    t.addAccount(10, QStringLiteral("Bank"), 4, Money());
    for (int id = 1; id <= 5; ++id)
        t.addTransaction(id, QDate(2024, 1, id), 4, 10, Money::fromCents(100 * id));
    for (const char *statement : {"UPDATE transaction_master SET amount = '12,50' WHERE tran_id = 1",
                                  "UPDATE transaction_master SET tran_date = '15/01/2024' WHERE tran_id = 2",
                                  "UPDATE transaction_master SET to_flag = 'X' WHERE tran_id = 3",
                                  "UPDATE transaction_master SET from_acc = 77 WHERE tran_id = 4"})
        runSql(t.writer(), QLatin1String(statement));
    const QStringList faults =
        {QStringLiteral(
             "table transaction_master, row tran_id 1: the amount '12,50' is stored as text, not as whole cents"),
         QStringLiteral(
             "table transaction_master, row tran_id 2: the date '15/01/2024' is not a date of the form YYYY-MM-DD"),
         QStringLiteral("table transaction_master, row tran_id 3: the To side's flag 'X' is neither A nor P"),
         QStringLiteral("table transaction_master, row tran_id 4: the From side 77 is no account of the book")};
    EXPECT_EQ(bookProblems(t.book()), faults) << bookProblems(t.book()).join(u'\n').toStdString();
    t.book().close();
    // A backup name already taken is never written over.
    ASSERT_TRUE(bc::test::writeBytes(t.path() + QStringLiteral(".v1.bak"), "someone else's"));
    const QByteArray original = fileBytes(t.path());

    Book book;
    const OpenResult r = book.open(t.path());
    EXPECT_EQ(r.code, OpenResult::OtherFailure);
    for (const QString &fault : faults)
        EXPECT_TRUE(r.description.contains(fault)) << r.description.toStdString();
    const QString copy = t.path() + QStringLiteral(".v1.2.bak");
    EXPECT_TRUE(
        r.description.contains(QStringLiteral("The book is unchanged; a copy of it was kept as \"%1\".").arg(copy)))
        << r.description.toStdString();
    EXPECT_FALSE(book.isOpen());
    EXPECT_EQ(fileBytes(t.path()), original);
    EXPECT_EQ(pagesOf(fileBytes(copy)), pagesOf(original));
    EXPECT_EQ(fileBytes(t.path() + QStringLiteral(".v1.bak")), QByteArray("someone else's"));

    // Read-only, the book is shown as it is, and its reports name the faults.
    ASSERT_TRUE(book.open(t.path(), OpenOptions{.readOnly = true}).ok());
    EXPECT_EQ(book.format(), 1);
    EXPECT_THROW(findTransactions(book, TranSearch{}), DbError);
    book.close();
    EXPECT_EQ(fileBytes(t.path()), original);
}

TEST(Migrations, ReportsAreReadsThatNeedNoWriteLockAndWorkOnAReadOnlyBook)
{
    TestBook t;
    t.addAccount(10, QStringLiteral("Bank"), 4, Money::fromCents(1000));
    t.addTransaction(1, QDate(2024, 1, 5), 4, 10, Money::fromCents(250));
    const auto reports = [](const Book &book) {
        const LedgerResult ledger = computeLedger(book, {qint64(10), from, to, fyStart});
        SummaryInput in;
        in.accounts = {{10, AccountSide::Account, QStringLiteral("Bank")}};
        in.fromDate = from;
        in.toDate = to;
        const SummaryResult summary = computeSummary(book, in);
        return std::make_pair(ledger.closingBalance.cents(), summary.totalBalance.cents());
    };
    const auto expected = std::make_pair(qint64(1250), qint64(1250));
    t.book().close();

    // Another program holds the write lock with an uncommitted insert; the
    // book opens with a short wait, so a report needing the lock would fail.
    Book book;
    ASSERT_TRUE(book.open(t.path(), OpenOptions{.busyTimeoutMs = 10}).ok());
    {
        Book other;
        ASSERT_TRUE(other.open(t.path()).ok());
        runSql(connectionOf(other), QStringLiteral("BEGIN IMMEDIATE"));
        runSql(connectionOf(other),
               QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount, particulars, version_date) VALUES (2, '2024-01-06', 4, 'A', 10, 'A', "
                              "999, NULL, NULL)"));
        EXPECT_EQ(reports(book), expected);
        runSql(connectionOf(other), QStringLiteral("ROLLBACK"));
    }
    book.close();

    ASSERT_TRUE(book.open(t.path(), OpenOptions{.readOnly = true}).ok());
    EXPECT_EQ(reports(book), expected);
    EXPECT_THROW(runSql(connectionOf(book), QStringLiteral("DELETE FROM transaction_master")), DbError);
    book.close();
}
