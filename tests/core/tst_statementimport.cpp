#include "autobackup.h"
#include "csvmappings.h"
#include "csvstatement.h"
#include "history.h"
#include "historyundo.h"
#include "importrules.h"
#include "serverbooks.h"
#include "sql.h"
#include "statementimport.h"
#include "statementreader.h"
#include "testbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;
using bc::test::transactionLines;

namespace {

const QDateTime Now(QDate(2026, 12, 8), QTime(9, 0));
enum : qint64 { Bank = 10, Groceries = 11, Uncategorised = 12, Salary = 13 };

StatementLine line(const QDate &date, qint64 cents, const QString &payee, const QString &memo = {},
                   const QString &uniqueId = {})
{
    static int number = 0;
    StatementLine l;
    l.date = date;
    l.amount = Money::fromCents(cents);
    l.payee = payee;
    l.memo = memo;
    l.uniqueId = uniqueId;
    l.where = QStringLiteral("line %1").arg(++number);
    return l;
}

std::vector<ImportStatus> statuses(const StatementPreview &preview)
{
    std::vector<ImportStatus> out;
    for (const PreviewLine &l : preview.lines)
        out.push_back(l.status);
    return out;
}

struct ImportBook : ::testing::Test {
    TestBook t;
    void SetUp() override
    {
        t.addAccount(Bank, QStringLiteral("Bank"), 4, Money::fromCents(10000));
        t.addAccount(Groceries, QStringLiteral("Groceries"), 2, Money());
        t.addAccount(Uncategorised, QStringLiteral("Uncategorised"), 3, Money());
        t.addAccount(Salary, QStringLiteral("Salary"), 1, Money());
    }
};

// Rules choose the counter-account (the first that matches), identical lines
// without bank ids are two lines, the balance after import meets the
// statement's closing balance, and the same statement a second time adds
// nothing.
TEST_F(ImportBook, TheSameStatementTwiceAddsItsTransactionsOnce)
{
    saveImportRules(t.book(),
                    {{ImportRule::Field::Payee, QStringLiteral("tesco"), Groceries},
                     {ImportRule::Field::Memo, QStringLiteral("SALARY"), Salary},
                     {ImportRule::Field::Payee, QStringLiteral("tes"), Salary}});
    Statement s;
    s.closingBalance = Money::fromCents(10000 - 2530 + 200000 - 1000 - 1000 - 499);
    s.lines = {line(QDate(2024, 3, 1), -2530, QStringLiteral("TESCO STORES 123")),
               line(QDate(2024, 3, 2), 200000, QStringLiteral("ACME LTD"), QStringLiteral("Salary March")),
               line(QDate(2024, 3, 3), -1000, QStringLiteral("Corner cafe")),
               line(QDate(2024, 3, 3), -1000, QStringLiteral("Corner cafe")),
               line(QDate(2024, 3, 4), 0, QStringLiteral("Notice of charges")),
               line(QDate(2024, 3, 5), -499, QStringLiteral("Tesla charge"), {}, QStringLiteral("FIT-9"))};

    const StatementPreview first = previewImport(t.book(), s, Bank, Uncategorised);
    using S = ImportStatus;
    EXPECT_EQ(statuses(first), (std::vector{S::New, S::New, S::New, S::New, S::Skipped, S::New}));
    EXPECT_EQ(first.lines[0].counterAccountId, Groceries);
    EXPECT_EQ(first.lines[1].counterAccountId, Salary);
    EXPECT_EQ(first.lines[2].counterAccountId, Uncategorised);
    EXPECT_EQ(first.lines[5].counterAccountId, Salary);
    EXPECT_EQ(importTotals(first).balanceAfter, *s.closingBalance);
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 0); // a preview writes nothing

    const ImportResult applied = applyImport(t.book(), first, Now);
    ASSERT_TRUE(applied.ok) << applied.text.toStdString();
    EXPECT_EQ(applied.added, 5);
    EXPECT_EQ(applied.skipped, 1);
    EXPECT_EQ(transactionLines(t.db()),
              (QStringList{QStringLiteral("2024-03-01 10>11 2530 TESCO STORES 123"),
                           QStringLiteral("2024-03-02 13>10 200000 ACME LTD - Salary March"),
                           QStringLiteral("2024-03-03 10>12 1000 Corner cafe"),
                           QStringLiteral("2024-03-03 10>12 1000 Corner cafe"),
                           QStringLiteral("2024-03-05 10>13 499 Tesla charge")}));

