#pragma once

#include "book.h"

#include <QString>

namespace bc {

// Copies every row of an open book into a new book at destination: a book
// file that must not exist yet, or an empty database on a server. The copy
// holds the same accounts, parties, transactions, settings, change history,
// statement-import records and remembered ids, in the destination's own
// types. A book file is built in a hidden folder beside the destination and
// named only once complete; a server's tables and rows are written in one
// transaction: a failed or killed copy leaves the destination as it was.
// Text a destination would not keep as stored (a NUL for a server, bytes that
// are not UTF-8) is refused, naming the row. Returns the number of transactions copied;
// throws DbError with the reason when refused or failed.
qint64 copyBook(const Book &source, const QString &destination, const QString &password = {});

} // namespace bc
