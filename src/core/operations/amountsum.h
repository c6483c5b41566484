#pragma once

#include "dberror.h"
#include "money.h"

#include <QString>
#include <optional>

namespace bc {

// Sums of amounts never leave the range of 64-bit cents: a figure past it is
// refused with a message naming what was being added up, never saturated or
// wrapped round.

// "The amounts are too large to add up: " followed by what.
QString amountsTooLarge(const QString &what);

// a + b and a - b, or nothing when the result does not fit.
std::optional<Money> checkedSum(Money a, Money b);
std::optional<Money> checkedDifference(Money a, Money b);

// a + b, or a DbError with amountsTooLarge(what) when the sum does not fit.
Money addAmounts(Money a, Money b, const QString &what);

// Runs work, turning SQLite's sum overflow into amountsTooLarge(what).
template <typename Work> auto refusingOverflow(const QString &what, Work &&work)
{
    try {
        return work();
    } catch (const DbError &e) {
        if (isSumOverflow(e))
            throw DbError(amountsTooLarge(what));
        throw;
    }
}

} // namespace bc