    const StatementPreview second = previewImport(t.book(), s, Bank, Uncategorised);
    EXPECT_EQ(statuses(second),
              (std::vector{S::Duplicate, S::Duplicate, S::Duplicate, S::Duplicate, S::Skipped, S::Duplicate}));
    EXPECT_EQ(second.balanceNow, *s.closingBalance);
    ASSERT_TRUE(applyImport(t.book(), second, Now).ok);
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 5);

    // Once the import is undone its lines are new again, and a redo makes
    // them duplicates once more.
    const UndoResult undone = undoChange(t.book(), undoTarget(t.book())->id, QStringLiteral("test"));
    ASSERT_TRUE(undone.ok) << undone.message.toStdString();
    EXPECT_EQ(statuses(previewImport(t.book(), s, Bank, Uncategorised)), statuses(first));
    ASSERT_TRUE(undoChange(t.book(), undone.changeSet, QStringLiteral("test")).ok);
    EXPECT_EQ(statuses(previewImport(t.book(), s, Bank, Uncategorised)), statuses(second));
    ASSERT_TRUE(undoChange(t.book(), undoTarget(t.book())->id, QStringLiteral("test")).ok);
    ASSERT_TRUE(applyImport(t.book(), previewImport(t.book(), s, Bank, Uncategorised), Now).ok);
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 5);
}

// A statement imported, undone and imported again: its lines belong to the
// second import, and a redo of the first would bring them back a second time,
// so it is refused naming the second import, whose own undo then lets it go.
TEST_F(ImportBook, ARedoOfAnImportWhoseLinesWereImportedAgainIsRefusedNamingTheImport)
{
    Statement s;
    s.lines = {line(QDate(2024, 3, 1), -2530, QStringLiteral("TESCO STORES 123")),
               line(QDate(2024, 3, 2), 200000, QStringLiteral("ACME LTD"), {}, QStringLiteral("FIT-1"))};
    const auto import = [&] {
        const ImportResult r = applyImport(t.book(), previewImport(t.book(), s, Bank, Uncategorised), Now);
        EXPECT_TRUE(r.ok) << r.text.toStdString();
        EXPECT_EQ(r.added, 2);
        return undoTarget(t.book())->id;
    };
    const qint64 first = import();
    const UndoResult undone = undoChange(t.book(), first, QStringLiteral("test"));
    ASSERT_TRUE(undone.ok) << undone.message.toStdString();
    const qint64 again = import();
    EXPECT_EQ(changeSet(t.book(), again)->summary, QStringLiteral("Save of 2 transactions"));

    const UndoResult redo = undoChange(t.book(), undone.changeSet, QStringLiteral("test"));
    EXPECT_FALSE(redo.ok);
    EXPECT_TRUE(redo.message.contains(QStringLiteral("(change %1)").arg(again))) << redo.message.toStdString();
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 2);
    using S = ImportStatus;
    EXPECT_EQ(statuses(previewImport(t.book(), s, Bank, Uncategorised)), (std::vector{S::Duplicate, S::Duplicate}));

    ASSERT_TRUE(undoChange(t.book(), again, QStringLiteral("test")).ok);
    const UndoResult redone = undoChange(t.book(), undone.changeSet, QStringLiteral("test"));
    EXPECT_TRUE(redone.ok) << redone.message.toStdString();
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 2);
}

// A hand-entered transaction two days off is offered as a match, once; one
// four days off, on the other side, or of another amount is not. A match is
// recorded, so the line is a duplicate next time.
TEST_F(ImportBook, AHandEnteredTransactionNearbyIsMatchedOnce)
{
    t.addTransaction(1, QDate(2024, 5, 8), Bank, Groceries, Money::fromCents(4200), QStringLiteral("by hand"));
    t.addTransaction(2, QDate(2024, 5, 14), Bank, Groceries, Money::fromCents(4200));
    t.addTransaction(3, QDate(2024, 5, 10), Groceries, Bank, Money::fromCents(4200));
    Statement s;
    s.lines = {line(QDate(2024, 5, 10), -4200, QStringLiteral("Market")),
               line(QDate(2024, 5, 10), -4200, QStringLiteral("Market again"))};
    const StatementPreview preview = previewImport(t.book(), s, Bank, Uncategorised);
    ASSERT_EQ(statuses(preview), (std::vector{ImportStatus::Matched, ImportStatus::New}));
    EXPECT_EQ(preview.lines[0].matchedTranId, 1);
    EXPECT_EQ(preview.lines[0].counterAccountId, Groceries);

    const ImportResult applied = applyImport(t.book(), preview, Now);
    ASSERT_TRUE(applied.ok) << applied.text.toStdString();
    EXPECT_EQ(applied.matched, 1);
    EXPECT_EQ(applied.added, 1);
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 4);
    EXPECT_EQ(statuses(previewImport(t.book(), s, Bank, Uncategorised)),
              (std::vector{ImportStatus::Duplicate, ImportStatus::Duplicate}));
}

