#include "summarychart.h"

#include "dates.h"
#include "summary.h"
#include "textroutines.h"

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
        const QString name = summaryRows.textAt(r, SummaryGridColumn::NameColumn);
        chart.points.push_back({name, amount, name});
    }
    if (lowest.isZero() && highest.isZero()) {
        chart.status = ChartData::Status::NothingToShow;
        chart.points.clear();
        return chart;
    }

    chart.status = ChartData::Status::Ready;
    chart.seriesLabel = quantity;
    chart.scale = magnitudeScale(lowest, highest);
    chart.axisTitle = withCurrency(quantity, input.currency);
    chart.title = QStringLiteral("Account Summary");
    const qsizetype accounts = qsizetype(chart.points.size());
    chart.subject = accounts == 1 ? QStringLiteral("1 account") : QStringLiteral("%1 accounts").arg(accounts);
    chart.fromDate = formatReportDate(input.fromDate, input.dateFormat);
    chart.toDate = formatReportDate(input.toDate, input.dateFormat);
    chart.fromCaption = QStringLiteral(" From :- ") + chart.fromDate;
    chart.toCaption = QStringLiteral(" To :- ") + chart.toDate;
    chart.showBalances = false;
    return chart;
}

} // namespace bc
