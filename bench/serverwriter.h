#pragma once

#include "dataset.h"

#include <QSqlDatabase>

namespace bc::bench {

// Loads the data set into a new, empty book on a PostgreSQL server through
// COPY on the book's own connection, in one transaction. The side and date
// indexes, the foreign keys and the user triggers of transaction_master are
// set aside during the load and made again after it, and the kept period
// balances filled in one pass, as the book-file writer does. Throws DbError.
void loadOnServer(const QSqlDatabase &db, const DatasetSpec &spec, const std::vector<GeneratedAccount> &accounts);

} // namespace bc::bench
