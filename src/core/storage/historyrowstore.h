#pragma once

// The rows of the book as an undo or a restore takes them away and puts
// them back from the change history, and what the history knows of rows
// deleted.

#include "book.h"
#include "historystore.h"
#include "money.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace bc {

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

// The rows of table whose latest change was their deletion by a save or by
// the redo of one (not by an undo) and that are still absent, as the
// history kept them: latest deletion first.
QList<DeletedItem> deletedRows(const Book &book, HistoryTable table);

// Whether the table holds a row with that id.
bool rowExists(const Book &book, HistoryTable table, qint64 id);

// The later change sets that touched a row change set `id` touched: by
// keeping it, or by a range of added ids, on either side; latest first.
QList<qint64> laterTouches(const Book &book, qint64 id);

// Takes away every row of table change set `undone` touched as it is now,
// the rows it added included, keeping each in change set `undo` first.
void takeAwayRows(const Book &book, qint64 undone, qint64 undo, HistoryTable table);

// Puts back the rows of table change set setId kept with values: all of
// them, or the one with the id rowId.
void putBackKeptRows(const Book &book, qint64 setId, HistoryTable table);
void putBackKeptRow(const Book &book, qint64 setId, HistoryTable table, qint64 rowId);

// An account change set setId took away that transactions still use: its
// name and how many transactions use it.
struct AccountInUse {
    QString name;
    qint64 uses = 0;
};
std::optional<AccountInUse> accountTakenAwayInUse(const Book &book, qint64 setId);

// The names of the accounts change set setId kept that are in the book now.
QStringList keptAccountNames(const Book &book, qint64 setId);

} // namespace bc
