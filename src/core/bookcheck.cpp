#include "bookcheck.h"

#include "sql.h"

#include <QSqlQuery>

namespace bc {

namespace {

// The first fault of a transaction row, as text, or Null for a sound row.
const QString transactionFault = QStringLiteral(
    "CASE"
    " WHEN tran_date IS NULL THEN 'it has no date'"
    " WHEN date(tran_date, '+0 days') IS NOT tran_date"
    "  THEN 'the date ' || quote(tran_date) || ' is not a date of the form YYYY-MM-DD'"
    " WHEN typeof(amount) NOT IN ('integer', 'null')"
    "  THEN 'the amount ' || quote(amount) || ' is stored as ' || typeof(amount) || ', not as whole cents'"
    " WHEN from_flag IS NOT 'A' AND from_flag IS NOT 'P'"
    "  THEN 'the From side''s flag ' || quote(from_flag) || ' is neither A nor P'"
    " WHEN to_flag IS NOT 'A' AND to_flag IS NOT 'P'"
    "  THEN 'the To side''s flag ' || quote(to_flag) || ' is neither A nor P'"
    " WHEN from_flag = 'A' AND NOT EXISTS (SELECT 1 FROM account_master WHERE account_id = from_acc)"
    "  THEN 'the From side ' || quote(from_acc) || ' is no account of the book'"
    " WHEN to_flag = 'A' AND NOT EXISTS (SELECT 1 FROM account_master WHERE account_id = to_acc)"
    "  THEN 'the To side ' || quote(to_acc) || ' is no account of the book'"
    " WHEN from_flag = 'P' AND NOT EXISTS (SELECT 1 FROM Party_master WHERE Party_ID = from_acc)"
    "  THEN 'the From side ' || quote(from_acc) || ' is no party of the book'"
    " WHEN to_flag = 'P' AND NOT EXISTS (SELECT 1 FROM Party_master WHERE Party_ID = to_acc)"
    "  THEN 'the To side ' || quote(to_acc) || ' is no party of the book'"
    " END");

const QString openingFault = QStringLiteral(
    "CASE WHEN typeof(open_amount) NOT IN ('integer', 'null')"
    " THEN 'the opening amount ' || quote(open_amount) || ' is stored as ' || typeof(open_amount)"
    " || ', not as whole cents' END");

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
                      .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                           q.value(3).toString()));
}

QString transactionFaults(const QString &where)
{
    return QStringLiteral("SELECT 'transaction_master', 'tran_id', tran_id, fault FROM (SELECT tran_id, %1 AS fault "
                          "FROM transaction_master WHERE %2) WHERE fault IS NOT NULL")
        .arg(transactionFault, where);
}

QString openingFaults(const QString &where)
{
    return QStringLiteral("SELECT 'account_master', 'account_id', account_id, fault FROM (SELECT account_id, %1 "
                          "AS fault FROM account_master WHERE %2) WHERE fault IS NOT NULL")
        .arg(openingFault, where);
}

// The connection's memory of a clean check: the book's data version (which
// moves when another connection commits) at the time, and a flag that
// temporary triggers raise when this connection changes the checked tables.
// Temporary objects live with the connection and never touch the book file.
void prepareMemory(const QSqlDatabase &db)
{
    runSql(db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS book_rows_checked (data_version INTEGER)"));
    for (const char *table : {"transaction_master", "account_master", "Party_master"})
        for (const char *event : {"INSERT", "UPDATE", "DELETE"})
            runSql(db, QStringLiteral("CREATE TEMP TRIGGER IF NOT EXISTS book_rows_%1_%2 AFTER %2 ON main.%1 "
                                      "BEGIN DELETE FROM book_rows_checked; END")
                           .arg(QLatin1String(table), QLatin1String(event)));
}

qint64 dataVersion(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db, QStringLiteral("PRAGMA data_version"));
    return q.next() ? q.value(0).toLongLong() : -1;
}

} // namespace

void checkAccountRows(const QSqlDatabase &db, const std::vector<qint64> &accountIds)
{
    for (const qint64 id : accountIds) {
        refuseFirstFault(db, transactionFaults(QStringLiteral("from_acc = ?")) + QStringLiteral(" UNION ALL ")
                                 + transactionFaults(QStringLiteral("to_acc = ?")) + QStringLiteral(" UNION ALL ")
                                 + openingFaults(QStringLiteral("account_id = ?")),
                         {id, id, id});
    }
}

void checkBookRows(const QSqlDatabase &db)
{
    prepareMemory(db);
    const qint64 version = dataVersion(db);
    QSqlQuery remembered = runSql(db, QStringLiteral("SELECT 1 FROM temp.book_rows_checked WHERE data_version = ?"),
                                  {version});
    if (remembered.next())
        return;
    remembered.finish();
    refuseFirstFault(db, transactionFaults(QStringLiteral("1")) + QStringLiteral(" UNION ALL ")
                             + openingFaults(QStringLiteral("1")),
                     {});
    runSql(db, QStringLiteral("DELETE FROM temp.book_rows_checked"));
    runSql(db, QStringLiteral("INSERT INTO temp.book_rows_checked VALUES (?)"), {version});
}

} // namespace bc
