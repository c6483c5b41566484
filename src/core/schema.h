#pragma once

#include <QStringList>

namespace bc {

// The statements of the book schema, in order, as compiled into the program.
const QStringList &schemaStatements();

} // namespace bc
