#pragma once

#include "statement.h"

#include <QByteArray>

namespace bc {

// Reads an ISO 20022 bank-to-customer statement (camt.053, versions 001.02
// to 001.08). Booked entries become lines: a batch entry gives one line per
// transaction when each states its own amount and they add up to the
// entry's, else one line. Pending entries are left out, as they are not in
// the statement's balances. Several Stmt of one account are read as one.
Statement readCamtStatement(const QByteArray &data);

} // namespace bc
