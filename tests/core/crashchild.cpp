// Helper for tst_crashsafety: opens a book and saves into it in a loop until
// it is killed. Before each save it performs the same save on a copy of the
// book and writes the copy's digest (tables and history) to a side file, so
// the test knows the state the interrupted save would have produced.
//
//   crashchild BOOK SIDEFILE accounts|transactions|settings|undo|restore|import GENERATION [ROWS]
//
// undo: undo, redo, a save and undo in turn; restore: the restore of every
// deleted item and a save that deletes transactions in turn; import: an
// import of ROWS transactions, its undo and its redo in turn, each
// generation beginning one further on.
//
// Prints "ready" once the copy is made and the first digest written.
#include "accounts.h"
#include "book.h"
#include "bookdigest.h"
#include "deleteditems.h"
#include "history.h"
#include "historyundo.h"
#include "sql.h"
#include "systemsettings.h"
#include "transactions.h"
#include "tranwriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace bc;

namespace {

const QDate Today(2026, 1, 15);

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "crashchild: %s\n", qPrintable(why));
    std::exit(3);
}

QList<qint64> ids(const QSqlDatabase &db, const QString &statement)
{
    QList<qint64> list;
    QSqlQuery q = runSql(db, statement);
    while (q.next())
        list << q.value(0).toLongLong();
    return list;
}

// One save of accounts: renames and revalues a few, adds three, and deletes
// one once there are enough, so the table keeps changing without growing
// without bound.
std::function<void(Book &)> accountSave(const Book &real, int generation, int step, QRandomGenerator &random)
{
    RowArray rows = findAccounts(real, QString(), QString(), QString()).rows;
    const QString stem = QStringLiteral("G%1S%2").arg(generation).arg(step);
    QList<int> own;
    for (int r = 0; r < rows.rowCount(); ++r)
        if (rows.intAt(r, AccountCol::Id) > 6)
            own << r;
    for (int k = 0; k < 3 && !own.isEmpty(); ++k) {
        const int r = own[int(random.bounded(own.size()))];
        rows.setText(r, AccountCol::Name, stem + QStringLiteral("R%1").arg(k));
        rows.setMoney(r, AccountCol::Opening, Money::fromCents(random.bounded(-1000000, 1000000)));
        rows.setEditMark(r, AccountCol::Status, EditMark::Changed);
    }
    for (int k = 0; k < 3; ++k) {
        const int r = rows.appendRow();
        rows.setInt(r, AccountCol::Id, 0);
        rows.setText(r, AccountCol::Name, stem + QStringLiteral("N%1").arg(k));
        rows.setInt(r, AccountCol::Type, 1 + random.bounded(6));
        rows.setMoney(r, AccountCol::Opening, Money::fromCents(random.bounded(-1000000, 1000000)));
        rows.setText(r, AccountCol::Particulars, QStringLiteral("it's \"new\"; -- %_"));
        rows.setEditMark(r, AccountCol::Status, EditMark::Changed);
    }
    qint64 doomed = 0;
    if (own.size() > 20) {
        const int r = own[int(random.bounded(own.size()))];
        if (rows.editMarkAt(r, AccountCol::Status) == EditMark::Unchanged)
            doomed = rows.intAt(r, AccountCol::Id);
    }
    return [rows, doomed](Book &book) {
        const AccountSaveResult r = saveAccounts(book, rows, Today,
                                                 doomed ? QList<LoadedRow>{doomed} : QList<LoadedRow>{});
        if (!r.ok())
            fail(QStringLiteral("account save refused: ") + r.text + u' ' + r.detail);
    };
}

