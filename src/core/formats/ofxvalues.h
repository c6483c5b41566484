#pragma once

#include "money.h"

#include <QDate>
#include <QString>
#include <optional>

namespace bc {

// An OFX amount as the bank wrote it: an optional sign, digits, and a
// decimal point or comma with at most two decimals (more only as trailing
// zeros). No grouping, exponent, trailing sign or parentheses: those are
// refused rather than guessed. A comma followed by exactly three digits
// reads as grouping to a person and is refused too.
std::optional<Money> ofxAmount(const QString &text);

// The day of an OFX date or date-time ("YYYYMMDD", "YYYYMMDDHHMMSS.XXX",
// with or without a zone such as "[-5:EST]"): the day as written, which is
// the bank's day in the zone it names. Anything else is an invalid date.
QDate ofxDate(const QString &text);

} // namespace bc
