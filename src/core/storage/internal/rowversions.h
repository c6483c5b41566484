#pragma once

#include "book.h"

class QSqlDatabase;

namespace bc {

// The first format whose editable rows (accounts, transactions, settings)
// carry a row_version, raised by every write of the row.
constexpr int RowVersionsFormat = 6;

// Whether the book's rows carry versions; an older book open read-only does
// not, and nothing can be checked there.
inline bool hasRowVersions(const Book &book)
{
    return book.format() >= RowVersionsFormat;
}

// The same asked of a connection, for code that has no Book.
bool hasRowVersions(const QSqlDatabase &db);

} // namespace bc
