#include "bookcheck.h"
#include "rowfaults.h"

#include "bookobjects.h"
#include "engine.h"
#include "periodbalances.h"
#include "sql.h"

#include <QSqlQuery>
#include <optional>

namespace bc {

namespace {

// The pieces of the fault of a transaction row: each is a WHEN of a CASE that
// gives the first fault as text, or Null for a sound row.
// SQLite: date(x, '+0 days') to test a date, typeof() for the stored type,
// quote() and IS NOT between values.
const QString dateAndAmountFaults = QStringLiteral(
    " WHEN tran_date IS NULL THEN 'it has no date'"
    " WHEN date(tran_date, '+0 days') IS NOT tran_date"
    "  THEN 'the date ' || quote(tran_date) || ' is not a date of the form YYYY-MM-DD'"
    " WHEN typeof(amount) NOT IN ('integer', 'null')"
    "  THEN 'the amount ' || quote(amount) || ' is stored as ' || typeof(amount) || ', not as whole cents'");

// Amounts beyond the range of format 2 still add up in a report (a sum too
// large is refused there); only the typed tables refuse them.
const QString amountRangeFault = QStringLiteral(
    " WHEN amount NOT BETWEEN -99999999999999 AND 99999999999999"
    "  THEN 'the amount of ' || amount || ' cents is beyond 999,999,999,999.99'");

// side is "from" or "to", caption "From" or "To".
QString flagFault(const char *side, const char *caption)
{
    return QStringLiteral(" WHEN %1_flag IS NOT 'A' AND %1_flag IS NOT 'P'"
                          "  THEN 'the %2 side''s flag ' || quote(%1_flag) || ' is neither A nor P'")
        .arg(QLatin1String(side), QLatin1String(caption));
}

// quote is the function that shows the key: SQLite's quote(), or none on a
// server, whose keys are bigint.
QString keyFault(const char *side, const char *caption, const QString &quote = QStringLiteral("quote"))
{
    return QStringLiteral(" WHEN %1_flag = 'A' AND NOT EXISTS (SELECT 1 FROM account_master WHERE account_id = %1_acc)"
                          "  THEN 'the %2 side ' || %3(%1_acc) || ' is no account of the book'"
                          " WHEN %1_flag = 'P' AND NOT EXISTS (SELECT 1 FROM Party_master WHERE Party_ID = %1_acc)"
                          "  THEN 'the %2 side ' || %3(%1_acc) || ' is no party of the book'")
        .arg(QLatin1String(side), QLatin1String(caption), quote);
}

QString caseOf(const QString &whens)
{
    return QStringLiteral("CASE") + whens + QStringLiteral(" END");
}

// Every fault of a row that a report refuses, and those the typed tables
// refuse besides.
QString rowFault(const QString &besides = {})
{
    return caseOf(dateAndAmountFaults + besides + flagFault("from", "From") + flagFault("to", "To")
                  + keyFault("from", "From") + keyFault("to", "To"));
}

// The faults that one side's covering index can tell without the table row.
QString sideFault(const char *side, const char *caption)
{
    return caseOf(dateAndAmountFaults + flagFault(side, caption));
}

const QString openingFaults = QStringLiteral(
    " WHEN typeof(open_amount) NOT IN ('integer', 'null')"
    "  THEN 'the opening amount ' || quote(open_amount) || ' is stored as ' || typeof(open_amount)"
    "  || ', not as whole cents'");

const QString openingRangeFault = QStringLiteral(
    " WHEN open_amount NOT BETWEEN -99999999999999 AND 99999999999999"
    "  THEN 'the opening amount of ' || open_amount || ' cents is beyond 999,999,999,999.99'");

// An account's type that is no type of account matters to no figure, only to
// the tables of format 2, which refuse it. An account saved without a type
// holds 0.
const QString typeFault = QStringLiteral(
    " WHEN account_type IS NOT NULL AND account_type IS NOT 0 AND NOT EXISTS"
    "  (SELECT 1 FROM Account_Type_Master AS t WHERE t.account_type_id = account_master.account_type)"
    "  THEN 'the account type ' || quote(account_type) || ' is no type of account'");

// PostgreSQL: the column types and CHECK constraints refuse a malformed
// date, amount, flag or opening, and the foreign keys a side or account type
// that names no row. Only the keys are looked for again, since a login that
// may switch the foreign keys off can still break them.
const QString serverTypeFault = QStringLiteral(
    " WHEN account_type IS NOT NULL AND account_type <> 0 AND NOT EXISTS"
    "  (SELECT 1 FROM Account_Type_Master AS t WHERE t.account_type_id = account_master.account_type)"
    "  THEN 'the account type ' || account_type || ' is no type of account'");

bool rowsKeptByServer(const QSqlDatabase &db)
{
    return engineOf(db) == Engine::PostgreSQL;
}

// Runs a statement giving (table, key column, key, fault) of faulty rows and
// refuses with the first.
void refuseFirstFault(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    QSqlQuery q = runSql(db, statement + QStringLiteral(" LIMIT 1"), values);
    if (!q.next())
        return;
    throw DbError(QStringLiteral("The book holds a row that was not written by this program, so the figures "
                                 "would be wrong: table %1, row %2 %3: %4. Correct or delete the row with "
                                 "the tool that wrote it.")
                      .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString()));
}

QString transactionFaults(const QString &fault, const QString &where)
{
    return QStringLiteral("SELECT 'transaction_master', 'tran_id', tran_id, fault FROM (SELECT tran_id, %1 AS fault "
                          "FROM transaction_master WHERE %2) AS checked WHERE fault IS NOT NULL")
        .arg(fault, where);
}

QString accountFaults(const QString &fault, const QString &where)
{
    return QStringLiteral("SELECT 'account_master', 'account_id', account_id, fault FROM (SELECT account_id, %1 "
                          "AS fault FROM account_master WHERE %2) AS checked WHERE fault IS NOT NULL")
        .arg(fault, where);
}

QString openingFault()
{
    return caseOf(openingFaults);
}

QString unionAll(const QStringList &parts)
{
    return parts.join(QStringLiteral(" UNION ALL "));
}

// The connection's memory of a clean check: the book's data version (which
// moves when another connection commits) at the time, and a flag that
// temporary triggers raise when this connection changes the checked tables.
// Temporary objects live with the connection and never touch the book file.
// SQLite: TEMP triggers on main's tables, the temp schema and PRAGMA data_version.
void prepareMemory(const QSqlDatabase &db)
{
    runSql(db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS book_rows_checked (data_version INTEGER)"));
    for (const char *table : {"transaction_master", "account_master", "Party_master"})
        for (const char *event : {"INSERT", "UPDATE", "DELETE"})
            runSql(db,
                   QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS book_rows_%1_%2 AFTER %2 ON main.%1 "
                                  "BEGIN DELETE FROM book_rows_checked; END")
                       .arg(QLatin1String(table), QLatin1String(event)));
}

qint64 dataVersion(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db, QStringLiteral("PRAGMA data_version"));
    return q.next() ? q.value(0).toLongLong() : -1;
}

