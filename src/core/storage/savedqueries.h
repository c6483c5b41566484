#pragma once

#include <QString>

namespace bc {

// The body of one of the program's saved queries, as the compiled-in schema
// writes it into a new book; empty for a name the program does not have.
// The copy a book holds is never run: a book received from someone else may
// carry any statement under these names.
// SQLite: the bodies are in its dialect (ifnull, instr, DATEVALUE, ?N
// placeholders), as the schema holds them.
QString programSavedQuery(const QString &name);

} // namespace bc
