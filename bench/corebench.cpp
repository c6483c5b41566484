// Times the core operations behind the windows in-process on a generated
// book and prints the figures as one JSON object.

#include "accounts.h"
#include "book.h"
#include "dates.h"
#include "financialstatements.h"
#include "history.h"
#include "historyrows.h"
#include "historyundo.h"
#include "ledger.h"
#include "ledgerchart.h"
#include "sql.h"
#include "summary.h"
#include "timing.h"
#include "transactions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>
#include <unordered_map>

using namespace bc;
using namespace bc::bench;

namespace {

struct Options {
    QString book;
    QString accountsBook; // a book with many accounts, for the account list
    QString busyAccount;
    QDate from;
    QDate to;
    QDate fyStart;
    QDate week; // first day of the one-week transaction search
    int runs = 5;
    QStringList only; // the groups to time; empty for all
    qint64 importRows = 0; // the size of the import whose history is weighed; 0 for none
    bool wants(const char *group) const { return only.isEmpty() || only.contains(QLatin1String(group)); }
};

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "corebench: %s\n", qPrintable(message));
    std::exit(1);
}

void openOrFail(Book &book, const QString &path)
{
    if (const OpenResult r = book.open(path); !r.ok())
        fail(r.description);
}

// Bytes the heap holds now: a before/after pair measures what a result keeps.
size_t heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

qint64 accountId(const Book &book, const QString &name)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT account_id FROM account_master WHERE account_name = ?"), {name});
    if (!q.next())
        fail(QStringLiteral("no account named %1").arg(name));
    return q.value(0).toLongLong();
}

// On a server book the work is done by the server process of the book's
// connection, so its processor time (from /proc, in clock ticks) counts too.
void countServerProcessor(const Book &book)
{
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT pg_backend_pid()"));
    if (!q.next())
        return;
    const QString stat = QStringLiteral("/proc/%1/stat").arg(q.value(0).toLongLong());
    const double msPerTick = 1000.0 / double(sysconf(_SC_CLK_TCK));
    helperProcessCpuMs() = [stat, msPerTick] {
        QFile file(stat);
        if (!file.open(QIODevice::ReadOnly))
            return 0.0;
        const QByteArray text = file.readAll();
        // After the command's closing bracket: the state (field 3), ..., the
        // user (14) and system (15) times.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return (fields.value(11).toDouble() + fields.value(12).toDouble()) * msPerTick;
    };
}

QJsonObject benchOpen(const Options &o)
{
    return measure(o.runs, [&] {
        Book book;
        openOrFail(book, o.book);
    });
}

QJsonObject benchTransactionFind(const Options &o, const Book &book)
{
    TranSearch week;
    week.applyDates = true;
    week.fromDate = o.week;
    week.toDate = o.week.addDays(6);
    int weekRows = 0;
    QJsonObject weekJson = measure(o.runs, [&] { weekRows = findTransactions(book, week).rows.rowCount(); });
    weekJson[QStringLiteral("rows")] = weekRows;

    // Everything: the run keeps its result while the heap is read, so the
    // difference is what the grid's row store holds.
    int allRows = 0;
    double bytesPerRow = 0;
    double heapPerRow = 0;
    QJsonObject allJson = measure(std::min(o.runs, 3), [&] {
        const size_t before = heapBytes();
        const TranFindResult result = findTransactions(book, TranSearch());
        allRows = result.rows.rowCount();
        if (allRows > 0) {
            heapPerRow = double(heapBytes() - before) / allRows;
            bytesPerRow = double(result.rows.bytesPerRow());
        }
    });
    allJson[QStringLiteral("rows")] = allRows;
    allJson[QStringLiteral("row_store_bytes_per_row")] = bytesPerRow;
    allJson[QStringLiteral("heap_bytes_per_row")] = heapPerRow;
    return {{QStringLiteral("week"), weekJson}, {QStringLiteral("all"), allJson}};
}

