// Reconciling accounts with bank statements and closing periods, on real
// books of both engines: the book itself refuses every writer a closed
// transaction, a reconciliation is one save the history can undo, and the
// subset search finds the movements that make up a difference.
#include "autotick.h"
#include "historyundo.h"
#include "reconciliation.h"
#include "serverbook.h"
#include "sql.h"
#include "statementimport.h"
#include "systemsettings.h"
#include "testbook.h"
#include "transactions.h"
#include "tranwriter.h"

#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;

namespace {

const QDateTime Now(QDate(2026, 12, 7), QTime(14, 2, 0));
constexpr qint64 Bank = 10, Card = 11, Rent = 12, Uncategorised = 13;

const QString ClosedMessage = QStringLiteral("The book is closed through 31/10/2026: transactions on or before that "
                                             "date cannot be added, changed or deleted.");

// A day-first book: Bank opens at 1,000.00; rent paid in October and
// November, a card payment from the bank in November.
struct ReconcileBook {
    ReconcileBook()
    {
        t.addAccount(Bank, QStringLiteral("Bank"), 1, Money::fromCents(100000));
        t.addAccount(Card, QStringLiteral("Card"), 2, Money());
        t.addAccount(Rent, QStringLiteral("Rent"), 4, Money());
        t.addAccount(Uncategorised, QStringLiteral("Uncategorised"), 4, Money());
        t.setSetting(QStringLiteral("DTFM"), QStringLiteral("d/M/yyyy"));
        t.addTransaction(1, QDate(2026, 10, 1), Bank, Rent, Money::fromCents(50000), QStringLiteral("October rent"));
        t.addTransaction(2, QDate(2026, 11, 1), Bank, Rent, Money::fromCents(50000), QStringLiteral("November rent"));
        t.addTransaction(3, QDate(2026, 11, 20), Bank, Card, Money::fromCents(12345), QStringLiteral("Card bill"));
    }
    TestBook t;
};

StatementLine line(const QDate &date, qint64 cents, const QString &payee)
{
    StatementLine l;
    l.date = date;
    l.amount = Money::fromCents(cents);
    l.payee = payee;
    return l;
}

RowArray tranRow(qint64 id, const QDate &date, qint64 from, qint64 to, qint64 cents)
{
    RowArray rows = makeTranRows();
    const int r = rows.appendRow();
    rows.setInt(r, TranCol::Id, id);
    rows.setDate(r, TranCol::Date, date);
    rows.setText(r, TranCol::From, QStringLiteral("A%1").arg(from));
    rows.setText(r, TranCol::To, QStringLiteral("A%1").arg(to));
    rows.setMoney(r, TranCol::Amount, Money::fromCents(cents));
    rows.setText(r, TranCol::Particulars, QStringLiteral("typed"));
    rows.setInt(r, TranCol::Version, id > 0 ? 1 : 0);
    rows.setEditMark(r, TranCol::Status, EditMark::Changed);
    return rows;
}

// The description a write through another connection fails with, as
// another program would run it; empty when it succeeded.
QString otherProgramsWrite(const TestBook &t, const QString &statement)
{
    const QString name = QStringLiteral("another-program");
    QString failure;
    {
        QSqlDatabase other;
        if (t.book().isOnServer()) {
            EXPECT_EQ(openServerConnection(name, t.path(), {}), QString());
            other = QSqlDatabase::database(name, false);
        } else {
            other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            other.setDatabaseName(t.path());
            EXPECT_TRUE(other.open());
        }
        QSqlQuery q(other);
        if (!q.exec(statement))
            failure = q.lastError().databaseText();
        other.close();
    }
    QSqlDatabase::removeDatabase(name);
    return failure;
}

QString sidesOf(const TestBook &t, qint64 id)
{
    QSqlQuery q = runSql(t.db(),
                         QStringLiteral("SELECT from_status, to_status, from_reconciliation IS NULL, "
                                        "to_reconciliation IS NULL FROM transaction_master WHERE tran_id = ?"),
                         {id});
    if (!q.next())
        return QStringLiteral("gone");
    return QStringLiteral("%1|%2|%3|%4")
        .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toBool() ? QString() : QStringLiteral("r"),
             q.value(3).toBool() ? QString() : QStringLiteral("r"));
}

} // namespace

