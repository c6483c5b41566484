#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class QSqlDatabase;

namespace bc {

// The database engines a book can live in: a book file of its own (SQLite),
// or a database on a PostgreSQL server shared by an office.
enum class Engine { SQLite, PostgreSQL };

// The engine behind an open connection.
Engine engineOf(const QSqlDatabase &db);

// True when a book's location names a server database
// ("postgresql://user@host:port/dbname") rather than a book file.
bool isServerLocation(const QString &location);

// The statement written for the engine of db: for the few statements whose
// text must differ, the two forms stand side by side where they are used.
QString forEngine(const QSqlDatabase &db, const QString &sqlite, const QString &postgres);

// Whether the book holds a permanent table, or a trigger, of that name (any
// case): the later formats' tables are absent from older books.
bool bookHasTable(const QSqlDatabase &db, const QString &name);
bool bookHasTrigger(const QSqlDatabase &db, const QString &name);

// The sum of a whole-number expression as a 64-bit whole number: a sum
// beyond that range fails its statement with the error isSumOverflow()
// knows. SQLite's sum() does both itself; PostgreSQL sums bigint as numeric,
// so there the sum is cast back.
QString wholeSum(const QSqlDatabase &db, const QString &expression);

// The "YYYY-MM" month of a transaction date, as the period balances key it.
// SQLite: the first seven characters of the ISO text; PostgreSQL: the
// book's balance_month() of the date.
QString monthOfDate(const QSqlDatabase &db, const QString &column);

// Inserts rows of values through "INSERT INTO table (columns)", each row
// holding one value per column, of the same types in every row (whole
// numbers or text). SQLite runs one prepared statement per row, which costs
// it nothing; a server is sent all rows in one statement, as one array per
// column, since every statement there is a trip to the server and back, and
// fires the table's statement triggers once. serverTypes names the server's
// type of each column where it is neither bigint nor text ("date"), in
// order; onConflict is an ON CONFLICT clause both engines read.
void insertRows(const QSqlDatabase &db, const QString &insertInto, const QList<QVariantList> &rows,
                const QStringList &serverTypes = {}, const QString &onConflict = {});

// The ISO date of a short date as typed (the user's short-date form), as
// text to bind; a Null text when it is no date. A server has no DATEVALUE()
// of the connection, so there the date is read here.
QVariant isoDateOfShortDate(const QVariant &text);

// A condition bounding the date column by a short date as typed: from it
// when lower, else up to it; a text that is no date bounds nothing. Appends
// the value to bind to values. SQLite reads the text through the
// connection's DATEVALUE(), a server through isoDateOfShortDate().
QString shortDateBound(const QSqlDatabase &db, const QString &column, bool lower, const QVariant &text,
                       QVariantList &values);

} // namespace bc
