#include "historyrows.h"

namespace bc {

const QList<HistoryTable> &historyTables()
{
    static const QList<HistoryTable> tables = {HistoryTable::Accounts, HistoryTable::Transactions,
                                               HistoryTable::Settings, HistoryTable::Reconciliations};
    return tables;
}

} // namespace bc
