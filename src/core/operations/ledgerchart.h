#pragma once

#include "book.h"
#include "chartdata.h"
#include "ledger.h"

#include <QDate>
#include <QString>

namespace bc {

// What the ledger chart is drawn for: the ledger window's dates at the time
// of the request (they may have changed since its last Find), its date format,
// the book's currency label and the name of the account the ledger is of.
struct LedgerChartInput {
    QDate fromDate;
    QDate toDate;
    QString dateFormat;
    QString currency;
    QString account;
};

// The account's balance at the end of every day from fromDate to toDate, one
// point per day, drawn as a line.
//
// The daily end balances come from the movements the last ledger run left in
// tmp_Acc_Ldgr, starting from the ledger's opening balance, and pass through
// the work table Tmp_acc_ldgr_graph (one row per day with movements). A day
// without movements keeps the previous day's balance. The first day is
// labelled "Opening- " and its date, the last "Closing- " and its date, and
// the days between carry their date at a spacing that grows with the range
// (every fifth day over 30 days, every fourth over 23). The value scale is
// whole tens around the lowest and highest of the daily balances and the
// ledger's opening and closing balances. The header and account frame carry
// the ledger's captions, the account's name and the balance box texts.
//
// A toDate before fromDate gives a Refused result with a message. Throws
// DbError when a statement fails.
ChartData computeLedgerChart(const Book &book, const LedgerResult &ledger, const LedgerChartInput &input);

// The label spacing: a day between the first and the last carries its date
// once more than this many days have passed unlabelled, N((days + 2) / 10).
int ledgerLabelGap(qint64 days);

} // namespace bc
