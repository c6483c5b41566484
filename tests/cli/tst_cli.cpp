// Runs the built brindlecot-cli on books in temporary folders and checks what
// a case file of cases/ cannot: its figures against the core operations the
// windows call, its round trip through CSV, imports over accounts already in
// the book, the same figures in every locale and time zone, its printed PDF
// and the rows a window has staged.
#include "book.h"
#include "bookdigest.h"
#include "clirunner.h"
#include "csv.h"
#include "dates.h"
#include "ledger.h"
#include "sql.h"
#include "summary.h"
#include "testbook.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace bc;
using bc::test::CliRun;
using bc::test::cli;
using bc::test::csvRows;
using bc::test::ok;
using bc::test::fileBytes;

namespace {

const QString Golden = QStringLiteral(BRINDLECOT_CLI_SOURCE "/golden/");
const QString Data = QStringLiteral(BRINDLECOT_CLI_SOURCE "/data/");

// The small book of tests/cli/data, built through the tool itself.
struct GoldenBook : ::testing::Test {
    QTemporaryDir dir;
    QString book = dir.path() + QStringLiteral("/golden.fd");

    void SetUp() override
    {
        ok({QStringLiteral("new"), book});
        ok({QStringLiteral("import"), book, QStringLiteral("accounts"), Data + QStringLiteral("accounts.csv")});
        ok({QStringLiteral("import"), book, QStringLiteral("transactions"), Data + QStringLiteral("transactions.csv")});
    }

    QStringList ledgerArgs() const
    {
        return {QStringLiteral("ledger"),     book,
                QStringLiteral("--account"),  QStringLiteral("Bank"),
                QStringLiteral("--from"),     QStringLiteral("2024-05-01"),
                QStringLiteral("--to"),       QStringLiteral("2024-05-31"),
                QStringLiteral("--fy-start"), QStringLiteral("2024-04-01")};
    }
};

} // namespace

TEST_F(GoldenBook, FiguresEqualThoseOfTheCoreOperationsAndTheBooksYearStart)
{
    // Without --fy-start the book's own financial-year start applies.
    {
        Book b;
        ASSERT_TRUE(b.open(book).ok());
        runSql(connectionOf(b), QStringLiteral("UPDATE system_settings SET sys_value = ? WHERE sys_code = 'FYST'"),
               {QStringLiteral("2024-04-01")});
    }
    QStringList ledger = ledgerArgs().mid(0, 8);
    ledger << QStringLiteral("--format") << QStringLiteral("csv");
    EXPECT_EQ(ok(ledger), fileBytes(Golden + QStringLiteral("ledger.csv")));

    // A range over the whole year, every account, the default bounds.
    const QList<QStringList> tool = csvRows(
        ok({QStringLiteral("ledger"), book, QStringLiteral("--account"), QStringLiteral("Bank"),
            QStringLiteral("--from"), QStringLiteral("2024-04-10"), QStringLiteral("--to"),
            QStringLiteral("2024-12-31"), QStringLiteral("--format"), QStringLiteral("csv")}));
    const QList<QStringList> summaryTool = csvRows(
        ok({QStringLiteral("summary"), book, QStringLiteral("--from"), QStringLiteral("2024-04-10"),
            QStringLiteral("--to"), QStringLiteral("2024-12-31"), QStringLiteral("--format"), QStringLiteral("csv")}));

    Book b;
    ASSERT_TRUE(b.open(book).ok());
    LedgerInput in;
    QSqlQuery q = runSql(connectionOf(b),
                         QStringLiteral("SELECT account_id FROM account_master WHERE account_name = 'Bank'"));
    ASSERT_TRUE(q.next());
    in.accountId = q.value(0).toLongLong();
    in.fromDate = QDate(2024, 4, 10);
    in.toDate = QDate(2024, 12, 31);
    in.finYearStart = QDate(2024, 4, 1);
    const LedgerResult core = computeLedger(b, in);
    ASSERT_EQ(tool.size(), qsizetype(core.movements.size()) + 3);
    EXPECT_EQ(tool[1][4], core.openingBalance.toPlain());
    for (size_t i = 0; i < core.movements.size(); ++i) {
        const QStringList &row = tool[qsizetype(i) + 2];
        EXPECT_EQ(row[0], isoDate(core.movements[i].date));
        EXPECT_EQ(row[1], ledgerParticulars(core.movements[i]));
        EXPECT_EQ(row[4], core.movements[i].balance.toPlain());
    }
    EXPECT_EQ(tool.last()[4], core.closingBalance.toPlain());

    SummaryInput s;
    QSqlQuery all = runSql(connectionOf(b),
                           QStringLiteral("SELECT account_id, account_name FROM account_master "
                                          "ORDER BY account_name COLLATE NOCASE, account_name"));
    while (all.next())
        s.accounts.push_back({all.value(0).toLongLong(), AccountSide::Account, all.value(1).toString()});
    s.fromDate = in.fromDate;
    s.toDate = in.toDate;
    s.finYearStart = in.finYearStart;
    const SummaryResult summary = computeSummary(b, s);
    ASSERT_EQ(summaryTool.size(), qsizetype(summary.listed.size()) + 2);
    for (size_t i = 0; i < summary.listed.size(); ++i) {
        const SummaryRow &r = summary.listed[i];
        EXPECT_EQ(summaryTool[qsizetype(i) + 1],
                  (QStringList{r.name, r.opening.toPlain(), r.movement.toPlain(), r.balance.toPlain()}));
    }
    EXPECT_EQ(summaryTool.last(),
              (QStringList{QStringLiteral("Total"), summary.totalOpening.toPlain(), summary.totalMovement.toPlain(),
                           summary.totalBalance.toPlain()}));
}

