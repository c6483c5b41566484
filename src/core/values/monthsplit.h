#pragma once

#include <QDate>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace bc {

// A stretch of days, both included, cut for reading kept monthly balances:
// the calendar months it covers whole, and the days outside them.
struct MonthSplit {
    std::vector<std::pair<QDate, QDate>> days; // at most two stretches, first to last
    std::optional<std::pair<QString, QString>> months; // first and last whole month, "YYYY-MM"
};

// The split of first to last. Nothing when either date is invalid or first
// is after last. A date outside the years 1 to 9999 (whose ISO text does not
// sort with the others) leaves the whole stretch as days.
MonthSplit splitByMonths(const QDate &first, const QDate &last);

} // namespace bc
