#pragma once

// The row versions of the book's editable tables and what the change
// history kept of them: for telling a change made through this program's
// saves and undos from one made otherwise, and for naming who changed a
// row a window still holds.

#include "book.h"
#include "historystore.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <map>
#include <optional>

namespace bc {

// A row as a change set kept it before changing it.
struct KeptRow {
    bool hadValues = false; // false: there was no such row
    std::optional<qint64> version; // unknown in history of books older than row versions
    QString settingCode;
};

// The rows of table change set setId kept, by id.
std::map<qint64, KeptRow> keptRows(const Book &book, HistoryTable table, qint64 setId);

// The rows of table change set setId touched, by keeping them or as added,
// that are in the table now, with their versions.
QHash<qint64, qint64> touchedRowVersions(const Book &book, HistoryTable table, qint64 setId);

// For each row of table change set setId touched that a later set touched
// too, the latest such set.
QHash<qint64, qint64> latestLaterTouches(const Book &book, HistoryTable table, qint64 setId);

// The version rows of table put back by change set setId get: one above
// every version the history had kept of the table up to it.
qint64 putBackVersion(const Book &book, HistoryTable table, qint64 setId);

// The change set setId undid, 0 for none.
qint64 undoneBySet(const Book &book, qint64 setId);

// The code of the settings row with that rowid, empty when there is none.
QString settingCodeOfRow(const Book &book, qint64 rowId);

// The name of the account with that id, none when there is no such account.
std::optional<QString> accountNameOf(const Book &book, qint64 id);

// The version each row of table with one of ids has now (a row gone has
// none). Read inside the save's write transaction, so it cannot change
// before the save commits.
QHash<qint64, qint64> currentVersions(const Book &book, HistoryTable table, const QList<qint64> &ids);

// Who made the latest change of the history that touched the row of table
// with id rowId (any row of the table when rowId is 0), and when; none when
// no change set touched it.
struct ChangeAuthor {
    QString user;
    QDateTime at;
};
std::optional<ChangeAuthor> latestChangeTouching(const Book &book, HistoryTable table, qint64 rowId);

} // namespace bc
