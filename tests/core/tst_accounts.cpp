#include "accountclasses.h"
#include "accounts.h"
#include "failinginserts.h"
#include "sql.h"
#include "testbook.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace bc;
using bc::test::TestBook;

namespace {

const QDate Today(2026, 12, 7);

// A row as the grid would hold it after the user typed it.
void addRow(RowArray &rows, qint64 id, const QString &name, int type = 0, qint64 openingCents = 0,
            const QString &particulars = {}, bool marked = true)
{
    const int r = rows.appendRow();
    rows.setInt(r, AccountCol::Id, id);
    rows.setText(r, AccountCol::Name, name);
    if (type)
        rows.setInt(r, AccountCol::Type, type);
    if (openingCents)
        rows.setMoney(r, AccountCol::Opening, Money::fromCents(openingCents));
    rows.setText(r, AccountCol::Particulars, particulars);
    rows.setEditMark(r, AccountCol::Status, marked ? EditMark::Changed : EditMark::Unchanged);
}

QStringList accountsInBook(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral(
                             "SELECT account_id, account_name, account_type, open_amount, particulars, version_date "
                             "FROM account_master ORDER BY account_id"));
    QStringList out;
    while (q.next())
        out << QStringLiteral("%1|%2|%3|%4|%5|%6")
                   .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                        q.value(4).toString(), q.value(5).toString());
    return out;
}

struct AccountBook : ::testing::Test {
    TestBook t;
    QSqlDatabase db() { return t.db(); }
    Book &book() { return t.book(); }
};

} // namespace

TEST_F(AccountBook, FindFiltersByPrefixWildcardAndInclusiveBounds)
{
    t.addAccount(41, QStringLiteral("Rent"), 2, Money::fromCents(10000));
    t.addAccount(42, QStringLiteral("Rental income"), 1, Money::fromCents(50000));
    t.addAccount(43, QStringLiteral("Car rent"), 2, Money::fromCents(9999));
    t.addAccount(44, QStringLiteral("O'Brien & Co"), 5, Money::fromCents(-50001));
    t.addAccount(45, QStringLiteral("100% Pure_Fund"), 4, Money::fromCents(50000));
    auto names = [&](const QString &filter, const QString &lo = {}, const QString &hi = {}) {
        const AccountFindResult r = findAccounts(book(), filter, lo, hi);
        QStringList out;
        for (int i = 0; i < r.rows.rowCount(); ++i)
            out << r.rows.textAt(i, AccountCol::Name);
        return out;
    };
    EXPECT_EQ(names(QStringLiteral("rent")), (QStringList{"Rent", "Rental income"}));
    EXPECT_EQ(names(QStringLiteral("*rent")), (QStringList{"Car rent", "Rent", "Rental income"}));
    EXPECT_EQ(names(QStringLiteral("R*l ")), (QStringList{"Rental income"}));
    EXPECT_EQ(names(QStringLiteral("O'B")), (QStringList{"O'Brien & Co"}));
    EXPECT_EQ(names(QStringLiteral("100%")), (QStringList{"100% Pure_Fund"}));
    EXPECT_TRUE(names(QStringLiteral("1_0")).isEmpty()); // "_" matches only itself
    EXPECT_TRUE(names(QStringLiteral("%")).isEmpty());
    EXPECT_EQ(names(QString(), QStringLiteral("100"), QStringLiteral("500")),
              (QStringList{"100% Pure_Fund", "Rent", "Rental income"}));
    EXPECT_EQ(names(QString(), QString(), QStringLiteral("-500.01")), (QStringList{"O'Brien & Co"}));
    EXPECT_EQ(names(QString(), QStringLiteral("12abc")).size(), 4); // bound 12.00

    const AccountFindResult all = findAccounts(book(), QString(), QString(), QString());
    EXPECT_EQ(all.rows.rowCount(), 11); // the six built-in accounts too
    EXPECT_EQ(all.total.toPlain(), QStringLiteral("699.98"));
    EXPECT_EQ(all.rows.intAt(0, AccountCol::SerialNo), 1);
    EXPECT_EQ(all.rows.intAt(10, AccountCol::SerialNo), 11);
    EXPECT_TRUE(findAccounts(book(), QStringLiteral("zzz"), {}, {}).total.isZero());
}

TEST_F(AccountBook, ListsOrderNamesIgnoringCase)
{
    t.addAccount(41, QStringLiteral("Rent"), 2, Money());
    t.addAccount(42, QStringLiteral("bank"), 4, Money());
    t.addAccount(43, QStringLiteral("Salary"), 1, Money());
    t.addAccount(44, QStringLiteral("Card"), 4, Money());
    const QStringList expected{"bank", "Card", "CASH", "CST", "PURCHASE", "Rent", "RST", "Salary", "SALES", "SC"};
    QStringList listed;
    for (const IdName &account : accountNames(book()))
        listed << account.name.trimmed();
    EXPECT_EQ(listed, expected);
    const AccountFindResult found = findAccounts(book(), QString(), QString(), QString());
    QStringList rows;
    for (int r = 0; r < found.rows.rowCount(); ++r)
        rows << found.rows.textAt(r, AccountCol::Name);
    EXPECT_EQ(rows, expected);
}

