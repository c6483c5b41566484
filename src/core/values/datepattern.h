#pragma once

#include <QDate>
#include <QString>

namespace bc {

// Whether a pattern in QDate::fromString form names a day (d, dd), a month
// (M, MM, MMM) and a year (yy, yyyy) once each, in any order, with nothing
// else but separators: "yyyy/MM/dd", "dd.MM.yyyy", "M/d/yyyy", "d MMM yyyy".
bool isDatePattern(const QString &pattern);

// Reads a date written in such a pattern. Where the pattern separates its
// fields, days and months are read with or without a leading zero whichever
// the pattern shows ("d/M/yyyy" reads "05/01/2024" and "dd/MM/yyyy" reads
// "5/1/2024"); years have the pattern's width and a two-digit year means
// 20yy. Gives an invalid date for text that does not fit or a date that
// does not exist.
QDate parseDateByPattern(const QString &text, const QString &pattern);

} // namespace bc
