#include "balancetext.h"

namespace bc {

QString sideName(Money amount)
{
    return amount.isNegative() ? QStringLiteral("Debit") : QStringLiteral("Credit");
}

QString runningBalanceText(Money balance)
{
    // A debit's text is one space wider, so the amounts of both sides line up.
    const QString gap = balance.isNegative() ? QStringLiteral("  ") : QStringLiteral(" ");
    return balance.abs().toPlain() + gap + u'(' + sideName(balance) + u')';
}

QString balanceFlag(Money balance)
{
    if (balance.isZero())
        return QString();
    return u'(' + sideName(balance) + u')';
}

QString printedBalance(Money balance, ZeroSide zero)
{
    if (balance.isZero() && zero == ZeroSide::None)
        return balance.toPlain();
    return balance.abs().toPlain() + (balance.isNegative() ? QStringLiteral(" Dr") : QStringLiteral(" Cr"));
}

} // namespace bc