TEST_F(AccountBook, NewIdsFollowTheHighestInGridOrderAndChangesKeepTheirs)
{
    t.addAccount(41, QStringLiteral("Rent"), 2, Money::fromCents(100), QStringLiteral("old"));
    RowArray rows = makeAccountRows();
    addRow(rows, 0, QStringLiteral("Zeta"), 4, 12345);
    addRow(rows, 41, QStringLiteral("Rent"), 2, -500, QStringLiteral("changed"));
    addRow(rows, 0, QStringLiteral("Alpha"));
    addRow(rows, 4, QStringLiteral("CASH"), 4, 999, {}, false); // not marked: untouched
    const AccountSaveResult r = saveAccounts(book(), rows, Today);
    ASSERT_TRUE(r.ok()) << r.detail.toStdString();
    EXPECT_EQ(r.savedIds, (QList<qint64>{42, 41, 43}));
    const QStringList book = accountsInBook(db());
    EXPECT_TRUE(book.contains(QStringLiteral("41|Rent|2|-500|changed|12/07/2026")));
    EXPECT_TRUE(book.contains(QStringLiteral("42|Zeta|4|12345||12/07/2026")));
    EXPECT_TRUE(book.contains(QStringLiteral("43|Alpha|0|0||12/07/2026"))); // empty type and amount saved as 0
    EXPECT_TRUE(book.contains(QStringLiteral("4|CASH|4|0|Built-in account|")));
}

TEST_F(AccountBook, FirstIdOnAnEmptyTableIsOne)
{
    runSql(db(), QStringLiteral("DELETE FROM account_master"));
    RowArray rows = makeAccountRows();
    addRow(rows, 0, QStringLiteral("First"));
    ASSERT_TRUE(saveAccounts(book(), rows, Today).ok());
    EXPECT_EQ(accountsInBook(db()), (QStringList{"1|First|0|0||12/07/2026"}));
}

TEST_F(AccountBook, NameChecksRefuseAndLeaveTheBookAsItWas)
{
    t.addAccount(41, QStringLiteral("Rent"), 2, Money());
    t.addAccount(42, QStringLiteral("Food"), 2, Money());
    const QStringList before = accountsInBook(db());
    struct Case {
        QList<std::tuple<qint64, QString>> rows;
        AccountSaveResult::Outcome outcome;
        QString text;
    };
    const QList<Case> cases = {
        {{{0, QStringLiteral("   ")}},
         AccountSaveResult::Outcome::EmptyName,
         QStringLiteral("Invalid data :\r\n\r\nYou havn't entered any Account name.")},
        {{{0, QStringLiteral("0")}}, AccountSaveResult::Outcome::EmptyName, {}},
        {{{0, QStringLiteral("rent")}},
         AccountSaveResult::Outcome::ExistingName,
         QStringLiteral("Invalid data\r\n\r\nYou are entering account with existing name.")},
        {{{42, QStringLiteral("Rent")}}, AccountSaveResult::Outcome::ExistingName, {}},
        {{{0, QStringLiteral("Travel")}, {0, QStringLiteral("Travel")}},
         AccountSaveResult::Outcome::RepeatingName,
         QStringLiteral("Invalid data\r\n\r\nYou are entering account with repeating name.")},
    };
    for (const Case &c : cases) {
        RowArray rows = makeAccountRows();
        for (const auto &[id, name] : c.rows)
            addRow(rows, id, name);
        const AccountSaveResult r = saveAccounts(book(), rows, Today);
        EXPECT_EQ(r.outcome, c.outcome);
        if (!c.text.isEmpty()) {
            EXPECT_EQ(r.text, c.text);
        }
        EXPECT_EQ(accountsInBook(db()), before);
        EXPECT_EQ(t.count(QStringLiteral("tmp_account_i")), 0);
    }
}

TEST_F(AccountBook, NamesClashIgnoringTheCaseOfEveryLetter)
{
    t.addAccount(41, QStringLiteral("Äpfel"), 2, Money());
    RowArray rows = makeAccountRows();
    addRow(rows, 0, QStringLiteral("äpfel"));
    EXPECT_EQ(saveAccounts(book(), rows, Today).outcome, AccountSaveResult::Outcome::ExistingName);
    rows = makeAccountRows();
    addRow(rows, 0, QStringLiteral("Ørsted"));
    addRow(rows, 0, QStringLiteral(" ØRSTED"));
    EXPECT_EQ(saveAccounts(book(), rows, Today).outcome, AccountSaveResult::Outcome::RepeatingName);
    rows.setText(1, AccountCol::Name, QStringLiteral("Örsted"));
    EXPECT_TRUE(saveAccounts(book(), rows, Today).ok());
}

