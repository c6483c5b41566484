#pragma once

#include "bookcheck.h"

#include <QSqlDatabase>
#include <vector>

namespace bc {

// Every row of the book on db that cannot be carried into the typed tables
// (bookcheck.h), transactions first, at most limit of them (all when limit
// is negative): the faults the reports refuse, amounts beyond
// 999,999,999,999.99, and accounts whose type is no type of account.
std::vector<RowFault> bookRowFaults(const QSqlDatabase &db, int limit = -1);

} // namespace bc