// Closing October refuses every way a transaction of October could be
// added, changed or deleted, with one message, while November stays open and
// a closed side may still be reconciled; opening the book again is a change
// the history records.
TEST(ClosedPeriod, EveryWriterIsRefusedAClosedTransactionWithOneMessage)
{
    ReconcileBook b;
    Book &book = b.t.book();
    // A save made while October was open, to be undone once it is closed.
    ASSERT_TRUE(saveTransactions(book, tranRow(0, QDate(2026, 10, 5), Bank, Rent, 700), Now).ok());
    const qint64 octoberSave = undoTarget(book)->id;

    const ClosedPeriodResult closed = setClosedThrough(book, QDate(2026, 10, 31), Now.date(), QStringLiteral("test"));
    ASSERT_TRUE(closed.ok) << closed.message.toStdString();
    EXPECT_EQ(closed.message, QStringLiteral("The book is closed through 31/10/2026."));

    // The window's save: a new row, an edit, a deletion.
    const TranSaveResult typed = saveTransactions(book, tranRow(0, QDate(2026, 10, 30), Bank, Rent, 100), Now);
    EXPECT_FALSE(typed.ok());
    EXPECT_TRUE((typed.text + typed.detail).contains(ClosedMessage)) << typed.text.toStdString();
    const TranSaveResult edited = saveTransactions(book, tranRow(1, QDate(2026, 10, 1), Bank, Rent, 50001), Now);
    EXPECT_TRUE((edited.text + edited.detail).contains(ClosedMessage)) << edited.text.toStdString();
    EXPECT_FALSE(saveTransactions(book, tranRow(1, QDate(2026, 11, 2), Bank, Rent, 50000), Now).ok());
    EXPECT_FALSE(saveTransactions(book, makeTranRows(), Now, {LoadedRow(1, 1)}).ok());
    // Moving a November transaction into October is refused as well.
    EXPECT_FALSE(saveTransactions(book, tranRow(2, QDate(2026, 10, 31), Bank, Rent, 50000), Now).ok());

    // The tool's import.
    {
        TranImport import(book, Now, QStringLiteral("import"));
        bool refused = false;
        try {
            import.add(tranRow(0, QDate(2026, 9, 1), Bank, Rent, 100), 0);
            import.finish();
        } catch (const DbError &e) {
            refused = true;
            EXPECT_EQ(e.description(), ClosedMessage);
        }
        EXPECT_TRUE(refused);
    }

    // A statement's line of October.
    Statement statement;
    statement.lines.push_back(line(QDate(2026, 10, 20), -2500, QStringLiteral("Shop")));
    const ImportResult imported = applyImport(book, previewImport(book, statement, Bank, Uncategorised), Now);
    EXPECT_FALSE(imported.ok);
    EXPECT_TRUE(imported.text.contains(ClosedMessage)) << imported.text.toStdString();

    // Undo of the save made before the period closed.
    const UndoResult undone = undoChange(book, octoberSave, QStringLiteral("test"));
    EXPECT_FALSE(undone.ok);
    EXPECT_TRUE(undone.message.contains(ClosedMessage)) << undone.message.toStdString();

    // Another program's SQL, each statement on its own.
    for (const QString &statement :
         {QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, "
                         "amount) VALUES (90, '2026-10-02', 10, 'A', 12, 'A', 1)"),
          QStringLiteral("UPDATE transaction_master SET amount = 1 WHERE tran_id = 1"),
          QStringLiteral("UPDATE transaction_master SET tran_date = '2026-10-02' WHERE tran_id = 2"),
          QStringLiteral("DELETE FROM transaction_master WHERE tran_id = 1")}) {
        const QString failure = otherProgramsWrite(b.t, statement);
        EXPECT_TRUE(failure.contains(QStringLiteral("The book is closed through"))) << statement.toStdString();
    }
    if (!book.isOnServer()) {
        const QString replaced = otherProgramsWrite(
            b.t,
            QStringLiteral("INSERT OR REPLACE INTO transaction_master (tran_id, tran_date, from_acc, from_flag, "
                           "to_acc, to_flag, amount) VALUES (1, '2026-12-01', 10, 'A', 12, 'A', 1)"));
        EXPECT_FALSE(replaced.isEmpty());
    } else {
        EXPECT_FALSE(otherProgramsWrite(b.t, QStringLiteral("TRUNCATE transaction_master")).isEmpty());
    }
    EXPECT_EQ(otherProgramsWrite(b.t, QStringLiteral("UPDATE transaction_master SET amount = 50001 WHERE tran_id = 2")),
              QString());
    EXPECT_EQ(otherProgramsWrite(b.t,
                                 QStringLiteral("UPDATE transaction_master SET from_status = 'c' "
                                                "WHERE tran_id = 1")),
              QString());
    EXPECT_EQ(b.t.count(QStringLiteral("transaction_master")), 4);

    // Opened again: the October save can be undone, and the history shows
    // both changes of the period.
    ASSERT_TRUE(setClosedThrough(book, QDate(), Now.date(), QStringLiteral("lock")).ok);
    EXPECT_TRUE(undoChange(book, octoberSave, QStringLiteral("test")).ok);
    SystemSettings settings;
    LoadSystemSettings(book, settings);
    EXPECT_FALSE(settings.closedThrough.isValid());
}

