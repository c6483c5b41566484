#pragma once

#include <QSqlDatabase>
#include <QString>

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

} // namespace bc
