#include "accountclasses.h"

namespace bc {

bool AccountClass::includes(std::optional<qint64> typeCode) const
{
    return typeCode && typeCodes.contains(*typeCode);
}

const QList<AccountClass> &accountClasses()
{
    static const QList<AccountClass> classes{
        {QStringLiteral("Only Income Accounts"), {1}},
        {QStringLiteral("All Income Accounts"), {1, 3}},
        {QStringLiteral("Only Expense Accounts"), {2}},
        {QStringLiteral("All Expense Accounts"), {2, 3}},
        {QStringLiteral("Only Income/Expense Accounts"), {3}},
        {QStringLiteral("All Income and Expense Accounts"), {1, 2, 3}},
        {QStringLiteral("Only Asset Accounts"), {4}},
        {QStringLiteral("All Asset Accounts"), {4, 6}},
        {QStringLiteral("Only Liability Accounts"), {5}},
        {QStringLiteral("All Liability Accounts"), {5, 6}},
        {QStringLiteral("Only Asset/Liability Accounts"), {6}},
        {QStringLiteral("All Asset and Liability Accounts"), {4, 5, 6}},
        {QStringLiteral("All Accounts"), {1, 2, 3, 4, 5, 6}},
    };
    return classes;
}

std::optional<qint64> typeCodeOf(const QString &text)
{
    bool ok = false;
    const qint64 code = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(code) : std::nullopt;
}

} // namespace bc