// One save of transactions: fifteen new ones, two changed, and two deleted
// once the book holds enough; with deleteSome, none changed and three
// deleted once there are ten.
std::function<void(Book &)> transactionSave(const Book &real, int generation, int step, QRandomGenerator &random,
                                            bool deleteSome = false)
{
    RowArray rows = makeTranRows();
    const QString stem = QStringLiteral("G%1S%2").arg(generation).arg(step);
    const auto addRow = [&](qint64 id, int k) {
        const int r = rows.appendRow();
        rows.setInt(r, TranCol::Id, id);
        rows.setDate(r, TranCol::Date, QDate(2024, 1, 1).addDays(random.bounded(700)));
        const qint64 from = 1 + random.bounded(6);
        const qint64 to = 1 + (from + random.bounded(5)) % 6;
        rows.setKey(r, TranCol::From, {AccountSide::Account, from});
        rows.setKey(r, TranCol::To, {AccountSide::Account, to});
        rows.setMoney(r, TranCol::Amount, Money::fromCents(random.bounded(1, 10000000)));
        rows.setText(r, TranCol::Particulars, stem + QStringLiteral("T%1").arg(k));
        rows.setEditMark(r, TranCol::Status, EditMark::Changed);
    };
    const QList<qint64> existing = ids(connectionOf(real),
                                       QStringLiteral("SELECT tran_id FROM transaction_master ORDER BY tran_id"));
    if (existing.size() >= 2 && !deleteSome) {
        const int first = int(random.bounded(existing.size()));
        addRow(existing[first], 0);
        addRow(existing[(first + 1 + int(random.bounded(existing.size() - 1))) % existing.size()], 1);
    }
    for (int k = 2; k < 17; ++k)
        addRow(0, k);
    QList<LoadedRow> doomed;
    if (existing.size() > 200 && !deleteSome)
        doomed << existing.first() << existing.last();
    for (int k = 0; deleteSome && k < 3 && existing.size() > 10; ++k)
        doomed << existing[k * 3];
    return [rows, doomed](Book &book) {
        const TranSaveResult r = saveTransactions(book, rows, QDateTime(Today, QTime(9, 30)), doomed);
        if (!r.ok())
            fail(QStringLiteral("transaction save refused: ") + r.text + u' ' + r.detail);
    };
}

std::function<void(Book &)> settingsSave(int generation, int step, QRandomGenerator &random)
{
    SystemSettingsInput input;
    input.userName = QStringLiteral("user G%1S%2").arg(generation).arg(step);
    input.password = QStringLiteral("p'%1\"").arg(random.generate());
    input.finYearStart = QDate(2020, 1, 1).addDays(random.bounded(3000));
    input.finYearEnd = input.finYearStart.addYears(1).addDays(-1);
    input.currency = step % 2 ? QStringLiteral("€") : QStringLiteral("EUR");
    input.monthFirst = random.bounded(2) == 1;
    return [input](Book &book) { saveSystemSettings(book, input, Today); };
}

// The steps of the undo cycle: undo, redo, a save, undo; an undo or redo
// with nothing to take back saves instead. Each round begins with an undo of
// what the book's history holds.
std::function<void(Book &)> undoStep(const Book &real, int generation, int step, QRandomGenerator &random)
{
    const bool redo = step % 4 == 1;
    const std::optional<ChangeSet> target = redo ? redoTarget(real) : undoTarget(real);
    if (step % 4 == 2 || !target)
        return transactionSave(real, generation, step, random);
    const qint64 id = target->id;
    return [id](Book &book) {
        if (const UndoResult r = undoChange(book, id, QStringLiteral("crashchild")); !r.ok)
            fail(QStringLiteral("undo refused: ") + r.message);
    };
}

// The restore of every deleted item, then a save that deletes three
// transactions (and adds fifteen); a restore with nothing deleted saves.
std::function<void(Book &)> restoreStep(const Book &real, int generation, int step, QRandomGenerator &random)
{
    const QList<DeletedItem> items = deletedItems(real);
    if (step % 2 == 1 || items.isEmpty())
        return transactionSave(real, generation, step, random, true);
    return [items](Book &book) {
        if (const UndoResult r = restoreDeleted(book, items, QStringLiteral("crashchild")); !r.ok)
            fail(QStringLiteral("restore refused: ") + r.message);
    };
}

