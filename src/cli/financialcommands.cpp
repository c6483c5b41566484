#include "commands.h"
#include "reports.h"

#include "dates.h"
#include "financialstatements.h"

#include <cstdio>
#include <functional>

namespace bc::cli {

namespace {

struct StatementReport {
    FinancialStatement statement;
};

PeriodLength givenPeriod(const CommandLine &commandLine)
{
    if (!commandLine.isSet(QStringLiteral("period")))
        return PeriodLength::Whole;
    const QString text = commandLine.requiredValue(QStringLiteral("period"));
    if (text == QLatin1String("month"))
        return PeriodLength::Month;
    if (text == QLatin1String("quarter"))
        return PeriodLength::Quarter;
    if (text == QLatin1String("year"))
        return PeriodLength::Year;
    throw usageError(QStringLiteral("--period: \"%1\" is not month, quarter or year").arg(text));
}

Comparison givenComparison(const CommandLine &commandLine)
{
    if (!commandLine.isSet(QStringLiteral("compare")))
        return Comparison::None;
    const QString text = commandLine.requiredValue(QStringLiteral("compare"));
    if (text == QLatin1String("previous"))
        return Comparison::PreviousPeriod;
    if (text == QLatin1String("year"))
        return Comparison::YearBefore;
    throw usageError(QStringLiteral("--compare: \"%1\" is not previous or year").arg(text));
}

DateRange givenRange(const CommandLine &commandLine)
{
    const DateRange range{commandLine.date(QStringLiteral("from")), commandLine.date(QStringLiteral("to"))};
    if (range.last < range.first)
        throw usageError(QStringLiteral("--to %1 is before --from %2").arg(isoDate(range.last), isoDate(range.first)));
    return range;
}

void addRangeOptions(CommandLine &commandLine)
{
    commandLine.addOption(QStringLiteral("from"), QStringLiteral("DATE"), QStringLiteral("First day, YYYY-MM-DD."));
    commandLine.addOption(QStringLiteral("to"), QStringLiteral("DATE"), QStringLiteral("Last day, YYYY-MM-DD."));
    commandLine.addOption(QStringLiteral("period"), QStringLiteral("month|quarter|year"),
                          QStringLiteral("One column per month, quarter or year, then the total."));
}

void addIncomeOptions(CommandLine &commandLine)
{
    addRangeOptions(commandLine);
    commandLine.addOption(QStringLiteral("compare"), QStringLiteral("previous|year"),
                          QStringLiteral("Beside each column the previous period (previous) or the same period "
                                         "a year before (year), with the change and the change in percent."));
}

void addBalanceOptions(CommandLine &commandLine)
{
    commandLine.addOption(QStringLiteral("at"), QStringLiteral("DATE"), QStringLiteral("The day, YYYY-MM-DD."));
    commandLine.addOption(QStringLiteral("compare"), QStringLiteral("DATE"),
                          QStringLiteral("Beside it the balance sheet at this day, with the change and the "
                                         "change in percent."));
}

StatementReport compute(Book &book, const QString &bookPath, StatementKind kind,
                        const std::function<std::vector<StatementColumn>(const SystemSettings &)> &columns)
{
    openBook(book, bookPath);
    StatementReport report{computeStatement(book, kind, columns(bookSettings(book)))};
    for (const QString &warning : report.statement.warnings)
        std::fputs(QStringLiteral("brindlecot-cli: %1\n").arg(warning).toUtf8().constData(), stderr);
    return report;
}

StatementReport incomeReport(const CommandLine &commandLine, Book &book, const QString &bookPath)
{
    const DateRange range = givenRange(commandLine);
    const PeriodLength period = givenPeriod(commandLine);
    const Comparison comparison = givenComparison(commandLine);
    return compute(book, bookPath, StatementKind::IncomeStatement,
                   [&](const SystemSettings &) { return periodColumns(range, period, comparison); });
}

StatementReport balanceReport(const CommandLine &commandLine, Book &book, const QString &bookPath)
{
    const QDate at = commandLine.date(QStringLiteral("at"));
    const std::optional<QDate> comparedAt = commandLine.optionalDate(QStringLiteral("compare"));
    return compute(book, bookPath, StatementKind::BalanceSheet, [&](const SystemSettings &settings) {
        return std::vector<StatementColumn>{balanceSheetColumn(at, comparedAt, settings.finYearStart)};
    });
}

StatementReport cashReport(const CommandLine &commandLine, Book &book, const QString &bookPath)
{
    const DateRange range = givenRange(commandLine);
    const PeriodLength period = givenPeriod(commandLine);
    return compute(book, bookPath, StatementKind::CashFlow,
                   [&](const SystemSettings &) { return periodColumns(range, period, Comparison::None); });
}

// A column's name: the balance sheet's day, or the first and last day.
QString columnName(const FinancialStatement &statement, const DateRange &range)
{
    return statement.kind == StatementKind::BalanceSheet ? isoDate(range.last) : range.name();
}

TextTable statementTable(const StatementReport &report)
{
    const FinancialStatement &statement = report.statement;
    QList<TextTable::Column> columns{{QStringLiteral("section"), QStringLiteral("Section")},
                                     {QStringLiteral("account"), QStringLiteral("Account")}};
    const auto amountColumn = [&](const QString &name) { columns.append({name, name, true}); };
    for (const StatementColumn &column : statement.columns) {
        amountColumn(column.isTotal ? QStringLiteral("total") : columnName(statement, column.range));
        if (column.compared) {
            amountColumn(columnName(statement, *column.compared));
            amountColumn(QStringLiteral("change"));
            amountColumn(QStringLiteral("change %"));
        }
    }
    TextTable table(columns);
    for (const FinancialLine &line : statement.lines) {
        QStringList cells{line.section, line.account};
        for (std::size_t c = 0; c < line.figures.size(); ++c) {
            cells << line.figures[c].toPlain();
            if (statement.isCompared())
                cells << line.compared[c].toPlain() << (line.figures[c] - line.compared[c]).toPlain()
                      << changePercent(line.figures[c], line.compared[c]);
        }
        table.addRow(cells);
    }
    return table;
}

} // namespace

int runIncomeStatement(const QStringList &arguments)
{
    return runReportCommand(arguments, QStringLiteral("income-statement"),
                            QStringLiteral("Prints the income and expenses of the Income, Expense and "
                                           "Income/Expense accounts over the days, and the net income."),
                            addIncomeOptions, incomeReport, statementTable);
}

int runBalanceSheet(const QStringList &arguments)
{
    return runReportCommand(arguments, QStringLiteral("balance-sheet"),
                            QStringLiteral("Prints what the book owns and owes at the day, and its equity."),
                            addBalanceOptions, balanceReport, statementTable);
}

int runCashFlow(const QStringList &arguments)
{
    return runReportCommand(arguments, QStringLiteral("cash-flow"),
                            QStringLiteral("Prints the money into and out of the cash and bank accounts by "
                                           "counter-account, with the opening and closing cash."),
                            addRangeOptions, cashReport, statementTable);
}

} // namespace bc::cli
