// The command-line tool with awkward text and with books it cannot use:
// the text comes back exactly through import, search, ledger and export;
// a damaged, foreign, incomplete, read-only, locked or full book gives a
// one-line reason and exit status 1, never a crash, and stays as it was.
// Outputs never replace the book or a file unasked, fail loudly when they
// cannot be written, and keep text cells from running as formulas.
#include "book.h"
#include "bookfaults.h"
#include "clirunner.h"
#include "csv.h"
#include "hostiletext.h"
#include "sql.h"
#include "testbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace bc;
using bc::test::CliRun;
using bc::test::cli;
using bc::test::csvRows;
using bc::test::ok;
using bc::test::fileBytes;
using bc::test::hostileTexts;

namespace {

// A refusal: status 1, nothing on standard output, one line naming why.
void expectRefused(const CliRun &run, const QString &words)
{
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.err).contains(words)) << run.err.toStdString();
}

// The book's own name for the account a hostile text stands for.
QString accountFor(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("SALES") : text;
}

} // namespace

TEST(CliSafety, AwkwardTextComesBackExactly)
{
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("book.fd"));
    QString accounts = csvLine(
        {QStringLiteral("name"), QStringLiteral("type"), QStringLiteral("opening"), QStringLiteral("particulars")});
    QString transactions = csvLine({QStringLiteral("date"), QStringLiteral("from"), QStringLiteral("to"),
                                    QStringLiteral("amount"), QStringLiteral("particulars")});
    for (int k = 0; k < hostileTexts().size(); ++k) {
        const QString &text = hostileTexts()[k];
        if (!text.isEmpty())
            accounts += csvLine({text, QStringLiteral("Asset"), QStringLiteral("1.00"), text});
        transactions += csvLine({QStringLiteral("2025-06-%1").arg(k + 1, 2, 10, QLatin1Char('0')),
                                 QStringLiteral("CASH"), accountFor(text), QStringLiteral("10.00"), text});
    }
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("a.csv")), accounts.toUtf8()));
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("t.csv")), transactions.toUtf8()));
    ok({QStringLiteral("new"), book});
    ok({QStringLiteral("import"), book, QStringLiteral("accounts"), dir.filePath(QStringLiteral("a.csv"))});
    ok({QStringLiteral("import"), book, QStringLiteral("transactions"), dir.filePath(QStringLiteral("t.csv"))});

    // Exported exactly as imported.
    const QList<QStringList> exported = csvRows(ok({QStringLiteral("export"), book, QStringLiteral("accounts")}));
    for (const QString &text : hostileTexts())
        EXPECT_TRUE(text.isEmpty()
                    || exported.contains(QStringList{text, QStringLiteral("Asset"), QStringLiteral("1.00"), text}))
            << text.left(40).toStdString();
    const QList<QStringList> moved = csvRows(ok({QStringLiteral("export"), book, QStringLiteral("transactions")}));
    ASSERT_EQ(moved.size(), hostileTexts().size() + 1);
    for (int k = 0; k < hostileTexts().size(); ++k) {
        EXPECT_EQ(moved[k + 1].value(2), accountFor(hostileTexts()[k]));
        EXPECT_EQ(moved[k + 1].value(4), hostileTexts()[k]);
    }

    // Searched and reported by the awkward text itself.
    for (const QString &text : hostileTexts()) {
        const QList<QStringList> found = csvRows(
            ok({QStringLiteral("transactions"), book, QStringLiteral("--particulars"), text, QStringLiteral("--format"),
                QStringLiteral("csv")}));
        int want = 0;
        for (const QString &p : hostileTexts())
            want += bc::test::asciiLower(p).contains(bc::test::asciiLower(text)) ? 1 : 0;
        EXPECT_EQ(found.size() - 1, want) << text.left(40).toStdString();
        const QList<QStringList> ledger = csvRows(
            ok({QStringLiteral("ledger"), book, QStringLiteral("--account"), accountFor(text), QStringLiteral("--from"),
                QStringLiteral("2025-01-01"), QStringLiteral("--to"), QStringLiteral("2025-12-31"),
                QStringLiteral("--format"), QStringLiteral("csv")}));
        bool shown = false;
        for (const QStringList &row : ledger)
            shown = shown || row.value(1) == QStringLiteral("By CASH [") + text + u']';
        EXPECT_TRUE(shown) << text.left(40).toStdString();
    }
    Book opened;
    ASSERT_TRUE(opened.open(book).ok());
    QSqlQuery check = runSql(connectionOf(opened), QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(check.next());
    EXPECT_EQ(check.value(0).toString(), QStringLiteral("ok"));
}

