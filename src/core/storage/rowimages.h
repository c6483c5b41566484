#pragma once

// Rows kept as text, a JSON array of their column values, and the statement
// pieces that make and read them: the two engines name the JSON functions
// differently, and the server wants each value read back in its column's type.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace bc {

// An expression giving the values of the expressions as the text of a JSON
// array.
QString jsonArrayText(const QSqlDatabase &db, const QStringList &expressions);

// An expression giving element `index` of the JSON array text `json`; on the
// server it is read as a value of `serverType` ("bigint", "date", "text").
QString jsonArrayElement(const QSqlDatabase &db, const QString &json, int index, const QString &serverType);

// A statement giving, in a column named id, each whole number of the JSON
// array text bound to its one placeholder.
QString idsOfJsonArray(const QSqlDatabase &db);

} // namespace bc
