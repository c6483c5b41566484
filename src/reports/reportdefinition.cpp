#include "reportdefinition.h"

#include "balancetext.h"
#include "textroutines.h"

namespace bc {

std::optional<ReportDefinition> reportDefinition(int reportType)
{
    using K = ReportColumn::Kind;
    const ReportColumn serial{QStringLiteral("S.No"), QStringLiteral("SNo"), K::Number};
    switch (reportType) {
    case TransactionListReport:
        return ReportDefinition{reportType,
                                QStringLiteral("Transaction List"),
                                {{QStringLiteral("Period"), 0, 1}},
                                {serial,
                                 {QStringLiteral("Date"), QStringLiteral("Tran_Date"), K::Text},
                                 {QStringLiteral("From A/C"), QStringLiteral("From_Acc"), K::Text, false, true},
                                 {QStringLiteral("To A/C"), QStringLiteral("To_Acc"), K::Text, false, true},
                                 {QStringLiteral("Amount"), QStringLiteral("Amount"), K::Amount, true},
                                 {QStringLiteral("Particulars"), QStringLiteral("Particulars"), K::Text, false, true}}};
    case AccountLedgerReport:
        return ReportDefinition{reportType,
                                QStringLiteral("Account Ledger"),
                                {{QStringLiteral("Account"), 1},
                                 {QStringLiteral("Period"), 2, 3},
                                 {QStringLiteral("Opening Balance"), 4},
                                 {QStringLiteral("Closing Balance"), 5}},
                                {serial,
                                 {QStringLiteral("Date"), QStringLiteral("Date"), K::Text},
                                 {QStringLiteral("Particulars"), QStringLiteral("Particulars"), K::Text, false, true},
                                 {QStringLiteral("Debit"), QStringLiteral("Debit"), K::Amount, true},
                                 {QStringLiteral("Credit"), QStringLiteral("Credit"), K::Amount, true},
                                 {QStringLiteral("Balance"), QStringLiteral("Balance"), K::Balance}}};
    case AccountSummaryReport:
        return ReportDefinition{reportType,
                                QStringLiteral("Account Summary"),
                                {{QStringLiteral("Period"), 1, 2}},
                                {serial,
                                 {QStringLiteral("A/C Name"), QStringLiteral("Acc_Name"), K::Text, false, true},
                                 {QStringLiteral("Open Amount"), QStringLiteral("Open_Amount"), K::Amount, true},
                                 {QStringLiteral("Transactions"), QStringLiteral("Tran_Amount"), K::Amount, true},
                                 {QStringLiteral("Balance Amount"), QStringLiteral("Bal_Amount"), K::Amount, true}}};
    default: return std::nullopt;
    }
}

QString reportProblem(int reportType, const RecordSet &records)
{
    const std::optional<ReportDefinition> definition = reportDefinition(reportType);
    if (!definition)
        return QStringLiteral("There is no report number %1.").arg(reportType);
    for (const ReportColumn &column : definition->columns)
        if (records.fieldIndex(column.field) < 0)
            return QStringLiteral("The records for the %1 have no field \"%2\".").arg(definition->title, column.field);
    return QString();
}

ReportTable tabulate(const ReportDefinition &definition, const RecordSet &records)
{
    ReportTable table;
    QList<int> fields;
    for (const ReportColumn &column : definition.columns)
        fields << records.fieldIndex(column.field);
    std::vector<Money> sums(size_t(fields.size()));
    table.rows.reserve(records.recordCount());
    for (int r = 0; r < records.recordCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < fields.size(); ++c) {
            switch (definition.columns[c].kind) {
            case ReportColumn::Kind::Amount: {
                const Money value = records.number(r, fields[c]);
                sums[size_t(c)] += value;
                cells << value.toPlain();
                break;
            }
            case ReportColumn::Kind::Balance:
                cells << printedBalance(records.number(r, fields[c]), ZeroSide::Credit);
                break;
            case ReportColumn::Kind::Number:
                cells << (records.isNull(r, fields[c]) ? QString() : QString::number(records.integer(r, fields[c])));
                break;
            case ReportColumn::Kind::Text: cells << records.text(r, fields[c]).trimmed(); break;
            }
        }
        table.rows << cells;
    }
    for (int c = 0; c < fields.size(); ++c)
        table.totals << (definition.columns[c].totalled ? sums[size_t(c)].toPlain() : QString());
    const QStringList &parameters = records.parameters();
    for (const ReportParameterLine &line : definition.parameterLines) {
        const QString first = parameters.value(line.first).trimmed();
        const QString second = line.second < 0 ? QString() : parameters.value(line.second).trimmed();
        table.parameterValues << (second.isEmpty() ? first : first + QStringLiteral(" to ") + second);
    }
    return table;
}

QString suggestedFileName(const ReportDefinition &definition, const RecordSet &records)
{
    const ReportTable table =
        tabulate(ReportDefinition{definition.reportType, definition.title, definition.parameterLines, {}}, records);
    QStringList parts{definition.title};
    for (int i = 0; i < definition.parameterLines.size(); ++i) {
        const QString &label = definition.parameterLines[i].label;
        const QString value = table.parameterValues.value(i);
        if ((label == QLatin1String("Account") || label == QLatin1String("Period")) && !value.isEmpty())
            parts << value;
    }
    return safeFileName(parts.join(QStringLiteral(" - ")));
}

} // namespace bc
