#pragma once

#include "dialect.h"

#include <QString>
#include <QStringList>

namespace bc {

// One of the program's saved queries as it runs it: the engine's text, whose
// placeholders name its parameters (":name"), and those names in the order
// of the query's arguments. A parameter named "..._date" takes a date as the
// user types it and is bound as its ISO date, Null when it is no date.
struct SavedQuery {
    QString text;
    QStringList parameters;
};

// The program's saved query of that name for the engine (database/sql/
// saved-queries.sql, with the server's own text where it differs); null
// for a name the program does not have. The copy a book holds is never run:
// a book received from someone else may carry any statement under these
// names.
const SavedQuery *programSavedQuery(const QString &name, Engine engine);

// The statements that write a new book's copies of the saved queries, the
// rows of its saved_queries table, as the schema writes them.
QStringList savedQueryCopies();

} // namespace bc