TEST(CliRoundTrip, ExportImportExportGivesIdenticalFiles)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.fd")), second = dir.filePath(QStringLiteral("second.fd"));
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("a.csv")),
                                     "name,type,opening,particulars\r\n"
                                     "\"Smith, O'Brien & \"\"Co\"\"\",Liability,-1234.56,\"owes 50%, pays_late\"\r\n"
                                     "100% Pure_Fund,asset,99999999999.99,\"line one\nline two\"\r\n"
                                     "Zo\xC3\xAB's Caf\xC3\xA9,,0.005,\xC5\x81\xC3\xB3"
                                     "d\xC5\xBA \xC3\xB8rsted\r\n"
                                     "cash,Asset,10,Cash in hand\r\n"));
    ASSERT_TRUE(bc::test::writeBytes(
        dir.filePath(QStringLiteral("t.csv")),
        "date,from,to,amount,particulars\n"
        "31/12/2023,CASH,\"Smith, O'Brien & \"\"Co\"\"\",12.34,\"rent, \"\"late\"\" 5% o'clock_\"\n"
        "1/1/2024,100% Pure_Fund,Zo\xC3\xAB's Caf\xC3\xA9,-0.01,\n"
        "29/2/2024,Zo\xC3\xAB's Caf\xC3\xA9,CASH,7,\xC3\xA9t\xC3\xA9\n"));
    ok({QStringLiteral("new"), first});
    ok({QStringLiteral("import"), first, QStringLiteral("accounts"), dir.filePath(QStringLiteral("a.csv")),
        QStringLiteral("--update")});
    ok({QStringLiteral("import"), first, QStringLiteral("transactions"), dir.filePath(QStringLiteral("t.csv")),
        QStringLiteral("--date-format"), QStringLiteral("d/M/yyyy")});

    const QString accounts1 = dir.filePath(QStringLiteral("accounts1.csv"));
    ok({QStringLiteral("export"), first, QStringLiteral("accounts"), QStringLiteral("--output"), accounts1});
    const QByteArray transactions1 = ok({QStringLiteral("export"), first, QStringLiteral("transactions")});
    ASSERT_TRUE(bc::test::writeBytes(dir.filePath(QStringLiteral("transactions1.csv")), transactions1));

    ok({QStringLiteral("new"), second});
    ok({QStringLiteral("import"), second, QStringLiteral("accounts"), accounts1, QStringLiteral("--update")});
    ok({QStringLiteral("import"), second, QStringLiteral("transactions"),
        dir.filePath(QStringLiteral("transactions1.csv"))});
    EXPECT_EQ(ok({QStringLiteral("export"), second, QStringLiteral("accounts")}), fileBytes(accounts1));
    EXPECT_EQ(ok({QStringLiteral("export"), second, QStringLiteral("transactions")}), transactions1);

    // The awkward texts came through as typed; "cash" updated the built-in
    // CASH account rather than adding a second one.
    const QList<QStringList> accounts = csvRows(fileBytes(accounts1));
    EXPECT_TRUE(accounts.contains(QStringList({QStringLiteral("Smith, O'Brien & \"Co\""), QStringLiteral("Liability"),
                                               QStringLiteral("-1234.56"), QStringLiteral("owes 50%, pays_late")})));
    EXPECT_TRUE(
        accounts.contains(QStringList({QStringLiteral("100% Pure_Fund"), QStringLiteral("Asset"),
                                       QStringLiteral("99999999999.99"), QStringLiteral("line one\nline two")})));
    EXPECT_TRUE(accounts.contains(
        QStringList({QStringLiteral("Zoë's Café"), QString(), QStringLiteral("0.01"), QStringLiteral("Łódź ørsted")})));
    EXPECT_TRUE(accounts.contains(QStringList(
        {QStringLiteral("CASH"), QStringLiteral("Asset"), QStringLiteral("10.00"), QStringLiteral("Cash in hand")})));
    EXPECT_EQ(accounts.size(), 1 + 6 + 3);
    EXPECT_EQ(csvRows(transactions1),
              (QList<QStringList>{{QStringLiteral("date"), QStringLiteral("from"), QStringLiteral("to"),
                                   QStringLiteral("amount"), QStringLiteral("particulars")},
                                  {QStringLiteral("2023-12-31"), QStringLiteral("CASH"),
                                   QStringLiteral("Smith, O'Brien & \"Co\""), QStringLiteral("12.34"),
                                   QStringLiteral("rent, \"late\" 5% o'clock_")},
                                  {QStringLiteral("2024-01-01"), QStringLiteral("100% Pure_Fund"),
                                   QStringLiteral("Zoë's Café"), QStringLiteral("-0.01"), QString()},
                                  {QStringLiteral("2024-02-29"), QStringLiteral("Zoë's Café"), QStringLiteral("CASH"),
                                   QStringLiteral("7.00"), QStringLiteral("été")}}));
}

