#include "bookcheck.h"
#include "dates.h"
#include "engine.h"
#include "historystore.h"
#include "historyundo.h"
#include "ledger.h"
#include "periodbalances.h"
#include "reconciliation.h"
#include "serverbook.h"
#include "serverbooks.h"
#include "sql.h"
#include "summary.h"
#include "testbook.h"
#include "transactions.h"
#include "tranwriter.h"

#include <QSqlQuery>
#include <gtest/gtest.h>
#include <map>
#include <random>

using namespace bc;
using bc::test::TestBook;

namespace {

const QDate FirstDay(2023, 1, 1);
constexpr int Days = 3 * 365;
constexpr qint64 FirstAccount = 10, Accounts = 8, Parties = 3;

struct Row {
    QDate date;
    qint64 from, to;
    QChar fromFlag, toFlag;
    qint64 amount; // a Null amount reads as 0
};

// The book's transactions as they stand, read back after every kind of write.
std::vector<Row> storedRows(const QSqlDatabase &db)
{
    std::vector<Row> rows;
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT tran_date, from_acc, from_flag, to_acc, to_flag, "
                                        "coalesce(amount, 0) FROM transaction_master"));
    while (q.next())
        rows.push_back({fromIsoDate(q.value(0).toString()), q.value(1).toLongLong(), q.value(3).toLongLong(),
                        q.value(2).toString()[0], q.value(4).toString()[0], q.value(5).toLongLong()});
    return rows;
}

using Key = std::pair<QChar, qint64>;

// The plain sum: every movement dated first to last, both included.
std::map<Key, qint64> plainSums(const std::vector<Row> &rows, const QDate &first, const QDate &last)
{
    std::map<Key, qint64> sums;
    if (!first.isValid() || !last.isValid())
        return sums;
    for (const Row &r : rows)
        if (r.date >= first && r.date <= last) {
            sums[{r.fromFlag, r.from}] -= r.amount;
            sums[{r.toFlag, r.to}] += r.amount;
        }
    return sums;
}

// Dates that favour the ends of months, where whole months and partial ones meet.
QDate randomDate(std::mt19937 &random)
{
    const QDate d = FirstDay.addDays(std::uniform_int_distribution<int>(-40, Days + 40)(random));
    switch (std::uniform_int_distribution<int>(0, 3)(random)) {
    case 0: return QDate(d.year(), d.month(), 1);
    case 1: return QDate(d.year(), d.month(), d.daysInMonth());
    default: return d;
    }
}

struct Side {
    qint64 id;
    QChar flag;
};

Side randomSide(std::mt19937 &random)
{
    const int n = std::uniform_int_distribution<int>(0, int(Accounts + Parties) - 1)(random);
    return n < Accounts ? Side{FirstAccount + n, u'A'} : Side{n - Accounts + 1, u'P'};
}

QVariantList randomValues(std::mt19937 &random, qint64 id)
{
    const Side from = randomSide(random);
    // About one in ten moves money from a side to itself.
    const Side to = std::uniform_int_distribution<int>(0, 9)(random) == 0 ? from : randomSide(random);
    const bool null = std::uniform_int_distribution<int>(0, 24)(random) == 0;
    const qint64 amount = std::uniform_int_distribution<qint64>(-50000, 2000000)(random);
    return {id,
            isoDate(randomDate(random)),
            from.id,
            QString(from.flag),
            to.id,
            QString(to.flag),
            null ? QVariant() : QVariant(amount)};
}

struct KeptBook {
    TestBook t;
    std::mt19937 random;

