// Rows that another program wrote in a form this program never writes (only a
// book of format 1, shown read-only, can hold them): every report that meets
// one stops with a message naming the table, the row and the fault, rather
// than showing a wrong figure.
#include "bookcheck.h"
#include "connection.h"
#include "dates.h"
#include "ledger.h"
#include "sql.h"
#include "summary.h"
#include "testbook.h"
#include "transactions.h"

#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;

namespace {

QString refusal(const std::function<void()> &run)
{
    try {
        run();
    } catch (const DbError &e) {
        return e.description();
    }
    return QStringLiteral("no refusal");
}

} // namespace

TEST(ForeignRows, EveryReportNamesTheTableTheRowAndTheFault)
{
    TestBook t(TestBook::Kind::Format1ReadOnly);
    t.addAccount(10, QStringLiteral("Bank"), 4, Money::fromCents(10000));
    t.addAccount(11, QStringLiteral("Salary"), 1, Money());
    t.addTransaction(1, QDate(2024, 1, 5), 11, 10, Money::fromCents(5000));
    const auto ledger = [&] { computeLedger(t.book(), {qint64(10), QDate(2024, 1, 1), QDate(2024, 12, 31), QDate()}); };
    SummaryInput in;
    in.accounts = {{10, AccountSide::Account, QStringLiteral("Bank")},
                   {11, AccountSide::Account, QStringLiteral("Salary")}};
    in.fromDate = QDate(2024, 1, 1);
    in.toDate = QDate(2024, 12, 31);
    const auto summary = [&] { computeSummary(t.book(), in); };
    const auto find = [&] { findTransactions(t.book(), TranSearch{}); };
    EXPECT_EQ(refusal(ledger), QStringLiteral("no refusal"));
    EXPECT_EQ(refusal(summary), QStringLiteral("no refusal"));

    const QString update = QStringLiteral("UPDATE transaction_master SET %1 = ? WHERE tran_id = 1");
    const struct {
        const char *column;
        QVariant value;
        const char *fault;
    } cases[] = {
        {"amount", QStringLiteral("12,50"), "the amount '12,50' is stored as text, not as whole cents"},
        {"amount", 12.5, "the amount 12.5 is stored as real, not as whole cents"},
        {"tran_date", QStringLiteral("15/01/2024"), "the date '15/01/2024' is not a date of the form YYYY-MM-DD"},
        {"tran_date", QStringLiteral("2024-02-30"), "the date '2024-02-30' is not a date of the form YYYY-MM-DD"},
        {"from_flag", QStringLiteral("a"), "the From side's flag 'a' is neither A nor P"},
        {"to_acc", 99, "the To side 99 is no account of the book"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        runSql(t.writer(), update.arg(QLatin1String(c.column)), {c.value});
        const QString expected = QStringLiteral("The book holds a row that was not written by this program, so the "
                                                "figures would be wrong: table transaction_master, row tran_id 1: %1. "
                                                "Correct or delete the row with the tool that wrote it.")
                                     .arg(QLatin1String(c.fault));
        // The check is remembered while the book is unchanged; this change
        // was made by another connection, so it is checked again. A side of
        // no account is a fault where the side is named: the transaction list
        // (the summary's and Bank's figures do not depend on it).
        EXPECT_EQ(refusal(find), expected);
        if (QLatin1String(c.column) != QLatin1String("to_acc")) {
            EXPECT_EQ(refusal(summary), expected);
            EXPECT_EQ(refusal(ledger), expected);
        }
        t.addTransaction(2, QDate(2024, 1, 5), 11, 10, Money::fromCents(5000));
        runSql(t.writer(), QStringLiteral("DELETE FROM transaction_master WHERE tran_id = 1"));
        runSql(t.writer(), QStringLiteral("UPDATE transaction_master SET tran_id = 1 WHERE tran_id = 2"));
        EXPECT_EQ(refusal(summary), QStringLiteral("no refusal"));
    }

    // A listed movement of Bank whose other side is no account.
    runSql(t.writer(), QStringLiteral("UPDATE transaction_master SET from_acc = 98 WHERE tran_id = 1"));
    EXPECT_EQ(refusal(ledger),
              QStringLiteral("The book holds a row that was not written by this program, so the "
                             "figures would be wrong: table transaction_master, row tran_id 1: the "
                             "From side 98 is no account of the book. Correct or delete the row "
                             "with the tool that wrote it."));
    runSql(t.writer(), QStringLiteral("UPDATE transaction_master SET from_acc = 11 WHERE tran_id = 1"));

    // An opening amount written as text, after a clean check that the book's
    // connection remembers.
    EXPECT_EQ(refusal(find), QStringLiteral("no refusal"));
    runSql(t.writer(), QStringLiteral("UPDATE account_master SET open_amount = '100,00' WHERE account_id = 10"));
    const QString opening = QStringLiteral("The book holds a row that was not written by this program, so the figures "
                                           "would be wrong: table account_master, row account_id 10: the opening "
                                           "amount '100,00' is stored as text, not as whole cents. Correct or delete "
                                           "the row with the tool that wrote it.");
    EXPECT_EQ(refusal(find), opening);
    EXPECT_EQ(refusal(summary), opening);
    EXPECT_EQ(refusal(ledger), opening);
}

// Objects another program made in the book would run inside the program's
// saves: a trigger that doubles every amount, one of the program's own
// triggers or functions changed, a view, a rule, an index. The book is
// refused, naming them and the way out; check lists them, and the repair
// removes them and puts the program's own back.
TEST(ForeignObjects, ABookHoldingThemIsRefusedUntilTheRepairRemovesThem)
{
    TestBook t;
    t.addAccount(10, QStringLiteral("Bank"), 4, Money());
    t.addAccount(11, QStringLiteral("Salary"), 1, Money());
    const QSqlDatabase db = t.db();
    const bool onServer = t.book().isOnServer();
    const QStringList hostile = onServer
        ? QStringList{QStringLiteral("CREATE FUNCTION doubled() RETURNS trigger LANGUAGE plpgsql AS "
                                     "$$ BEGIN NEW.amount := NEW.amount * 2; RETURN NEW; END $$"),
                      QStringLiteral("CREATE TRIGGER double_amounts BEFORE INSERT ON transaction_master "
                                     "FOR EACH ROW EXECUTE FUNCTION doubled()"),
                      QStringLiteral("CREATE OR REPLACE FUNCTION balance_month(d date) RETURNS text "
                                     "LANGUAGE sql IMMUTABLE AS 'SELECT ''1999-01'''"),
                      QStringLiteral("CREATE RULE keep_history AS ON DELETE TO change_sets DO INSTEAD NOTHING"),
                      QStringLiteral("CREATE VIEW hidden_view AS SELECT 1 AS one"),
                      QStringLiteral("CREATE INDEX extra_index ON transaction_master (particulars)")}
        : QStringList{QStringLiteral("CREATE TRIGGER double_amounts AFTER INSERT ON transaction_master "
                                     "BEGIN UPDATE transaction_master SET amount = amount * 2 "
                                     "WHERE tran_id = NEW.tran_id; END"),
                      QStringLiteral("DROP TRIGGER period_balances_insert"),
                      QStringLiteral("CREATE TRIGGER period_balances_insert AFTER INSERT ON "
                                     "transaction_master BEGIN SELECT 1; END"),
                      QStringLiteral("CREATE VIEW hidden_view AS SELECT 1 AS one"),
                      QStringLiteral("CREATE INDEX extra_index ON transaction_master (particulars)")};
    for (const QString &statement : hostile)
        runSql(db, statement);
    const QString changedOwn = onServer ? QStringLiteral("balance_month") : QStringLiteral("period_balances_insert");
    QStringList named{QStringLiteral("double_amounts"), changedOwn, QStringLiteral("hidden_view"),
                      QStringLiteral("extra_index")};
    if (onServer)
        named << QStringLiteral("keep_history");

    {
        Book refused;
        const OpenResult opened = refused.open(t.path());
        EXPECT_FALSE(opened.ok());
        for (const QString &name : named)
            EXPECT_TRUE(opened.description.contains(name)) << name.toStdString();
        EXPECT_TRUE(opened.description.contains(QStringLiteral("brindlecot-cli check --repair")));
    }
    {
        Book checked;
        ASSERT_TRUE(
            checked.open(t.path(), OpenOptions{.readOnly = true, .foreignObjects = ForeignObjects::Admit}).ok());
        const QString problems = bookProblems(checked).join(u'\n');
        for (const QString &name : named)
            EXPECT_TRUE(problems.contains(name)) << name.toStdString() << problems.toStdString();
    }
    {
        Book repaired;
        const OpenResult opened = repaired.open(t.path(), OpenOptions{.foreignObjects = ForeignObjects::Remove});
        ASSERT_TRUE(opened.ok()) << opened.description.toStdString();
        EXPECT_EQ(opened.removedObjects.size(), named.size()) << opened.removedObjects.join(u'\n').toStdString();
    }
    Book book;
    ASSERT_TRUE(book.open(t.path()).ok());
    t.addTransaction(1, QDate(2024, 1, 5), 11, 10, Money::fromCents(5000));
    EXPECT_EQ(test::transactionLines(connectionOf(book)), QStringList{QStringLiteral("2024-01-05 11>10 5000 ")});
    EXPECT_EQ(bookProblems(book), QStringList());
    SummaryInput in;
    in.accounts = {{10, AccountSide::Account, QStringLiteral("Bank")}};
    in.fromDate = QDate(2024, 1, 1);
    in.toDate = QDate(2024, 12, 31);
    const SummaryResult s = computeSummary(book, in);
    ASSERT_EQ(s.listed.size(), size_t(1));
    EXPECT_EQ(s.listed[0].movement, Money::fromCents(5000));
}
