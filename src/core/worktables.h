#pragma once

#include "book.h"

namespace bc {

// Empties the party work tables (tmp_party_i, tmp_party_d) as the program
// closes the book. A failure at that point is of no use to anyone, so each
// table is emptied regardless of the other and nothing is reported.
void emptyPartyWorkTables(Book &book);

} // namespace bc
