#pragma once

#include "chartdata.h"
#include "summary.h"

#include <QDate>
#include <QString>
#include <vector>

namespace bc {

// The two charts of the summary screen.
enum class SummaryChartKind {
    Balance, // each account's balance
    Transaction // each account's movement within the range
};

// What a summary chart is drawn for: the screen's dates at the time of the
// request, the book's currency label and its date format.
struct SummaryChartInput {
    SummaryChartKind kind = SummaryChartKind::Balance;
    QDate fromDate;
    QDate toDate;
    QString currency;
    QString dateFormat;
};

// One bar per listed account, in the order given (the grid's current order),
// labelled with the account's name and as high as its balance or movement. The value scale runs from below the smallest
// amount to above the largest, both counted from 0, in steps of the power of ten nearest to a tenth of the largest
// magnitude. Gives NothingToShow when there are no rows or every amount is 0.
ChartData computeSummaryChart(const std::vector<SummaryRow> &listed, const SummaryChartInput &input);

} // namespace bc
