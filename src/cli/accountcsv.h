#pragma once

#include "book.h"
#include "csv.h"

#include <functional>

namespace bc::cli {

class TextTable;

// The accounts in name order as the account window lists them: id (when
// withId), name, type name (empty when none is set), opening and particulars.
TextTable accountTable(const Book &book, bool withId);

// Reports how far a long import has got: records checked so far, of all.
using ImportProgress = std::function<void(int done, int total)>;

// What an import does with a record whose name is already in the book (as
// accountNameKey compares names) and says something else than the book
// holds: refuse it as the account window would, or update the account with
// the record's non-empty fields.
enum class ExistingAccounts { Refuse, Update };

// Imports accounts from CSV records (a header line naming name, type,
// opening and particulars, then one record per account) through the account
// window's Save: new names are added; a record identical to the account in
// the book is accepted as it is; any other record of a name in the book is
// handled as existing says. All or nothing; the first refused record is
// reported as a refusal naming its line.
void importAccounts(Book &book, const QList<CsvRecord> &records, ExistingAccounts existing,
                    const ImportProgress &progress);

} // namespace bc::cli