// Saves 1,000 transactions at a time into a copy of the book, so the
// generated book stays as the cross-check expects it: new ones, or, when
// changed is set, existing ones changed, whose values before the save the
// change history then keeps.
QJsonObject benchSave(const Options &o, qint64 busyId, bool changed)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("save.fd"));
    if (!QFile::copy(o.book, copy))
        fail(QStringLiteral("cannot copy the book for the save benchmark"));
    Book book;
    openOrFail(book, copy);
    RowArray rows;
    int run = 0;
    const auto prepare = [&] {
        QList<qint64> ids(1000, 0);
        if (changed) {
            QSqlQuery q = runSql(connectionOf(book),
                                 QStringLiteral("SELECT tran_id FROM transaction_master ORDER BY tran_id "
                                                "LIMIT 1000 OFFSET ?"),
                                 {run * 5000});
            for (int i = 0; q.next(); ++i)
                ids[i] = q.value(0).toLongLong();
        }
        ++run;
        rows = makeTranRows();
        for (int i = 0; i < ids.size(); ++i) {
            const int r = rows.appendRow();
            rows.setInt(r, TranCol::Id, ids[i]);
            rows.setDate(r, TranCol::Date, o.from.addDays(i % 365));
            rows.setKey(r, TranCol::To, AccountKey{AccountSide::Account, 7 + i % 900});
            rows.setKey(r, TranCol::From, AccountKey{AccountSide::Account, busyId});
            rows.setMoney(r, TranCol::Amount, Money::fromCents(100 + i));
            rows.setText(r, TranCol::Particulars, QStringLiteral("Benchmark %1").arg(i));
            rows.setEditMark(r, TranCol::Status, EditMark::Changed);
        }
    };
    return measure(
        o.runs,
        [&] {
            const TranSaveResult saved = saveTransactions(book, rows, QDateTime::currentDateTime());
            if (!saved.ok() || saved.savedIds.size() != rows.rowCount())
                fail(QStringLiteral("the save benchmark's save failed"));
        },
        prepare);
}

// Imports `rows` transactions in one transaction into a new book, with or
// without recording the change set (a range of ids), and returns the book's
// size; with history, the import is then undone and redone, and the sizes
// after the undo (whose change set keeps every row it took away) and after
// the redo and their times are given.
QJsonObject benchImportSize(qint64 rows)
{
    QTemporaryDir dir;
    const auto import = [&](const QString &name, bool record, QJsonObject &out) {
        const QString path = dir.filePath(name);
        if (const QString why = Book::create(path); !why.isEmpty())
            fail(why);
        Book book;
        openOrFail(book, path);
        QElapsedTimer clock;
        clock.start();
        {
            const QSqlDatabase db = connectionOf(book);
            TransactionGuard transaction(db);
            ChangeRecorder history(book, QStringLiteral("corebench"), QStringLiteral("Import"));
            runSql(db,
                   QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                                  "INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, "
                                  "to_flag, amount, particulars, version_date) SELECT i, date('2020-01-01', '+' || "
                                  "(i % 1800) || ' days'), 1 + i % 6, 'A', 1 + (i + 1) % 6, 'A', i * 7 % 100000, "
                                  "'Imported line ' || i, '2026-12-08 09:00:00' FROM n"),
                   {rows});
            if (record) {
                history.added(HistoryTable::Transactions, 1, rows);
                history.finish();
            }
            transaction.commit();
        }
        out[QStringLiteral("import_ms")] = double(clock.nsecsElapsed()) / 1e6;
        book.close();
        out[QStringLiteral("bytes")] = double(QFileInfo(path).size());
        if (!record)
            return;
        openOrFail(book, path);
        clock.restart();
        const UndoResult undone = undoChange(book, undoTarget(book)->id, QStringLiteral("corebench"));
        if (!undone.ok)
            fail(undone.message);
        out[QStringLiteral("undo_ms")] = double(clock.nsecsElapsed()) / 1e6;
        book.close();
        out[QStringLiteral("bytes_after_undo")] = double(QFileInfo(path).size());
        openOrFail(book, path);
        clock.restart();
        const UndoResult redone = undoChange(book, undone.changeSet, QStringLiteral("corebench"));
        if (!redone.ok)
            fail(redone.message);
        out[QStringLiteral("redo_ms")] = double(clock.nsecsElapsed()) / 1e6;
        book.close();
        out[QStringLiteral("bytes_after_redo")] = double(QFileInfo(path).size());
    };
    QJsonObject without, with;
    import(QStringLiteral("without.fd"), false, without);
    import(QStringLiteral("with.fd"), true, with);
    return {{QStringLiteral("rows"), double(rows)},
            {QStringLiteral("without_history"), without},
            {QStringLiteral("with_history"), with}};
}

