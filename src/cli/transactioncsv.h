#pragma once

#include "accountcsv.h"
#include "amounttext.h"
#include "csv.h"

#include <QString>

namespace bc::cli {

class TextTable;

// Every transaction in the order the search gives them (date, then id), as
// date, from and to account names, amount and particulars.
TextTable transactionExportTable(const Book &book);

// How the dates and amounts of a transactions file are written. An empty
// pattern means ISO dates; "d/M/yyyy" and "M/d/yyyy" read dates the way the
// windows do (any of "/", "-", "." between the parts, two-digit years).
struct TransactionCsvFormat {
    QString datePattern;
    AmountFormat amounts;
};

// Imports transactions from CSV records (a header line naming date, from,
// to, amount and particulars, then one record per transaction, accounts by
// name) through the transaction window's Save, all or nothing. The first
// refused record is reported as a refusal naming its line and the window's
// reason.
void importTransactions(Book &book, const QList<CsvRecord> &records, const TransactionCsvFormat &format,
                        const ImportProgress &progress);

} // namespace bc::cli
