#include "statementinterrupt.h"

#include "connection.h"

#include <sqlite3.h>

namespace bc {

std::function<void()> statementInterrupter(const Book &book)
{
    sqlite3 *handle = connectionHandle(connectionOf(book));
    if (!handle)
        return [] {};
    return [handle] { sqlite3_interrupt(handle); };
}

} // namespace bc