QJsonObject benchLedger(const Options &o, const Book &book, qint64 busyId)
{
    LedgerInput input;
    input.accountId = busyId;
    input.fromDate = o.from;
    input.toDate = o.to;
    input.finYearStart = o.fyStart;
    LedgerResult ledger;
    QJsonObject ledgerJson = measure(o.runs, [&] { ledger = computeLedger(book, input); });
    ledgerJson[QStringLiteral("movements")] = int(ledger.movements.size());
    const LedgerChartInput chartInput{o.from, o.to, QLatin1String(DayFirstFormat), QStringLiteral("EUR"),
                                      QStringLiteral("Bank")};
    int points = 0;
    QJsonObject chartJson = measure(o.runs,
                                    [&] { points = int(computeLedgerChart(book, ledger, chartInput).points.size()); });
    chartJson[QStringLiteral("points")] = points;
    return {{QStringLiteral("ledger"), ledgerJson}, {QStringLiteral("chart"), chartJson}};
}

// The summary in the book, and beside it a plain single pass over the same
// transactions already in memory: the floor any computation has to pay.
QJsonObject benchSummary(const Options &o, const Book &book)
{
    SummaryInput input;
    for (const IdName &a : accountNames(book))
        input.accounts.push_back({a.id, AccountSide::Account, a.name});
    input.fromDate = o.from;
    input.toDate = o.to;
    input.finYearStart = o.fyStart;
    int listed = 0;
    QJsonObject summaryJson = measure(o.runs, [&] { listed = int(computeSummary(book, input).listed.size()); });
    summaryJson[QStringLiteral("accounts")] = listed;

    struct Movement {
        bool beforeFrom;
        qint32 from;
        qint32 to;
        qint64 amount;
    };
    std::vector<Movement> movements;
    std::unordered_map<qint64, qint64> openings;
    qint64 highestId = 0;
    {
        const QSqlDatabase db = connectionOf(book);
        QSqlQuery q = runSql(db, QStringLiteral("SELECT account_id, coalesce(open_amount, 0) FROM account_master"));
        while (q.next()) {
            openings[q.value(0).toLongLong()] = q.value(1).toLongLong();
            highestId = std::max(highestId, q.value(0).toLongLong());
        }
        const QString from = isoDate(o.from);
        q = runSql(db,
                   QStringLiteral("SELECT tran_date, from_acc, to_acc, coalesce(amount, 0) FROM transaction_master "
                                  "WHERE tran_date >= ? AND tran_date <= ?"),
                   {isoDate(o.fyStart), isoDate(o.to)});
        while (q.next())
            movements.push_back({q.value(0).toString() < from, qint32(q.value(1).toLongLong()),
                                 qint32(q.value(2).toLongLong()), q.value(3).toLongLong()});
    }
    std::vector<qint64> opening(size_t(highestId) + 1);
    std::vector<qint64> movement(size_t(highestId) + 1);
    QJsonObject sumJson = measure(o.runs, [&] {
        for (const auto &[id, amount] : openings)
            opening[size_t(id)] = amount;
        std::fill(movement.begin(), movement.end(), 0);
        for (const Movement &m : movements) {
            std::vector<qint64> &column = m.beforeFrom ? opening : movement;
            column[size_t(m.from)] -= m.amount;
            column[size_t(m.to)] += m.amount;
        }
    });
    sumJson[QStringLiteral("transactions")] = qint64(movements.size());
    return {{QStringLiteral("summary"), summaryJson}, {QStringLiteral("in_memory_sum"), sumJson}};
}

// The three statements over the report range by month, read from the kept
// monthly balances.
QJsonObject benchStatements(const Options &o, const Book &book)
{
    const std::vector<StatementColumn> months = periodColumns({o.from, o.to}, PeriodLength::Month, Comparison::None);
    const auto timed = [&](StatementKind kind, const std::vector<StatementColumn> &columns) {
        int lines = 0;
        QJsonObject json = measure(o.runs, [&] { lines = int(computeStatement(book, kind, columns).lines.size()); });
        json[QStringLiteral("lines")] = lines;
        return json;
    };
    return {{QStringLiteral("income_statement"), timed(StatementKind::IncomeStatement, months)},
            {QStringLiteral("balance_sheet"),
             timed(StatementKind::BalanceSheet, {balanceSheetColumn(o.to, std::nullopt, o.fyStart)})},
            {QStringLiteral("cash_flow"), timed(StatementKind::CashFlow, months)}};
}