TEST_F(AccountBook, SelfAndSwappedNamesAreAccepted)
{
    t.addAccount(41, QStringLiteral("Rent"), 2, Money());
    t.addAccount(42, QStringLiteral("Food"), 2, Money());
    // A changed account keeping its name is not a duplicate of itself.
    RowArray rows = makeAccountRows();
    addRow(rows, 41, QStringLiteral("Rent"), 2, 100);
    EXPECT_TRUE(saveAccounts(book(), rows, Today).ok());
    // Renaming Rent to Food while Food is deleted in the same cycle.
    rows = makeAccountRows();
    addRow(rows, 41, QStringLiteral("Food"), 2, 100);
    const AccountSaveResult r = saveAccounts(book(), rows, Today, {42});
    EXPECT_TRUE(r.ok()) << r.text.toStdString();
    const QStringList book = accountsInBook(db());
    EXPECT_TRUE(book.contains(QStringLiteral("41|Food|2|100||12/07/2026")));
    EXPECT_FALSE(book.join(u',').contains(QLatin1String("42|")));
}

TEST_F(AccountBook, ARefusedSaveDeletesNothingAndTheRetryDeletes)
{
    t.addAccount(41, QStringLiteral("Rent"), 2, Money());
    RowArray rows = makeAccountRows();
    addRow(rows, 0, QString());
    EXPECT_EQ(saveAccounts(book(), rows, Today, {41, 0}).outcome, AccountSaveResult::Outcome::EmptyName);
    EXPECT_EQ(t.count(QStringLiteral("account_master")), 7);
    rows.setText(0, AccountCol::Name, QStringLiteral("Fixed"));
    const AccountSaveResult saved = saveAccounts(book(), rows, Today, {41, 0});
    EXPECT_TRUE(saved.ok());
    EXPECT_EQ(saved.deletedCount, 1);
    EXPECT_EQ(t.count(QStringLiteral("account_master")), 7); // Rent gone, Fixed added
    EXPECT_FALSE(accountsInBook(db()).join(u',').contains(QLatin1String("Rent")));
}

TEST_F(AccountBook, FailureBetweenDeleteAndInsertKeepsEveryAccount)
{
    t.addAccount(41, QStringLiteral("Rent"), 2, Money::fromCents(100));
    const QStringList before = accountsInBook(db());
    bc::test::failInserts(db(), QStringLiteral("account_master"), QStringLiteral("disk I/O error"));
    RowArray rows = makeAccountRows();
    addRow(rows, 41, QStringLiteral("Rent renamed"));
    addRow(rows, 0, QStringLiteral("New"));
    const AccountSaveResult r = saveAccounts(book(), rows, Today, {1});
    EXPECT_EQ(r.outcome, AccountSaveResult::Outcome::Failed);
    EXPECT_EQ(r.title, QStringLiteral("Error"));
    EXPECT_EQ(r.text, QStringLiteral("Error : \r\n\r\nInvalid Data.\r\nPlease check all entries again."));
    EXPECT_TRUE(r.detail.contains(QLatin1String("disk I/O error"))) << r.detail.toStdString();
    EXPECT_EQ(accountsInBook(db()), before);
    EXPECT_EQ(t.count(QStringLiteral("tmp_account_i")), 0);
}

TEST_F(AccountBook, IdsAbove32767FailAndHostileTextIsStoredExactly)
{
    runSql(db(),
           QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                          "particulars, version_date) VALUES (32767, 'Last', 1, 0, NULL, NULL)"));
    RowArray rows = makeAccountRows();
    addRow(rows, 0, QStringLiteral("One too many"));
    EXPECT_EQ(saveAccounts(book(), rows, Today).outcome, AccountSaveResult::Outcome::Failed);

    runSql(db(), QStringLiteral("DELETE FROM account_master WHERE account_id = 32767"));
    const QString hostile = QStringLiteral("x'); DROP TABLE account_master; -- \"%_\\ Zoë ") + QString(1000, u'y');
    rows = makeAccountRows();
    addRow(rows, 0, hostile, 1, 0, hostile);
    ASSERT_TRUE(saveAccounts(book(), rows, Today).ok());
    const AccountFindResult found = findAccounts(book(), hostile, {}, {});
    ASSERT_EQ(found.rows.rowCount(), 1);
    EXPECT_EQ(found.rows.textAt(0, AccountCol::Name), hostile.trimmed());
    EXPECT_EQ(found.rows.textAt(0, AccountCol::Particulars), hostile.trimmed());
}