// A good book and an accounts file to import into books that cannot take it.
struct UnusableBook : ::testing::Test {
    test::TestBook good;
    QTemporaryDir dir;
    QByteArray bytes;
    QString accountsFile = dir.filePath(QStringLiteral("a.csv"));

    void SetUp() override
    {
        good.book().close();
        bytes = fileBytes(good.path());
        ASSERT_TRUE(bc::test::writeBytes(accountsFile, "name,type,opening,particulars\r\nFuel,Expense,,\r\n"));
    }

    QStringList importInto(const QString &path) const
    {
        return {QStringLiteral("import"), path, QStringLiteral("accounts"), accountsFile};
    }

    QString copyWith(const QString &name, const QString &statement)
    {
        const QString path = dir.filePath(name);
        QFile::copy(good.path(), path);
        Book book;
        EXPECT_TRUE(book.open(path).ok());
        runSql(connectionOf(book), statement);
        return path;
    }
};

TEST_F(UnusableBook, DamagedForeignAndIncompleteBooksAreRefusedAndLeftAlone)
{
    const QString foreign = dir.filePath(QStringLiteral("foreign.fd"));
    bc::test::createForeignDatabase(foreign);
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("empty.fd")), QByteArray()));
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("text.fd")), "Just some notes.\n"));
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("cut.fd")), bytes.left(bytes.size() / 3)));
    const QList<QPair<QString, QString>> cases = {
        {dir.filePath(QStringLiteral("empty.fd")), QStringLiteral("is not a Brindlecot book")},
        {dir.filePath(QStringLiteral("text.fd")), QStringLiteral("is not a Brindlecot book")},
        {dir.filePath(QStringLiteral("cut.fd")), QStringLiteral("is damaged")},
        {foreign, QStringLiteral("is a database but not a Brindlecot book")},
        {copyWith(QStringLiteral("notable.fd"), QStringLiteral("DROP TABLE Party_master")),
         QStringLiteral("the table \"Party_master\" is missing")},
        {copyWith(QStringLiteral("noquery.fd"),
                  QStringLiteral("DELETE FROM saved_queries WHERE name = 'sp_tran_search_1'")),
         QStringLiteral("the saved query \"sp_tran_search_1\" is missing")},
        {copyWith(QStringLiteral("newer.fd"),
                  QStringLiteral("UPDATE book_info SET value = '99' WHERE key = 'version'")),
         QStringLiteral("This book was written by a newer Brindlecot (format 99); this program reads up to format %1.")
             .arg(Book::formatVersion)},
    };
    for (const auto &[path, words] : cases) {
        const QByteArray before = fileBytes(path);
        expectRefused(cli({QStringLiteral("accounts"), path}), words);
        expectRefused(cli({QStringLiteral("ledger"), path, QStringLiteral("--account"), QStringLiteral("CASH"),
                           QStringLiteral("--from"), QStringLiteral("2025-01-01"), QStringLiteral("--to"),
                           QStringLiteral("2025-12-31")}),
                      words);
        expectRefused(cli(importInto(path)), words);
        EXPECT_EQ(fileBytes(path), before) << path.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral("-journal")));
    }
}

TEST_F(UnusableBook, ReadOnlyBookIsListedAndReportedButAnImportSaysWhy)
{
    const QString path = dir.filePath(QStringLiteral("readonly/book.fd"));
    QDir().mkpath(QFileInfo(path).path());
    QFile::copy(good.path(), path);
    {
        test::ReadOnlyBook readOnly(path);
        const auto withoutOverride = [](QProcess &p) { test::ReadOnlyBook::childWithoutOverride(p); };
        if (!test::ReadOnlyBook::childCannotWrite(path))
            GTEST_SKIP() << "programs started here may write to read-only files";
        EXPECT_EQ(cli({QStringLiteral("accounts"), path}, withoutOverride).status, 0);
        EXPECT_EQ(cli({QStringLiteral("ledger"), path, QStringLiteral("--account"), QStringLiteral("CASH"),
                       QStringLiteral("--from"), QStringLiteral("2025-01-01"), QStringLiteral("--to"),
                       QStringLiteral("2025-12-31")},
                      withoutOverride)
                      .status,
                  0);
        expectRefused(cli(importInto(path), withoutOverride), QStringLiteral("The book is read-only"));
    }
    EXPECT_EQ(fileBytes(path), bytes);
}

TEST_F(UnusableBook, LockedBookIsRefusedAfterTheWaitNotHungOn)
{
    {
        test::BookLock lock(good.path());
        ASSERT_TRUE(lock.held());
        // The wait for the lock is the tool's usual one but for its length.
        const auto shortWait = [](QProcess &process) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("BRINDLECOT_BUSY_TIMEOUT_MS"), QStringLiteral("100"));
            process.setProcessEnvironment(environment);
        };
        expectRefused(cli({QStringLiteral("accounts"), good.path()}, shortWait),
                      QStringLiteral("in use by another program"));
        expectRefused(cli(importInto(good.path()), shortWait), QStringLiteral("in use by another program"));
    }
    EXPECT_EQ(fileBytes(good.path()), bytes);
}

