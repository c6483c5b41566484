#pragma once

// Running statements on a book's connection: for core's own files only.

#include "booktransaction.h"
#include "connection.h"
#include "dberror.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace bc {

// Prepares and runs one statement with its values bound by position; throws
// DbError on failure. Values never become part of the statement text.
QSqlQuery runSql(const QSqlDatabase &db, const QString &statement, const QVariantList &values = {});

// PostgreSQL: the failure of a statement from the server's description of
// it and its SQLSTATE, told apart as for every statement: a login that may
// only read the book, a full disk, a save that met another user's lock or
// was chosen to give way to one, a sum beyond the 64-bit range, a closed
// period.
DbError serverStatementFailure(const QString &text, const QString &state);

// One statement prepared once and run again and again with values bound by
// position. run() returns the number of rows the run changed; throws
// DbError on failure.
class PreparedStatement {
public:
    PreparedStatement(const QSqlDatabase &db, const QString &statement);
    qint64 run(const QVariantList &values);

private:
    QSqlDatabase m_db;
    QSqlQuery m_query;
};

// Prepares a statement once and runs it once per row of values, bound by
// position: for changing many rows without preparing a statement per row
// (rows are inserted through bulkinserter.h).
// Returns the number of rows the runs changed in all; throws DbError at the
// first failing row.
qint64 runSqlBatch(const QSqlDatabase &db, const QString &statement, const QList<QVariantList> &rows);
// The same for a statement with a single placeholder, once per id.
qint64 runSqlForIds(const QSqlDatabase &db, const QString &statement, const QList<qint64> &ids);

// The ids as the text of a JSON array, the one value bound to the
// statement of Dialect::idsOfJsonArray(): a list of any length in one
// statement.
QString idsAsJsonArray(const QList<qint64> &ids);

// The error of a statement a book file failed through SQLite's own
// interface (result code and message), in the words runSql() uses.
DbError sqliteFailure(const QSqlDatabase &db, int code, const QString &message);

// Runs one of the program's saved queries by name with its arguments in the
// order of its parameters: always the program's own text for the engine
// (savedqueries.h), never the book's copy.
QSqlQuery runSavedQuery(const QSqlDatabase &db, const QString &name, const QVariantList &arguments);

// Begins a transaction and rolls it back when leaving scope uncommitted, so
// every path out of a save (return, exception) leaves the tables as they were.
class TransactionGuard {
public:
    explicit TransactionGuard(QSqlDatabase db, TransactionKind kind = TransactionKind::Write);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard &) = delete;
    TransactionGuard &operator=(const TransactionGuard &) = delete;
    void commit();

private:
    void rollback();

    QSqlDatabase m_db;
    bool m_open = false;
};

} // namespace bc
