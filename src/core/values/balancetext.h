#pragma once

#include "money.h"

#include <QString>

namespace bc {

// A balance's side is its sign: zero or more is a credit, below zero a
// debit. These are the texts the screens, the printed ledger and the chart
// show for a balance with its side.

// "Credit" for zero or more, "Debit" below zero: the one reading of an
// amount's sign that every label of a side follows.
QString sideName(Money amount);

// "#0.00" of the magnitude with " (Credit)" for zero or more and "  (Debit)"
// below zero: the text of a running balance.
QString runningBalanceText(Money balance);

// "(Credit)" above zero, "(Debit)" below, empty at zero: the flag beside a
// balance box, whose text is the magnitude "#0.00".
QString balanceFlag(Money balance);

// A balance as the printed ledger shows it: the magnitude "#0.00" followed
// by " Cr" or " Dr", the sides the grid shows. A running balance of zero is a
// credit, as in the grid; an opening or closing balance of zero has no side,
// as beside the boxes.
enum class ZeroSide { Credit, None };
QString printedBalance(Money balance, ZeroSide zero);

} // namespace bc
