// The change history on real books: every save recorded, undone and redone
// to exactly the rows before and after it, undo refused when a later save
// changed the same rows, deleted items put back with their old ids.
#include "accounts.h"
#include "bookdigest.h"
#include "deleteditems.h"
#include "financialstatements.h"
#include "history.h"
#include "historyrows.h"
#include "historyundo.h"
#include "ledger.h"
#include "serverbooks.h"
#include "sql.h"
#include "statementstore.h"
#include "systemsettings.h"
#include "testbook.h"
#include "transactions.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::bookDigest;
using bc::test::TestBook;

namespace {

const QDateTime Now(QDate(2026, 12, 7), QTime(14, 2, 0));

void addAccountRow(RowArray &rows, qint64 id, const QString &name, qint64 openingCents)
{
    const int r = rows.appendRow();
    rows.setInt(r, AccountCol::Id, id);
    rows.setText(r, AccountCol::Name, name);
    rows.setInt(r, AccountCol::Type, 4);
    rows.setMoney(r, AccountCol::Opening, Money::fromCents(openingCents));
    rows.setEditMark(r, AccountCol::Status, EditMark::Changed);
}

void addTranRow(RowArray &rows, qint64 id, const QDate &date, const QString &to, const QString &from, qint64 cents,
                const QString &particulars = {})
{
    const int r = rows.appendRow();
    rows.setInt(r, TranCol::Id, id);
    rows.setDate(r, TranCol::Date, date);
    rows.setText(r, TranCol::To, to);
    rows.setText(r, TranCol::From, from);
    rows.setMoney(r, TranCol::Amount, Money::fromCents(cents));
    rows.setText(r, TranCol::Particulars, particulars);
    rows.setEditMark(r, TranCol::Status, EditMark::Changed);
}

// Sets an environment variable for one test, or takes it away, and puts
// back what was there.
class EnvironmentValue {
public:
    EnvironmentValue(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentValue()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentValue(const EnvironmentValue &) = delete;
    EnvironmentValue &operator=(const EnvironmentValue &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

struct HistoryBook : ::testing::Test {
    EnvironmentValue systemUser{"USER", "ajones"};
    TestBook t;
    Book &book() { return t.book(); }
    QString digest() { return bookDigest(t.db()); }
    void SetUp() override
    {
        t.addAccount(10, QStringLiteral("Bank"), 4, Money::fromCents(50000));
        t.addAccount(11, QStringLiteral("Rent"), 2, Money());
        book().setActorName(QStringLiteral("alice"));
    }
    qint64 undo(qint64 id)
    {
        const UndoResult r = undoChange(book(), id, QStringLiteral("test"));
        EXPECT_TRUE(r.ok) << r.message.toStdString();
        return r.changeSet;
    }
    // The name changes are recorded under: a server book's login wins over
    // the name the program was told; the system's user stands beside it.
    QString recordedUser() const
    {
        return (bc::test::testsOnServer() ? t.db().userName() : QStringLiteral("alice")) + QStringLiteral(" (ajones)");
    }
    qint64 undoLatest() { return undo(undoTarget(book())->id); }
    qint64 redoLatest() { return undo(redoTarget(book())->id); }
    void saveNewTransactions(int count)
    {
        RowArray rows = makeTranRows();
        for (int i = 0; i < count; ++i)
            addTranRow(rows, 0, QDate(2026, 3, 1 + i), QStringLiteral("A11"), QStringLiteral("A10"), 1000 + i);
        ASSERT_TRUE(saveTransactions(book(), rows, Now).ok());
    }
};

} // namespace

TEST_F(HistoryBook, UndoAndRedoOfEachKindOfSaveGiveBackExactlyTheRowsBeforeAndAfter)
{
    const QString start = digest();
    RowArray accounts = makeAccountRows();
    addAccountRow(accounts, 10, QStringLiteral("Bank account"), 70000);
    addAccountRow(accounts, 0, QStringLiteral("Food"), 0);
    ASSERT_TRUE(saveAccounts(book(), accounts, Now.date()).ok());
    const QString afterAccounts = digest();

    saveNewTransactions(3);
    const QString afterNew = digest();
    RowArray edit = makeTranRows();
    addTranRow(edit, 2, QDate(2026, 4, 9), QStringLiteral("A12"), QStringLiteral("A10"), 777, QStringLiteral("edited"));
    ASSERT_TRUE(saveTransactions(book(), edit, Now.addSecs(60), {3}).ok());
    const QString afterEdit = digest();

    SystemSettings settings;
    LoadSystemSettings(book(), settings);
    SystemSettingsInput input = inputOf(settings);
    input.currency = QStringLiteral("EUR");
    saveSystemSettings(book(), input, Now.date());
    const QString afterSettings = digest();

    const QList<ChangeSet> history = changeHistory(book());
    ASSERT_EQ(history.size(), 4);
    EXPECT_EQ(history[2].summary, QStringLiteral("Save of 3 transactions"));
    EXPECT_EQ(history[3].summary, QStringLiteral("Save of 2 accounts"));
    EXPECT_EQ(history[0].user, recordedUser());
    EXPECT_EQ(history[0].source, QStringLiteral("Configurations"));

    for (const QString &expected : {afterEdit, afterNew, afterAccounts, start}) {
        undoLatest();
        EXPECT_EQ(digest(), expected);
    }
    EXPECT_FALSE(undoTarget(book()).has_value());
    EXPECT_EQ(redoTarget(book())->summary, QStringLiteral("Undo of Save of 2 accounts"));
    for (const QString &expected : {afterAccounts, afterNew, afterEdit, afterSettings}) {
        redoLatest();
        EXPECT_EQ(digest(), expected);
    }
    EXPECT_FALSE(redoTarget(book()).has_value());
    EXPECT_EQ(undoTarget(book())->summary, QStringLiteral("Redo of Save of the settings"));

    // Taking back new rows does not free their ids for the next save.
    undoLatest();
    undoLatest();
    undoLatest();
    saveNewTransactions(1);
    QSqlQuery q = runSql(t.db(), QStringLiteral("SELECT max(tran_id) FROM transaction_master"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toLongLong(), 4);
    EXPECT_FALSE(redoTarget(book()).has_value()) << "a new save ends what can be redone";
}

TEST_F(HistoryBook, AnImportRecordedAsARangeKeepsNoCopiesAndIsUndoneExactly)
{
    const QString before = digest();
    {
        TransactionGuard transaction(t.db());
        ChangeRecorder recorder(book(), QStringLiteral("import"), QStringLiteral("Import"));
        for (int id = 1; id <= 500; ++id)
            t.addTransaction(id, QDate(2026, 1, 1).addDays(id % 300), 10, 11, Money::fromCents(id));
        recorder.added(HistoryTable::Transactions, 1, 500);
        recorder.finish();
        transaction.commit();
    }
    const QString imported = digest();
    EXPECT_EQ(undoTarget(book())->summary, QStringLiteral("Import of 500 transactions"));
    QSqlQuery kept = runSql(t.db(), QStringLiteral("SELECT count(*) FROM change_rows"));
    ASSERT_TRUE(kept.next());
    EXPECT_EQ(kept.value(0).toInt(), 0);

    undoLatest();
    EXPECT_EQ(digest(), before);
    redoLatest();
    EXPECT_EQ(digest(), imported);
}

TEST_F(HistoryBook, AnUndoBlockedByALaterSaveIsRefusedNamingItAndChangesNothing)
{
    saveNewTransactions(2);
    const qint64 first = undoTarget(book())->id;
    RowArray edit = makeTranRows();
    addTranRow(edit, 2, QDate(2026, 5, 1), QStringLiteral("A11"), QStringLiteral("A10"), 4200);
    ASSERT_TRUE(saveTransactions(book(), edit, Now).ok());
    const QString before = digest();
    const int sets = int(changeHistory(book()).size());

    const UndoResult refused = undoChange(book(), first, QStringLiteral("test"));
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.message.contains(QStringLiteral("changed by Save of 1 transaction at ")));
    EXPECT_TRUE(refused.message.endsWith(QStringLiteral("undo that first.")));
    EXPECT_EQ(digest(), before);
    EXPECT_EQ(changeHistory(book()).size(), sets);

    // Undone and then redone, the later save stands in the way again.
    undo(undoLatest());
    EXPECT_FALSE(undoChange(book(), first, QStringLiteral("test")).ok);
    QSqlQuery amount = runSql(t.db(), QStringLiteral("SELECT amount FROM transaction_master WHERE tran_id = 2"));
    ASSERT_TRUE(amount.next());
    EXPECT_EQ(amount.value(0).toLongLong(), 4200);
    amount.finish();

    // An account whose transactions were saved after it cannot be taken away.
    RowArray accounts = makeAccountRows();
    addAccountRow(accounts, 0, QStringLiteral("Card"), 0);
    ASSERT_TRUE(saveAccounts(book(), accounts, Now.date()).ok());
    const qint64 card = undoTarget(book())->id;
    RowArray uses = makeTranRows();
    addTranRow(uses, 0, QDate(2026, 5, 2), QStringLiteral("A12"), QStringLiteral("A10"), 100);
    ASSERT_TRUE(saveTransactions(book(), uses, Now).ok());
    const QString withCard = digest();
    EXPECT_TRUE(undoChange(book(), card, QStringLiteral("test")).message.contains(QStringLiteral("\"Card\"")));
    EXPECT_EQ(digest(), withCard);

    // Undone in order, the later save first, both go.
    undoLatest();
    undoLatest();
    undoLatest();
    undo(first);
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 0);
}

TEST_F(HistoryBook, ARestoredAccountAndItsTransactionsGiveTheLedgerTheyGaveBeforeTheirDeletion)
{
    RowArray accounts = makeAccountRows();
    addAccountRow(accounts, 0, QStringLiteral("Savings"), 12345);
    ASSERT_TRUE(saveAccounts(book(), accounts, Now.date()).ok());
    RowArray rows = makeTranRows();
    addTranRow(rows, 0, QDate(2026, 2, 1), QStringLiteral("A12"), QStringLiteral("A10"), 2500, QStringLiteral("in"));
    addTranRow(rows, 0, QDate(2026, 2, 9), QStringLiteral("A11"), QStringLiteral("A12"), 700, QStringLiteral("out"));
    ASSERT_TRUE(saveTransactions(book(), rows, Now).ok());
    const LedgerInput savings{12, QDate(2026, 1, 1), QDate(2026, 12, 31), QDate()};
    const LedgerResult ledger = computeLedger(book(), savings);
    const QString before = digest();

    ASSERT_TRUE(saveTransactions(book(), makeTranRows(), Now, {1, 2}).ok());
    ASSERT_TRUE(saveAccounts(book(), makeAccountRows(), Now.date(), {12}).ok());
    const QList<DeletedItem> deleted = deletedItems(book());
    ASSERT_EQ(deleted.size(), 3);
    EXPECT_TRUE(deleted[0].isAccount);
    EXPECT_EQ(deleted[0].name, QStringLiteral("Savings"));
    EXPECT_EQ(deleted[0].deletedBy, recordedUser());
    EXPECT_EQ(deleted[2].amount, Money::fromCents(700));

    const QString gone = digest();
    const UndoResult alone = restoreDeleted(book(), deleted.mid(1), QStringLiteral("Deleted Items"));
    EXPECT_FALSE(alone.ok);
    EXPECT_TRUE(alone.message.contains(QStringLiteral("restore that account together with it")));
    EXPECT_EQ(digest(), gone);

    ASSERT_TRUE(restoreDeleted(book(), deleted, QStringLiteral("Deleted Items")).ok);
    EXPECT_EQ(digest(), before);
    EXPECT_TRUE(deletedItems(book()).isEmpty());
    const LedgerResult again = computeLedger(book(), savings);
    EXPECT_EQ(again.openingBalance, ledger.openingBalance);
    EXPECT_EQ(again.closingBalance, ledger.closingBalance);
    ASSERT_EQ(again.movements.size(), ledger.movements.size());
    EXPECT_EQ(undoTarget(book())->summary, QStringLiteral("Restore of 1 account and 2 transactions"));
}

TEST_F(HistoryBook, ChangesNameTheLoginAndTheSystemUserEvenWithoutUserInTheEnvironment)
{
    saveNewTransactions(1);
    EXPECT_EQ(changeHistory(book())[0].user, recordedUser());

    const EnvironmentValue noUser("USER", QByteArray());
    const EnvironmentValue noLogname("LOGNAME", QByteArray());
    const EnvironmentValue noUsername("USERNAME", QByteArray());
    saveNewTransactions(1);
    const QString login = bc::test::testsOnServer() ? t.db().userName() : QStringLiteral("alice");
    const QString user = changeHistory(book())[0].user;
    EXPECT_TRUE(user.startsWith(login)) << user.toStdString();
    EXPECT_FALSE(user.contains(QStringLiteral("unknown"))) << user.toStdString();

    if (bc::test::testsOnServer())
        return; // a server book always names its login
    book().setActorName(QString());
    saveNewTransactions(1);
    const QString system = changeHistory(book())[0].user;
    EXPECT_FALSE(system.isEmpty());
    EXPECT_NE(system, QStringLiteral("(unknown)"));
}

TEST_F(HistoryBook, ATransactionDeletedAgainByARedoIsListedAndRestoredFromTheRedo)
{
    saveNewTransactions(3);
    ASSERT_TRUE(saveTransactions(book(), makeTranRows(), Now, {2}).ok());
    const QString deleted = digest();
    ASSERT_EQ(deletedItems(book()).size(), 1);
    undoLatest();
    EXPECT_TRUE(deletedItems(book()).isEmpty()) << "the undo put it back";
    const qint64 redo = redoLatest();
    EXPECT_EQ(digest(), deleted);

    const QList<DeletedItem> items = deletedItems(book());
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].id, 2);
    EXPECT_EQ(items[0].changeSet, redo);
    EXPECT_EQ(items[0].amount, Money::fromCents(1001));
    ASSERT_TRUE(restoreDeleted(book(), items, QStringLiteral("Deleted Items")).ok);
    EXPECT_EQ(t.count(QStringLiteral("transaction_master")), 3);
    EXPECT_TRUE(deletedItems(book()).isEmpty());
}

