#pragma once

#include <QSqlDatabase>

struct sqlite3;

namespace bc {

// SQLite's own handle of an open connection, for what the Qt driver does not
// offer (functions, authorizer, online backup); null for another driver.
sqlite3 *connectionHandle(const QSqlDatabase &db);

} // namespace bc