    explicit KeptBook(unsigned seed)
        : random(seed)
    {
        for (qint64 i = 0; i < Accounts; ++i)
            t.addAccount(FirstAccount + i, QStringLiteral("Account %1").arg(i), 4, Money::fromCents(i * 1234));
        for (qint64 p = 1; p <= Parties; ++p)
            runSql(t.db(), QStringLiteral("INSERT INTO Party_master VALUES (?, ?)"), {p, QStringLiteral("Party")});
        QList<QVariantList> rows;
        for (qint64 id = 1; id <= 10000; ++id)
            rows << randomValues(random, id);
        TransactionGuard bulk(t.db());
        runSqlBatch(t.db(),
                    QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, "
                                   "to_acc, to_flag, amount) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                    rows);
        bulk.commit();
    }

    qint64 randomId() { return std::uniform_int_distribution<qint64>(1, 10000)(random); }

    // Changes after the first fill: a Save that changes, adds and deletes
    // rows, then what another program would write with plain SQL.
    void change()
    {
        RowArray grid = makeTranRows();
        QList<LoadedRow> deleted;
        for (int i = 0; i < 200; ++i) {
            const QVariantList v = randomValues(random, i % 2 ? 1 + i * 20 : 0);
            const int r = grid.appendRow();
            grid.setInt(r, TranCol::Id, v[0].toLongLong());
            grid.setDate(r, TranCol::Date, fromIsoDate(v[1].toString()));
            grid.setText(r, TranCol::From, v[3].toString() + v[2].toString());
            const QString to = v[5].toString() + v[4].toString();
            grid.setText(r, TranCol::To, to == grid.textAt(r, TranCol::From) ? QStringLiteral("A1") : to);
            grid.setMoney(r, TranCol::Amount, Money::fromCents(v[6].isNull() ? 5 : v[6].toLongLong() | 1));
            grid.setEditMark(r, TranCol::Status, EditMark::Changed);
        }
        for (int i = 0; i < 100; ++i)
            deleted << 5001 + i * 40;
        const TranSaveResult saved = saveTransactions(t.book(), grid, QDateTime(QDate(2026, 1, 1), QTime(9, 0)),
                                                      deleted);
        ASSERT_TRUE(saved.ok()) << saved.detail.toStdString();

        const QSqlDatabase db = t.db();
        TransactionGuard direct(db);
        for (int i = 0; i < 100; ++i) {
            QVariantList v = randomValues(random, randomId());
            runSql(db,
                   QStringLiteral("INSERT %1 INTO transaction_master (tran_id, tran_date, from_acc, from_flag, "
                                  "to_acc, to_flag, amount) VALUES (?, ?, ?, ?, ?, ?, ?)%2")
                       .arg(test::forEngine(db, QStringLiteral("OR REPLACE"), QString()),
                            test::forEngine(db, QString(),
                                            QStringLiteral(
                                                " ON CONFLICT (tran_id) DO UPDATE SET "
                                                "tran_date = excluded.tran_date, from_acc = excluded.from_acc, "
                                                "from_flag = excluded.from_flag, to_acc = excluded.to_acc, "
                                                "to_flag = excluded.to_flag, amount = excluded.amount"))),
                   v);
            v = randomValues(random, randomId());
            runSql(db,
                   QStringLiteral("UPDATE transaction_master SET tran_date = ?, from_acc = ?, from_flag = ?, "
                                  "amount = ? WHERE tran_id = ?"),
                   {v[1], v[2], v[3], v[6], v[0]});
            v = randomValues(random, randomId());
            runSql(db, QStringLiteral("UPDATE transaction_master SET to_acc = ?, to_flag = ? WHERE tran_id = ?"),
                   {v[4], v[5], v[0]});
            runSql(db, QStringLiteral("DELETE FROM transaction_master WHERE tran_id = ?"), {randomId()});
        }
        runSql(db, QStringLiteral("UPDATE transaction_master SET amount = NULL WHERE tran_id % 97 = 0"));
        direct.commit();
    }
};

} // namespace