TEST(CliImportAccounts, ANameInTheBookIsRefusedUnlessIdenticalOrUpdated)
{
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("b.fd")), copy = dir.filePath(QStringLiteral("copy.fd"));
    const auto file = [&](const char *name, const QByteArray &records) {
        EXPECT_TRUE(
            bc::test::writeBytes(dir.filePath(QLatin1String(name)), "name,type,opening,particulars\n" + records));
        return dir.filePath(QLatin1String(name));
    };
    const auto import = [&](const QString &path, const QStringList &extra = {}) {
        return cli(QStringList{QStringLiteral("import"), book, QStringLiteral("accounts"), path} + extra);
    };
    const auto listed = [&] { return ok({QStringLiteral("export"), book, QStringLiteral("accounts")}); };
    ok({QStringLiteral("new"), book});
    const QString first = file("first.csv", "Bank,Asset,100,Main\n\xC3\x84pfel,Expense,,fruit\n");
    ok({QStringLiteral("import"), book, QStringLiteral("accounts"), first});
    const QByteArray before = listed();

    // The same records again, and the whole export into a new book, change nothing.
    EXPECT_EQ(import(first).status, 0);
    ok({QStringLiteral("new"), copy});
    ok({QStringLiteral("export"), book, QStringLiteral("accounts"), QStringLiteral("--output"),
        dir.filePath(QStringLiteral("all.csv"))});
    ok({QStringLiteral("import"), copy, QStringLiteral("accounts"), dir.filePath(QStringLiteral("all.csv"))});
    EXPECT_EQ(ok({QStringLiteral("export"), copy, QStringLiteral("accounts")}), before);

    // A name in the book, in any case of any letter, is refused with its line.
    for (const QByteArray &records : {QByteArray("Fuel,,,\ncash,Income,,\n"), QByteArray("Fuel,,,\n\xC3\xA4pfel,,,\n"),
                                      QByteArray("Fuel,,,\nBank,,,note\n")}) {
        const CliRun run = import(file("clash.csv", records));
        EXPECT_EQ(run.status, 1) << records.toStdString();
        EXPECT_TRUE(run.err.contains("line 3: Invalid data You are entering account with existing name."))
            << run.err.toStdString();
    }
    EXPECT_EQ(listed(), before);

    // --update changes what the record gives; empty fields keep the book's.
    EXPECT_EQ(import(file("update.csv", "Bank,,,note\ncash,Income,,\n"), {QStringLiteral("--update")}).status, 0);
    const QList<QStringList> after = csvRows(listed());
    EXPECT_TRUE(after.contains(QStringList(
        {QStringLiteral("Bank"), QStringLiteral("Asset"), QStringLiteral("100.00"), QStringLiteral("note")})));
    EXPECT_TRUE(after.contains(QStringList({QStringLiteral("CASH"), QStringLiteral("Income"), QStringLiteral("0.00"),
                                            QStringLiteral("Built-in account")})));
    EXPECT_EQ(after.size(), csvRows(before).size());
}

