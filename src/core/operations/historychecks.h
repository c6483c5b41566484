#pragma once

#include "book.h"

#include <QString>

namespace bc {

// What keeps the accounts change set setId left from being committed: an
// account it took away that transactions still use, or an account it put
// back whose name another account has. Empty when there is nothing.
QString accountsProblem(const Book &book, qint64 setId);

} // namespace bc
