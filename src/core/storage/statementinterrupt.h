#pragma once

#include "book.h"

#include <functional>

namespace bc {

// What stops, from any thread, the statement the book's connection is
// running, which then fails with a DbError. SQLite interrupts it; a server
// book's statement runs to its end. Call it only while the book is open.
std::function<void()> statementInterrupter(const Book &book);

} // namespace bc