TEST_F(UnusableBook, BookOnAFullDiskRefusesAnImportAndStaysWhole)
{
    const auto disk = test::FullDisk::mount(dir.filePath(QStringLiteral("disk")), good.path());
    if (!disk)
        GTEST_SKIP() << "mounting a small file system is not permitted here";
    expectRefused(cli(importInto(disk->bookPath())), QStringLiteral("The disk holding the book is full"));
    EXPECT_EQ(fileBytes(disk->bookPath()), bytes);
    EXPECT_EQ(ok({QStringLiteral("accounts"), disk->bookPath(), QStringLiteral("--format"), QStringLiteral("csv")})
                  .count('\n'),
              7);
}

// A book with accounts and transactions, and the files the output tests
// write beside it.
struct OutputTarget : ::testing::Test {
    QTemporaryDir dir;
    QString book = dir.filePath(QStringLiteral("book.fd"));

    void SetUp() override
    {
        const QString accounts = dir.filePath(QStringLiteral("accounts.csv"));
        ASSERT_TRUE(bc::test::writeBytes(accounts, "name,type,opening,particulars\r\nBank,Asset,100.00,\r\n"));
        ok({QStringLiteral("new"), book});
        ok({QStringLiteral("import"), book, QStringLiteral("accounts"), accounts});
    }

    QStringList exportTo(const QString &path) const
    {
        return {QStringLiteral("export"), book, QStringLiteral("accounts"), QStringLiteral("--output"), path};
    }
    QStringList printTo(const QString &path) const
    {
        return {QStringLiteral("print"),
                book,
                QStringLiteral("summary"),
                QStringLiteral("--from"),
                QStringLiteral("2025-01-01"),
                QStringLiteral("--to"),
                QStringLiteral("2025-12-31"),
                QStringLiteral("--pdf"),
                path};
    }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    }
};

TEST_F(OutputTarget, NeverWritesOverTheBookNorAnExistingFileUnasked)
{
    const QByteArray bookBytes = fileBytes(book);
    const QString hardLink = dir.filePath(QStringLiteral("hard.fd"));
    const QString symLink = dir.filePath(QStringLiteral("soft.csv"));
    ASSERT_EQ(::link(QFile::encodeName(book).constData(), QFile::encodeName(hardLink).constData()), 0);
    ASSERT_TRUE(QFile::link(book, symLink));
    for (const QString &target : {book, hardLink, symLink, dir.filePath(QStringLiteral("./book.fd"))}) {
        expectRefused(cli(exportTo(target) << QStringLiteral("--force")), QStringLiteral("is the book itself"));
        expectRefused(cli(printTo(target) << QStringLiteral("--force")), QStringLiteral("is the book itself"));
    }
    EXPECT_EQ(fileBytes(book), bookBytes);

    const QString existing = dir.filePath(QStringLiteral("out.csv"));
    ASSERT_TRUE(bc::test::writeBytes(existing, "keep me\n"));
    expectRefused(cli(exportTo(existing)), QStringLiteral("exists already; give --force"));
    expectRefused(cli(printTo(existing)), QStringLiteral("exists already; give --force"));
    EXPECT_EQ(fileBytes(existing), QByteArray("keep me\n"));

    ok(exportTo(existing) << QStringLiteral("--force"));
    EXPECT_EQ(fileBytes(existing), ok({QStringLiteral("export"), book, QStringLiteral("accounts")}));
    ok(QStringList{QStringLiteral("print"), book, QStringLiteral("--force")} << printTo(existing).mid(2));
    EXPECT_TRUE(fileBytes(existing).startsWith("%PDF-"));
    const QStringList before = entries();
    ok(exportTo(dir.filePath(QStringLiteral("new.csv"))));
    QStringList after = QStringList(before) << QStringLiteral("new.csv");
    after.sort();
    EXPECT_EQ(entries(), after); // no temporary file left
}

