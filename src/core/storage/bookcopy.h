#pragma once

#include "book.h"

#include <QString>

namespace bc {

// Copies every row of an open book into a new book at destination: a book
// file that must not exist yet, or an empty database on a server. The copy
// holds the same accounts, parties, transactions, settings, change history,
// statement-import records and remembered ids, in the destination's own
// types, written in one transaction: a failure leaves no partial book behind
// (a new file is removed again). Returns the number of transactions copied;
// throws DbError with the reason when refused or failed.
qint64 copyBook(const Book &source, const QString &destination, const QString &password = {});

} // namespace bc