TEST_F(GoldenBook, SettingsAndTheYearStartGiveTheSameFiguresInEveryLocaleAndZone)
{
    {
        Book b;
        ASSERT_TRUE(b.open(book).ok());
        runSql(connectionOf(b),
               QStringLiteral("UPDATE system_settings SET sys_value = 'Admin' WHERE sys_code = 'USER'"));
    }
    // A new book has no year start: the opening counts every earlier movement.
    EXPECT_EQ(ok({QStringLiteral("settings"), book, QStringLiteral("--format"), QStringLiteral("csv")}),
              QByteArray("setting,value\r\nfy-start,\r\nfy-end,\r\ncurrency,\r\ndate-format,d/M/yyyy\r\n"));
    const QStringList ledger = ledgerArgs().mid(0, 8) << QStringLiteral("--format") << QStringLiteral("csv");
    EXPECT_EQ(csvRows(ok(ledger)).value(1).value(4), QStringLiteral("-1800.01"));

    ok({QStringLiteral("settings"), book, QStringLiteral("--fy-start"), QStringLiteral("2024-04-01"),
        QStringLiteral("--currency"), QStringLiteral("EUR")});
    EXPECT_EQ(ok({QStringLiteral("settings"), book, QStringLiteral("--format"), QStringLiteral("csv")}),
              QByteArray(
                  "setting,value\r\nfy-start,2024-04-01\r\nfy-end,\r\ncurrency,EUR\r\ndate-format,d/M/yyyy\r\n"));
    {
        Book b;
        ASSERT_TRUE(b.open(book).ok());
        QSqlQuery q = runSql(connectionOf(b),
                             QStringLiteral("SELECT sys_value FROM system_settings WHERE sys_code = 'USER'"));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("Admin"));
    }
    const QByteArray expected = ok(ledger);
    EXPECT_EQ(csvRows(expected).value(1).value(4), QStringLiteral("-2800.00"));
    for (const char *locale : {"de_DE.UTF-8", "en_US.UTF-8", "C"})
        for (const char *zone : {"Pacific/Kiritimati", "America/Adak"}) {
            const CliRun run = cli(ledger, [&](QProcess &p) {
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                env.insert(QStringLiteral("LC_ALL"), QLatin1String(locale));
                env.insert(QStringLiteral("TZ"), QLatin1String(zone));
                p.setProcessEnvironment(env);
            });
            EXPECT_EQ(run.out, expected) << locale << " " << zone;
        }

    const QString second = dir.filePath(QStringLiteral("second.fd"));
    const CliRun created = cli(
        {QStringLiteral("new"), second, QStringLiteral("--fy-start"), QStringLiteral("2025-07-01")});
    EXPECT_EQ(created.status, 0);
    EXPECT_EQ(created.err, QByteArray());
    EXPECT_TRUE(ok({QStringLiteral("settings"), second}).contains("fy-start     2025-07-01"));
    EXPECT_EQ(
        cli({QStringLiteral("settings"), second, QStringLiteral("--date-format"), QStringLiteral("y/M/d")}).status, 2);
}

TEST_F(GoldenBook, SummaryBoundsCompareExactlyAndBoundsPastAnyAmountSetNone)
{
    const QStringList base{QStringLiteral("summary"),  book,
                           QStringLiteral("--from"),   QStringLiteral("2024-05-01"),
                           QStringLiteral("--to"),     QStringLiteral("2024-05-31"),
                           QStringLiteral("--format"), QStringLiteral("csv")};
    const QByteArray all = ok(base);
    EXPECT_EQ(ok(QStringList(base) << QStringLiteral("--bal-max") << QStringLiteral("99999999999999999")
                                   << QStringLiteral("--open-min") << QStringLiteral("-99999999999999999")),
              all);
    // Rent's balance is 760.00 (800.00 paid, 40.00 refunded).
    const auto names = [&](const char *option, const char *bound) {
        QStringList found;
        for (const QStringList &row : csvRows(ok(QStringList(base) << QLatin1String(option) << QLatin1String(bound))))
            found << row.value(0);
        return found;
    };
    EXPECT_TRUE(names("--bal-min", "759.999").contains(QStringLiteral("Rent")));
    EXPECT_FALSE(names("--bal-min", "760.001").contains(QStringLiteral("Rent")));
}

TEST_F(GoldenBook, PrintWritesThePrintedReportAsPdf)
{
    QStringList args{QStringLiteral("print"), book};
    args << ledgerArgs().mid(0, 1) << ledgerArgs().mid(2) << QStringLiteral("--pdf")
         << dir.filePath(QStringLiteral("ledger.pdf"));
    const CliRun run = cli(args);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_TRUE(fileBytes(dir.filePath(QStringLiteral("ledger.pdf"))).startsWith("%PDF-"));
    // Balances carry their sides, as the ledger window's printout does.
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-layout"), dir.filePath(QStringLiteral("ledger.pdf")), QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    EXPECT_TRUE(printed.contains(QStringLiteral("Opening Balance: 2800.00 Dr"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("200.00 Cr"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("22.75 Dr"))) << printed.toStdString();
    ok({QStringLiteral("print"), book, QStringLiteral("transactions"), QStringLiteral("--pdf"),
        dir.filePath(QStringLiteral("list.pdf"))});
    EXPECT_TRUE(fileBytes(dir.filePath(QStringLiteral("list.pdf"))).startsWith("%PDF-"));
}

