#pragma once

#include "money.h"

#include <QString>
#include <vector>

namespace bc {

// A QIF amount as written and the line it stands on.
struct QifAmountText {
    QString text;
    int line = 0;
};

// A QIF file's amounts, all read with one decimal separator. QIF does not
// say which one a file uses: the amounts that show it ("12.50", "1,234.56",
// "2.000,00", "12,50") decide for the whole file, and an amount that could
// group thousands or hold three decimals ("-1.500", "1,500") is read by
// them. Refuses (StatementError naming the line) an amount that is none,
// amounts that disagree, and a file where such an amount stays unsettled.
std::vector<Money> readQifAmounts(const std::vector<QifAmountText> &amounts);

} // namespace bc
