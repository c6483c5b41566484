#include "statementperiods.h"

#include "dates.h"

#include <QLocale>

namespace bc {

namespace {

int monthsOf(PeriodLength length)
{
    switch (length) {
    case PeriodLength::Month: return 1;
    case PeriodLength::Quarter: return 3;
    case PeriodLength::Year: return 12;
    case PeriodLength::Whole: break;
    }
    return 0;
}

// The first day of the month, quarter or year holding the day.
QDate pieceStart(const QDate &day, PeriodLength length)
{
    const int months = monthsOf(length);
    return QDate(day.year(), (day.month() - 1) / months * months + 1, 1);
}

bool endsItsMonth(const QDate &day)
{
    return day.day() == day.daysInMonth();
}

QDate monthsBack(const QDate &day, int months, bool keepMonthEnd)
{
    const QDate moved = day.addMonths(-months);
    return keepMonthEnd ? QDate(moved.year(), moved.month(), moved.daysInMonth()) : moved;
}

} // namespace

QString shortRangeHeading(const DateRange &range, const QString &dateFormat)
{
    const QDate &first = range.first;
    const QDate &last = range.last;
    if (first.isValid() && last.isValid() && first.day() == 1 && last.day() == last.daysInMonth() && first <= last) {
        const int months = (last.year() - first.year()) * 12 + last.month() - first.month() + 1;
        if (months == 1)
            return QLocale::c().toString(first, QStringLiteral("MMM yyyy"));
        if (months == 3 && (first.month() - 1) % 3 == 0)
            return QStringLiteral("Q%1 %2").arg((first.month() - 1) / 3 + 1).arg(first.year());
        if (months == 12 && first.month() == 1)
            return QString::number(first.year());
    }
    return formatReportDate(first, dateFormat) + QStringLiteral(" to ") + formatReportDate(last, dateFormat);
}

QString DateRange::name() const
{
    return QStringLiteral("%1..%2").arg(first.isValid() ? isoDate(first) : QString(), isoDate(last));
}

std::vector<DateRange> splitRange(const DateRange &range, PeriodLength length)
{
    std::vector<DateRange> pieces;
    if (!range.first.isValid() || range.last < range.first)
        return pieces;
    if (length == PeriodLength::Whole)
        return {range};
    for (QDate start = range.first; start <= range.last;) {
        const QDate next = pieceStart(start, length).addMonths(monthsOf(length));
        const QDate end = std::min(next.addDays(-1), range.last);
        pieces.push_back({start, end});
        start = next;
    }
    return pieces;
}

DateRange comparedRange(const DateRange &range, PeriodLength length, Comparison comparison)
{
    const bool keepMonthEnd = endsItsMonth(range.last);
    int months = comparison == Comparison::YearBefore ? 12 : monthsOf(length);
    if (months == 0 && range.first.day() == 1 && keepMonthEnd)
        months = (range.last.year() - range.first.year()) * 12 + range.last.month() - range.first.month() + 1;
    if (months == 0) {
        const qint64 days = range.first.daysTo(range.last) + 1;
        return {range.first.addDays(-days), range.last.addDays(-days)};
    }
    return {monthsBack(range.first, months, false), monthsBack(range.last, months, keepMonthEnd)};
}

QDate financialYearStartOn(const QDate &day, const QDate &yearStart)
{
    if (!yearStart.isValid())
        return QDate(day.year(), 1, 1);
    const auto startIn = [&](int year) {
        const QDate month(year, yearStart.month(), 1);
        return QDate(year, yearStart.month(), std::min(yearStart.day(), month.daysInMonth()));
    };
    const QDate thisYear = startIn(day.year());
    return thisYear <= day ? thisYear : startIn(day.year() - 1);
}

} // namespace bc
