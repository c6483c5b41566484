#pragma once

#include "historystore.h"

#include <QList>

namespace bc {

// The tables the history records, in the order rows are put back: an
// account before the transactions that use it. Rows are taken away in the
// reverse order.
const QList<HistoryTable> &historyTables();

} // namespace bc
