#pragma once

// How the change history keeps and puts back the rows of each table it
// records: for the history's own files only.

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace bc {

enum class HistoryTable { Accounts, Transactions, Settings };

// The tables in the order rows are put back: an account before the
// transactions that use it. Rows are taken away in the reverse order.
const QList<HistoryTable> &historyTables();

struct HistoryShape {
    QString word; // the table's name in the history (change_rows.tbl)
    QString table;
    QString key; // the column naming a row (system_settings has only its rowid)
    QStringList columns; // the other columns, in the order the history keeps them
    QStringList serverTypes; // their types in a server book, in the same order
    // The row with the key keyExpression as the history keeps it: a JSON
    // array of the columns, then the row's version in a book whose rows have
    // versions, or Null when there is no such row.
    QString keptValues(const QSqlDatabase &db, const QString &keyExpression, bool versioned) const;
    // The columns read back out of a kept array held in the column r.before.
    QString valuesFromKept(const QSqlDatabase &db) const;
};

const HistoryShape &shapeOf(HistoryTable table);
HistoryTable tableOfWord(const QString &word);

// Whether the book holds the history's tables (an older book open read-only
// does not).
bool hasHistoryTables(const QSqlDatabase &db);

// Keeps, as change set setId's values before the change, every row of table
// whose key the statement `idsSelect` (binding `values`) gives in a column
// named id, or Null for a key with no row. A row kept already by the set keeps its first values.
void keepRowsBefore(const QSqlDatabase &db, qint64 setId, HistoryTable table, const QString &idsSelect,
                    const QVariantList &values);

// Puts back the rows change set setId kept with values, for the keys the
// condition on change_rows `r` (binding `values` after the set and table)
// selects. In a book whose rows have versions, each gets a version above any
// the history kept of the table, so a window holding the row as it was
// before cannot save over it unchecked.
void insertKeptRows(const QSqlDatabase &db, qint64 setId, HistoryTable table, const QString &condition = {},
                    const QVariantList &values = {});

} // namespace bc
