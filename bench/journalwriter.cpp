#include "journalwriter.h"

#include "money.h"

#include <QFile>
#include <QTextStream>

namespace bc::bench {

QString journalAccount(const QString &name)
{
    return QStringLiteral("Accounts:") + name;
}

QString writeJournal(const QString &path, const DatasetSpec &spec, const std::vector<GeneratedAccount> &accounts,
                     const FinancialYear &year)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    QTextStream out(&file);
    out << "; Generated data set: " << accounts.size() << " accounts, " << spec.transactionCount
        << " transactions, seed " << spec.seed << "\n\n";

    // Each account declared with the statement type hledger reads from its
    // tag: Revenue, eXpense, Asset or Liability. Income/Expense accounts are
    // declared Revenue and Asset/Liability accounts Asset: the net income and
    // net worth do not depend on the side each is shown on.
    static const char *const types = "RXRALA";
    for (const GeneratedAccount &a : accounts)
        out << "account " << journalAccount(a.name) << "  ; type: " << types[a.type - 1] << '\n';
    out << "account Equity:Opening  ; type: E\n\n";

    // Account names (without spaces) are followed by two spaces, which is
    // where both tools end a name.
    std::vector<QString> names(accounts.size() + 1);
    out << year.start.toString(Qt::ISODate) << " Opening balances\n";
    for (const GeneratedAccount &a : accounts) {
        if (size_t(a.id) >= names.size())
            names.resize(size_t(a.id) + 1);
        names[size_t(a.id)] = journalAccount(a.name);
        if (a.opening != 0)
            out << "    " << names[size_t(a.id)] << "  " << Money::fromCents(a.opening).toPlain() << '\n';
    }
    out << "    Equity:Opening\n\n";

    generateTransactions(spec, [&](const GeneratedTransaction &t) {
        out << t.date.toString(Qt::ISODate) << ' ' << t.particulars << '\n'
            << "    " << names[size_t(t.to)] << "  " << Money::fromCents(t.amount).toPlain() << '\n'
            << "    " << names[size_t(t.from)] << "\n\n";
    });
    out.flush();
    if (out.status() != QTextStream::Ok || !file.flush())
        return file.errorString();
    return QString();
}

} // namespace bc::bench
