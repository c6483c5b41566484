#pragma once

#include <QSqlDatabase>
#include <QString>

namespace bc {

// A condition true when `column` matches the ?-bound LIKE pattern (escaped
// with a backslash), whatever the case of its letters, on either engine:
// SQLite's LIKE ignores the case of the letters A to Z by itself, a server's
// LIKE minds it.
QString likeIgnoringCase(const QSqlDatabase &db, const QString &column);

// The ORDER BY terms that list `column` alphabetically whatever the case of
// its letters ("Rent" before "RST"), names differing only in case in the
// same order on both engines: SQLite's NOCASE collation folds A to Z, a
// server folds with lower().
QString orderIgnoringCase(const QSqlDatabase &db, const QString &column);

} // namespace bc
