#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace bc {

// The two date formats a book can hold in its DTFM setting.
inline constexpr const char *DayFirstFormat = "d/M/yyyy";
inline constexpr const char *MonthFirstFormat = "M/d/yyyy";

// "M/d/yyyy" and "mm/dd/yyyy" mean month first; any other value day first.
bool isMonthFirst(const QString &dateFormat);

// Reads a date typed in the user's order: day and month of one or two digits,
// a four-digit year (a two-digit year means 20yy), separated by "/", "-" or ".".
// Gives an invalid date for anything else, including dates that do not exist.
QDate parseUserDate(const QString &text, const QString &dateFormat);

// A date as typed into a date box or a grid's Date cell: the user's order
// with day and month of one or two digits ("1/11/2026", "01/11/2026", or what
// a "00/00/0000" mask leaves of it), or eight digits in the same order
// without separators ("01112026"). For text that is no date, problem says
// why ("February 2026 has 28 days"); blank text, or an empty mask's
// separators, gives neither a date nor a problem.
struct TypedDate {
    QDate date;
    QString problem;
};
TypedDate readTypedDate(const QString &text, const QString &dateFormat);

// Renders a date in the user's order with a four-digit year ("d/M/yyyy" or
// "M/d/yyyy"), the display form of date entries.
QString formatUserDate(const QDate &date, const QString &dateFormat);

// Turns date text in the user's format into month-first text. Month-first
// books get "mm/dd/yyyy" (text that is not a date comes back unchanged);
// day-first books get the pieces swapped exactly as typed ("5/3/2023" gives
// "3/5/2023") and empty text gives a single blank. Day-first text with fewer
// than three pieces cannot be converted and gives nothing.
std::optional<QString> ToQueryDate(const QString &text, const QString &dateFormat);

// Whether text is a date in the user's format. The "dd/mm/yyyy" format value
// switches on the strict check of three non-empty pieces.
bool IsValidDate(const QString &text, const QString &dateFormat);

// Reads month-first text such as "12/25/2023" or "1/5/2024".
QDate parseMonthFirst(const QString &text);

// The pattern grids and printed reports use: "MM/dd/yyyy" for month-first
// books, "dd/MM/yyyy" otherwise.
QString reportDatePattern(const QString &dateFormat);
QString formatReportDate(const QDate &date, const QString &dateFormat);

// The short-date text in which the financial year is stored and dates are
// handed to saved queries. It follows the locale's numeric short format with a
// four-digit year, or ISO where the locale has no numeric short format, and
// parseShortDate always reads back what shortDateText wrote. ISO text is
// accepted as well, so a book moved between locales still reads its dates.
QString shortDateText(const QDate &date);
QDate parseShortDate(const QString &text);

// ISO "yyyy-MM-dd", the form in which dates are stored.
QString isoDate(const QDate &date);
QDate fromIsoDate(const QString &text);

} // namespace bc