QJsonObject benchAccounts(const Options &o)
{
    Book book;
    openOrFail(book, o.accountsBook);
    AccountFindResult found;
    QJsonObject findJson = measure(o.runs, [&] { found = findAccounts(book, QString(), QString(), QString()); });
    findJson[QStringLiteral("rows")] = found.rows.rowCount();
    // A header click turns the order around each time, as the window does.
    SortDirection direction = SortDirection::Ascending;
    const auto toggle = [&] { direction = toggled(direction); };
    QJsonObject byName = measure(
        o.runs, [&] { found.rows.sortRows(AccountCol::Name, direction); }, toggle);
    QJsonObject byOpening = measure(
        o.runs, [&] { found.rows.sortRows(AccountCol::Opening, direction); }, toggle);
    return {{QStringLiteral("find"), findJson},
            {QStringLiteral("sort_name"), byName},
            {QStringLiteral("sort_opening"), byOpening}};
}

Options readOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the core operations on a generated book."));
    parser.addHelpOption();
    const auto option = [&](const char *name, const char *description) {
        parser.addOption({QLatin1String(name), QLatin1String(description), QStringLiteral("VALUE")});
    };
    option("book", "The generated book.");
    option("accounts-book", "A book with many accounts, for the account list and its sort (optional).");
    option("account", "The busy account whose ledger is timed.");
    option("from", "First day of the report range, YYYY-MM-DD.");
    option("to", "Last day of the report range.");
    option("fy-start", "Financial-year start.");
    option("week", "First day of the one-week transaction search.");
    option("runs", "Runs per operation.");
    option("only",
           "Time only these groups, comma-separated: open, find, save, ledger, summary, statements, "
           "accounts.");
    option("import-rows", "Weigh the history of an import of this many transactions (group history-size).");
    parser.process(app);
    Options o;
    o.book = parser.value(QStringLiteral("book"));
    o.accountsBook = parser.value(QStringLiteral("accounts-book"));
    o.busyAccount = parser.value(QStringLiteral("account"));
    o.from = fromIsoDate(parser.value(QStringLiteral("from")));
    o.to = fromIsoDate(parser.value(QStringLiteral("to")));
    o.fyStart = fromIsoDate(parser.value(QStringLiteral("fy-start")));
    o.week = fromIsoDate(parser.value(QStringLiteral("week")));
    o.runs = parser.isSet(QStringLiteral("runs")) ? parser.value(QStringLiteral("runs")).toInt() : 5;
    if (parser.isSet(QStringLiteral("only")))
        o.only = parser.value(QStringLiteral("only")).split(u',');
    o.importRows = parser.value(QStringLiteral("import-rows")).toLongLong();
    if (o.book.isEmpty() || o.busyAccount.isEmpty() || !o.from.isValid() || !o.to.isValid() || !o.fyStart.isValid()
        || !o.week.isValid() || o.runs < 1)
        fail(QStringLiteral("needs --book, --account, --from, --to, --fy-start, --week and a --runs of 1 or more"));
    return o;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const Options o = readOptions(app);
    QJsonObject out;
    try {
        if (o.wants("open"))
            out[QStringLiteral("open")] = benchOpen(o);
        Book book;
        openOrFail(book, o.book);
        if (book.isOnServer())
            countServerProcessor(book);
        const qint64 busyId = accountId(book, o.busyAccount);
        if (o.wants("find"))
            out[QStringLiteral("transaction_find")] = benchTransactionFind(o, book);
        if (o.wants("save")) {
            out[QStringLiteral("save_1000")] = benchSave(o, busyId, false);
            out[QStringLiteral("save_1000_changed")] = benchSave(o, busyId, true);
        }
        if (o.importRows > 0 && o.wants("history-size"))
            out[QStringLiteral("history_import")] = benchImportSize(o.importRows);
        if (o.wants("ledger")) {
            const QJsonObject ledger = benchLedger(o, book, busyId);
            out[QStringLiteral("ledger")] = ledger[QStringLiteral("ledger")];
            out[QStringLiteral("ledger_chart")] = ledger[QStringLiteral("chart")];
        }
        if (o.wants("summary")) {
            const QJsonObject summary = benchSummary(o, book);
            out[QStringLiteral("summary")] = summary[QStringLiteral("summary")];
            out[QStringLiteral("in_memory_sum")] = summary[QStringLiteral("in_memory_sum")];
        }
        if (o.wants("statements")) {
            const QJsonObject statements = benchStatements(o, book);
            for (auto it = statements.begin(); it != statements.end(); ++it)
                out[it.key()] = it.value();
        }
        if (!o.accountsBook.isEmpty() && o.wants("accounts"))
            out[QStringLiteral("accounts")] = benchAccounts(o);
    } catch (const DbError &e) {
        fail(e.description());
    }
    std::fputs(QJsonDocument(out).toJson(QJsonDocument::Indented).constData(), stdout);
    return 0;
}
