#pragma once

#include "book.h"

#include <QString>

namespace bc {

struct UndoResult {
    bool ok = false;
    QString message; // why it was refused, or what was done
    qint64 changeSet = 0; // the change set the undo was recorded as
};

// Takes back change set `id`: every row it replaced or deleted gets its
// values before it again, every row it added goes, all in one transaction
// recorded as a change set of its own (which a redo takes back in turn).
// Refused, changing nothing, when the set was undone already, when a later
// change not undone touched any of its rows (naming that change), when an
// account it would take away is used by a transaction saved since, or when
// an account it puts back has a name another account took since.
UndoResult undoChange(Book &book, qint64 id, const QString &source);

} // namespace bc
