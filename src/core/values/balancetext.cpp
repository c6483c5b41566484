#include "balancetext.h"

namespace bc {

QString runningBalanceText(Money balance)
{
    return balance.isNegative() ? balance.abs().toPlain() + QStringLiteral("  (Debit)")
                                : balance.toPlain() + QStringLiteral(" (Credit)");
}

QString balanceFlag(Money balance)
{
    if (balance.isZero())
        return QString();
    return balance.isNegative() ? QStringLiteral("(Debit)") : QStringLiteral("(Credit)");
}

QString printedBalance(Money balance, ZeroSide zero)
{
    if (balance.isZero() && zero == ZeroSide::None)
        return balance.toPlain();
    return balance.abs().toPlain() + (balance.isNegative() ? QStringLiteral(" Dr") : QStringLiteral(" Cr"));
}

} // namespace bc