TEST_F(OutputTarget, OutputThatCannotBeWrittenFailsWithTheReasonAndLeavesNothing)
{
    struct stat device { };
    expectRefused(cli(exportTo(QStringLiteral("/dev/full"))), QStringLiteral("No space left on device"));
    expectRefused(cli(printTo(QStringLiteral("/dev/full"))), QStringLiteral("No space left on device"));
    ASSERT_EQ(::stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode)); // written to, never replaced
    EXPECT_EQ(cli(exportTo(QStringLiteral("/dev/null"))).status, 0);

    const auto toFull = [](QProcess &p) { p.setStandardOutputFile(QStringLiteral("/dev/full")); };
    for (const QStringList &args :
         {QStringList{QStringLiteral("export"), book, QStringLiteral("transactions")},
          QStringList{QStringLiteral("accounts"), book, QStringLiteral("--format"), QStringLiteral("csv")}}) {
        const CliRun run = cli(args, toFull);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains("cannot write to standard output: No space left on device"))
            << run.err.toStdString();
    }

    const auto disk = test::FullDisk::mount(dir.filePath(QStringLiteral("disk")), book);
    if (!disk)
        GTEST_SKIP() << "mounting a small file system is not permitted here";
    const QString folder = QFileInfo(disk->bookPath()).path(); // the book read is the one beside the test
    const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    expectRefused(cli(exportTo(folder + QStringLiteral("/out.csv"))), QStringLiteral("No space left on device"));
    expectRefused(cli(printTo(folder + QStringLiteral("/out.pdf"))), QStringLiteral("No space left on device"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), before);
}

TEST(CliSafety, TextCellsAreNotRunAsFormulasAndComeBackExactly)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.fd"));
    const QString second = dir.filePath(QStringLiteral("second.fd"));
    const QStringList names{QStringLiteral("=SUM(A1:A9)"), QStringLiteral("+Fund"), QStringLiteral("-Minus"),
                            QStringLiteral("@Home"), QStringLiteral("'=Quoted")};
    QString accounts = csvLine(
        {QStringLiteral("name"), QStringLiteral("type"), QStringLiteral("opening"), QStringLiteral("particulars")});
    QString transactions = csvLine({QStringLiteral("date"), QStringLiteral("from"), QStringLiteral("to"),
                                    QStringLiteral("amount"), QStringLiteral("particulars")});
    for (const QString &name : names) {
        accounts += csvLine({protectedCell(name), QStringLiteral("Asset"), QStringLiteral("-12.50"),
                             protectedCell(QStringLiteral("=HYPERLINK(\"x\")"))});
        transactions += csvLine({QStringLiteral("2025-06-01"), QStringLiteral("CASH"), protectedCell(name),
                                 QStringLiteral("12.50"), protectedCell(QStringLiteral("-12.50"))});
    }
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("a.csv")), accounts.toUtf8()));
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("t.csv")), transactions.toUtf8()));
    ok({QStringLiteral("new"), first});
    ok({QStringLiteral("import"), first, QStringLiteral("accounts"), dir.filePath(QStringLiteral("a.csv"))});
    ok({QStringLiteral("import"), first, QStringLiteral("transactions"), dir.filePath(QStringLiteral("t.csv"))});

    const QByteArray exportedAccounts = ok({QStringLiteral("export"), first, QStringLiteral("accounts")});
    const QByteArray exportedTransactions = ok({QStringLiteral("export"), first, QStringLiteral("transactions")});
    const QList<QStringList> rows = csvRows(exportedAccounts);
    for (const QString &name : names)
        EXPECT_TRUE(rows.contains(QStringList{QStringLiteral("'") + name, QStringLiteral("Asset"),
                                              QStringLiteral("-12.50"), QStringLiteral("'=HYPERLINK(\"x\")")}))
            << name.toStdString();
    for (const QStringList &row : csvRows(exportedTransactions).mid(1))
        EXPECT_EQ(row.mid(3), (QStringList{QStringLiteral("12.50"), QStringLiteral("'-12.50")}));

    // The names are the book's exactly, and a second book made from the
    // export exports the same bytes.
    const QList<QStringList> listed = csvRows(
        ok({QStringLiteral("ledger"), first, QStringLiteral("--account"), QStringLiteral("'=Quoted"),
            QStringLiteral("--from"), QStringLiteral("2025-01-01"), QStringLiteral("--to"),
            QStringLiteral("2025-12-31"), QStringLiteral("--format"), QStringLiteral("csv")}));
    EXPECT_EQ(listed.value(2).value(1), QStringLiteral("By CASH [-12.50]"));
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("a2.csv")), exportedAccounts));
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("t2.csv")), exportedTransactions));
    ok({QStringLiteral("new"), second});
    ok({QStringLiteral("import"), second, QStringLiteral("accounts"), dir.filePath(QStringLiteral("a2.csv"))});
    ok({QStringLiteral("import"), second, QStringLiteral("transactions"), dir.filePath(QStringLiteral("t2.csv"))});
    EXPECT_EQ(ok({QStringLiteral("export"), second, QStringLiteral("accounts")}), exportedAccounts);
    EXPECT_EQ(ok({QStringLiteral("export"), second, QStringLiteral("transactions")}), exportedTransactions);
}
