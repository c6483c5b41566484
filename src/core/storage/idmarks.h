#pragma once

#include "book.h"

namespace bc {

// Ids are never given twice, even after their rows are deleted: a row kept in
// book_info remembers the highest id each table has ever given, so a new
// account or transaction never inherits what pointed at a deleted one.
enum class IdSeries { Accounts, Transactions };

// The highest id ever given: the larger of the remembered one and the highest
// id in the table now (rows written by other means count too).
qint64 highestIdGiven(const Book &book, IdSeries series);

// Gives count new ids of the series, consecutive, above every id given
// before, and returns the first (the one after the highest when count is 0).
// Runs inside the caller's write transaction: the ids are taken there and
// then, so no other saver can be given them, and they are given back only
// when the save rolls back. The highest id given so far is remembered too,
// so the ids of rows the save deletes are never given again.
qint64 reserveIds(Book &book, IdSeries series, qint64 count);

// Remembers highest when it is above the remembered one. Runs inside the
// caller's save transaction, so the mark and the rows commit together.
void rememberHighestId(Book &book, IdSeries series, qint64 highest);

} // namespace bc