TEST_F(GoldenBook, ImportsLeaveWhatAWindowStagedAlone)
{
    // A window's staged rows live in its own connection while the tool
    // imports beside it.
    Book b;
    ASSERT_TRUE(b.open(book).ok());
    runSql(connectionOf(b), QStringLiteral("INSERT INTO tmp_transaction_master_d VALUES (3)"));
    runSql(connectionOf(b),
           QStringLiteral("INSERT INTO tmp_account_d SELECT account_id FROM account_master "
                          "WHERE account_name = 'Rent'"));
    const QString accounts = dir.filePath(QStringLiteral("more.csv"));
    const QString transactions = dir.filePath(QStringLiteral("more-tx.csv"));
    ASSERT_TRUE(bc::test::writeBytes(accounts, "name,type,opening,particulars\nFuel,Expense,,\n"));
    ASSERT_TRUE(
        bc::test::writeBytes(transactions, "date,from,to,amount,particulars\n2024-07-01,Bank,Fuel,30,Diesel\n"));
    ok({QStringLiteral("import"), book, QStringLiteral("accounts"), accounts});
    ok({QStringLiteral("import"), book, QStringLiteral("transactions"), transactions});

    const QList<QStringList> listed = csvRows(
        ok({QStringLiteral("transactions"), book, QStringLiteral("--format"), QStringLiteral("csv")}));
    ASSERT_EQ(listed.size(), 1 + 9);
    EXPECT_EQ(listed[3][0], QStringLiteral("3"));
    EXPECT_EQ(listed.last(),
              (QStringList{QStringLiteral("9"), QStringLiteral("2024-07-01"), QStringLiteral("Bank"),
                           QStringLiteral("Fuel"), QStringLiteral("30.00"), QStringLiteral("Diesel")}));
    QSqlQuery staged = runSql(connectionOf(b),
                              QStringLiteral("SELECT (SELECT count(*) FROM tmp_transaction_master_d), "
                                             "(SELECT count(*) FROM tmp_account_d)"));
    ASSERT_TRUE(staged.next());
    EXPECT_EQ(staged.value(0).toInt(), 1);
    EXPECT_EQ(staged.value(1).toInt(), 1);
}

namespace {

QString digestOf(const QString &path)
{
    Book b;
    EXPECT_TRUE(b.open(path).ok());
    return bc::test::bookDigest(connectionOf(b));
}

QByteArray transactionRows(int count, const QByteArray &particulars)
{
    QByteArray rows;
    for (int i = 0; i < count; ++i)
        rows += "2024-06-" + QByteArray::number(1 + i % 28).rightJustified(2, '0') + ",Bank,Rent,1."
            + QByteArray::number(i % 100).rightJustified(2, '0') + "," + particulars + "\n";
    return rows;
}

} // namespace

// A file of many batches is read, checked and written as a stream inside one
// transaction: a bad record far into it leaves the book as it was; put right,
// every row is added under consecutive new ids.
TEST_F(GoldenBook, AStreamedImportRefusedFarIntoTheFileLeavesTheBookAsItWas)
{
    const QString path = dir.filePath(QStringLiteral("many.csv"));
    const QByteArray header = "date,from,to,amount,particulars\n";
    const QByteArray head = transactionRows(20000, "streamed"), tail = transactionRows(7000, "streamed");
    const QString before = digestOf(book);
    ASSERT_TRUE(bc::test::writeBytes(path, header + head + "2024-06-30,Bank,Nobody,5,bad\n" + tail));
    const CliRun refused = cli({QStringLiteral("import"), book, QStringLiteral("transactions"), path});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "brindlecot-cli: line 20002: there is no account named \"Nobody\"\n");
    EXPECT_EQ(digestOf(book), before);

    ASSERT_TRUE(bc::test::writeBytes(path, header + head + tail));
    ok({QStringLiteral("import"), book, QStringLiteral("transactions"), path});
    Book b;
    ASSERT_TRUE(b.open(book).ok());
    QSqlQuery q = runSql(connectionOf(b),
                         QStringLiteral("SELECT count(*), max(tran_id) - min(tran_id) + 1, min(tran_id) > "
                                        "(SELECT max(tran_id) FROM transaction_master WHERE particulars <> 'streamed') "
                                        "FROM transaction_master WHERE particulars = 'streamed'"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 27000);
    EXPECT_EQ(q.value(1).toInt(), 27000);
    EXPECT_EQ(q.value(2).toInt(), 1);
}

