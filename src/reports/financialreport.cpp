#include "financialreport.h"

#include "dates.h"

namespace bc {

namespace {

QString columnHeading(StatementKind kind, const DateRange &range, const QString &dateFormat)
{
    return kind == StatementKind::BalanceSheet ? formatReportDate(range.last, dateFormat)
                                               : shortRangeHeading(range, dateFormat);
}

} // namespace

QStringList financialFigureTexts(const FinancialStatement &statement, const FinancialLine &line)
{
    QStringList cells;
    for (std::size_t c = 0; c < line.figures.size(); ++c) {
        cells << line.figures[c].toStandard();
        if (statement.isCompared())
            cells << line.compared[c].toStandard() << (line.figures[c] - line.compared[c]).toStandard()
                  << changePercent(line.figures[c], line.compared[c]);
    }
    return cells;
}

PrintedReport financialStatementReport(const FinancialReportData &data, const QString &dateFormat)
{
    const FinancialStatement &statement = data.statement;
    PrintedReport report;
    ReportDefinition &definition = report.definition;
    ReportTable &table = report.table;
    definition.title = statementTitle(statement.kind);
    // Too many periods for a page go across pages, the accounts' names on
    // each and a figure never parted from its comparison.
    definition.repeatedColumns = 1;
    definition.columnGroup = statement.isCompared() ? 4 : 1;
    definition.columns << ReportColumn{QStringLiteral("Account"), ReportColumn::Kind::Text, false, true, false};
    const auto figureColumn = [&](const QString &heading) {
        definition.columns << ReportColumn{heading, ReportColumn::Kind::Amount, false, false, true};
    };
    for (const StatementColumn &column : statement.columns) {
        figureColumn(column.isTotal ? QStringLiteral("Total")
                                    : columnHeading(statement.kind, column.range, dateFormat));
        if (column.compared) {
            figureColumn(columnHeading(statement.kind, *column.compared, dateFormat));
            figureColumn(QStringLiteral("Change"));
            figureColumn(QStringLiteral("Change %"));
        }
    }

    if (!statement.columns.empty()) {
        const DateRange &first = statement.columns.front().range;
        const DateRange &last = statement.columns.back().range;
        if (statement.kind == StatementKind::BalanceSheet) {
            definition.parameterLabels << QStringLiteral("At");
            table.parameterValues << formatReportDate(last.last, dateFormat);
        } else {
            definition.parameterLabels << QStringLiteral("Period");
            table.parameterValues << formatReportDate(first.first, dateFormat) + QStringLiteral(" to ")
                    + formatReportDate(last.last, dateFormat);
        }
    }
    if (!data.currency.trimmed().isEmpty()) {
        definition.parameterLabels << QStringLiteral("Currency");
        table.parameterValues << data.currency.trimmed();
    }

    const qsizetype figures = definition.columns.size() - 1;
    QString section;
    for (const FinancialLine &line : statement.lines) {
        if (!line.isTotal && line.section != section) {
            table.boldRows << int(table.rows.size());
            QStringList heading{line.section};
            for (qsizetype c = 0; c < figures; ++c)
                heading << QString();
            table.rows << heading;
        }
        section = line.isTotal ? QString() : line.section;
        if (line.isTotal)
            table.boldRows << int(table.rows.size());
        table.rows << (QStringList{line.account} + financialFigureTexts(statement, line));
    }
    for (qsizetype c = 0; c < definition.columns.size(); ++c)
        table.totals << QString();
    return report;
}

} // namespace bc
