#pragma once

#include <QString>

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


} // namespace bc
