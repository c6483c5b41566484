#pragma once

#include "financialstatements.h"
#include "ledger.h"
#include "rowarray.h"
#include "summary.h"

#include <QDate>
#include <QList>
#include <QString>
#include <functional>
#include <variant>
#include <vector>

namespace bc {

// The printed reports, by the numbers the screens have always known them by.
enum ReportType : int {
    TransactionListReport = 11,
    AccountLedgerReport = 12,
    AccountSummaryReport = 13,
    FinancialStatementReport = 14
};

// Looks up the display name of an account key ("A12", "P3"); empty text when
// the key names nothing.
using AccountNameLookup = std::function<QString(const AccountKey &)>;

// One printed transaction: the accounts by name, the date empty when the row
// has none.
struct TransactionListLine {
    QDate date;
    QString fromAccount;
    QString toAccount;
    Money amount;
    QString particulars;
};

// The transaction list: the lines in grid order and the period searched, or
// invalid dates for "All dates".
struct TransactionListData {
    std::vector<TransactionListLine> lines;
    QDate fromDate;
    QDate toDate;
};

// The lines of the transaction grid's rows (columns as TranCol names them),
// keys as the names the lookup gives, in grid order.
TransactionListData transactionListData(const RowArray &tranRows, const AccountNameLookup &accountName,
                                        const QDate &fromDate = {}, const QDate &toDate = {});

// The values printed above the ledger: the account as shown in its box, the
// date range, and the opening and closing balances the boxes show.
struct LedgerReportHeader {
    QString account;
    QDate fromDate;
    QDate toDate;
    Money openingBalance;
    Money closingBalance;
};

struct LedgerReportData {
    LedgerResult ledger;
    LedgerReportHeader header;
};

// The account summary as listed, with the positions of the rows picked for
// printing in the order they were picked; none picked prints every row.
struct SummaryReportData {
    SummaryResult summary;
    QList<int> selectedRows;
    QDate fromDate;
    QDate toDate;
};

// The summary rows a report prints: the picked ones in picking order (those
// outside the list skipped), or all of them when none is picked.
std::vector<SummaryRow> printedSummaryRows(const SummaryReportData &data);

// A financial statement as its window shows it, and the book's currency
// label (empty when the book names none).
struct FinancialReportData {
    FinancialStatement statement;
    QString currency;
};

// What one printed report shows; each kind is laid out by its own report.
using ReportData = std::variant<TransactionListData, LedgerReportData, SummaryReportData, FinancialReportData>;

ReportType reportTypeOf(const ReportData &data);

} // namespace bc
