#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

namespace bc {

// Whether an error text from a book file is its closed-period triggers'
// refusal, which they raise as fixed text without the day.
bool isClosedBookRefusal(const QString &errorText);

// The closed-period refusal a server book's trigger raised, as its text
// holds it after the severity and before any context; empty for another
// error.
QString serverClosedBookRefusal(const QString &errorText);

// The refusal in the program's words, naming the closed day as the book
// holds it now.
QString closedBookRefusal(const QSqlDatabase &db);

// Throws the refusal above when any of the transactions a condition on
// transaction_master AS t names (with its values) is dated on or before the
// closed day: what the closed period's triggers refuse, for rows written
// while they are off.
void refuseClosedRows(const QSqlDatabase &db, const QString &rows, const QVariantList &values);

} // namespace bc
