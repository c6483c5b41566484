#pragma once

#include "book.h"
#include "historyundo.h"
#include "money.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

namespace bc {

enum class HistoryTable;

// An account or transaction a save deleted, as it was then.
struct DeletedItem {
    bool isAccount = false;
    qint64 id = 0;
    QString name; // the account's name, or the transaction's particulars
    QDate date; // a transaction's date
    Money amount; // an account's opening amount, or a transaction's amount
    QString from; // a transaction's sides as "A12" / "P3"
    QString to;
    QDateTime deletedAt;
    QString deletedBy;
    qint64 changeSet = 0; // the save that deleted it
};

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
