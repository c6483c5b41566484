#pragma once

#include "bookwriter.h"
#include "dataset.h"

#include <QString>

namespace bc::bench {

// The account under which a book account appears in the plain-text journal.
QString journalAccount(const QString &name);

// Writes the data set as a plain-text double-entry journal that the common
// command-line accounting tools read: one entry dated at the financial-year
// start carrying every opening amount (balanced by "Equity:Opening"), then one
// entry per transaction with two postings, the To account receiving the amount
// and the From account giving it (its amount left for the tool to balance).
// The journal's balance of an account over a range beginning at the
// financial-year start is then the book's opening amount plus its movements.
// Returns an empty text on success, else the reason.
QString writeJournal(const QString &path, const DatasetSpec &spec, const std::vector<GeneratedAccount> &accounts,
                     const FinancialYear &year);

} // namespace bc::bench