// Whole months come from the kept balances, the rest from the transactions;
// summaries and ledger openings over random ranges must come out as a plain
// sum over the rows, whatever wrote them.
TEST(KeptBalances, RandomBooksGiveThePlainSumsOverRandomRanges)
{
    for (const unsigned seed : {11u, 23u, 47u}) {
        KeptBook k(seed);
        k.change();
        ASSERT_EQ(bookProblems(k.t.book()), QStringList()) << seed;
        const std::vector<Row> rows = storedRows(k.t.db());
        std::vector<SummaryAccount> chosen;
        for (qint64 i = 0; i < Accounts; ++i)
            chosen.push_back({FirstAccount + i, AccountSide::Account, QStringLiteral("Account")});
        for (qint64 p = 1; p <= Parties; ++p)
            chosen.push_back({p, AccountSide::Party, QStringLiteral("Party")});

        for (int range = 0; range < 40; ++range) {
            SummaryInput in;
            in.accounts = chosen;
            in.fromDate = randomDate(k.random);
            // Every fifth range runs backwards; every seventh has no year start.
            in.toDate = range % 5 == 0 ? in.fromDate.addDays(-3) : in.fromDate.addDays(int(k.random() % 700));
            in.finYearStart = range % 7 == 0 ? QDate() : in.fromDate.addDays(-int(k.random() % 500));
            const QDate openFrom = in.finYearStart.isValid() ? in.finYearStart : QDate(1, 1, 1);
            const auto opening = plainSums(rows, openFrom, in.fromDate.addDays(-1));
            const auto movement = plainSums(rows, in.fromDate, in.toDate);

            const SummaryResult s = computeSummary(k.t.book(), in);
            ASSERT_EQ(s.listed.size(), chosen.size());
            for (size_t i = 0; i < chosen.size(); ++i) {
                const Key key{sideLetter(chosen[i].side), chosen[i].id};
                const qint64 openAmount = chosen[i].side == AccountSide::Account ? (chosen[i].id - FirstAccount) * 1234
                                                                                 : 0;
                const qint64 expectedOpening = openAmount + (opening.contains(key) ? opening.at(key) : 0);
                const qint64 expectedMovement = movement.contains(key) ? movement.at(key) : 0;
                EXPECT_EQ(s.listed[i].opening.cents(), expectedOpening)
                    << seed << " " << range << " " << chosen[i].id << " " << isoDate(in.fromDate).toStdString();
                EXPECT_EQ(s.listed[i].movement.cents(), expectedMovement) << seed << " " << range;
            }

            LedgerInput li{FirstAccount + range % Accounts, in.fromDate, in.toDate, in.finYearStart};
            const LedgerResult l = computeLedger(k.t.book(), li);
            const size_t index = size_t(range % Accounts);
            EXPECT_EQ(l.openingBalance, s.listed[index].opening) << seed << " " << range;
            EXPECT_EQ(l.closingBalance, s.listed[index].balance) << seed << " " << range;
        }
    }
}

// Kept balances another program has broken are listed by check and made
// right by a rebuild, a missing trigger included.
TEST(KeptBalances, CheckListsBrokenMonthsAndRebuildMendsThem)
{
    KeptBook k(5);
    const QSqlDatabase db = k.t.db();
    runSql(db,
           QStringLiteral("UPDATE period_balances SET money_in = money_in + 1 "
                          "WHERE account = 10 AND flag = 'A' AND month = '2024-02'"));
    runSql(db,
           test::forEngine(db, QStringLiteral("DROP TRIGGER period_balances_update"),
                           QStringLiteral("DROP TRIGGER period_balances_update ON transaction_master")));
    EXPECT_EQ(bookProblems(k.t.book()),
              (QStringList{QStringLiteral("The trigger period_balances_update that keeps the period balances is "
                                          "missing."),
                           QStringLiteral("The kept balance of account 10 for 2024-02 differs from its "
                                          "transactions.")}));
    rebuildKeptBalances(k.t.book());
    runSql(db, QStringLiteral("UPDATE transaction_master SET amount = amount + 7 WHERE tran_id % 3 = 0"));
    EXPECT_EQ(bookProblems(k.t.book()), QStringList());

    // The reports judge the sides in use by the kept balances' groups: a
    // side of no account, written with foreign keys off, is still refused.
    // A server's reports leave the keys to its foreign keys; one broken
    // behind them (here by dropping the key) is listed by the check.
    runSql(db,
           test::forEngine(db, QStringLiteral("PRAGMA foreign_keys = OFF"),
                           QStringLiteral("ALTER TABLE transaction_master "
                                          "DROP CONSTRAINT transaction_master_to_account_fkey")));
    runSql(db,
           QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                          "to_flag, amount) VALUES (20000, '2024-03-03', 10, 'A', 99, 'A', 5)"));
    if (k.t.book().isOnServer()) {
        EXPECT_EQ(bookProblems(k.t.book()),
                  QStringList{QStringLiteral("table transaction_master, row tran_id 20000: the To side 99 is no "
                                             "account of the book")});
        return;
    }
    try {
        findTransactions(k.t.book(), TranSearch{});
        ADD_FAILURE() << "no refusal";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("row tran_id 20000: the To side 99 is no account")))
            << e.description().toStdString();
    }
}

