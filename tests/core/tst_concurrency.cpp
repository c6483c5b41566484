// Two programs on one book: each saves only rows that are still as it
// loaded them. A save made from rows another program changed or deleted
// meanwhile is refused whole, naming the rows and who changed them, and
// writes nothing; saves of different rows both go through, in either order.
#include "accounts.h"
#include "connection.h"
#include "history.h"
#include "historyundo.h"
#include "sql.h"
#include "systemsettings.h"
#include "testbook.h"
#include "transactionpages.h"
#include "transactions.h"

#include <QSqlQuery>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace bc;
using bc::test::TestBook;

namespace {

// The change history notes the real time of each save, and the refusal
// gives it without the date when that is today.
const QDateTime Now = QDateTime::currentDateTime();

struct TwoPrograms : ::testing::Test {
    TestBook t;
    Book other;
    Book *books[2] = {&t.book(), &other};
    void SetUp() override
    {
        t.addAccount(10, QStringLiteral("Bank"), 4, Money::fromCents(10000));
        t.addAccount(11, QStringLiteral("Rent"), 2, Money());
        t.addAccount(12, QStringLiteral("Food"), 2, Money());
        t.addAccount(13, QStringLiteral("Spare"), 2, Money());
        t.addTransaction(17, QDate(2026, 3, 11), 10, 11, Money::fromCents(500));
        t.addTransaction(18, QDate(2026, 3, 12), 10, 12, Money::fromCents(700));
        t.setSetting(QStringLiteral("DTFM"), QStringLiteral("M/d/yyyy"));
        t.book().setActorName(QStringLiteral("ann"));
        ASSERT_TRUE(other.open(t.path()).ok());
        other.setActorName(QStringLiteral("maria"));
    }
    qint64 value(const QString &statement)
    {
        QSqlQuery q = runSql(t.db(), statement);
        return q.next() ? q.value(0).toLongLong() : -1;
    }
};

int rowOf(const RowArray &rows, int idColumn, qint64 id)
{
    for (int r = 0; r < rows.rowCount(); ++r)
        if (rows.intAt(r, idColumn) == id)
            return r;
    return -1;
}

RowArray accountsOf(const Book &book)
{
    return findAccounts(book, QString(), QString(), QString()).rows;
}

AccountSaveResult changeOpening(Book &book, RowArray rows, qint64 id, qint64 cents)
{
    const int r = rowOf(rows, AccountCol::Id, id);
    rows.setMoney(r, AccountCol::Opening, Money::fromCents(cents));
    rows.setEditMark(r, AccountCol::Status, EditMark::Changed);
    return saveAccounts(book, rows, Now.date());
}

RowArray transactionsOf(const Book &book)
{
    RowArray rows = makeTranRows();
    TranPager(book, TranSearch()).fetch(rows, 100);
    return rows;
}

TranSaveResult changeAmount(Book &book, RowArray rows, qint64 id, qint64 cents)
{
    const int r = rowOf(rows, TranCol::Id, id);
    rows.setMoney(r, TranCol::Amount, Money::fromCents(cents));
    rows.setEditMark(r, TranCol::Status, EditMark::Changed);
    return saveTransactions(book, rows, Now, {});
}

} // namespace