TEST_F(AccountBook, RefusalsNameTheRowAtFault)
{
    t.addAccount(41, QStringLiteral("Rent"), 2, Money());
    RowArray rows = makeAccountRows();
    addRow(rows, 0, QStringLiteral("Food"), 2, 0, {}, false);
    addRow(rows, 0, QStringLiteral("Fuel"));
    addRow(rows, 0, QStringLiteral("rent"));
    EXPECT_EQ(saveAccounts(book(), rows, Today).refusedRow, 2); // existing name
    rows.setText(2, AccountCol::Name, QStringLiteral("Travel"));
    addRow(rows, 0, QStringLiteral("FUEL"));
    const AccountSaveResult repeated = saveAccounts(book(), rows, Today);
    EXPECT_EQ(repeated.outcome, AccountSaveResult::Outcome::RepeatingName);
    EXPECT_EQ(repeated.refusedRow, 3); // the later of the two
    rows.setText(3, AccountCol::Name, QStringLiteral(" "));
    EXPECT_EQ(saveAccounts(book(), rows, Today).refusedRow, 3); // empty name
}

TEST_F(AccountBook, AnAccountInUseIsNotDeletedAndDeletedIdsAreNeverGivenAgain)
{
    t.addAccount(41, QStringLiteral("Wages"), 1, Money());
    t.addAccount(42, QStringLiteral("Bank"), 4, Money());
    t.addAccount(43, QStringLiteral("Spare"), 4, Money());
    t.addTransaction(1, Today, 42, 41, Money::fromCents(100));
    t.addTransaction(2, Today, 41, 42, Money::fromCents(200));
    runSql(db(), QStringLiteral("INSERT INTO Party_master VALUES (41, 'Wages Ltd')"));
    t.addTransaction(3, Today, 42, 41, Money::fromCents(300), {}, QStringLiteral("A"),
                     QStringLiteral("P")); // a party 41
    const QStringList before = accountsInBook(db());
    RowArray rows = makeAccountRows();
    addRow(rows, 0, QStringLiteral("Travel"));
    const AccountSaveResult r = saveAccounts(book(), rows, Today, {43, 41});
    EXPECT_EQ(r.outcome, AccountSaveResult::Outcome::InUse);
    EXPECT_EQ(r.title, QStringLiteral("Invalid Data"));
    EXPECT_EQ(r.text, QStringLiteral("Wages is used by 2 transactions"));
    EXPECT_EQ(accountsInBook(db()), before); // the whole save is refused

    // Deleting the highest account leaves its id unused for good, in this
    // save and every later one.
    ASSERT_TRUE(saveAccounts(book(), makeAccountRows(), Today, {43}).ok());
    EXPECT_EQ(saveAccounts(book(), rows, Today).savedIds, (QList<qint64>{44}));
    ASSERT_TRUE(saveAccounts(book(), makeAccountRows(), Today, {44}).ok());
    rows.setText(0, AccountCol::Name, QStringLiteral("Fuel"));
    EXPECT_EQ(saveAccounts(book(), rows, Today).savedIds, (QList<qint64>{45}));
}

// Each class takes the accounts of its own type codes and of no other; the
// "All" classes take the mixed type with the pure ones; an account without a
// type, or with a code outside 1 to 6, is in none.
TEST(AccountClasses, ClassesTakeTheirTypeCodesOnly)
{
    const QList<AccountClass> &classes = accountClasses();
    ASSERT_EQ(classes.size(), 13);
    const auto members = [&](const QString &name) {
        for (const AccountClass &c : classes)
            if (c.name == name) {
                QList<qint64> codes;
                for (const qint64 code : {0, 1, 2, 3, 4, 5, 6, 7})
                    if (c.includes(code))
                        codes << code;
                EXPECT_FALSE(c.includes(std::nullopt)) << name.toStdString();
                return codes;
            }
        ADD_FAILURE() << "no class " << name.toStdString();
        return QList<qint64>();
    };
    EXPECT_EQ(members(QStringLiteral("Only Income Accounts")), (QList<qint64>{1}));
    EXPECT_EQ(members(QStringLiteral("All Expense Accounts")), (QList<qint64>{2, 3}));
    EXPECT_EQ(members(QStringLiteral("Only Asset/Liability Accounts")), (QList<qint64>{6}));
    EXPECT_EQ(members(QStringLiteral("All Asset and Liability Accounts")), (QList<qint64>{4, 5, 6}));
    EXPECT_EQ(members(QStringLiteral("All Accounts")), (QList<qint64>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(typeCodeOf(QStringLiteral("4")), 4);
    EXPECT_EQ(typeCodeOf(QString()), std::nullopt);
    EXPECT_EQ(typeCodeOf(QStringLiteral("x")), std::nullopt);
}