// Another tool's SQL that fires no delete trigger: SQLite's REPLACE conflict
// resolution from a connection with recursive triggers off (as the sqlite3
// shell has them), and TRUNCATE on a server. Reports over whole months still
// give the plain sums.
TEST(KeptBalances, AnotherToolsReplaceOrTruncateLeavesTheReportsRight)
{
    KeptBook k(7);
    const QString name = QStringLiteral("another-tool");
    {
        QSqlDatabase other;
        if (k.t.book().isOnServer()) {
            ASSERT_EQ(openServerConnection(name, k.t.path(), {}), QString());
            other = QSqlDatabase::database(name, false);
            runSql(other, QStringLiteral("TRUNCATE transaction_master"));
        } else {
            other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            other.setDatabaseName(k.t.path());
            ASSERT_TRUE(other.open());
            runSql(other,
                   QStringLiteral("INSERT OR REPLACE INTO transaction_master (tran_id, tran_date, from_acc, "
                                  "from_flag, to_acc, to_flag, amount) SELECT tran_id, tran_date, from_acc, "
                                  "from_flag, to_acc, to_flag, amount FROM transaction_master WHERE tran_id <= 40"));
            runSql(other, QStringLiteral("UPDATE OR REPLACE transaction_master SET tran_id = 50 WHERE tran_id = 51"));
        }
        runSql(other,
               QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount) VALUES (20001, '2024-05-06', 10, 'A', 11, 'A', 700)"));
        other.close();
    }
    QSqlDatabase::removeDatabase(name);

    const auto movement = plainSums(storedRows(k.t.db()), QDate(2023, 1, 1), QDate(2025, 12, 31));
    SummaryInput in;
    for (qint64 i = 0; i < Accounts; ++i)
        in.accounts.push_back({FirstAccount + i, AccountSide::Account, QStringLiteral("Account")});
    in.fromDate = QDate(2023, 1, 1);
    in.toDate = QDate(2025, 12, 31);
    const SummaryResult s = computeSummary(k.t.book(), in);
    ASSERT_EQ(s.listed.size(), size_t(Accounts));
    for (qint64 i = 0; i < Accounts; ++i) {
        const Key key{u'A', FirstAccount + i};
        EXPECT_EQ(s.listed[size_t(i)].movement.cents(), movement.contains(key) ? movement.at(key) : 0) << i;
        const LedgerResult l = computeLedger(k.t.book(), LedgerInput{FirstAccount + i, in.fromDate, in.toDate, {}});
        EXPECT_EQ(l.closingBalance, s.listed[size_t(i)].balance) << i;
    }
    // A server's balances followed the TRUNCATE; a file's went stale, which
    // check names and a rebuild mends.
    EXPECT_EQ(bookProblems(k.t.book()).isEmpty(), k.t.book().isOnServer());
    rebuildKeptBalances(k.t.book());
    EXPECT_EQ(bookProblems(k.t.book()), QStringList());
}

// A month whose sum leaves 64 bits: the triggers keep SQLite's inexact sum,
// and a rebuild, whose grouped sum fails, keeps the very same one, so the
// reports go on adding up the transactions; the other months stay exact.
TEST(KeptBalances, AMonthPastSixtyFourBitsIsRebuiltAsTheTriggersKeepIt)
{
    SKIP_ON_SERVER();
    TestBook t;
    t.addAccount(10, QStringLiteral("Top"), 4, Money());
    t.addAccount(11, QStringLiteral("Bottom"), 4, Money());
    runSql(t.db(),
           QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 92300) "
                          "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                          "to_flag, amount) SELECT i, '2024-03-01', 11, 'A', 10, 'A', 99999999999999 FROM n"));
    t.addTransaction(100000, QDate(2024, 4, 2), 10, 11, Money::fromCents(5));
    const auto kept = [&] {
        QStringList rows;
        QSqlQuery q = runSql(t.db(),
                             QStringLiteral("SELECT account, flag, month, typeof(money_in), money_in, "
                                            "count_in, typeof(money_out), money_out, count_out "
                                            "FROM period_balances ORDER BY 1, 2, 3"));
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < 9; ++i)
                row << q.value(i).toString();
            rows << row.join(u' ');
        }
        return rows;
    };
    const QStringList byTriggers = kept();
    ASSERT_EQ(byTriggers.size(), 4);
    EXPECT_TRUE(byTriggers[0].startsWith(QStringLiteral("10 A 2024-03 real "))) << byTriggers[0].toStdString();
    EXPECT_EQ(byTriggers[1], QStringLiteral("10 A 2024-04 integer 0 0 integer 5 1"));
    EXPECT_FALSE(periodBalancesUsable(t.db()));

    rebuildKeptBalances(t.book());
    EXPECT_EQ(kept(), byTriggers);
    EXPECT_FALSE(periodBalancesUsable(t.db()));
}

