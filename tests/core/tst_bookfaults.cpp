// Books that cannot be written: read-only, held by another process, or on a
// full disk. Each gives a message that says so, never hangs, and leaves the
// file exactly as it was.
#include "accounts.h"
#include "bookdigest.h"
#include "bookfaults.h"
#include "dates.h"
#include "ledger.h"
#include "sql.h"
#include "systemsettings.h"
#include "testbook.h"
#include "transactions.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;
using bc::test::fileBytes;

namespace {

const QDate Today(2026, 1, 15);

// A book with one account and one transaction of its own.
void fillBook(TestBook &t)
{
    t.addAccount(10, QStringLiteral("Bank"), 4, Money::fromCents(10000));
    t.addTransaction(1, QDate(2025, 6, 1), 5, 10, Money::fromCents(2500), QStringLiteral("takings"));
}

// An account grid with one new account whose particulars are long enough to
// need new pages of the file.
RowArray newAccountRows(int particularsLength = 10)
{
    RowArray rows = makeAccountRows();
    for (int k = 0; k < 3; ++k) {
        const int r = rows.appendRow();
        rows.setText(r, AccountCol::Name, QStringLiteral("New %1").arg(k));
        rows.setInt(r, AccountCol::Type, 1);
        rows.setText(r, AccountCol::Particulars, QString(particularsLength, QChar(u'a' + k)));
        rows.setEditMark(r, AccountCol::Status, EditMark::Changed);
    }
    return rows;
}

RowArray newTransactionRows(int particularsLength = 10)
{
    RowArray rows = makeTranRows();
    for (int k = 0; k < 3; ++k) {
        const int r = rows.appendRow();
        rows.setDate(r, TranCol::Date, QDate(2025, 7, 1 + k));
        rows.setKey(r, TranCol::From, {AccountSide::Account, 4});
        rows.setKey(r, TranCol::To, {AccountSide::Account, 10});
        rows.setMoney(r, TranCol::Amount, Money::fromCents(100 + k));
        rows.setText(r, TranCol::Particulars, QString(particularsLength, QChar(u'a' + k)));
        rows.setEditMark(r, TranCol::Status, EditMark::Changed);
    }
    return rows;
}

SystemSettingsInput settingsInput(int length = 5)
{
    SystemSettingsInput in;
    in.userName = QString(length, u'u');
    in.finYearStart = QDate(2025, 1, 1);
    in.finYearEnd = QDate(2025, 12, 31);
    return in;
}

// Tries the three saves and checks that each is refused with the fault's
// words and that the book file has not changed. Where the book can still be
// written, the clean-up after a failed save empties work tables and so
// touches the file's header: then its tables are compared instead.
enum class Compare { Bytes, Tables };
void expectEverySaveRefused(Book &book, const QString &bookPath, DbFault fault, const QString &words,
                            Compare compare = Compare::Bytes, int particularsLength = 10)
{
    const bool writable = compare == Compare::Tables;
    const QByteArray before = writable ? test::bookDigest(connectionOf(book)).toUtf8() : fileBytes(bookPath);
    const AccountSaveResult accounts = saveAccounts(book, newAccountRows(particularsLength), Today);
    EXPECT_EQ(accounts.outcome, AccountSaveResult::Outcome::Failed);
    EXPECT_EQ(accounts.title, QStringLiteral("Error"));
    EXPECT_TRUE(accounts.text.startsWith(QLatin1String("Error : \r\n\r\n")));
    EXPECT_TRUE(accounts.text.contains(words)) << accounts.text.toStdString();

    const TranSaveResult transactions = saveTransactions(book, newTransactionRows(particularsLength),
                                                         QDateTime(Today, QTime(9, 0)));
    EXPECT_EQ(transactions.outcome, TranSaveResult::Outcome::Failed);
    EXPECT_TRUE(transactions.text.startsWith(QLatin1String("Error saving the data\r\n\r\n")));
    EXPECT_TRUE(transactions.text.contains(words)) << transactions.text.toStdString();

    try {
        saveSystemSettings(book, settingsInput(particularsLength), Today);
        ADD_FAILURE() << "the settings were saved";
    } catch (const DbError &e) {
        EXPECT_EQ(e.fault(), fault);
        EXPECT_TRUE(e.description().contains(words)) << e.description().toStdString();
    }
    EXPECT_EQ(writable ? test::bookDigest(connectionOf(book)).toUtf8() : fileBytes(bookPath), before);
    EXPECT_FALSE(QFileInfo::exists(bookPath + QStringLiteral("-journal")));
}

} // namespace

TEST(BookFaults, ReadOnlyBookShowsEverythingAndRefusesEverySaveClearly)
{
    TestBook t;
    fillBook(t);
    t.book().close();
    const QByteArray before = fileBytes(t.path());
    {
        test::ReadOnlyBook readOnly(t.path());
        Book book;
        const OpenResult opened = book.open(t.path());
        ASSERT_TRUE(opened.ok()) << opened.description.toStdString();
        // Lists and reports fill their work tables in temporary copies.
        EXPECT_EQ(findAccounts(book, QString(), QString(), QString()).rows.rowCount(), 7);
        EXPECT_EQ(findTransactions(book, TranSearch{}).rows.rowCount(), 1);
        const LedgerResult ledger = computeLedger(book,
                                                  {qint64(10), QDate(2025, 1, 1), QDate(2025, 12, 31),
                                                   QDate(2025, 1, 1)});
        EXPECT_EQ(ledger.closingBalance.cents(), 12500);
        expectEverySaveRefused(book, t.path(), DbFault::ReadOnly, QStringLiteral("The book is read-only"));
        EXPECT_EQ(findAccounts(book, QString(), QString(), QString()).rows.rowCount(), 7);
    }
    EXPECT_EQ(fileBytes(t.path()), before);
}

