#include "apppaths.h"
#include "book.h"
#include "bookchangewatch.h"
#include "dates.h"
#include "sql.h"
#include "systemsettings.h"
#include "testbook.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;
using bc::test::fileBytes;

TEST(Book, NewBookHoldsTheSchemaAndBuiltInAccounts)
{
    TestBook t;
    EXPECT_TRUE(t.book().isOpen());
    EXPECT_EQ(t.count(QStringLiteral("Account_Type_Master")), 6);
    QSqlQuery q = runSql(t.db(), QStringLiteral("SELECT account_name FROM account_master ORDER BY account_id"));
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    EXPECT_EQ(names, (QStringList{"RST", "SC", "CST", "CASH", "SALES", "PURCHASE"}));
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 0);
    EXPECT_EQ(t.count(QStringLiteral("tmp_party_i")), 0);
    // A second create never overwrites.
    const QByteArray before = fileBytes(t.path());
    EXPECT_FALSE(Book::create(t.path()).isEmpty());
    EXPECT_EQ(fileBytes(t.path()), before);
}

TEST(Book, MissingPathIsRefusedAndNothingIsCreated)
{
    QTemporaryDir dir;
    Book book;
    const QString path = dir.path() + QStringLiteral("/nowhere.fd");
    const OpenResult r = book.open(path);
    EXPECT_EQ(r.code, OpenResult::PathRefused);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(book.open(QString()).code, OpenResult::PathRefused);
    EXPECT_EQ(book.open(dir.path()).code, OpenResult::PathRefused); // a folder
    EXPECT_FALSE(book.isOpen());
}

TEST(Book, FilesThatAreNotBooksAreRefusedAndLeftUntouched)
{
    QTemporaryDir dir;
    TestBook good;
    good.book().close();
    const QByteArray bookBytes = fileBytes(good.path());
    ASSERT_GT(bookBytes.size(), 8192);

    const QString foreign = dir.path() + QStringLiteral("/foreign.fd");

    bc::test::createForeignDatabase(foreign);

    const QList<QPair<QString, QByteArray>> cases = {
        {QStringLiteral("empty.fd"), QByteArray()},
        {QStringLiteral("text.fd"), QByteArray("DBPath#whatever\r\nThis is a letter, not a book.\r\n")},
        {QStringLiteral("truncated.fd"), bookBytes.left(bookBytes.size() / 2)},
        {QStringLiteral("header-only.fd"), bookBytes.left(100)},
    };
    for (const auto &[name, bytes] : cases)
        ASSERT_TRUE(bc::test::writeBytes(dir.path() + u'/' + name, bytes));

    QStringList paths{foreign};
    for (const auto &c : cases)
        paths << dir.path() + u'/' + c.first;
    for (const QString &path : paths) {
        const QByteArray before = fileBytes(path);
        Book book;
        const OpenResult r = book.open(path);
        EXPECT_EQ(r.code, OpenResult::OtherFailure) << path.toStdString();
        EXPECT_FALSE(r.description.isEmpty());
        EXPECT_FALSE(book.isOpen());
        EXPECT_EQ(fileBytes(path), before) << path.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-journal")));
    }
}

TEST(Book, IncompleteBookNamesWhatIsMissing)
{
    TestBook t;
    runSql(t.db(), QStringLiteral("DROP TABLE Party_master"));
    t.book().close();
    Book book;
    OpenResult r = book.open(t.path());
    EXPECT_EQ(r.code, OpenResult::OtherFailure);
    EXPECT_TRUE(r.description.contains(QLatin1String("Party_master"))) << r.description.toStdString();

    TestBook u;
    runSql(u.db(), QStringLiteral("DELETE FROM saved_queries WHERE name = 'sp_Set_AccName2'"));
    u.book().close();
    r = book.open(u.path());
    EXPECT_EQ(r.code, OpenResult::OtherFailure);
    EXPECT_TRUE(r.description.contains(QLatin1String("sp_Set_AccName2"))) << r.description.toStdString();

    // Work tables are the connection's own: a format-1 book without them
    // opens, read-only as well as migrated.
    TestBook v(TestBook::Kind::Format1ReadOnly);
    runSql(v.writer(), QStringLiteral("DROP TABLE tmp_Acc_Ldgr"));
    runSql(v.writer(), QStringLiteral("DROP TABLE tmp_party_i"));
    v.book().close();
    EXPECT_TRUE(book.open(v.path(), OpenOptions{.readOnly = true}).ok());
    EXPECT_EQ(book.format(), 1);
    EXPECT_TRUE(book.open(v.path()).ok());
    EXPECT_EQ(book.format(), Book::formatVersion);
}

