#include "history.h"

#include "historyrows.h"

#include <QStringList>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace bc {

namespace {

// The operating-system account the program runs under: from the
// environment, else from the system's user database, since a process started
// without USER still runs as somebody.
QString systemUser()
{
    for (const char *variable : {"USER", "LOGNAME", "USERNAME"})
        if (const QString user = qEnvironmentVariable(variable); !user.isEmpty())
            return user;
#ifdef Q_OS_UNIX
    if (const passwd *account = getpwuid(geteuid()); account && account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
#endif
    return QString();
}

// Who a change is recorded under: the name the program knows the user by (a
// server book's login, or the login name of the book's settings) with the
// operating-system user beside it, "alice (ajones)"; either alone where the
// other is unknown or the same.
QString changeUser(const Book &book)
{
    const QString login = book.actorName();
    const QString system = systemUser();
    if (login.isEmpty())
        return system.isEmpty() ? QStringLiteral("(unknown)") : system;
    if (system.isEmpty() || system == login)
        return login;
    return QStringLiteral("%1 (%2)").arg(login, system);
}

QString counted(qint64 count, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

} // namespace

ChangeRecorder::ChangeRecorder(const Book &book, const QString &source, const QString &verb)
    : m_book(book)
    , m_active(hasHistory(book))
    , m_user(changeUser(book))
    , m_source(source)
    , m_verb(verb)
{
}

qint64 ChangeRecorder::id()
{
    if (m_id == 0)
        m_id = addChangeSet(m_book, QDateTime::currentDateTime(), m_user, m_source);
    return m_id;
}

void ChangeRecorder::keepBefore(HistoryTable table, const QList<qint64> &ids)
{
    if (!m_active || ids.isEmpty())
        return;
    keepRowsBefore(m_book, id(), table, ids);
}

void ChangeRecorder::keepAllBefore(HistoryTable table)
{
    if (!m_active)
        return;
    keepTableBefore(m_book, id(), table);
}

void ChangeRecorder::added(HistoryTable table, qint64 first, qint64 last)
{
    if (!m_active || last < first)
        return;
    addAddedRange(m_book, id(), table, first, last);
}

void ChangeRecorder::setUndoes(qint64 undone, bool takesBack, const QString &summary)
{
    m_undoes = undone;
    m_takesBack = takesBack;
    m_summary = summary;
}

QString ChangeRecorder::countedSummary() const
{
    qint64 accounts = 0, transactions = 0, statements = 0;
    bool settings = false;
    for (const HistoryTable table : historyTables()) {
        const qint64 count = rowsChangedBy(m_book, m_id, table);
        if (table == HistoryTable::Accounts)
            accounts = count;
        else if (table == HistoryTable::Transactions)
            transactions = count;
        else if (table == HistoryTable::Reconciliations)
            statements = count;
        else
            settings = count > 0;
    }
    QStringList parts;
    if (accounts > 0)
        parts << counted(accounts, QStringLiteral("account"), QStringLiteral("accounts"));
    if (transactions > 0)
        parts << counted(transactions, QStringLiteral("transaction"), QStringLiteral("transactions"));
    if (statements > 0)
        parts << counted(statements, QStringLiteral("statement"), QStringLiteral("statements"));
    if (settings)
        parts << QStringLiteral("the settings");
    return QStringLiteral("%1 of %2").arg(m_verb, parts.join(QStringLiteral(" and ")));
}

qint64 ChangeRecorder::finish()
{
    if (!m_active || m_id == 0)
        return 0;
    completeChangeSet(m_book, m_id, m_summary.isEmpty() ? countedSummary() : m_summary, m_undoes, m_takesBack);
    return m_id;
}

} // namespace bc