// One line at fault refuses the whole import, naming the line; nothing is
// written. A duplicate the user marks New is added again.
TEST_F(ImportBook, ApplyRefusesAllOnOneFaultyLine)
{
    Statement s;
    s.lines = {line(QDate(2024, 6, 1), 1500, QStringLiteral("Refund")),
               line(QDate(2024, 6, 2), -700, QStringLiteral("Parking"))};
    StatementPreview preview = previewImport(t.book(), s, Bank, 0);
    preview.lines[0].counterAccountId = Groceries;
    const ImportResult refused = applyImport(t.book(), preview, Now);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.text,
              QStringLiteral("Line 2 (2024-06-02, -7.00, Parking): choose a counter-account, or make "
                             "an account named Uncategorised"));
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 0);
    EXPECT_EQ(t.count(QStringLiteral("imported_lines")), 0);

    preview.lines[1].counterAccountId = Uncategorised;
    ASSERT_TRUE(applyImport(t.book(), preview, Now).ok);
    StatementPreview again = previewImport(t.book(), s, Bank, Uncategorised);
    again.lines[1].status = ImportStatus::New;
    ASSERT_TRUE(applyImport(t.book(), again, Now).ok);
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 3);
    EXPECT_EQ(t.count(QStringLiteral("imported_lines")), 2);
}

// A line the user leaves out is remembered as left out, and comes back
// Skipped until set otherwise; a line imported before shows the
// counter-account it was imported with, not the one the rules would give.
TEST_F(ImportBook, ALineLeftOutStaysLeftOutAndImportedLinesShowTheirCounterAccount)
{
    Statement s;
    s.lines = {line(QDate(2024, 7, 1), -900, QStringLiteral("Cinema")),
               line(QDate(2024, 7, 2), -2500, QStringLiteral("Market"))};
    StatementPreview preview = previewImport(t.book(), s, Bank, Uncategorised);
    preview.lines[0].status = ImportStatus::Skipped;
    preview.lines[1].counterAccountId = Groceries;
    const ImportResult applied = applyImport(t.book(), preview, Now);
    ASSERT_TRUE(applied.ok) << applied.text.toStdString();
    EXPECT_EQ(applied.added, 1);
    EXPECT_EQ(applied.skipped, 1);
    EXPECT_EQ(applied.written.value(preview.lines[1].key), ImportStatus::Imported);

    StatementPreview again = previewImport(t.book(), s, Bank, Uncategorised);
    EXPECT_EQ(statuses(again), (std::vector{ImportStatus::Skipped, ImportStatus::Duplicate}));
    EXPECT_EQ(again.lines[1].counterAccountId, Groceries);
    const ImportResult second = applyImport(t.book(), again, Now);
    EXPECT_EQ(second.added, 0);
    EXPECT_EQ(second.duplicates, 1);
    showWritten(again, applied.written);
    EXPECT_EQ(statuses(again), (std::vector{ImportStatus::Skipped, ImportStatus::Imported}));

    again.lines[0].status = ImportStatus::New;
    ASSERT_TRUE(applyImport(t.book(), again, Now).ok);
    EXPECT_EQ(statuses(previewImport(t.book(), s, Bank, Uncategorised)),
              (std::vector{ImportStatus::Duplicate, ImportStatus::Duplicate}));
    EXPECT_EQ(transactionLines(t.db()),
              (QStringList{QStringLiteral("2024-07-02 10>11 2500 Market"),
                           QStringLiteral("2024-07-01 10>12 900 Cinema")}));
}

