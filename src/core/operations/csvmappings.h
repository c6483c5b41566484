#pragma once

#include "book.h"
#include "statement.h"

#include <QStringList>
#include <optional>

namespace bc {

// The CSV mappings saved in the book by name, for reading a bank's CSV
// statements the same way every time.

// The saved names, in order.
QStringList csvMappingNames(const Book &book);

// The mapping saved under name, or nothing when there is none.
std::optional<CsvMapping> loadCsvMapping(const Book &book, const QString &name);

// Saves mapping under its name, replacing one saved under that name before.
// Throws DbError when the book refuses it (an empty name, a read-only book).
void saveCsvMapping(Book &book, const CsvMapping &mapping);

// Removes the mapping saved under name; nothing when there is none.
void deleteCsvMapping(Book &book, const QString &name);

} // namespace bc
