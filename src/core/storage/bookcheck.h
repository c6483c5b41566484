#pragma once

#include "book.h"

#include <QString>
#include <vector>

namespace bc {

// Rows written into the book by another program in a form this program never
// writes: an amount that is not whole cents (text '12.50', a real 12.5), a
// date not of the form YYYY-MM-DD ('15/01/2024'), a side flag other than 'A'
// or 'P', a side that names no account or party, an opening amount that is
// not whole cents. The typed tables of format 2 refuse them all, so such rows
// live only in books of format 1. A report that met such a row would show a wrong figure
// without a word, so each report checks first and stops with a DbError that
// names the table, the row and the fault.

// One row that cannot be carried into the typed tables of format 2, and why.
struct RowFault {
    QString table;
    QString keyColumn;
    qint64 id = 0;
    QString fault;
    // "table transaction_master, row tran_id 3: the From side's flag 'X' ..."
    QString text() const;
};

// Everything wrong with the book, one line each: every schema object another
// program made or changed (bookobjects.h), every row listed above,
// then what SQLite's integrity_check and foreign_key_check find, then every
// month whose kept period balance differs from its transactions. Empty for a
// sound book. Reads only, so the book may be open read-only. On a server
// book only the keys and the kept balances are looked at: the server's own
// types and constraints keep the rest.
QStringList bookProblems(const Book &book);

// What bookProblems leaves to the server, as one sentence for the person
// who asked for the check; empty for a book file.
QString checksLeftToServer(const Book &book);

// Makes the book's kept period balances afresh from its transactions, in one
// transaction. Throws DbError when the book cannot be written.
void rebuildKeptBalances(const Book &book);

// Checks the form of the transactions on either side of these accounts
// (date, amount, that side's flag, whatever the flag) and the accounts'
// opening amounts, from the side indexes alone: for reports of a few accounts
// that show no other side.
void checkAccountRows(const Book &book, const std::vector<qint64> &accountIds);

// Checks every fault, the other side included, of the movements of one
// account dated firstDate to lastDate (ISO): the rows a ledger lists with
// the other side's name. A book that keeps period balances has every side in
// use checked instead, as checkBookRows does.
void checkListedRows(const Book &book, qint64 accountId, const QString &firstDate, const QString &lastDate);

// Checks every transaction and every opening amount in one pass. A check
// that finds nothing is remembered on the connection until the book's
// transactions or accounts change (here or in another program), so reports
// run one after another pay for it once. On a server book these three check
// nothing: its types, constraints and foreign keys refuse such rows.
void checkBookRows(const Book &book);

} // namespace bc
