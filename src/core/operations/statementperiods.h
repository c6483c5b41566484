#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace bc {

// The stretches of days the financial statements put side by side.

struct DateRange {
    QDate first; // invalid: from the earliest transaction
    QDate last;

    bool operator==(const DateRange &) const = default;
    // "2026-11-01..2026-11-30", the name of a statement's column.
    QString name() const;
};

// A short heading for a column's days: "Nov 2026" for a calendar month,
// "Q4 2026" for a calendar quarter, "2026" for a calendar year, else the
// first and last day in the report date pattern of dateFormat.
QString shortRangeHeading(const DateRange &range, const QString &dateFormat);

enum class PeriodLength { Whole, Month, Quarter, Year };
enum class Comparison { None, PreviousPeriod, YearBefore };

// The range split at the starts of calendar months, quarters or years; the
// first and last pieces may be parts of one. Whole gives the range itself.
// Nothing for a range whose last day is before its first.
std::vector<DateRange> splitRange(const DateRange &range, PeriodLength length);

// The stretch a column is compared with: the same stretch a year before, or
// the one just before it of the same length: a month, quarter or year back
// for a piece of that length, the same number of whole months back for a
// range of whole months, else the same number of days back. A last day at
// the end of its month stays at the end of the month it moves to.
DateRange comparedRange(const DateRange &range, PeriodLength length, Comparison comparison);

// The first day of the financial year holding the day: the latest day on or
// before it with the month and day of yearStart (29 February taken as the
// 28th in other years), or 1 January of its year when yearStart is invalid.
QDate financialYearStartOn(const QDate &day, const QDate &yearStart);

} // namespace bc
