#pragma once

#include "dialect.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QSqlDatabase;

namespace bc {

// The engine behind an open connection.
Engine engineOf(const QSqlDatabase &db);

// Whether the book holds a permanent table, or a trigger, of that name (any
// case): the later formats' tables are absent from older books.
bool bookHasTable(const QSqlDatabase &db, const QString &name);
bool bookHasTrigger(const QSqlDatabase &db, const QString &name);

// Inserts rows of values through "INSERT INTO table (columns)", each row
// holding one value per column: a BulkInserter (bulkinserter.h) under the
// name its callers knew before it. The server takes each column's type from
// the table itself, so serverTypes is no longer read.
void insertRows(const QSqlDatabase &db, const QString &insertInto, const QList<QVariantList> &rows,
                const QStringList &serverTypes = {}, const QString &onConflict = {});

// The connection's Dialect (dialect.h) under the names its callers knew
// before it: the text for the engine of db, and the pieces the Dialect names.
QString forEngine(const QSqlDatabase &db, const QString &sqlite, const QString &postgres);
QString wholeSum(const QSqlDatabase &db, const QString &expression);
QString monthOfDate(const QSqlDatabase &db, const QString &column);
QString shortDateBound(const QSqlDatabase &db, const QString &column, bool lower, const QVariant &text,
                       QVariantList &values);

} // namespace bc