// Ctrl+C while the tool is importing: it stops, rolls back every row it
// wrote and says so with the status of an interrupted command. The file is
// a pipe, so the signal arrives while the import is surely under way.
TEST_F(GoldenBook, CtrlCDuringAnImportRollsBackEverything)
{
    const QString fifo = dir.filePath(QStringLiteral("pipe.csv"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString before = digestOf(book);
    std::signal(SIGPIPE, SIG_IGN); // the tool may be gone before the last rows are written
    QProcess process;
    process.start(QStringLiteral(BRINDLECOT_CLI_PATH),
                  {QStringLiteral("import"), book, QStringLiteral("transactions"), fifo});
    ASSERT_TRUE(process.waitForStarted());
    QFile pipe(fifo);
    ASSERT_TRUE(pipe.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray rows = transactionRows(30000, "streamed");
    // Written whole only once the tool has read all but a pipe's worth.
    ASSERT_EQ(pipe.write("date,from,to,amount,particulars\n" + rows), rows.size() + 32);
    ::kill(pid_t(process.processId()), SIGINT);
    pipe.write(rows);
    pipe.close();
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_EQ(process.readAllStandardError(), "brindlecot-cli: the import was cancelled; the book is unchanged\n");
    EXPECT_EQ(digestOf(book), before);
}

TEST(CliCheck, ListsEveryRowTheTypedTablesRefuseWithoutMigratingAndSaysPlainlyWhenSound)
{
    QTemporaryDir dir;
    const QString clean = dir.filePath(QStringLiteral("clean.fd"));
    ok({QStringLiteral("new"), clean});
    const CliRun sound = cli({QStringLiteral("check"), clean});
    EXPECT_EQ(sound.status, 0) << sound.err.toStdString();
    EXPECT_TRUE(sound.out.startsWith("The book is sound")) << sound.out.toStdString();

    bc::test::TestBook old(bc::test::TestBook::Kind::Format1ReadOnly);
    old.addAccount(10, QStringLiteral("Bank"), 4, Money());
    for (int id = 1; id <= 4; ++id)
        old.addTransaction(id, QDate(2024, 1, id), 4, 10, Money::fromCents(100));
    for (const char *statement : {"UPDATE transaction_master SET amount = 'ten' WHERE tran_id = 1",
                                  "UPDATE transaction_master SET tran_date = '15/01/2024' WHERE tran_id = 2",
                                  "UPDATE transaction_master SET from_flag = 'X' WHERE tran_id = 3",
                                  "UPDATE transaction_master SET to_acc = 55 WHERE tran_id = 4",
                                  "UPDATE account_master SET account_type = 9 WHERE account_id = 10"})
        runSql(old.writer(), QLatin1String(statement));
    old.book().close();
    const QByteArray before = fileBytes(old.path());
    const CliRun faulty = cli({QStringLiteral("check"), old.path()});
    EXPECT_EQ(faulty.status, 1);
    EXPECT_EQ(faulty.out,
              "table transaction_master, row tran_id 1: the amount 'ten' is stored as text, not as whole cents\n"
              "table transaction_master, row tran_id 2: the date '15/01/2024' is not a date of the form YYYY-MM-DD\n"
              "table transaction_master, row tran_id 3: the From side's flag 'X' is neither A nor P\n"
              "table transaction_master, row tran_id 4: the To side 55 is no account of the book\n"
              "table account_master, row account_id 10: the account type 9 is no type of account\n");
    EXPECT_EQ(fileBytes(old.path()), before);
    EXPECT_FALSE(QFile::exists(old.path() + QStringLiteral(".v1.bak")));
}

TEST_F(GoldenBook, ALargeImportIsBackedUpFirstAndTheCopyRestoresTheBook)
{
    // The backups folder is beside the settings file of a user of its own.
    QTemporaryDir home;
    const auto asUser = [&](QProcess &process) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        process.setProcessEnvironment(environment);
    };
    const QString folder = home.path() + QStringLiteral("/Brindlecot/backups");
    const auto bookCount = [](const QString &path) {
        Book b;
        EXPECT_TRUE(b.open(path, OpenOptions{.readOnly = true}).ok()) << path.toStdString();
        QSqlQuery q = runSql(connectionOf(b), QStringLiteral("SELECT count(*) FROM transaction_master"));
        return q.next() ? q.value(0).toInt() : -1;
    };
    const int before = bookCount(book);

    // 1,000 records go in without a copy, 1,001 with one made just before.
    for (const int records : {1000, 1001}) {
        QByteArray csv = "date,from,to,amount,particulars\n";
        for (int i = 0; i < records; ++i)
            csv += "2024-05-02,Salary,Bank,1.00,row " + QByteArray::number(i) + '\n';
        const QString file = dir.filePath(QStringLiteral("many.csv"));
        ASSERT_TRUE(bc::test::writeBytes(file, csv));
        const CliRun run = cli({QStringLiteral("import"), book, QStringLiteral("transactions"), file}, asUser);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
    }
    const QStringList copies = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    const QString copy = folder + u'/' + copies[0];
    EXPECT_EQ(bookCount(copy), before + 1000);

    const CliRun restore = cli({QStringLiteral("restore"), copy, book}, asUser);
    ASSERT_EQ(restore.status, 0) << restore.err.toStdString();
    EXPECT_EQ(bookCount(book), before + 1000);
    const QStringList replaced = QDir(dir.path()).entryList({QStringLiteral("golden-replaced-*.fd")}, QDir::Files);
    ASSERT_EQ(replaced.size(), 1);
    EXPECT_EQ(bookCount(dir.filePath(replaced[0])), before + 2001);
    EXPECT_TRUE(restore.out.contains(replaced[0].toUtf8()));

    // backup with no folder named writes into the same folder and says where;
    // as the newest copy of the day it takes the place of the earlier one.
    const CliRun backup = cli({QStringLiteral("backup"), book}, asUser);
    ASSERT_EQ(backup.status, 0) << backup.err.toStdString();
    const QStringList after = QDir(folder).entryList(QDir::Files);
    ASSERT_EQ(after.size(), 1);
    EXPECT_EQ(backup.out, QFile::encodeName(folder + u'/' + after[0]) + '\n');
}

TEST(CliImportTransactions, ReadsAnyDayMonthYearOrderAndTheAmountsBanksWrite)
{
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("b.fd"));
    ok({QStringLiteral("new"), book});
    ok({QStringLiteral("import"), book, QStringLiteral("accounts"), Data + QStringLiteral("accounts.csv")});
    const auto file = [&](const char *name, const QByteArray &records) {
        const QString path = dir.filePath(QLatin1String(name));
        EXPECT_TRUE(bc::test::writeBytes(path, "date,from,to,amount,particulars\n" + records));
        return path;
    };
    ok({QStringLiteral("import"), book, QStringLiteral("transactions"),
        file("us.csv",
             "2024/01/05,Bank,Rent,\"1,234.56\",a\n2024/1/6,Bank,Rent,$12.50,b\n"
             "2024/01/07,Bank,Rent,(12.50),c\n"),
        QStringLiteral("--date-format"), QStringLiteral("yyyy/MM/dd")});
    ok({QStringLiteral("import"), book, QStringLiteral("transactions"),
        file("eu.csv", "08.01.2024,Bank,Rent,\"1 234,56\",d\n"), QStringLiteral("--date-format"),
        QStringLiteral("dd.MM.yyyy"), QStringLiteral("--decimal"), QStringLiteral(",")});
    const CliRun refused = cli({QStringLiteral("import"), book, QStringLiteral("transactions"),
                                file("unclear.csv", "2024-01-09,Bank,Rent,1,e\n2024-01-09,Bank,Rent,12.50-,f\n")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("line 3: the amount \"12.50-\" is not an amount")) << refused.err.toStdString();

    QList<QStringList> rows = csvRows(ok({QStringLiteral("export"), book, QStringLiteral("transactions")}));
    ASSERT_EQ(rows.size(), 5);
    QStringList datesAndAmounts;
    for (const QStringList &row : rows.mid(1))
        datesAndAmounts << row[0] + u' ' + row[3];
    EXPECT_EQ(datesAndAmounts,
              QStringList({QStringLiteral("2024-01-05 1234.56"), QStringLiteral("2024-01-06 12.50"),
                           QStringLiteral("2024-01-07 -12.50"), QStringLiteral("2024-01-08 1234.56")}));
}

namespace {

// Whether the process is asleep with the book open: with the book's write
// lock held by the test, only its wait for that lock puts it to sleep.
bool waitsOnBook(const QProcess &process, const QString &bookPath)
{
    const QString proc = QStringLiteral("/proc/%1").arg(process.processId());
    QFile stat(proc + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype state = line.lastIndexOf(')') + 2;
    if (state < 2 || state >= line.size() || line.at(state) != 'S')
        return false;
    const QDir fds(proc + QStringLiteral("/fd"));
    for (const QFileInfo &fd : fds.entryInfoList(QDir::Files | QDir::System))
        if (fd.symLinkTarget() == bookPath)
            return true;
    return false;
}

} // namespace

// Two settings commands that read the settings before either saves: one is
// saved, the other refused with exit status 1 and the reason, never both
// reported saved with one change lost.
TEST(CliConcurrency, OfTwoSettingsCommandsAtOnceOneIsRefused)
{
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("shared.fd"));
    ok({QStringLiteral("new"), book});
    const QString canonical = QFileInfo(book).canonicalFilePath();
    QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
    holder.setDatabaseName(book);
    ASSERT_TRUE(holder.open());
    runSql(holder, QStringLiteral("BEGIN IMMEDIATE"));

    QProcess runs[2];
    const QStringList currencies = {QStringLiteral("EUR"), QStringLiteral("GBP")};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("BRINDLECOT_BUSY_TIMEOUT_MS"), QStringLiteral("30000"));
    for (int i = 0; i < 2; ++i) {
        runs[i].setProcessEnvironment(environment);
        runs[i].start(QStringLiteral(BRINDLECOT_CLI_PATH),
                      {QStringLiteral("settings"), book, QStringLiteral("--currency"), currencies[i]});
        ASSERT_TRUE(runs[i].waitForStarted());
    }
    for (int polls = 0; !(waitsOnBook(runs[0], canonical) && waitsOnBook(runs[1], canonical)); ++polls) {
        ASSERT_LT(polls, 2000) << "the commands never waited for the book";
        QThread::msleep(5);
    }
    runSql(holder, QStringLiteral("ROLLBACK"));
    holder.close();
    holder = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("holder"));

    int saved = -1;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(runs[i].waitForFinished(60000));
        if (runs[i].exitCode() == 0) {
            saved = i;
            continue;
        }
        EXPECT_EQ(runs[i].exitCode(), 1);
        EXPECT_TRUE(runs[i].readAllStandardError().contains("Nothing was saved"));
    }
    ASSERT_NE(saved, -1);
    EXPECT_TRUE(runs[1 - saved].exitCode() == 1);
    EXPECT_TRUE(ok({QStringLiteral("settings"), book}).contains(currencies[saved].toUtf8()));
}

