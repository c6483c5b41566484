#pragma once

#include <QSqlDatabase>
#include <vector>

namespace bc {

// Rows written into the book by another program in a form this program never
// writes: an amount that is not whole cents (text '12.50', a real 12.5), a
// date not of the form YYYY-MM-DD ('15/01/2024'), a side flag other than 'A'
// or 'P', a side that names no account or party, an opening amount that is
// not whole cents. A report that met such a row would show a wrong figure
// without a word, so each report checks first and stops with a DbError that
// names the table, the row and the fault.

// Checks the transactions on either side of these accounts (whatever their
// flags) and the accounts' opening amounts, through the side indexes: for
// reports of a few accounts.
void checkAccountRows(const QSqlDatabase &db, const std::vector<qint64> &accountIds);

// Checks every transaction and every opening amount in one pass. A check
// that finds nothing is remembered on the connection until the book's
// transactions or accounts change (here or in another program), so reports
// run one after another pay for it once.
void checkBookRows(const QSqlDatabase &db);

} // namespace bc
