#pragma once

#include "accountcsv.h"
#include "amounttext.h"
#include "csv.h"

#include <QString>
#include <functional>

class QIODevice;

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

// Reports an import under way: records read and bytes of the file read.
using StreamProgress = std::function<void(qint64 records, qint64 bytesRead)>;

// What an import added: count transactions with the consecutive ids
// first..last (none when count is 0).
struct ImportedTransactions {
    qint64 count = 0;
    qint64 first = 0;
    qint64 last = 0;
};

// Imports transactions from CSV text read as a stream (a header line naming
// date, from, to, amount and particulars, then one record per transaction,
// accounts by name), each checked as the transaction window's Save checks it
// and written in batches inside one transaction: all or nothing, in memory
// that does not grow with the file, dates and amounts as format says. The first refused record is reported as a
// refusal naming its line and the window's reason. cancelled is asked after
// each record; once it says yes, everything is rolled back and the import
// ends with a refusal of status Cancelled.
ImportedTransactions importTransactions(Book &book, QIODevice &file, const TransactionCsvFormat &format,
                                        const StreamProgress &progress, const std::function<bool()> &cancelled);

} // namespace bc::cli
