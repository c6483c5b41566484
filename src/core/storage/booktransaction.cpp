#include "booktransaction.h"

#include "sql.h"

namespace bc {

BookTransaction::BookTransaction(const Book &book, TransactionKind kind)
    : m_guard(std::make_unique<TransactionGuard>(connectionOf(book), kind))
{
}

BookTransaction::~BookTransaction() = default;

void BookTransaction::commit()
{
    m_guard->commit();
}

} // namespace bc
