#pragma once

// Books kept in a database on a PostgreSQL server: for core's storage files.

#include <QString>

class QSqlDatabase;

namespace bc {

// Adds and opens a connection named connectionName on the server database a
// location names ("postgresql://user@host:port/dbname?sslmode=require").
// The password, when empty, is found as libpq finds it (PGPASSWORD,
// ~/.pgpass), and so are TLS and the other settings the location leaves out.
// Returns an empty text when open, else why not; on failure the connection is
// removed again.
QString openServerConnection(const QString &connectionName, const QString &location, const QString &password);

// The location with any password left out, for showing to the user.
QString locationForDisplay(const QString &location);

// Makes the empty server database a location names into a book of the
// current format, in one transaction; a database already holding tables is
// never written to. Returns an empty text on success, else the reason.
QString createServerBook(const QString &location, const QString &password);

// Makes the empty database of an open server connection into a book of the
// current format, inside the caller's transaction, so that rows written in
// the same transaction commit with it or not at all. Throws DbError when the
// database already holds tables or a statement fails.
void makeServerBook(const QSqlDatabase &db);

// The oldest format of server book this program brings forward to its own;
// an older one is refused as it stands.
constexpr int oldestServerFormatBroughtForward = 8;

// Brings the server book of an open connection from an earlier format
// (oldestServerFormatBroughtForward or later) to the current one in one
// transaction: the tables later formats add, granted to the other logins as
// the transactions are. Another program doing the same at once waits, then
// finds nothing left to do. Throws DbError when the login may not add
// tables (only the book's owner may) or a statement fails.
void bringServerBookForward(const QSqlDatabase &db);

// Makes an open server connection ready for the program: the session's
// settings (how long a statement waits for another user's lock) and the
// connection's work tables.
void prepareServerSession(const QSqlDatabase &db, bool readOnly, int lockWaitMs);

// The channel a server book's triggers notify on when its rows change.
QString serverChangeChannel();

// True when the login of the connection may change the book's rows.
bool serverLoginMayWrite(const QSqlDatabase &db);

} // namespace bc