TEST(BookFaults, BookLockedByAnotherProcessIsReportedAfterTheWaitNotHungOn)
{
    TestBook t;
    fillBook(t);
    // The wait for the lock is the usual one but for its length.
    const OpenOptions shortWait{.busyTimeoutMs = 50};
    Book &open = t.book();
    ASSERT_TRUE(open.open(t.path(), shortWait).ok());
    const QByteArray before = fileBytes(t.path());
    {
        test::BookLock lock(t.path());
        ASSERT_TRUE(lock.held());
        // Opening must read the book's tables, which the lock forbids.
        Book second;
        const OpenResult opened = second.open(t.path(), shortWait);
        EXPECT_EQ(opened.code, OpenResult::OtherFailure);
        EXPECT_TRUE(opened.description.contains(QLatin1String("in use by another program")))
            << opened.description.toStdString();
        // A book opened before the lock was taken refuses its saves.
        expectEverySaveRefused(open, t.path(), DbFault::Locked, QStringLiteral("in use by another program"));
        try {
            findAccounts(open, QString(), QString(), QString());
            ADD_FAILURE() << "the accounts were read";
        } catch (const DbError &e) {
            EXPECT_EQ(e.fault(), DbFault::Locked);
        }
    }
    EXPECT_EQ(fileBytes(t.path()), before);
    // Once the other program lets go, saving works again.
    EXPECT_TRUE(saveAccounts(open, newAccountRows(), Today).ok());
}

TEST(BookFaults, BookThatCannotGrowRefusesSavesAndStaysAsItWas)
{
    // The connection may not add pages to the file: to the program this is
    // the same failure as a disk that has filled up.
    TestBook t;
    fillBook(t);
    QSqlQuery pages = runSql(t.db(), QStringLiteral("PRAGMA page_count"));
    ASSERT_TRUE(pages.next());
    runSql(t.db(), QStringLiteral("PRAGMA max_page_count = %1").arg(pages.value(0).toLongLong()));
    pages.finish();
    expectEverySaveRefused(t.book(), t.path(), DbFault::DiskFull, QStringLiteral("disk holding the book is full"),
                           Compare::Tables, 5000);
    EXPECT_EQ(t.count(QStringLiteral("account_master")), 7);
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 1);
}

TEST(BookFaults, BookOnAFullDiskRefusesSavesAndStaysAsItWas)
{
    TestBook t;
    fillBook(t);
    t.book().close();
    const auto disk = test::FullDisk::mount(t.dir() + QStringLiteral("/disk"), t.path());
    if (!disk)
        GTEST_SKIP() << "mounting a small file system is not permitted here";
    Book book;
    ASSERT_TRUE(book.open(disk->bookPath()).ok());
    expectEverySaveRefused(book, disk->bookPath(), DbFault::DiskFull, QStringLiteral("disk holding the book is full"));
    EXPECT_EQ(findAccounts(book, QString(), QString(), QString()).rows.rowCount(), 7);
}

TEST(BookFaults, BookLeftHalfSavedByACrashIsPutBackAndOpens)
{
    TestBook t;
    fillBook(t);
    const QString before = test::bookDigest(t.db());
    t.book().close();

    // A save under way in another connection, its changes already spilled
    // from a small cache into the file after the journal: the book and its
    // journal copied now are what a crash at this moment leaves behind.
    QTemporaryDir crash;
    const QString copy = crash.filePath(QStringLiteral("book.fd"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("half-saved"));
        db.setDatabaseName(t.path());
        ASSERT_TRUE(db.open());
        runSql(db, QStringLiteral("PRAGMA journal_mode = DELETE"));
        runSql(db, QStringLiteral("PRAGMA cache_size = 10"));
        runSql(db, QStringLiteral("BEGIN"));
        runSql(db, QStringLiteral("DELETE FROM transaction_master"));
        runSql(db, QStringLiteral("CREATE TABLE filler (x)"));
        runSql(db,
               QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                              "INSERT INTO filler SELECT randomblob(2000) FROM n"));
        ASSERT_TRUE(QFile::copy(t.path(), copy));
        ASSERT_TRUE(QFile::copy(t.path() + QStringLiteral("-journal"), copy + QStringLiteral("-journal")));
        runSql(db, QStringLiteral("ROLLBACK"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("half-saved"));

    // The commit had written the first page, which counts the pages the book
    // would have had, but not yet the pages added at the end.
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray header = file.read(100);
    const quint32 pageSize = (quint32(quint8(header[16])) << 8) | quint8(header[17]);
    const quint32 pages = quint32(file.size() / pageSize) + 100;
    for (int i = 0; i < 4; ++i) {
        header[28 + i] = char(pages >> (24 - 8 * i));
        header[92 + i] = header[24 + i];
    }
    ASSERT_TRUE(file.seek(0));
    ASSERT_EQ(file.write(header), 100);
    file.close();

    Book book;
    const OpenResult opened = book.open(copy);
    ASSERT_TRUE(opened.ok()) << opened.description.toStdString();
    EXPECT_FALSE(QFileInfo::exists(copy + QStringLiteral("-journal")));
    EXPECT_EQ(test::bookDigest(connectionOf(book)), before);
    QSqlQuery check = runSql(connectionOf(book), QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(check.next());
    EXPECT_EQ(check.value(0).toString(), QStringLiteral("ok"));
}
