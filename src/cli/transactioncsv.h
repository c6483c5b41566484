#pragma once

#include "accountcsv.h"
#include "csv.h"

#include <QString>

namespace bc::cli {

class TextTable;

// Every transaction in the order the search gives them (date, then id), as
// date, from and to account names, amount and particulars.
TextTable transactionExportTable(const Book &book);

// Imports transactions from CSV records (a header line naming date, from,
// to, amount and particulars, then one record per transaction, accounts by
// name) through the transaction window's Save, all or nothing. Dates are ISO
// unless dateFormat is "d/M/yyyy" or "M/d/yyyy". The first refused record is
// reported as a refusal naming its line and the window's reason.
void importTransactions(Book &book, const QList<CsvRecord> &records, const QString &dateFormat,
                        const ImportProgress &progress);

} // namespace bc::cli
