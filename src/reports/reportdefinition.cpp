#include "reportdefinition.h"

#include "balancetext.h"
#include "dates.h"
#include "financialreport.h"
#include "textroutines.h"

#include <functional>

namespace bc {

namespace {

// A printed column of a report over rows of type Row, with the accessor that
// reads its value from a row: a text, kept to at most `size` characters
// (0 for no limit), or an amount. A column reads its row's members, so a
// column that names a value its row lacks does not compile.
template <class Row> struct TypedColumn {
    ReportColumn column;
    std::function<QString(const Row &)> text;
    std::function<Money(const Row &)> amount;
    int size = 0;
};

template <class Row> TypedColumn<Row> serialColumn()
{
    return {{QStringLiteral("S.No"), ReportColumn::Kind::Number}, {}, {}};
}

template <class Row>
TypedColumn<Row> textColumn(const QString &heading, std::function<QString(const Row &)> text, int size = 0,
                            bool flexible = false)
{
    return {{heading, ReportColumn::Kind::Text, false, flexible}, std::move(text), {}, size};
}

template <class Row> TypedColumn<Row> amountColumn(const QString &heading, std::function<Money(const Row &)> amount)
{
    return {{heading, ReportColumn::Kind::Amount, true}, {}, std::move(amount)};
}

template <class Row> TypedColumn<Row> balanceColumn(const QString &heading, std::function<Money(const Row &)> amount)
{
    return {{heading, ReportColumn::Kind::Balance}, {}, std::move(amount)};
}

// The printed texts of rows, numbered from 1, and the totals of the totalled
// columns.
template <class Row>
PrintedReport tabulate(ReportDefinition definition, const QList<TypedColumn<Row>> &columns,
                       const std::vector<Row> &rows, QStringList parameterValues)
{
    PrintedReport report{std::move(definition), {}};
    ReportTable &table = report.table;
    std::vector<Money> sums(size_t(columns.size()));
    table.rows.reserve(qsizetype(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        QStringList cells;
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const TypedColumn<Row> &column = columns[c];
            switch (column.column.kind) {
            case ReportColumn::Kind::Number: cells << QString::number(r + 1); break;
            case ReportColumn::Kind::Text: {
                const QString text = column.text(rows[r]).trimmed();
                cells << (column.size > 0 ? text.left(column.size).trimmed() : text);
                break;
            }
            case ReportColumn::Kind::Amount: {
                const Money value = column.amount(rows[r]);
                sums[size_t(c)] += value;
                cells << value.toPlain();
                break;
            }
            case ReportColumn::Kind::Balance: cells << printedBalance(column.amount(rows[r]), ZeroSide::Credit); break;
            }
        }
        table.rows << cells;
    }
    for (qsizetype c = 0; c < columns.size(); ++c) {
        report.definition.columns << columns[c].column;
        table.totals << (columns[c].column.totalled ? sums[size_t(c)].toPlain() : QString());
    }
    for (QString &value : parameterValues)
        value = value.trimmed();
    table.parameterValues = std::move(parameterValues);
    return report;
}

// A period as printed: "from to to", or the one date given.
QString dateRange(const QDate &fromDate, const QDate &toDate, const QString &dateFormat)
{
    const QString first = formatReportDate(fromDate, dateFormat);
    const QString second = formatReportDate(toDate, dateFormat);
    return second.isEmpty() ? first : first + QStringLiteral(" to ") + second;
}

PrintedReport transactionList(const TransactionListData &data, const QString &dateFormat)
{
    using Line = TransactionListLine;
    const QList<TypedColumn<Line>> columns{serialColumn<Line>(),
                                           textColumn<Line>(
                                               QStringLiteral("Date"),
                                               [&](const Line &l) { return formatReportDate(l.date, dateFormat); }, 10),
                                           textColumn<Line>(QStringLiteral("From A/C"), &Line::fromAccount, 32, true),
                                           textColumn<Line>(QStringLiteral("To A/C"), &Line::toAccount, 32, true),
                                           amountColumn<Line>(QStringLiteral("Amount"), &Line::amount),
                                           textColumn<Line>(QStringLiteral("Particulars"), &Line::particulars, 0,
                                                            true)};
    const QString period = data.fromDate.isValid() && data.toDate.isValid()
        ? dateRange(data.fromDate, data.toDate, dateFormat)
        : QStringLiteral("All dates");
    return tabulate({QStringLiteral("Transaction List"), {QStringLiteral("Period")}, {}}, columns, data.lines,
                    {period});
}

PrintedReport accountLedger(const LedgerReportData &data, const QString &dateFormat)
{
    using Movement = LedgerMovement;
    const auto debit = [](const Movement &m) { return m.amount.isNegative() ? m.amount.abs() : Money(); };
    const auto credit = [](const Movement &m) { return m.amount.isNegative() ? Money() : m.amount; };
    const QList<TypedColumn<Movement>> columns{
        serialColumn<Movement>(),
        textColumn<Movement>(
            QStringLiteral("Date"), [&](const Movement &m) { return formatReportDate(m.date, dateFormat); }, 10),
        textColumn<Movement>(QStringLiteral("Particulars"), &ledgerParticulars, 0, true),
        amountColumn<Movement>(QStringLiteral("Debit"), debit),
        amountColumn<Movement>(QStringLiteral("Credit"), credit),
        balanceColumn<Movement>(QStringLiteral("Balance"), &Movement::balance)};
    const LedgerReportHeader &header = data.header;
    return tabulate({QStringLiteral("Account Ledger"),
                     {QStringLiteral("Account"), QStringLiteral("Period"), QStringLiteral("Opening Balance"),
                      QStringLiteral("Closing Balance")},
                     {}},
                    columns, data.ledger.movements,
                    {header.account, dateRange(header.fromDate, header.toDate, dateFormat),
                     printedBalance(header.openingBalance, ZeroSide::None),
                     printedBalance(header.closingBalance, ZeroSide::None)});
}

PrintedReport accountSummary(const SummaryReportData &data, const QString &dateFormat)
{
    const QList<TypedColumn<SummaryRow>> columns{
        serialColumn<SummaryRow>(), textColumn<SummaryRow>(QStringLiteral("A/C Name"), &SummaryRow::name, 40, true),
        amountColumn<SummaryRow>(QStringLiteral("Open Amount"), &SummaryRow::opening),
        amountColumn<SummaryRow>(QStringLiteral("Transactions"), &SummaryRow::movement),
        amountColumn<SummaryRow>(QStringLiteral("Balance Amount"), &SummaryRow::balance)};
    return tabulate({QStringLiteral("Account Summary"), {QStringLiteral("Period")}, {}}, columns,
                    printedSummaryRows(data), {dateRange(data.fromDate, data.toDate, dateFormat)});
}

} // namespace

PrintedReport printedReport(const ReportData &data, const QString &dateFormat)
{
    if (const auto *list = std::get_if<TransactionListData>(&data))
        return transactionList(*list, dateFormat);
    if (const auto *ledger = std::get_if<LedgerReportData>(&data))
        return accountLedger(*ledger, dateFormat);
    if (const auto *statement = std::get_if<FinancialReportData>(&data))
        return financialStatementReport(*statement, dateFormat);
    return accountSummary(std::get<SummaryReportData>(data), dateFormat);
}

QString suggestedFileName(const PrintedReport &report)
{
    QStringList parts{report.definition.title};
    const QStringList &labels = report.definition.parameterLabels;
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const QString value = report.table.parameterValues.value(i);
        if ((labels[i] == QLatin1String("Account") || labels[i] == QLatin1String("Period")
             || labels[i] == QLatin1String("At"))
            && !value.isEmpty())
            parts << value;
    }
    return safeFileName(parts.join(QStringLiteral(" - ")));
}

} // namespace bc