// A mapping saved again under its name replaces the first in every field,
// on either engine.
TEST_F(ImportBook, AMappingSavedAgainUnderItsNameReplacesTheFirst)
{
    CsvMapping first;
    first.name = QStringLiteral("Bank export");
    saveCsvMapping(t.book(), first);
    CsvMapping second = first;
    second.delimiter = u';';
    second.encoding = TextEncoding::Windows1252;
    second.datePattern = QStringLiteral("dd.MM.yyyy");
    second.amountColumn = -1;
    second.debitColumn = 3;
    second.creditColumn = 4;
    second.decimalSeparator = u',';
    second.parenthesesNegative = false;
    saveCsvMapping(t.book(), second);
    EXPECT_EQ(csvMappingNames(t.book()), QStringList{QStringLiteral("Bank export")});
    const std::optional<CsvMapping> loaded = loadCsvMapping(t.book(), QStringLiteral("Bank export"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->delimiter, u';');
    EXPECT_EQ(loaded->encoding, TextEncoding::Windows1252);
    EXPECT_EQ(loaded->datePattern, QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(loaded->amountColumn, -1);
    EXPECT_EQ(loaded->debitColumn, 3);
    EXPECT_EQ(loaded->creditColumn, 4);
    EXPECT_EQ(loaded->decimalSeparator, u',');
    EXPECT_FALSE(loaded->parenthesesNegative);
}

// Before a large import a book file is copied into the backups folder; a
// server book keeps its backups on the server, and the import goes ahead
// without a copy.
TEST_F(ImportBook, ALargeImportIsCopiedFirstOnlyFromABookFile)
{
    QTemporaryDir backups;
    const QString copy = backUpBeforeImport(t.book(), LargeImportRows + 1, backups.path(), Now);
    if (bc::test::testsOnServer()) {
        EXPECT_TRUE(copy.isEmpty());
        EXPECT_TRUE(QDir(backups.path()).isEmpty());
    } else {
        EXPECT_TRUE(QFileInfo(copy).isFile()) << copy.toStdString();
    }
    EXPECT_TRUE(backUpBeforeImport(t.book(), LargeImportRows, backups.path(), Now).isEmpty());
}

// The sample statements of every format, each imported twice into an account
// that held the statement's opening balance: the second import adds
// nothing, and the balance after import is the statement's closing balance.
TEST(ImportSamples, EachFormatImportedTwiceAddsItsLinesOnce)
{
    for (const char *name :
         {"debit-credit.csv", "day-first-cp1252.qif", "batch.camt053.xml", "sgml-no-closing-tags.ofx", "xml-v2.ofx"}) {
        SCOPED_TRACE(name);
        QFile file(QStringLiteral(BRINDLECOT_STATEMENTS_DIR) + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        const auto format = detectStatementFormat(data, QLatin1String(name));
        ASSERT_TRUE(format.has_value());
        StatementReadOptions options;
        options.csv = guessCsvMapping(data);
        const Statement s = readStatement(data, *format, options);

        // Without an opening balance in the file, the account holds what the
        // bank's closing balance says was there before these lines.
        Money opening = s.openingBalance.value_or(s.closingBalance.value_or(Money()));
        if (!s.openingBalance)
            for (const StatementLine &l : s.lines)
                opening -= l.amount;
        TestBook t;
        t.addAccount(Bank, QStringLiteral("Bank"), 4, opening);
        t.addAccount(Uncategorised, QStringLiteral("Uncategorised"), 3, Money());
        const StatementPreview first = previewImport(t.book(), s, Bank, Uncategorised);
        const ImportResult applied = applyImport(t.book(), first, Now);
        ASSERT_TRUE(applied.ok) << applied.text.toStdString();
        const int added = t.count(QStringLiteral("transaction_master"));
        EXPECT_EQ(added, applied.added);
        EXPECT_GT(added, 0);

        const StatementPreview second = previewImport(t.book(), s, Bank, Uncategorised);
        EXPECT_EQ(importTotals(second).added, 0);
        ASSERT_TRUE(applyImport(t.book(), second, Now).ok);
        EXPECT_EQ(t.count(QStringLiteral("transaction_master")), added);
        if (s.closingBalance) {
            EXPECT_EQ(importTotals(first).balanceAfter, *s.closingBalance);
            EXPECT_EQ(second.balanceNow, *s.closingBalance);
        }
    }
}

// A book of format 2 open read-only is shown as it is, without the import
// tables: the preview still reads its balance and transactions, and applying
// is refused without writing.
TEST(ImportReadOnly, AnOlderBookOpenReadOnlyIsPreviewedButNotWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.fd"));
    bc::test::createFormat2Book(path);
    Book book;
    ASSERT_TRUE(book.open(path, {.readOnly = true}).ok());
    Statement s;
    s.lines = {line(QDate(2024, 7, 1), 500, QStringLiteral("Refund"))};
    const StatementPreview preview = previewImport(book, s, 4, 5);
    EXPECT_EQ(statuses(preview), std::vector{ImportStatus::New});
    EXPECT_FALSE(applyImport(book, preview, Now).ok);
}

} // namespace
