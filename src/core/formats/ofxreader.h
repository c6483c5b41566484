#pragma once

#include "statement.h"

#include <QByteArray>

namespace bc {

// Reads an OFX 1.x (SGML, closing tags optional), OFX 2.x (XML) or QFX bank
// or credit card statement through libofx. A file libofx finds no statement
// in, or a transaction without its date or amount, refuses the whole file.
Statement readOfxStatement(const QByteArray &data);

} // namespace bc
