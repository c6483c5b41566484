#pragma once

#include "book.h"
#include "historyrowstore.h"
#include "historyundo.h"

#include <QList>
#include <QString>

namespace bc {

// Every account and transaction whose latest change was its deletion by a
// save or by the redo of one (not by an undo) and that is still absent: accounts first, each kind
// latest deletion first.
QList<DeletedItem> deletedItems(const Book &book);

// Puts the items back with their old ids and values, in one transaction
// recorded as a change set: accounts before the transactions that use them.
// Refused, changing nothing, when a transaction uses an account that is
// deleted and not among the items, or an account's name is taken by another.
UndoResult restoreDeleted(Book &book, const QList<DeletedItem> &items, const QString &source);

} // namespace bc