// A dry run of a statement import opens the book read-only: a book of the
// first format is previewed as it is, neither migrated nor copied.
TEST(CliFiles, ADryRunLeavesAnOlderBookAsItIs)
{
    bc::test::TestBook old(bc::test::TestBook::Kind::Format1ReadOnly);
    old.addAccount(10, QStringLiteral("Bank"), 4, Money());
    old.addAccount(11, QStringLiteral("Uncategorised"), 2, Money());
    old.book().close();
    const QByteArray before = fileBytes(old.path());
    const QString statement = QStringLiteral(BRINDLECOT_CLI_SOURCE "/../data/statements/xml-v2.ofx");
    // Any copy would go to a backups folder of the test's own.
    QTemporaryDir home;
    const CliRun run = cli({QStringLiteral("import"), old.path(), QStringLiteral("statement"), statement,
                            QStringLiteral("--account"), QStringLiteral("Bank"), QStringLiteral("--dry-run")},
                           [&](QProcess &process) {
                               QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                               environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
                               process.setProcessEnvironment(environment);
                           });
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Interest")) << run.out.toStdString();
    EXPECT_EQ(run.err, QByteArray());
    EXPECT_EQ(fileBytes(old.path()), before);
    EXPECT_EQ(QDir(old.dir()).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(old.path()).fileName()});
    EXPECT_TRUE(QDir(home.path()).isEmpty());
}

