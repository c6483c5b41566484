#pragma once

#include "book.h"
#include "statement.h"

#include <QStringList>
#include <optional>

namespace bc {

// The CSV mappings of a book (csv_mappings), one row per name.

// The names, in order whatever the case of their letters.
QStringList readCsvMappingNames(const Book &book);

// The mapping of that name, or nothing when there is none.
std::optional<CsvMapping> readCsvMapping(const Book &book, const QString &name);

// Writes the mapping under its name, replacing the one of that name.
void writeCsvMapping(const Book &book, const CsvMapping &mapping);

// Removes the mapping of that name, if any.
void removeCsvMapping(const Book &book, const QString &name);

} // namespace bc
