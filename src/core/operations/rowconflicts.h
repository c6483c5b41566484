#pragma once

#include "book.h"
#include "historyversionstore.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace bc {

// A row as a window loaded it: its id and the version it had then. Version 0
// stands for a row whose version is not known (not loaded from the book, or
// from a book without versions), which no save checks.
struct LoadedRow {
    LoadedRow(qint64 rowId = 0, qint64 rowVersion = 0)
        : id(rowId)
        , version(rowVersion)
    {
    }
    qint64 id;
    qint64 version;
    bool operator==(const LoadedRow &) const = default;
};

QList<qint64> idsOf(const QList<LoadedRow> &rows);

// A loaded row that another user changed or deleted since it was loaded,
// with the latest change of the history that touched it.
struct StaleRow {
    QString label; // "Bank", "Transaction 17 of 03/11/2026"
    bool deleted = false;
    QString user; // empty when no change of the history names it
    QDateTime at;
    // "Bank was changed by maria at 14:02"; the date as well when the change
    // was made before today.
    QString text(const QDate &today) const;
};

// The rows of loaded (labels[i] naming loaded[i]) whose version in current
// is no longer the loaded one; rows of version 0 are not checked.
QList<StaleRow> staleRows(const Book &book, HistoryTable table, const QList<LoadedRow> &loaded,
                          const QStringList &labels, const QHash<qint64, qint64> &current);

// The same for the settings, which are saved as a whole: one row naming the
// latest change of them when any code's version differs from the loaded one.
QList<StaleRow> staleSettings(const Book &book, const QHash<QString, qint64> &loaded,
                              const QHash<QString, qint64> &current);

// The title and text of a save refused because of stale rows: one line per
// row, the first ten, then how many more.
QString staleRowsTitle();
QString staleRowsText(const QList<StaleRow> &rows, const QDate &today);

} // namespace bc