TEST_F(TwoPrograms, AnAccountSaveFromStaleRowsIsRefusedWholeAndNamesWhoChangedThem)
{
    for (const int first : {0, 1}) {
        Book &winner = *books[first];
        Book &loser = *books[1 - first];
        const RowArray winnerRows = accountsOf(winner);
        const RowArray loserRows = accountsOf(loser);
        // Different rows: both saves go through, each with the version after the loaded one.
        ASSERT_TRUE(changeOpening(winner, winnerRows, 11, 100 + first).ok());
        ASSERT_TRUE(changeOpening(loser, loserRows, 12, 200 + first).ok());
        EXPECT_EQ(value(QStringLiteral("SELECT open_amount FROM account_master WHERE account_id = 11")), 100 + first);
        EXPECT_EQ(value(QStringLiteral("SELECT open_amount FROM account_master WHERE account_id = 12")), 200 + first);

        // The same row: the later save, made from the rows before the first
        // one, is refused and writes nothing, its new account included.
        const RowArray stale = accountsOf(loser);
        ASSERT_TRUE(changeOpening(winner, accountsOf(winner), 10, 55500).ok());
        RowArray edited = stale;
        const int added = edited.appendRow();
        edited.setText(added, AccountCol::Name, QStringLiteral("Fuel %1").arg(first));
        edited.setEditMark(added, AccountCol::Status, EditMark::Changed);
        const AccountSaveResult refused = changeOpening(loser, edited, 10, 10000);
        EXPECT_EQ(refused.outcome, AccountSaveResult::Outcome::ChangedByOthers);
        EXPECT_EQ(refused.title, QStringLiteral("Changed by Another User"));
        const QString who = winner.actorName(); // on a server, its login
        EXPECT_TRUE(refused.text.contains(QStringLiteral("Bank was changed by %1").arg(who)))
            << refused.text.toStdString();
        EXPECT_EQ(value(QStringLiteral("SELECT open_amount FROM account_master WHERE account_id = 10")), 55500);
        EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM account_master WHERE account_name LIKE 'Fuel%'")), 0);

        // A row deleted meanwhile is named as deleted; the rows loaded afresh save.
        const RowArray beforeDelete = accountsOf(loser);
        const RowArray toDelete = accountsOf(winner);
        const qint64 version = toDelete.intAt(rowOf(toDelete, AccountCol::Id, 13), AccountCol::Version);
        ASSERT_TRUE(saveAccounts(winner, makeAccountRows(), Now.date(), {LoadedRow(13, version)}).ok());
        const AccountSaveResult gone = changeOpening(loser, beforeDelete, 13, 1);
        EXPECT_EQ(gone.outcome, AccountSaveResult::Outcome::ChangedByOthers);
        EXPECT_TRUE(gone.text.contains(QStringLiteral("Spare was deleted by %1").arg(who))) << gone.text.toStdString();
        EXPECT_TRUE(changeOpening(loser, accountsOf(loser), 10, 20000).ok());
        t.addAccount(13, QStringLiteral("Spare"), 2, Money());
    }
    // Another program's update that leaves the version alone still counts as a change.
    const RowArray loaded = accountsOf(t.book());
    runSql(connectionOf(other), QStringLiteral("UPDATE account_master SET open_amount = 1 WHERE account_id = 10"));
    EXPECT_EQ(changeOpening(t.book(), loaded, 10, 2).outcome, AccountSaveResult::Outcome::ChangedByOthers);
    EXPECT_EQ(value(QStringLiteral("SELECT open_amount FROM account_master WHERE account_id = 10")), 1);
}

TEST_F(TwoPrograms, ATransactionSaveFromStaleRowsIsRefusedWholeAndNamesTheRows)
{
    for (const int first : {0, 1}) {
        Book &winner = *books[first];
        Book &loser = *books[1 - first];
        const RowArray winnerRows = transactionsOf(winner);
        const RowArray loserRows = transactionsOf(loser);
        ASSERT_TRUE(changeAmount(winner, winnerRows, 17, 600 + first).ok());
        ASSERT_TRUE(changeAmount(loser, loserRows, 18, 800 + first).ok());
        EXPECT_EQ(value(QStringLiteral("SELECT amount FROM transaction_master WHERE tran_id = 17")), 600 + first);
        EXPECT_EQ(value(QStringLiteral("SELECT amount FROM transaction_master WHERE tran_id = 18")), 800 + first);

        // Changed and deleted by the first; the second's change of one and
        // deletion of the other are refused together, nothing written.
        const RowArray stale = transactionsOf(loser);
        RowArray edit = transactionsOf(winner);
        edit.setMoney(rowOf(edit, TranCol::Id, 17), TranCol::Amount, Money::fromCents(999));
        edit.setEditMark(rowOf(edit, TranCol::Id, 17), TranCol::Status, EditMark::Changed);
        const int r18 = rowOf(edit, TranCol::Id, 18);
        ASSERT_TRUE(saveTransactions(winner, edit, Now, {LoadedRow(18, edit.intAt(r18, TranCol::Version))}).ok());
        RowArray mine = stale;
        mine.setMoney(rowOf(mine, TranCol::Id, 17), TranCol::Amount, Money::fromCents(1));
        mine.setEditMark(rowOf(mine, TranCol::Id, 17), TranCol::Status, EditMark::Changed);
        const int s18 = rowOf(stale, TranCol::Id, 18);
        const TranSaveResult refused = saveTransactions(loser, mine, Now,
                                                        {LoadedRow(18, stale.intAt(s18, TranCol::Version))});
        EXPECT_EQ(refused.outcome, TranSaveResult::Outcome::ChangedByOthers);
        ASSERT_EQ(refused.changedByOthers.size(), 2);
        const QString who = winner.actorName(); // on a server, its login
        EXPECT_TRUE(refused.text.contains(QStringLiteral("Transaction 17 of 3/11/2026 was changed by %1").arg(who)))
            << refused.text.toStdString();
        EXPECT_TRUE(refused.text.contains(QStringLiteral("Transaction 18 was deleted by %1").arg(who)))
            << refused.text.toStdString();
        EXPECT_EQ(value(QStringLiteral("SELECT amount FROM transaction_master WHERE tran_id = 17")), 999);
        t.addTransaction(18, QDate(2026, 3, 12), 10, 12, Money::fromCents(700));
    }
}