// The typed tables of a book that keeps period balances refuse a malformed
// date, amount or flag; only a side that names no account or party can still
// come in, from a program that writes with foreign keys off. Every side in
// use is one group of the kept balances' key, so the groups are judged there
// and a transaction is looked up only for a faulty one.
std::optional<qint64> faultyKeptSide(const QSqlDatabase &db)
{
    QSqlQuery group = runSql(db,
                             QStringLiteral("SELECT account, flag FROM period_balances GROUP BY account, flag"
                                            " HAVING (flag IS NOT 'A' AND flag IS NOT 'P')"
                                            "     OR (flag = 'A' AND account NOT IN (SELECT account_id FROM "
                                            "account_master))"
                                            "     OR (flag = 'P' AND account NOT IN (SELECT Party_ID FROM "
                                            "Party_master)) LIMIT 1"));
    if (!group.next())
        return std::nullopt;
    const QVariantList side{group.value(0), group.value(1), group.value(0), group.value(1)};
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT min(tran_id) FROM (SELECT tran_id FROM transaction_master WHERE "
                                        "from_acc = ? AND from_flag = ? UNION ALL SELECT tran_id FROM "
                                        "transaction_master WHERE to_acc = ? AND to_flag = ?)"),
                         side);
    return q.next() && !q.value(0).isNull() ? std::optional(q.value(0).toLongLong()) : std::nullopt;
}

