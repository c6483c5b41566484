#pragma once

#include <QStringList>

namespace bc {

// The statements, in order, of one of the SQL scripts compiled into the
// program, named by its path under database/ ("worktables.sql").
QStringList sqlScript(const QString &name);

// The statements that make a new book of the current format: its tables,
// then its first rows.
const QStringList &schemaStatements();

// The same for a book on a PostgreSQL server: its tables, functions and
// triggers, the first rows, and the server's text of the saved queries.
const QStringList &serverSchemaStatements();

} // namespace bc