// A month reconciled with the bank and closed from the command line: the
// statement is listed, the sides show as reconciled, a transaction typed
// into the closed month is refused with the book's message and nothing
// written, and undoing the import that brought a reconciled transaction
// needs --force.
TEST(CliReconcile, AMonthReconciledAndClosedStaysAsAgreed)
{
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("book.fd"));
    const auto file = [&](const char *name, const QByteArray &text) {
        const QString path = dir.filePath(QLatin1String(name));
        EXPECT_TRUE(bc::test::writeBytes(path, text));
        return path;
    };
    ok({QStringLiteral("new"), book});
    ok({QStringLiteral("import"), book, QStringLiteral("accounts"),
        file("a.csv", "name,type,opening,particulars\nBank,Asset,100.00,\nShop,Expense,,\n")});
    ok({QStringLiteral("import"), book, QStringLiteral("transactions"),
        file("t.csv",
             "date,from,to,amount,particulars\n2026-10-03,Bank,Shop,12.50,bread\n"
             "2026-10-20,Bank,Shop,7.50,milk\n2026-11-02,Bank,Shop,1.00,later\n")});
    EXPECT_EQ(ok({QStringLiteral("reconcile"), book, QStringLiteral("--account"), QStringLiteral("Bank"),
                  QStringLiteral("--date"), QStringLiteral("2026-10-31"), QStringLiteral("--balance"),
                  QStringLiteral("80.00"), QStringLiteral("--auto")}),
              QByteArray("\"Bank\" was reconciled with the statement of 31/10/2026: 2 movements, closing balance "
                         "80.00.\n"));
    EXPECT_TRUE(ok({QStringLiteral("reconciliations"), book, QStringLiteral("--account"), QStringLiteral("Bank")})
                    .startsWith("1  31/10/2026  80.00  2 movements  "));
    const QList<QStringList> rows = csvRows(ok({QStringLiteral("transactions"), book, QStringLiteral("--status"),
                                                QStringLiteral("--format"), QStringLiteral("csv")}));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows.at(1).mid(6), (QStringList{QStringLiteral("reconciled"), QString()}));
    EXPECT_EQ(rows.at(3).mid(6), (QStringList{QString(), QString()}));

    ok({QStringLiteral("lock"), book, QStringLiteral("--through"), QStringLiteral("2026-10-31")});
    const QByteArray before = fileBytes(book);
    const CliRun typed = cli({QStringLiteral("import"), book, QStringLiteral("transactions"),
                              file("late.csv", "date,from,to,amount,particulars\n2026-10-31,Bank,Shop,3.00,late\n")});
    EXPECT_EQ(typed.status, 1);
    EXPECT_TRUE(typed.err.contains("The book is closed through 31/10/2026: transactions on or before that date "
                                   "cannot be added, changed or deleted."))
        << typed.err.toStdString();
    EXPECT_EQ(fileBytes(book), before);

    // The latest change is the lock; the import of the transactions is
    // change 2.
    const CliRun undo = cli({QStringLiteral("undo"), book, QStringLiteral("2")});
    EXPECT_EQ(undo.status, 1);
    EXPECT_TRUE(undo.err.contains("Transaction 1 was reconciled with the statement of 31/10/2026 (and 1 more)"))
        << undo.err.toStdString();
}