TEST_F(TwoPrograms, SettingsSavedFromStaleValuesAreRefusedUntilLoadedAgain)
{
    for (const int first : {0, 1}) {
        SystemSettings mine, theirs;
        LoadSystemSettings(*books[first], mine);
        LoadSystemSettings(*books[1 - first], theirs);
        SystemSettingsInput changed = inputOf(mine);
        changed.currency = QStringLiteral("EUR");
        ASSERT_TRUE(saveSystemSettings(*books[first], changed, Now.date()).ok());
        SystemSettingsInput late = inputOf(theirs);
        late.currency = QStringLiteral("GBP");
        const SettingsSaveResult refused = saveSystemSettings(*books[1 - first], late, Now.date());
        EXPECT_FALSE(refused.ok());
        EXPECT_TRUE(
            refused.text.contains(QStringLiteral("The configuration was changed by %1").arg(books[first]->actorName())))
            << refused.text.toStdString();
        LoadSystemSettings(*books[1 - first], theirs);
        EXPECT_EQ(theirs.currency, QStringLiteral("EUR"));
        late = inputOf(theirs);
        late.currency = QStringLiteral("GBP");
        EXPECT_TRUE(saveSystemSettings(*books[1 - first], late, Now.date()).ok());
    }
}

TEST_F(TwoPrograms, AnUndoGivesTheRowsItPutsBackVersionsNoWindowHolds)
{
    const RowArray original = accountsOf(other);
    ASSERT_TRUE(changeOpening(t.book(), accountsOf(t.book()), 10, 300).ok());
    const RowArray afterSave = accountsOf(other);
    const std::optional<ChangeSet> target = undoTarget(t.book());
    ASSERT_TRUE(target);
    ASSERT_TRUE(undoChange(t.book(), target->id, QStringLiteral("History")).ok);
    // Neither the rows loaded before the save nor those loaded after it may
    // overwrite what the undo put back.
    EXPECT_EQ(changeOpening(other, original, 10, 1).outcome, AccountSaveResult::Outcome::ChangedByOthers);
    EXPECT_EQ(changeOpening(other, afterSave, 10, 2).outcome, AccountSaveResult::Outcome::ChangedByOthers);
    EXPECT_EQ(value(QStringLiteral("SELECT open_amount FROM account_master WHERE account_id = 10")), 10000);
    EXPECT_TRUE(changeOpening(other, accountsOf(other), 10, 3).ok());
}

