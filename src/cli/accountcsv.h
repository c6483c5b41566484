#pragma once

#include "csv.h"

#include <QSqlDatabase>
#include <functional>

namespace bc::cli {

class TextTable;

// The accounts in name order as the account window lists them: id (when
// withId), name, type name (empty when none is set), opening and particulars.
TextTable accountTable(const QSqlDatabase &db, bool withId);

// Reports how far a long import has got: records checked so far, of all.
using ImportProgress = std::function<void(int done, int total)>;

// Imports accounts from CSV records (a header line naming name, type,
// opening and particulars, then one record per account) through the account
// window's Save: an account whose name is already in the book is changed as
// if edited in the grid, any other is added. All or nothing; the first
// refused record is reported as a refusal naming its line.
void importAccounts(const QSqlDatabase &db, const QList<CsvRecord> &records, const ImportProgress &progress);

} // namespace bc::cli