// An account's "cash or bank" setting is part of the account: saved with
// it, kept before a change and put back by undo and redo, whether the
// window or the tool changed it; a deleted account takes it along and an
// undo of the deletion brings it back.
TEST_F(HistoryBook, TheCashSettingGoesWithItsAccountThroughUndoAndRedo)
{
    // The settings the book holds, by account name (by id for a setting
    // whose account is gone).
    const auto settings = [this] {
        QStringList out;
        for (const auto &[id, cash] : readCashSettings(book()).asKeyValueRange())
            out << QStringLiteral("%1=%2")
                       .arg(readAccountName(book(), id).value_or(QString::number(id)))
                       .arg(cash ? 1 : 0);
        out.sort();
        return out.join(u' ');
    };
    const auto cashTicked = [](RowArray &rows, bool cash) {
        rows.setInt(rows.rowCount() - 1, AccountCol::CashOrBank, cash ? 1 : 0);
    };
    RowArray accounts = makeAccountRows();
    addAccountRow(accounts, 10, QStringLiteral("Bank"), 50000);
    cashTicked(accounts, true);
    addAccountRow(accounts, 0, QStringLiteral("Till"), 0);
    cashTicked(accounts, true);
    ASSERT_TRUE(saveAccounts(book(), accounts, Now.date()).ok());
    EXPECT_EQ(settings(), QStringLiteral("Bank=1 Till=1"));
    const RowArray listed = findAccounts(book(), QStringLiteral("Till"), {}, {}).rows;
    ASSERT_EQ(listed.rowCount(), 1);
    EXPECT_EQ(listed.intAt(0, AccountCol::CashOrBank), 1);
    const qint64 till = listed.intAt(0, AccountCol::Id);

    // The tool's option is a recorded change of the account.
    setCashAccounts(book(), {{10, false}, {till, true}});
    EXPECT_EQ(settings(), QStringLiteral("Bank=0 Till=1"));
    EXPECT_EQ(undoTarget(book())->summary, QStringLiteral("Save of 1 account"));
    EXPECT_EQ(undoTarget(book())->source, QStringLiteral("accounts"));

    // The window deletes the till; each undo gives back the settings before.
    RowArray none = makeAccountRows();
    ASSERT_TRUE(saveAccounts(book(), none, Now.date(), {{till, listed.intAt(0, AccountCol::Version)}}).ok());
    EXPECT_EQ(settings(), QStringLiteral("Bank=0"));
    undoLatest();
    EXPECT_EQ(settings(), QStringLiteral("Bank=0 Till=1"));
    undoLatest();
    EXPECT_EQ(settings(), QStringLiteral("Bank=1 Till=1"));
    undoLatest();
    EXPECT_EQ(settings(), QString()) << "the bank had no setting of its own, the till did not exist";
    redoLatest();
    EXPECT_EQ(settings(), QStringLiteral("Bank=1 Till=1"));
    redoLatest();
    EXPECT_EQ(settings(), QStringLiteral("Bank=0 Till=1"));
}