// An undo takes the write lock before it checks for later changes: a save
// committed while the undo waited for the lock refuses it, and of two undos
// of one change that wait together, the second is told it was undone.
TEST_F(TwoPrograms, AnUndoChecksForLaterChangesOnlyOnceItHoldsTheWriteLock)
{
    ASSERT_TRUE(changeAmount(t.book(), transactionsOf(t.book()), 17, 600).ok());
    const qint64 save = undoTarget(t.book())->id;

    std::atomic<bool> saving = false;
    std::thread saver([&] {
        Book third;
        ASSERT_TRUE(third.open(t.path()).ok());
        third.setActorName(QStringLiteral("otto"));
        RowArray rows = transactionsOf(third);
        const int r = rowOf(rows, TranCol::Id, 17);
        rows.setMoney(r, TranCol::Amount, Money::fromCents(650));
        rows.setEditMark(r, TranCol::Status, EditMark::Changed);
        const auto holdTheLock = [&](const QList<qint64> &, ChangeRecorder &) {
            saving = true;
            QThread::msleep(300);
        };
        EXPECT_TRUE(saveTransactions(third, rows, Now, {}, QStringLiteral("test"), holdTheLock).ok());
    });
    while (!saving)
        QThread::msleep(1);
    const UndoResult refused = undoChange(t.book(), save, QStringLiteral("test"));
    saver.join();
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.message.contains(QStringLiteral("its rows were changed by"))) << refused.message.toStdString();
    EXPECT_EQ(value(QStringLiteral("SELECT amount FROM transaction_master WHERE tran_id = 17")), 650);

    const qint64 later = undoTarget(t.book())->id;
    std::atomic<int> waiting = 0;
    UndoResult results[2];
    {
        TransactionGuard held(connectionOf(other));
        std::vector<std::thread> undoers;
        for (UndoResult &result : results)
            undoers.emplace_back([&] {
                Book own;
                ASSERT_TRUE(own.open(t.path()).ok());
                ++waiting;
                result = undoChange(own, later, QStringLiteral("test"));
            });
        while (waiting < 2)
            QThread::msleep(1);
        QThread::msleep(300);
        held.commit();
        for (std::thread &undoer : undoers)
            undoer.join();
    }
    ASSERT_NE(results[0].ok, results[1].ok) << results[0].message.toStdString() << results[1].message.toStdString();
    const UndoResult &loser = results[0].ok ? results[1] : results[0];
    EXPECT_TRUE(loser.message.contains(
        QStringLiteral("was undone already by change %1").arg((results[0].ok ? results[0] : results[1]).changeSet)))
        << loser.message.toStdString();
    EXPECT_EQ(value(QStringLiteral("SELECT amount FROM transaction_master WHERE tran_id = 17")), 600);
}

// Another program that changes a row with SQL leaves no trace in the
// history, but the row's version tells: an undo of a change of that row is
// refused, naming it, and writes nothing.
TEST_F(TwoPrograms, AnUndoOfRowsAnotherProgramChangedIsRefusedNamingThem)
{
    ASSERT_TRUE(changeAmount(t.book(), transactionsOf(t.book()), 18, 900).ok());
    ASSERT_TRUE(changeOpening(t.book(), accountsOf(t.book()), 12, 4400).ok());
    runSql(connectionOf(other),
           QStringLiteral("UPDATE transaction_master SET particulars = 'by hand' WHERE tran_id = 18"));
    runSql(connectionOf(other),
           QStringLiteral("UPDATE account_master SET particulars = 'by hand' WHERE account_id = 12"));
    const QList<ChangeSet> sets = changeHistory(t.book());
    ASSERT_EQ(sets.size(), 2);
    const UndoResult account = undoChange(t.book(), sets[0].id, QStringLiteral("test"));
    EXPECT_FALSE(account.ok);
    EXPECT_TRUE(account.message.contains(QStringLiteral("the account \"Food\" was changed since by another program")))
        << account.message.toStdString();
    const UndoResult transaction = undoChange(t.book(), sets[1].id, QStringLiteral("test"));
    EXPECT_FALSE(transaction.ok);
    EXPECT_TRUE(transaction.message.contains(QStringLiteral("transaction 18 was changed since by another program")))
        << transaction.message.toStdString();
    EXPECT_EQ(value(QStringLiteral("SELECT amount FROM transaction_master WHERE tran_id = 18")), 900);
    EXPECT_EQ(value(QStringLiteral("SELECT open_amount FROM account_master WHERE account_id = 12")), 4400);
    EXPECT_EQ(changeHistory(t.book()).size(), 2);
}