// A transaction with a fault, found in passes over the covering indexes
// rather than over the table: the faults of a side's key and flag are the
// same for every row of its group, those of a date for every row of that
// date, so each group is judged once.
std::optional<qint64> faultyTransaction(const QSqlDatabase &db)
{
    if (keepsPeriodBalances(db))
        return faultyKeptSide(db);
    const QString sideGroups = QStringLiteral(
        "SELECT min(tran_id) FROM transaction_master GROUP BY %1_acc, %1_flag"
        " HAVING (%1_flag IS NOT 'A' AND %1_flag IS NOT 'P')"
        "     OR (%1_flag = 'A' AND %1_acc NOT IN (SELECT account_id FROM account_master))"
        "     OR (%1_flag = 'P' AND %1_acc NOT IN (SELECT Party_ID FROM Party_master))");
    const QStringList statements{
        sideGroups.arg(QLatin1String("from")), sideGroups.arg(QLatin1String("to")),
        QStringLiteral("SELECT min(tran_id) FROM transaction_master GROUP BY tran_date"
                       " HAVING tran_date IS NULL OR date(tran_date, '+0 days') IS NOT tran_date"),
        QStringLiteral("SELECT tran_id FROM transaction_master WHERE typeof(amount) NOT IN ('integer', 'null')")};
    for (const QString &statement : statements) {
        QSqlQuery q = runSql(db, statement + QStringLiteral(" LIMIT 1"));
        if (q.next())
            return q.value(0).toLongLong();
    }
    return std::nullopt;
}

} // namespace

QString RowFault::text() const
{
    return QStringLiteral("table %1, row %2 %3: %4").arg(table, keyColumn, QString::number(id), fault);
}

std::vector<RowFault> bookRowFaults(const QSqlDatabase &db, int limit)
{
    const QString statement =
        (rowsKeptByServer(db)
             ? unionAll({transactionFaults(caseOf(keyFault("from", "From", {}) + keyFault("to", "To", {})),
                                           QStringLiteral("true")),
                         accountFaults(caseOf(serverTypeFault), QStringLiteral("true"))})
             : unionAll({transactionFaults(rowFault(amountRangeFault), QStringLiteral("1")),
                         accountFaults(caseOf(openingFaults + openingRangeFault + typeFault), QStringLiteral("1"))}))
        + (limit < 0 ? QString() : QStringLiteral(" LIMIT %1").arg(limit));
    QSqlQuery q = runSql(db, statement);
    std::vector<RowFault> faults;
    while (q.next())
        faults.push_back(
            {q.value(0).toString(), q.value(1).toString(), q.value(2).toLongLong(), q.value(3).toString()});
    return faults;
}

