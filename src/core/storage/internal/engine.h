#pragma once

#include "dialect.h"

#include <QString>

class QSqlDatabase;

namespace bc {

// The engine behind an open connection.
Engine engineOf(const QSqlDatabase &db);

// Whether the book holds a permanent table, or a trigger, of that name (any
// case): the later formats' tables are absent from older books.
bool bookHasTable(const QSqlDatabase &db, const QString &name);
bool bookHasTrigger(const QSqlDatabase &db, const QString &name);

} // namespace bc
