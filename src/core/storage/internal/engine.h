#pragma once

#include "dialect.h"

#include <QString>
#include <QStringList>

class QSqlDatabase;

namespace bc {

// The engine behind an open connection.
Engine engineOf(const QSqlDatabase &db);

// Whether the book holds a permanent table, or a trigger, of that name (any
// case): the later formats' tables are absent from older books.
bool bookHasTable(const QSqlDatabase &db, const QString &name);
bool bookHasTrigger(const QSqlDatabase &db, const QString &name);
// Whether the book holds every one of the triggers named, asked in one
// statement.
bool bookHasTriggers(const QSqlDatabase &db, const QStringList &names);

} // namespace bc