// An import of many transactions as the command line makes one, its undo
// and its redo in turn: rows the bulk path writes and takes away with the
// per-row triggers off.
std::function<void(Book &)> importStep(const Book &real, int generation, int step, int rows)
{
    if (step % 3 != 0) {
        const std::optional<ChangeSet> target = step % 3 == 1 ? undoTarget(real) : redoTarget(real);
        if (target) {
            const qint64 id = target->id;
            return [id](Book &book) {
                if (const UndoResult r = undoChange(book, id, QStringLiteral("crashchild")); !r.ok)
                    fail(QStringLiteral("undo refused: ") + r.message);
            };
        }
    }
    return [generation, step, rows](Book &book) {
        QRandomGenerator random(quint32(generation * 7919 + step));
        TranImport import(book, QDateTime(Today, QTime(10, 0)), QStringLiteral("crashchild"));
        RowArray row = makeTranRows();
        for (int k = 0; k < rows; ++k) {
            row.clear();
            const int r = row.appendRow();
            row.setInt(r, TranCol::Id, 0);
            row.setDate(r, TranCol::Date, QDate(2024, 1, 1).addDays(random.bounded(700)));
            const qint64 from = 1 + random.bounded(6);
            row.setKey(r, TranCol::From, {AccountSide::Account, from});
            row.setKey(r, TranCol::To, {AccountSide::Account, 1 + (from + random.bounded(5)) % 6});
            row.setMoney(r, TranCol::Amount, Money::fromCents(random.bounded(1, 10000000)));
            row.setText(r, TranCol::Particulars, QStringLiteral("G%1S%2I%3").arg(generation).arg(step).arg(k));
            row.setEditMark(r, TranCol::Status, EditMark::Changed);
            if (const QString problem = import.add(row, r); !problem.isEmpty())
                fail(QStringLiteral("import refused: ") + problem);
        }
        import.finish();
    };
}

QString digest(const Book &book)
{
    return test::bookDigest(connectionOf(book)) + u' ' + test::historyDigest(connectionOf(book));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 5 && argc != 6)
        fail(QStringLiteral("usage: crashchild BOOK SIDEFILE KIND GENERATION [ROWS]"));
    const QString bookPath = QString::fromLocal8Bit(argv[1]);
    const QString sidePath = QString::fromLocal8Bit(argv[2]);
    const QString kind = QString::fromLocal8Bit(argv[3]);
    const int generation = QString::fromLocal8Bit(argv[4]).toInt();
    const int importRows = argc == 6 ? QString::fromLocal8Bit(argv[5]).toInt() : 0;

    // Opening rolls back what an earlier kill left half done; only then is
    // the book copied, byte for byte, as the reference.
    const QString refPath = sidePath + QStringLiteral(".ref.fd");
    Book real, ref;
    if (const OpenResult r = real.open(bookPath); !r.ok())
        fail(r.description);
    real.close();
    QFile::remove(refPath);
    if (!QFile::copy(bookPath, refPath))
        fail(QStringLiteral("cannot copy the book"));
    if (const OpenResult r = real.open(bookPath); !r.ok())
        fail(r.description);
    if (const OpenResult r = ref.open(refPath); !r.ok())
        fail(r.description);

    QFile side(sidePath);
    if (!side.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        fail(side.errorString());
    const auto record = [&](const QString &line) {
        // One write per line: a kill leaves at most the last line cut short.
        if (side.write((line + u'\n').toUtf8()) < 0)
            fail(side.errorString());
    };
    try {
        record(QStringLiteral("start ") + digest(real));
        std::printf("ready\n");
        std::fflush(stdout);
        for (int step = 0;; ++step) {
            QRandomGenerator random(quint32(generation * 100003 + step));
            std::function<void(Book &)> save;
            if (kind == QLatin1String("accounts"))
                save = accountSave(real, generation, step, random);
            else if (kind == QLatin1String("transactions"))
                save = transactionSave(real, generation, step, random);
            else if (kind == QLatin1String("settings"))
                save = settingsSave(generation, step, random);
            else if (kind == QLatin1String("undo"))
                save = undoStep(real, generation, step, random);
            else if (kind == QLatin1String("restore"))
                save = restoreStep(real, generation, step, random);
            else if (kind == QLatin1String("import"))
                save = importStep(real, generation, generation + step, importRows);
            else
                fail(QStringLiteral("unknown kind ") + kind);
            save(ref);
            record(QStringLiteral("%1 ").arg(step) + digest(ref));
            save(real);
        }
    } catch (const DbError &e) {
        fail(e.description());
    }
}
