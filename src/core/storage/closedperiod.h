#pragma once

#include <QDate>
#include <QString>

namespace bc {

// The setting naming the last day of the closed period: ISO text, blank when
// nothing is closed. The book's triggers refuse every writer a transaction
// dated on or before it.
inline const QString closedThroughCode = QStringLiteral("CLSD");

// What every refused write is told: "The book is closed through 31/10/2026:
// ...", the day in the book's order of day and month (dateFormat as the
// setting DTFM holds it).
QString closedBookMessage(const QDate &closedThrough, const QString &dateFormat);

} // namespace bc
