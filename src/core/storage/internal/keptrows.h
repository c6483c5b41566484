#pragma once

// How the change history keeps and puts back the rows of each table it
// records, as JSON arrays of their values: for the history's stores only.

#include "book.h"
#include "historystore.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace bc {

struct HistoryShape {
    QString word; // the table's name in the history (change_rows.tbl)
    QString table;
    QString key; // the column naming a row (system_settings has only its rowid)
    QStringList columns; // the other columns, in the order the history keeps them
    QStringList serverTypes; // their types in a server book, in the same order
    // Columns a later format added, kept after the row version in a book
    // that has them; an older kept array lacks them, and they are put back
    // with their default then.
    QStringList laterColumns{};
    QStringList laterServerTypes{};
    QStringList laterDefaults{}; // SQL literals
    // Whether an undo puts a row back over the one there now by updating it
    // (the settings, kept by their rowid alone, are replaced instead).
    bool updatesInPlace = true;
    // Whether a row keeps, after all of the above, the "cash or bank" setting
    // of the account it is (cash_accounts: 0 or 1, -1 for none), which an
    // undo puts back with the row. Kept where rows have versions.
    bool keepsCashSetting = false;
};

const HistoryShape &shapeOf(HistoryTable table);

// An expression giving the row version kept in the array `kept` (the
// element after the columns), Null in kept arrays of older formats.
QString keptVersion(const QSqlDatabase &db, const HistoryShape &shape, const QString &kept);

// Keeps, as change set setId's values before the change, every row of table
// whose key the statement `idsSelect` (binding `values`) gives in a column
// named id, or Null for a key with no row. A row kept already by the set
// keeps its first values.
void keepSelectedRowsBefore(const Book &book, qint64 setId, HistoryTable table, const QString &idsSelect,
                            const QVariantList &values);

// Puts back the rows change set setId kept with values, for the keys the
// condition on change_rows `r` (binding `values` after the set and table)
// selects. In a book whose rows have versions, each gets a version above any
// the history kept of the table, so a window holding the row as it was
// before cannot save over it unchecked. An account's kept "cash or bank"
// setting comes back with it, and the settings of accounts no longer in the
// book go.
void insertKeptRows(const Book &book, qint64 setId, HistoryTable table, const QString &condition = {},
                    const QVariantList &values = {});

} // namespace bc
