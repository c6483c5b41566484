#pragma once

#include "statement.h"

#include <QByteArray>

namespace bc {

// Reads an OFX 1.x (SGML, closing tags optional), OFX 2.x (XML) or QFX bank
// or credit card statement. A file holding no statement, or a transaction
// whose date or amount is missing or not as OFX writes them, refuses the
// whole file, naming the element.
Statement readOfxStatement(const QByteArray &data);

} // namespace bc
