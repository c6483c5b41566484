#pragma once

#include <QSqlDatabase>
#include <QString>

namespace bc {

// A condition true when `column` matches the ?-bound LIKE pattern (escaped
// with a backslash), whatever the case of its letters, on either engine:
// SQLite's LIKE ignores the case of the letters A to Z by itself, a server's
// LIKE minds it.
QString likeIgnoringCase(const QSqlDatabase &db, const QString &column);

} // namespace bc
