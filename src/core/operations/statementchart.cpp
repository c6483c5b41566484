#include "statementchart.h"

#include "dates.h"
#include "textroutines.h"

#include <algorithm>

namespace bc {

namespace {

// The figures of a total line in the charted columns; zeros when the
// statement has no such line.
std::vector<Money> totalFigures(const FinancialStatement &statement, const QString &text,
                                const std::vector<std::size_t> &columns)
{
    const FinancialLine *line = statement.total(text);
    std::vector<Money> values;
    for (std::size_t c : columns)
        values.push_back(line ? line->figures.at(c) : Money());
    return values;
}

} // namespace

ChartData computeStatementChart(const FinancialStatement &statement, const QString &currency, const QString &dateFormat)
{
    ChartData chart;
    chart.kind = ChartData::Kind::Bars;
    chart.title = statementTitle(statement.kind);
    chart.windowTitle = chart.title;
    std::vector<std::size_t> charted;
    for (std::size_t c = 0; c < statement.columns.size(); ++c)
        if (!statement.columns[c].isTotal)
            charted.push_back(c);
    if (charted.empty())
        return chart;

    const bool balanceSheet = statement.kind == StatementKind::BalanceSheet;
    for (std::size_t c : charted) {
        const DateRange &range = statement.columns[c].range;
        const QString heading = balanceSheet ? formatReportDate(range.last, dateFormat)
                                             : shortRangeHeading(range, dateFormat);
        if (balanceSheet) {
            // Several days caption both bars of a day with the day (the
            // second told apart by an invisible mark, as the axis takes
            // each caption once); the legend tells the bars apart.
            const bool several = charted.size() > 1;
            chart.points.push_back({several ? heading : QStringLiteral("Assets"), Money(), heading});
            chart.points.push_back(
                {several ? heading + QChar(0x200B) : QStringLiteral("Liabilities + equity"), Money(), heading});
        } else {
            chart.points.push_back({heading, Money(), heading});
        }
    }

    if (statement.kind == StatementKind::IncomeStatement) {
        chart.series =
            {{QStringLiteral("Total income"), totalFigures(statement, QStringLiteral("Total income"), charted)},
             {QStringLiteral("Total expenses"), totalFigures(statement, QStringLiteral("Total expenses"), charted)},
             {QStringLiteral("Net income"), totalFigures(statement, QStringLiteral("Net income"), charted), true}};
    } else if (statement.kind == StatementKind::CashFlow) {
        chart.series = {{QStringLiteral("Net change in cash"),
                         totalFigures(statement, QStringLiteral("Net change in cash"), charted)},
                        {QStringLiteral("Closing cash"),
                         totalFigures(statement, QStringLiteral("Closing cash"), charted), true}};
    } else {
        // Each day has two bars: the assets on the first, the liabilities
        // and equity stacked on the second.
        chart.stackedBars = true;
        const auto onSide = [](const std::vector<Money> &values, bool second) {
            std::vector<Money> placed;
            for (const Money &value : values) {
                placed.push_back(second ? Money() : value);
                placed.push_back(second ? value : Money());
            }
            return placed;
        };
        chart.series = {{QStringLiteral("Total assets"),
                         onSide(totalFigures(statement, QStringLiteral("Total assets"), charted), false)},
                        {QStringLiteral("Total liabilities"),
                         onSide(totalFigures(statement, QStringLiteral("Total liabilities"), charted), true)},
                        {QStringLiteral("Total equity"),
                         onSide(totalFigures(statement, QStringLiteral("Total equity"), charted), true)}};
    }

    // The stacked bars reach the sum of their side's figures; the others
    // their own figures.
    Money lowest;
    Money highest;
    for (std::size_t p = 0; p < chart.points.size(); ++p) {
        Money up;
        Money down;
        for (const ChartSeries &series : chart.series) {
            const Money value = series.values[p];
            if (chart.stackedBars) {
                (value.isNegative() ? down : up) += value;
            } else {
                lowest = std::min(lowest, value);
                highest = std::max(highest, value);
            }
        }
        lowest = std::min(lowest, down);
        highest = std::max(highest, up);
    }
    if (lowest.isZero() && highest.isZero())
        return chart;

    chart.status = ChartData::Status::Ready;
    // The axis stops at zero on a side no figure reaches, as a balance
    // sheet's never does below it: a step past zero there would draw room
    // for figures that cannot be.
    chart.scale = magnitudeScale(lowest, highest);
    if (lowest.isZero())
        chart.scale.minimum = 0;
    if (highest.isZero())
        chart.scale.maximum = 0;
    chart.axisTitle = withCurrency(QStringLiteral("Amount"), currency);
    const DateRange &first = statement.columns[charted.front()].range;
    const DateRange &last = statement.columns[charted.back()].range;
    chart.subject = statement.kind == StatementKind::IncomeStatement ? QStringLiteral("Income against expenses")
        : balanceSheet ? QStringLiteral("Assets against liabilities and equity")
                       : QStringLiteral("Cash");
    chart.fromDate = formatReportDate(balanceSheet ? first.last : first.first, dateFormat);
    chart.toDate = formatReportDate(last.last, dateFormat);
    chart.fromCaption = QStringLiteral(" From :- ") + chart.fromDate;
    chart.toCaption = QStringLiteral(" To :- ") + chart.toDate;
    return chart;
}

} // namespace bc
