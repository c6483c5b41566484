#include "summarychart.h"

#include "dates.h"
#include "textroutines.h"

#include <algorithm>

namespace bc {

ChartData computeSummaryChart(const std::vector<SummaryRow> &listed, const SummaryChartInput &input)
{
    const bool balance = input.kind == SummaryChartKind::Balance;
    Money SummaryRow::*const amountOf = balance ? &SummaryRow::balance : &SummaryRow::movement;
    const QString quantity = balance ? QStringLiteral("Balance Amount") : QStringLiteral("Transaction Amount");

    ChartData chart;
    chart.kind = ChartData::Kind::Bars;
    Money lowest;
    Money highest;
    chart.points.reserve(listed.size());
    for (const SummaryRow &row : listed) {
        const Money amount = row.*amountOf;
        lowest = std::min(lowest, amount);
        highest = std::max(highest, amount);
        chart.points.push_back({row.name, amount, row.name});
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
