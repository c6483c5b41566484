#pragma once

// The book's change history as it is stored: the change sets, the rows each
// kept before changing them, and the ranges of ids each added.

#include "book.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

namespace bc {

// The tables whose rows the history records.
enum class HistoryTable { Accounts, Transactions, Settings, Reconciliations };

// One entry of the book's change history: a save, an import, a restore, or
// the undo of an earlier entry.
struct ChangeSet {
    qint64 id = 0;
    QDateTime madeAt;
    QString user;
    QString source; // the window or command that made it
    QString summary; // "Save of 3 transactions"
    qint64 undoes = 0; // the change set this one undid, 0 for none
    qint64 undoneBy = 0; // the change set that undid this one, 0 for none
    bool takesBack = false; // an undo (not a redo) of an earlier change
    // The summary and the time ("Save of 3 transactions at 14:02"); the date
    // as well when the change was made before `today`.
    QString title(const QDate &today = QDate::currentDate()) const;
};

// Whether the book holds the history's tables (an older book open read-only
// does not). The reads below find nothing in such a book.
bool hasHistory(const Book &book);

// The change sets, newest first; limit > 0 gives only that many.
QList<ChangeSet> changeHistory(const Book &book, int limit = 0);
std::optional<ChangeSet> changeSet(const Book &book, qint64 id);

// What Undo takes back: the latest save, import, restore or redo that is not
// undone. What Redo puts back: the latest undo not itself undone, as long as
// no save came after it.
std::optional<ChangeSet> undoTarget(const Book &book);
std::optional<ChangeSet> redoTarget(const Book &book);

// Writes a new change set with an empty summary and returns its id.
qint64 addChangeSet(const Book &book, const QDateTime &madeAt, const QString &user, const QString &source);
// Gives the set its summary and the set it undid (0 for none).
void completeChangeSet(const Book &book, qint64 id, const QString &summary, qint64 undoes, bool takesBack);

// Keeps, as change set setId's values before the change, the rows of table
// with these ids (a row kept already by the set keeps its first values); an
// id with no row is kept as a row that was not there.
void keepRowsBefore(const Book &book, qint64 setId, HistoryTable table, const QList<qint64> &ids);
// The same for every row of the table.
void keepTableBefore(const Book &book, qint64 setId, HistoryTable table);
// Records that change set setId added the rows of table with ids first..last.
void addAddedRange(const Book &book, qint64 setId, HistoryTable table, qint64 first, qint64 last);
// The ranges of ids change set setId added to table, as (first, last).
QList<std::pair<qint64, qint64>> addedRanges(const Book &book, qint64 setId, HistoryTable table);

// The rows of table change set setId changed: those it added, and those it
// kept that had values before or are in the book now (a row kept without
// values that is still absent, as an import keeps for lines it took over,
// does not count).
qint64 rowsChangedBy(const Book &book, qint64 setId, HistoryTable table);

// An SQL condition on the book, for the statements of other stores: true
// when the transaction whose id the expression idExpression gives was added
// by a change that now stands undone (its undo not itself undone); never
// true in a book without history.
QString addedByUndoneChange(const Book &book, const QString &idExpression);

} // namespace bc
