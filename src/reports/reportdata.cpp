#include "reportdata.h"

#include "transactions.h"

namespace bc {

TransactionListData transactionListData(const RowArray &tranRows, const AccountNameLookup &accountName,
                                        const QDate &fromDate, const QDate &toDate)
{
    const auto nameOf = [&](int row, int column) {
        const AccountKey key = tranRows.keyAt(row, column);
        return key.side == AccountSide::None || !accountName ? QString() : accountName(key).trimmed();
    };
    TransactionListData data{{}, fromDate, toDate};
    data.lines.reserve(size_t(tranRows.rowCount()));
    for (int r = 0; r < tranRows.rowCount(); ++r)
        data.lines.push_back({tranRows.isNull(r, TranCol::Date) ? QDate() : tranRows.dateAt(r, TranCol::Date),
                              nameOf(r, TranCol::From), nameOf(r, TranCol::To), tranRows.moneyAt(r, TranCol::Amount),
                              tranRows.textAt(r, TranCol::Particulars).trimmed()});
    return data;
}

std::vector<SummaryRow> printedSummaryRows(const SummaryReportData &data)
{
    const std::vector<SummaryRow> &listed = data.summary.listed;
    if (data.selectedRows.isEmpty())
        return listed;
    std::vector<SummaryRow> rows;
    for (int r : data.selectedRows)
        if (r >= 0 && r < int(listed.size()))
            rows.push_back(listed[size_t(r)]);
    return rows;
}

ReportType reportTypeOf(const ReportData &data)
{
    if (std::holds_alternative<TransactionListData>(data))
        return TransactionListReport;
    if (std::holds_alternative<LedgerReportData>(data))
        return AccountLedgerReport;
    if (std::holds_alternative<FinancialReportData>(data))
        return FinancialStatementReport;
    return AccountSummaryReport;
}

} // namespace bc
