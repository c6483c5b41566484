#pragma once

// The book's SQL connection, for core's own files: windows, reports and the
// tool reach a book only through the operations of core, which take the Book.
// Tests include this where they must read or change a book with SQL.

#include "book.h"
#include "dialect.h"

#include <QSqlDatabase>

struct sqlite3;

namespace bc {

// The connection of an open book (an invalid one when it is closed).
QSqlDatabase connectionOf(const Book &book);

// The dialect of an open connection's engine.
const Dialect &dialectOf(const QSqlDatabase &db);

// SQLite's own handle of an open connection, for what the Qt driver does not
// offer (functions, authorizer, online backup); null for another driver.
sqlite3 *connectionHandle(const QSqlDatabase &db);

// Registers DATEVALUE and the other SQL functions the saved queries use on
// one connection, and an authorizer that refuses ATTACH, DETACH, VACUUM
// (which attaches its target) and writing the schema as rows for the life of
// the connection, so no statement reaches a file other than the book or
// writes anything but rows of its tables. Both belong to a connection, so every
// open needs this. Both are SQLite's own: another engine needs its own way.
bool registerSqlFunctions(const QSqlDatabase &db);

} // namespace bc
