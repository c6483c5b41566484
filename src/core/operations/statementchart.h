#pragma once

#include "chartdata.h"
#include "financialstatements.h"

#include <QString>

namespace bc {

// The chart of a financial statement's columns (the compared figures and a
// total column left out):
// - income statement: "Total income" and "Total expenses" as bars per
//   period, "Net income" as a line through them;
// - balance sheet: per day, a bar of "Total assets" beside a bar of
//   "Total liabilities" with "Total equity" stacked on it, equal in height
//   when the sheet balances; captioned "Assets" and "Liabilities + equity"
//   for one day, both by the day for several;
// - cash flow: "Net change in cash" as bars per period, "Closing cash" as a
//   line.
// NothingToShow when there are no columns or every figure is 0.
ChartData computeStatementChart(const FinancialStatement &statement, const QString &currency,
                                const QString &dateFormat);

} // namespace bc
