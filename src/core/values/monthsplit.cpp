#include "monthsplit.h"

namespace bc {

namespace {

bool inFourDigitYears(const QDate &date)
{
    return date.year() >= 1 && date.year() <= 9999;
}

QString monthKey(const QDate &date)
{
    return QStringLiteral("%1-%2").arg(date.year(), 4, 10, QLatin1Char('0')).arg(date.month(), 2, 10, QLatin1Char('0'));
}

QDate firstOfMonth(const QDate &date)
{
    return QDate(date.year(), date.month(), 1);
}

QDate lastOfMonth(const QDate &date)
{
    return QDate(date.year(), date.month(), date.daysInMonth());
}

} // namespace

MonthSplit splitByMonths(const QDate &first, const QDate &last)
{
    MonthSplit split;
    if (!first.isValid() || !last.isValid())
        return split;
    if (!inFourDigitYears(first) || !inFourDigitYears(last)) {
        split.days.emplace_back(first, last);
        return split;
    }
    if (first > last)
        return split;
    const QDate wholeFrom = first.day() == 1 ? first : lastOfMonth(first).addDays(1);
    const QDate wholeTo = last == lastOfMonth(last) ? last : firstOfMonth(last).addDays(-1);
    if (wholeFrom > wholeTo) {
        split.days.emplace_back(first, last);
        return split;
    }
    if (first < wholeFrom)
        split.days.emplace_back(first, wholeFrom.addDays(-1));
    if (wholeTo < last)
        split.days.emplace_back(wholeTo.addDays(1), last);
    split.months = std::pair(monthKey(wholeFrom), monthKey(wholeTo));
    return split;
}

} // namespace bc