TEST(Book, NewerFormatIsRefusedUnchangedAndOlderBooksOpen)
{
    TestBook t;
    QSqlQuery q = runSql(t.db(), QStringLiteral("SELECT value FROM book_info WHERE key = 'version'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QString::number(Book::formatVersion));
    q.finish();
    runSql(t.db(), QStringLiteral("UPDATE book_info SET value = '99' WHERE key = 'version'"));
    t.book().close();
    const QByteArray before = fileBytes(t.path());
    Book book;
    OpenResult r = book.open(t.path());
    EXPECT_EQ(r.code, OpenResult::OtherFailure);
    EXPECT_EQ(r.description,
              QStringLiteral("This book was written by a newer Brindlecot (format 99); "
                             "this program reads up to format %1.")
                  .arg(Book::formatVersion));
    EXPECT_FALSE(book.isOpen());
    EXPECT_EQ(fileBytes(t.path()), before);

    // Books made before the version was written, without the row and
    // without book_info at all, are of format 1 and migrated.
    for (const char *statement : {"DELETE FROM book_info WHERE key = 'version'", "DROP TABLE book_info"}) {
        TestBook u(TestBook::Kind::Format1ReadOnly);
        runSql(u.writer(), QLatin1String(statement));
        u.book().close();
        ASSERT_TRUE(book.open(u.path()).ok()) << statement;
        EXPECT_EQ(book.format(), Book::formatVersion);
        q = runSql(connectionOf(book), QStringLiteral("SELECT value FROM book_info WHERE key = 'version'"));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString(), QString::number(Book::formatVersion));
        q.finish();
        book.close();
    }
}

TEST(Book, FirstStartCreatesTheDefaultBookOnlyOnce)
{
    QTemporaryDir dir;
    AppPaths paths{dir.path() + QStringLiteral("/new/folder")};
    EXPECT_EQ(paths.createDefaultBookOnFirstStart(), QString());
    ASSERT_TRUE(QFileInfo::exists(paths.defaultBookPath()));
    Book book;
    EXPECT_TRUE(book.open(paths.defaultBookPath()).ok());
    book.close();
    // With a settings file present nothing is created, even without the book.
    QFile::remove(paths.defaultBookPath());
    ASSERT_TRUE(bc::test::writeBytes(paths.settingsFilePath(), "DBPath#/elsewhere.fd\r\n"));
    EXPECT_EQ(paths.createDefaultBookOnFirstStart(), QString());
    EXPECT_FALSE(QFileInfo::exists(paths.defaultBookPath()));
}

TEST(SystemSettings, LoadMatchesCodesExactlyAndFillsBlankYears)
{
    TestBook t;
    runSql(t.db(), QStringLiteral("DELETE FROM system_settings"));
    const QString insert = QStringLiteral(
        "INSERT INTO system_settings (sys_code, sys_value, saved_on) VALUES (?, ?, NULL)");
    runSql(t.db(), insert, {QStringLiteral("USER"), QStringLiteral(" Admin ")});
    runSql(t.db(), insert, {QStringLiteral("user"), QStringLiteral("ignored")});
    runSql(t.db(), insert, {QStringLiteral("CURR"), QStringLiteral("0")});
    runSql(t.db(), insert, {QStringLiteral("DTFM"), QStringLiteral("d/M/yyyy")});
    runSql(t.db(), insert, {QStringLiteral("DTFM"), QStringLiteral("M/d/yyyy")});
    runSql(t.db(), insert, {QStringLiteral("FYST"), QStringLiteral("  ")});
    SystemSettings s;
    s.password = QStringLiteral("kept");
    LoadSystemSettings(t.book(), s);
    EXPECT_EQ(s.userName, QStringLiteral("Admin"));
    EXPECT_EQ(s.password, QStringLiteral("kept")); // no PASS row: unchanged
    EXPECT_EQ(s.currency, QString());
    EXPECT_EQ(s.dateFormat, QStringLiteral("M/d/yyyy")); // the later row wins
    EXPECT_FALSE(s.finYearStart.isValid()); // blank: no year start, not today
    EXPECT_FALSE(s.finYearEnd.isValid());
    EXPECT_TRUE(s.needsLogin());
}

TEST(SystemSettings, SaveWritesSixStampedRowsAndRoundTripsAnyText)
{
    TestBook t;
    SystemSettingsInput in;
    in.userName = QStringLiteral("  O'Brien ");
    in.password = QStringLiteral("p'; DROP TABLE account_master; --");
    in.finYearStart = QDate(2024, 4, 1);
    in.finYearEnd = QDate(2025, 3, 31);
    in.currency = QStringLiteral(" € ");
    in.monthFirst = true;
    saveSystemSettings(t.book(), in, QDate(2026, 12, 7));
    EXPECT_EQ(t.count(QStringLiteral("system_settings")), 6);
    QSqlQuery q = runSql(t.db(), QStringLiteral("SELECT count(*) FROM system_settings WHERE saved_on = '12/07/2026'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 6);
    SystemSettings s;
    LoadSystemSettings(t.book(), s);
    EXPECT_EQ(s.userName, QStringLiteral("O'Brien"));
    EXPECT_EQ(s.password, in.password);
    EXPECT_EQ(s.currency, QStringLiteral("€"));
    EXPECT_EQ(s.dateFormat, QStringLiteral("M/d/yyyy"));
    EXPECT_EQ(s.finYearStart, QDate(2024, 4, 1));
    EXPECT_EQ(s.finYearEnd, QDate(2025, 3, 31));
    EXPECT_EQ(t.count(QStringLiteral("account_master")), 6);
}

TEST(SystemSettings, FailedSaveKeepsTheOldRows)
{
    TestBook t;
    // A trigger makes the fourth insert fail part-way through the save.
    runSql(t.db(),
           QStringLiteral("CREATE TRIGGER fail_fyen BEFORE INSERT ON system_settings "
                          "WHEN NEW.sys_code = 'FYEN' BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
    SystemSettingsInput in;
    in.userName = QStringLiteral("new");
    in.finYearStart = in.finYearEnd = QDate(2024, 1, 1);
    EXPECT_THROW(saveSystemSettings(t.book(), in, QDate(2026, 12, 7)), DbError);
    SystemSettings s;
    LoadSystemSettings(t.book(), s);
    EXPECT_EQ(s.userName, QString());
    EXPECT_EQ(s.dateFormat, QStringLiteral("d/M/yyyy"));
    EXPECT_EQ(t.count(QStringLiteral("system_settings")), 6);
}

TEST(Book, WatchReportsOnlyOtherConnectionsSaves)
{
    TestBook t;
    BookChangeWatch watch(t.book());
    int reports = 0;
    QObject::connect(&watch, &BookChangeWatch::changedElsewhere, [&] { ++reports; });
    const auto setOpening = [](const Book &book, int cents) {
        runSql(connectionOf(book), QStringLiteral("UPDATE account_master SET open_amount = ? WHERE account_id = 4"),
               {cents});
    };

    EXPECT_FALSE(watch.poll()); // nothing happened yet
    setOpening(t.book(), 100);
    EXPECT_FALSE(watch.poll()); // its own save is no news

    Book other;
    ASSERT_TRUE(other.open(t.path()).ok());
    setOpening(other, 55500);
    setOpening(other, 55600);
    EXPECT_TRUE(watch.poll());
    EXPECT_EQ(reports, 1); // two saves since the last poll: one report
    EXPECT_FALSE(watch.poll());
    setOpening(t.book(), 200);
    EXPECT_FALSE(watch.poll());
    EXPECT_EQ(reports, 1);

    // While another program holds the book to write it, the poll has no
    // answer and waits for none; the save shows at the poll after it.
    // The book's own statements still wait for a lock as long as before.
    const QSqlDatabase writer = connectionOf(other);
    runSql(writer, QStringLiteral("BEGIN EXCLUSIVE"));
    runSql(writer, QStringLiteral("UPDATE account_master SET open_amount = 400 WHERE account_id = 4"));
    EXPECT_FALSE(watch.poll());
    runSql(writer, QStringLiteral("COMMIT"));
    EXPECT_TRUE(watch.poll());
    EXPECT_EQ(reports, 2);
    QSqlQuery waits = runSql(t.db(), QStringLiteral("PRAGMA busy_timeout"));
    ASSERT_TRUE(waits.next());
    EXPECT_EQ(waits.value(0).toInt(), OpenOptions().busyTimeoutMs);
    waits.finish();

    // A closed book is never reported.
    t.book().close();
    setOpening(other, 300);
    EXPECT_FALSE(watch.poll());
    EXPECT_EQ(reports, 2);
}