// Ticking the statement's movements: a difference is refused, the balance
// met reconciles only the bank's side of a transfer, a later edit keeps the
// standing, and undoing the reconciliation (even once October and November
// are closed) puts the sides back as they were, ticks and all.
TEST(Reconcile, TheTickedSidesAreReconciledInOneUndoableSave)
{
    ReconcileBook b;
    Book &book = b.t.book();
    const QDate statementDate(2026, 11, 30);
    QList<AccountMovement> open = unreconciledMovements(book, Bank, statementDate);
    ASSERT_EQ(open.size(), 3);
    EXPECT_EQ(open.at(2).cents, -12345);
    const qint64 closing = 100000 - 50000 - 50000 - 12345;

    // Two ticked and kept for later: cleared, nothing reconciled yet.
    QList<SideRef> ticked{sideOf(open.at(0)), sideOf(open.at(1))};
    ASSERT_TRUE(postponeReconciliation(book, open, ticked, QStringLiteral("test")).ok);
    EXPECT_EQ(sidesOf(b.t, 1), QStringLiteral("c|||"));
    const ReconcileResult short_ = reconcileAccount(book, {Bank, statementDate, closing, ticked}, Now,
                                                    QStringLiteral("test"));
    EXPECT_FALSE(short_.ok);
    EXPECT_TRUE(short_.message.contains(QStringLiteral("a difference of -123.45"))) << short_.message.toStdString();

    // Auto-tick offers the one movement the difference is made of.
    open = unreconciledMovements(book, Bank, statementDate);
    const ReconcileFigures figures = reconcileFigures(book, Bank, open, ticked);
    const AutoTickOffer offer = offerAutoTick({open.at(2)}, figures.differenceTo(closing));
    ASSERT_EQ(offer.sides.size(), 1);
    ticked << offer.sides;
    const ReconcileResult done = reconcileAccount(book, {Bank, statementDate, closing, ticked}, Now,
                                                  QStringLiteral("test"));
    ASSERT_TRUE(done.ok) << done.message.toStdString();
    const qint64 reconciliationSet = undoTarget(book)->id;
    EXPECT_EQ(sidesOf(b.t, 3), QStringLiteral("R||r|"));
    EXPECT_EQ(unreconciledMovements(book, Bank, statementDate).size(), 0);
    EXPECT_EQ(unreconciledMovements(book, Card, statementDate).size(), 1);
    EXPECT_EQ(reconciledBalance(book, Bank), closing);
    const QList<ReconciliationRecord> kept = reconciliationsOf(book, Bank);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept.first().closingCents, closing);
    EXPECT_EQ(movementsOfReconciliation(book, kept.first().id).size(), 3);
    EXPECT_EQ(reconciledSidesOf(book, {2, 3}).size(), 2);

    // A later edit of the card side keeps the bank side reconciled.
    RowArray edit = tranRow(3, QDate(2026, 11, 20), Bank, Card, 12345);
    edit.setInt(0, TranCol::Version, 2);
    const TranSaveResult edited = saveTransactions(book, edit, Now);
    ASSERT_TRUE(edited.ok()) << edited.text.toStdString();
    EXPECT_EQ(sidesOf(b.t, 3), QStringLiteral("R||r|"));
    ASSERT_TRUE(undoChange(book, undoTarget(book)->id, QStringLiteral("test")).ok);

    ASSERT_TRUE(setClosedThrough(book, QDate(2026, 11, 30), Now.date(), QStringLiteral("test")).ok);
    const UndoResult undone = undoChange(book, reconciliationSet, QStringLiteral("test"));
    ASSERT_TRUE(undone.ok) << undone.message.toStdString();
    EXPECT_EQ(sidesOf(b.t, 1), QStringLiteral("c|||"));
    EXPECT_EQ(sidesOf(b.t, 3), QStringLiteral("|||"));
    EXPECT_TRUE(reconciliationsOf(book, Bank).isEmpty());
    EXPECT_EQ(reconciledBalance(book, Bank), 100000);
}