QStringList bookProblems(const Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    QStringList problems;
    for (const ForeignObject &object : foreignObjects(db))
        problems << (object.changedOwn
                         ? QStringLiteral("The %1 was changed by another program; check --repair puts back this "
                                          "program's own.")
                         : QStringLiteral("The %1 was not made by this program; check --repair removes it."))
                        .arg(object.text());
    for (const RowFault &fault : bookRowFaults(db))
        problems << fault.text();
    if (rowsKeptByServer(db))
        return problems + periodBalanceProblems(db);
    QSqlQuery integrity = runSql(db, QStringLiteral("PRAGMA integrity_check"));
    while (integrity.next())
        if (const QString line = integrity.value(0).toString(); line != QLatin1String("ok"))
            problems << QStringLiteral("integrity_check: %1").arg(line);
    QSqlQuery keys = runSql(db, QStringLiteral("PRAGMA foreign_key_check"));
    while (keys.next())
        problems << QStringLiteral("table %1, row %2: it names no row of the table %3")
                        .arg(keys.value(0).toString(), keys.value(1).toString(), keys.value(2).toString());
    return problems + periodBalanceProblems(db);
}

QString checksLeftToServer(const Book &book)
{
    if (!rowsKeptByServer(connectionOf(book)))
        return QString();
    return QStringLiteral("The server keeps the dates, amounts and flags by their column types and constraints, "
                          "so only the keys and the kept balances were looked at; SQLite's integrity and "
                          "foreign-key checks belong to a book file and were not run.");
}

void rebuildKeptBalances(const Book &book)
{
    rebuildPeriodBalances(connectionOf(book));
}

void checkAccountRows(const Book &book, const std::vector<qint64> &accountIds)
{
    const QSqlDatabase db = connectionOf(book);
    if (rowsKeptByServer(db))
        return;
    // What a side index can tell of a transaction, the typed tables of a book
    // that keeps period balances refuse already.
    if (keepsPeriodBalances(db)) {
        for (const qint64 id : accountIds)
            refuseFirstFault(db, accountFaults(openingFault(), QStringLiteral("account_id = ?")), {id});
        return;
    }
    const QString statement = unionAll({transactionFaults(sideFault("from", "From"), QStringLiteral("from_acc = ?")),
                                        transactionFaults(sideFault("to", "To"), QStringLiteral("to_acc = ?")),
                                        accountFaults(openingFault(), QStringLiteral("account_id = ?"))});
    for (const qint64 id : accountIds)
        refuseFirstFault(db, statement, {id, id, id});
}

void checkListedRows(const Book &book, qint64 accountId, const QString &firstDate, const QString &lastDate)
{
    const QSqlDatabase db = connectionOf(book);
    if (rowsKeptByServer(db))
        return;
    // The kept balances' groups judge every side in use in one short pass,
    // remembered until the book changes, rather than a look-up of each row.
    if (keepsPeriodBalances(db)) {
        checkBookRows(book);
        return;
    }
    const QString range = QStringLiteral(" AND tran_date BETWEEN ? AND ?");
    refuseFirstFault(db,
                     unionAll(
                         {transactionFaults(rowFault(), QStringLiteral("from_acc = ? AND from_flag = 'A'") + range),
                          transactionFaults(rowFault(), QStringLiteral("to_acc = ? AND to_flag = 'A'") + range)}),
                     {accountId, firstDate, lastDate, accountId, firstDate, lastDate});
}

void checkBookRows(const Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    if (rowsKeptByServer(db))
        return;
    prepareMemory(db);
    const qint64 version = dataVersion(db);
    QSqlQuery remembered = runSql(db, QStringLiteral("SELECT 1 FROM temp.book_rows_checked WHERE data_version = ?"),
                                  {version});
    if (remembered.next())
        return;
    remembered.finish();
    if (const std::optional<qint64> id = faultyTransaction(db))
        refuseFirstFault(db, transactionFaults(rowFault(), QStringLiteral("tran_id = ?")), {*id});
    refuseFirstFault(db, accountFaults(openingFault(), QStringLiteral("1")), {});
    runSql(db, QStringLiteral("DELETE FROM temp.book_rows_checked"));
    runSql(db, QStringLiteral("INSERT INTO temp.book_rows_checked VALUES (?)"), {version});
}

} // namespace bc
