#include "summarychart.h"

#include "dates.h"
#include "summary.h"

#include <algorithm>

namespace bc {

ChartData computeSummaryChart(const RowArray &summaryRows, const SummaryChartInput &input)
{
    const bool balance = input.kind == SummaryChartKind::Balance;
    const int amountColumn = balance ? SummaryGridColumn::BalanceColumn : SummaryGridColumn::MovementColumn;
    const QString quantity = balance ? QStringLiteral("Balance Amount") : QStringLiteral("Transaction Amount");

    ChartData chart;
    chart.kind = ChartData::Kind::Bars;
    Money lowest;
    Money highest;
    chart.points.reserve(size_t(summaryRows.rowCount()));
    for (int r = 0; r < summaryRows.rowCount(); ++r) {
        const Money amount = summaryRows.moneyAt(r, amountColumn);
        lowest = std::min(lowest, amount);
        highest = std::max(highest, amount);
        chart.points.push_back({summaryRows.textAt(r, SummaryGridColumn::NameColumn), amount});
    }
    if (lowest.isZero() && highest.isZero()) {
        chart.status = ChartData::Status::NothingToShow;
        chart.points.clear();
        return chart;
    }

    chart.status = ChartData::Status::Ready;
    chart.seriesLabel = quantity;
    chart.scale = magnitudeScale(lowest, highest);
    chart.axisTitle = quantity + QStringLiteral(" (") + input.currency + u')';
    chart.title = QStringLiteral("Account Summary");
    chart.fromCaption = QStringLiteral(" From :- ") + shortDateText(input.fromDate);
    chart.toCaption = QStringLiteral(" To :- ") + shortDateText(input.toDate);
    chart.showBalances = false;
    return chart;
}

} // namespace bc
