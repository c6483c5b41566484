#pragma once

#include "money.h"

#include <QString>
#include <optional>

namespace bc {

// How amounts are written in a file from outside: a bank's CSV statement or
// a CSV file of transactions.
struct AmountFormat {
    QChar decimalSeparator = u'.';
    // Characters that group thousands, besides the decimal separator (a
    // space stands for the no-break spaces too).
    QString thousandsSeparators = QStringLiteral(", ");
    QString currencySymbols = QStringLiteral("$€£"); // dropped before or after the number
    bool parenthesesNegative = true; // "(12.50)" is -12.50
};

// Reads "1.234,56", "1 234,56", "1,234.56", "$12.50", "-€12.50", "(12.50)"
// in the given format. Thousands separators must group whole threes of
// digits before the decimal separator. Text that could be read more than one
// way is refused rather than guessed: a trailing minus ("12.50-"), a sign
// inside parentheses, misplaced group separators, more than two decimals
// ("12.345", "1.500"), or anything else that is not a number; nothing is
// returned for it.
std::optional<Money> parseAmountText(const QString &text, const AmountFormat &format);

} // namespace bc
