#pragma once

#include "book.h"

#include <memory>

namespace bc {

class TransactionGuard;

// What a transaction does: a Write transaction takes the book's write lock
// when it begins (waiting up to the busy timeout for another writer), so
// what it reads stays true until it commits and two savers never both read
// and then find they cannot write; a Read transaction locks nothing until it
// reads and never blocks a writer from beginning.
enum class TransactionKind { Read, Write };

// One transaction on an open book, for the operations of core that make
// several calls of the stores one save: it rolls back when leaving scope
// uncommitted, so every path out (return, exception) leaves the tables as
// they were.
class BookTransaction {
public:
    explicit BookTransaction(const Book &book, TransactionKind kind = TransactionKind::Write);
    ~BookTransaction();
    BookTransaction(const BookTransaction &) = delete;
    BookTransaction &operator=(const BookTransaction &) = delete;
    void commit();

private:
    std::unique_ptr<TransactionGuard> m_guard;
};

} // namespace bc
