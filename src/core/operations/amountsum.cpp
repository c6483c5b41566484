#include "amountsum.h"

namespace bc {

QString amountsTooLarge(const QString &what)
{
    return QStringLiteral("The amounts are too large to add up: %1.").arg(what);
}

std::optional<Money> checkedSum(Money a, Money b)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(a.cents(), b.cents(), &sum))
        return std::nullopt;
    return Money::fromCents(sum);
}

std::optional<Money> checkedDifference(Money a, Money b)
{
    qint64 difference = 0;
    if (__builtin_sub_overflow(a.cents(), b.cents(), &difference))
        return std::nullopt;
    return Money::fromCents(difference);
}

Money addAmounts(Money a, Money b, const QString &what)
{
    const std::optional<Money> sum = checkedSum(a, b);
    if (!sum)
        throw DbError(amountsTooLarge(what));
    return *sum;
}

} // namespace bc
