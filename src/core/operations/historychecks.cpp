#include "historychecks.h"

#include "accounts.h"
#include "historyrowstore.h"

#include <QHash>

namespace bc {

QString accountsProblem(const Book &book, qint64 setId)
{
    if (const std::optional<AccountInUse> used = accountTakenAwayInUse(book, setId))
        return QStringLiteral("The account \"%1\" would be taken away, but %2 transaction(s) saved since use it.")
            .arg(used->name.trimmed())
            .arg(used->uses);

    QHash<QString, int> names;
    for (const IdName &account : accountNames(book))
        ++names[accountNameKey(account.name)];
    for (const QString &name : keptAccountNames(book, setId))
        if (names.value(accountNameKey(name)) > 1)
            return QStringLiteral("The account name \"%1\" is used by another account now; rename that account "
                                  "first.")
                .arg(name.trimmed());
    return QString();
}

} // namespace bc
