#pragma once

#include "engine.h"

#include <QString>

namespace bc {

// The body of one of the program's saved queries, as the compiled-in schema
// writes it into a new book; empty for a name the program does not have.
// The copy a book holds is never run: a book received from someone else may
// carry any statement under these names.
// The bodies use ?N placeholders and DATEVALUE, which runSavedQuery resolves
// for either engine; the few whose text differs on a server have their own.
QString programSavedQuery(const QString &name, Engine engine = Engine::SQLite);

} // namespace bc