// The program's bulk writes (imports, their undo and redo) write rows with the
// per-row triggers off for their own connection and keep the balances
// set-based: the balances equal the transactions after each; the closed
// period refuses an import as its triggers do; the connection's next write
// and another program's fire the triggers again; and a trigger the program
// does not know keeps every trigger on.
TEST(KeptBalances, BulkWritesKeepTheBalancesWithTheTriggersOffForTheirConnectionAlone)
{
    SKIP_ON_SERVER();
    KeptBook k(11);
    const QDateTime now(QDate(2026, 1, 15), QTime(9, 0));
    const auto import = [&](int rows, const QDate &first) {
        TranImport imported(k.t.book(), now, QStringLiteral("test"));
        RowArray row = makeTranRows();
        for (int i = 0; i < rows; ++i) {
            row.clear();
            const int r = row.appendRow();
            row.setInt(r, TranCol::Id, 0);
            row.setDate(r, TranCol::Date, first.addDays(i % 400));
            row.setKey(r, TranCol::From, {AccountSide::Account, FirstAccount + i % Accounts});
            row.setKey(r, TranCol::To, {AccountSide::Account, FirstAccount + (i + 3) % Accounts});
            row.setMoney(r, TranCol::Amount, Money::fromCents(7 * i + 1));
            row.setEditMark(r, TranCol::Status, EditMark::Changed);
            EXPECT_EQ(imported.add(row, r), QString());
        }
        imported.finish();
    };
    const auto count = [&](const QString &table) {
        QSqlQuery q = runSql(k.t.db(), QStringLiteral("SELECT count(*) FROM ") + table);
        return q.next() ? q.value(0).toLongLong() : -1;
    };
    import(12000, FirstDay); // most of the book: its months made afresh
    EXPECT_EQ(periodBalanceProblems(k.t.db()), QStringList());
    import(3000, FirstDay.addDays(200)); // a few: their sides added
    EXPECT_EQ(periodBalanceProblems(k.t.db()), QStringList());
    for (int step = 0; step < 3; ++step) {
        const std::optional<ChangeSet> target = step % 2 == 0 ? undoTarget(k.t.book()) : redoTarget(k.t.book());
        ASSERT_TRUE(target);
        const UndoResult undone = undoChange(k.t.book(), target->id, QStringLiteral("test"));
        ASSERT_TRUE(undone.ok) << undone.message.toStdString();
        EXPECT_EQ(periodBalanceProblems(k.t.db()), QStringList()) << step;
    }
    EXPECT_EQ(count(QStringLiteral("transaction_master")), 22000);

    ASSERT_TRUE(setClosedThrough(k.t.book(), FirstDay.addDays(30), now.date(), QStringLiteral("test")).ok);
    try {
        import(10, FirstDay);
        ADD_FAILURE() << "an import into the closed period was written";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.description().startsWith(QStringLiteral("The book is closed through "))) << e.what();
    }
    EXPECT_EQ(count(QStringLiteral("transaction_master")), 22000);

    const QString name = QStringLiteral("another-program");
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        other.setDatabaseName(k.t.path());
        ASSERT_TRUE(other.open());
        runSql(other,
               QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                              "to_flag, amount) VALUES (90001, '2024-05-06', 10, 'A', 11, 'A', 700)"));
        runSql(other, QStringLiteral("CREATE TABLE audit (id INTEGER)"));
        runSql(other,
               QStringLiteral("CREATE TRIGGER audit_insert AFTER INSERT ON transaction_master "
                              "BEGIN INSERT INTO audit VALUES (NEW.tran_id); END"));
        other.close();
    }
    QSqlDatabase::removeDatabase(name);
    runSql(k.t.db(),
           QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                          "to_flag, amount) VALUES (90002, '2024-05-07', 11, 'A', 12, 'A', 900)"));
    EXPECT_EQ(periodBalanceProblems(k.t.db()), QStringList());
    import(500, FirstDay.addDays(100));
    EXPECT_EQ(count(QStringLiteral("audit")), 501);
    EXPECT_EQ(periodBalanceProblems(k.t.db()), QStringList());
}