// A difference booked by an adjustment transaction, reconciled with the
// rest; a statement import clears the statement account's side of the
// lines it adds and of the transactions it matches.
TEST(Reconcile, AnAdjustmentMeetsTheStatementAndAnImportClearsItsSide)
{
    ReconcileBook b;
    Book &book = b.t.book();
    // The bank charged 0.01 more than the book knows of.
    const qint64 closing = 100000 - 50000 - 999 - 1;
    Statement statement;
    statement.periodEnd = QDate(2026, 11, 30);
    statement.closingBalance = Money::fromCents(closing);
    statement.lines.push_back(line(QDate(2026, 11, 1), -50000, QStringLiteral("Landlord")));
    statement.lines.push_back(line(QDate(2026, 11, 25), -999, QStringLiteral("Fee")));
    EXPECT_FALSE(offeredStatement(book, Bank));
    const ImportResult imported = applyImport(book, previewImport(book, statement, Bank, Uncategorised), Now);
    ASSERT_TRUE(imported.ok) << imported.text.toStdString();
    const qint64 importSet = undoTarget(book)->id;
    EXPECT_EQ(sidesOf(b.t, 2), QStringLiteral("c|||"));
    ASSERT_EQ(imported.addedIds.size(), 1);
    EXPECT_EQ(sidesOf(b.t, imported.addedIds.first()), QStringLiteral("c|||"));

    // The import keeps the statement's closing balance, offered for the
    // account's next reconciliation until a reconciliation reaches its date.
    const std::optional<StatementBalance> offered = offeredStatement(book, Bank);
    ASSERT_TRUE(offered);
    EXPECT_EQ(offered->statementDate, statement.periodEnd);
    EXPECT_EQ(offered->closingCents, closing);
    EXPECT_FALSE(offeredStatement(book, Card));

    QList<SideRef> ticked;
    for (const AccountMovement &m : unreconciledMovements(book, Bank, offered->statementDate))
        if (m.status == SideStatus::Cleared)
            ticked << sideOf(m);
    ASSERT_EQ(ticked.size(), 2);
    ReconcileRequest request{Bank, offered->statementDate, offered->closingCents, ticked,
                             AccountKey{AccountSide::Account, Uncategorised}};
    const ReconcileResult done = reconcileAccount(book, request, Now, QStringLiteral("test"));
    ASSERT_TRUE(done.ok) << done.message.toStdString();
    EXPECT_FALSE(offeredStatement(book, Bank));
    ASSERT_GT(done.adjustment, 0);
    EXPECT_EQ(sidesOf(b.t, done.adjustment), QStringLiteral("R||r|"));
    EXPECT_EQ(reconciledBalance(book, Bank), closing);

    // Undoing the import would take away the fee, reconciled since; undoing
    // the reconciliation changes standings only.
    const QList<ReconciledSide> protectedSides = reconciledSidesAnUndoChanges(book, importSet);
    ASSERT_EQ(protectedSides.size(), 1);
    EXPECT_EQ(protectedSides.first().transaction, imported.addedIds.first());
    EXPECT_EQ(reconciledChangeRefusal(protectedSides, QStringLiteral("d/M/yyyy")),
              QStringLiteral("Transaction %1 was reconciled with the statement of 30/11/2026; nothing was changed. "
                             "Give --force to change reconciled transactions anyway.")
                  .arg(imported.addedIds.first()));
    EXPECT_TRUE(reconciledSidesAnUndoChanges(book, undoTarget(book)->id).isEmpty());
}

// The subset search: among 200 movements of everyday size, the hidden
// subset's sum is found and checked; a difference two subsets make is said to
// be a guess; few movements of large amounts are searched as well.
TEST(AutoTick, FindsTheMovementsThatMakeUpTheDifference)
{
    QRandomGenerator random(20261130);
    QList<qint64> amounts;
    for (int i = 0; i < 200; ++i)
        amounts << (random.bounded(2) ? 1 : -1) * qint64(random.bounded(1, 5000)) * 7 + 3;
    qint64 target = 0;
    for (const int i : {4, 17, 58, 99, 123, 150, 199})
        target += amounts.at(i);
    const SubsetFound found = findSubsetSum(amounts, target);
    ASSERT_TRUE(found.found());
    qint64 sum = 0;
    for (const int i : found.positions)
        sum += amounts.at(i);
    EXPECT_EQ(sum, target);

    const SubsetFound twice = findSubsetSum({500, 300, 200, 999}, 500);
    EXPECT_TRUE(twice.found());
    EXPECT_TRUE(twice.several);
    const SubsetFound once = findSubsetSum({500, 301, 200, 999}, 1499);
    EXPECT_EQ(once.positions, (QList<int>{0, 3}));
    EXPECT_FALSE(once.several);
    EXPECT_FALSE(findSubsetSum({500, 301, 200, 999}, 2).found());
    EXPECT_FALSE(findSubsetSum({500, 301}, 0).found());

    const SubsetFound large = findSubsetSum({99999999999, -5000000000, 12345678901, 7}, 7345678908);
    EXPECT_EQ(large.positions, (QList<int>{1, 2, 3}));
}
