#pragma once

#include "book.h"

#include <QString>

namespace bc {

// A row change set `undone` touched that another program changed since,
// outside the history: compared by row version, as a save compares the rows
// it loaded. Each row is expected as the latest change of the history that
// touched it left it (that set, or a later one taken back since): a save
// gives a row its version before plus 1 and an added row version 1, an undo
// or a restore puts rows back with one version above any the history had
// kept of the table. Read inside the undo's write transaction. Returns the
// row's description ("transaction 17", "the account \"Bank\"", "the
// settings"), or an empty text when no row was changed outside the history.
QString rowChangedOutsideHistory(const Book &book, qint64 undone);

} // namespace bc
