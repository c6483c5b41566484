#include "history.h"

#include "engine.h"
#include "historyrows.h"
#include "rowimages.h"
#include "sql.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace bc {

namespace {

const QString setColumns = QStringLiteral(
    "SELECT s.id, s.made_at, s.user_name, s.source, s.summary, s.undoes, s.takes_back, "
    "(SELECT u.id FROM change_sets AS u WHERE u.undoes = s.id) FROM change_sets AS s ");

ChangeSet readSet(const QSqlQuery &q)
{
    ChangeSet set;
    set.id = q.value(0).toLongLong();
    set.madeAt = QDateTime::fromString(q.value(1).toString(), Qt::ISODate);
    set.user = q.value(2).toString();
    set.source = q.value(3).toString();
    set.summary = q.value(4).toString();
    set.undoes = q.value(5).toLongLong();
    set.takesBack = q.value(6).toLongLong() != 0;
    set.undoneBy = q.value(7).toLongLong();
    return set;
}

std::optional<ChangeSet> firstSet(const Book &book, const QString &condition, const QVariantList &values = {})
{
    const QSqlDatabase db = connectionOf(book);
    if (!hasHistoryTables(db))
        return std::nullopt;
    QSqlQuery q = runSql(db, setColumns + condition, values);
    if (!q.next())
        return std::nullopt;
    return readSet(q);
}

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

QString ChangeSet::title(const QDate &today) const
{
    const QString when = madeAt.date() == today ? madeAt.toString(QStringLiteral("HH:mm"))
                                                : madeAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return QStringLiteral("%1 at %2").arg(summary, when);
}

ChangeRecorder::ChangeRecorder(const Book &book, const QString &source, const QString &verb)
    : m_book(book)
    , m_active(hasHistoryTables(connectionOf(book)))
    , m_user(changeUser(book))
    , m_source(source)
    , m_verb(verb)
{
}

qint64 ChangeRecorder::id()
{
    if (m_id == 0) {
        QSqlQuery q = runSql(connectionOf(m_book),
                             QStringLiteral("INSERT INTO change_sets (made_at, user_name, source, summary) "
                                            "VALUES (?, ?, ?, '') RETURNING id"),
                             {QDateTime::currentDateTime().toString(Qt::ISODate), m_user, m_source});
        if (!q.next())
            throw DbError(QStringLiteral("The book gave no number for the change history's new entry."));
        m_id = q.value(0).toLongLong();
    }
    return m_id;
}

void ChangeRecorder::keepBefore(HistoryTable table, const QList<qint64> &ids)
{
    if (!m_active || ids.isEmpty())
        return;
    QJsonArray list;
    for (const qint64 id : ids)
        list.append(id);
    const QSqlDatabase db = connectionOf(m_book);
    keepRowsBefore(db, id(), table, idsOfJsonArray(db),
                   {QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact))});
}

void ChangeRecorder::keepAllBefore(HistoryTable table)
{
    if (!m_active)
        return;
    const HistoryShape &shape = shapeOf(table);
    keepRowsBefore(connectionOf(m_book), id(), table,
                   QStringLiteral("SELECT %1 AS id FROM %2").arg(shape.key, shape.table), {});
}

void ChangeRecorder::added(HistoryTable table, qint64 first, qint64 last)
{
    if (!m_active || last < first)
        return;
    runSql(connectionOf(m_book),
           QStringLiteral("INSERT INTO change_ranges (set_id, tbl, first_id, last_id) VALUES (?, ?, ?, ?)"),
           {id(), shapeOf(table).word, first, last});
}

void ChangeRecorder::setUndoes(qint64 undone, bool takesBack, const QString &summary)
{
    m_undoes = undone;
    m_takesBack = takesBack;
    m_summary = summary;
}

QString ChangeRecorder::countedSummary() const
{
    // A kept row without values before counts only when the set put it in
    // the book: one an import kept for lines it took over stays away.
    const QSqlDatabase db = connectionOf(m_book);
    qint64 accounts = 0, transactions = 0;
    bool settings = false;
    for (const HistoryTable table : historyTables()) {
        const HistoryShape &shape = shapeOf(table);
        QSqlQuery q = runSql(db,
                             QStringLiteral("SELECT (SELECT count(*) FROM change_rows AS c WHERE c.set_id = ? "
                                            "AND c.tbl = ? AND (c.before IS NOT NULL OR EXISTS "
                                            "(SELECT 1 FROM %1 AS t WHERE t.%2 = c.row_id))) + "
                                            "(SELECT coalesce(sum(last_id - first_id + 1), 0) FROM change_ranges "
                                            "WHERE set_id = ? AND tbl = ?)")
                                 .arg(shape.table, shape.key),
                             {m_id, shape.word, m_id, shape.word});
        const qint64 count = q.next() ? q.value(0).toLongLong() : 0;
        if (table == HistoryTable::Accounts)
            accounts = count;
        else if (table == HistoryTable::Transactions)
            transactions = count;
        else
            settings = count > 0;
    }
    QStringList parts;
    if (accounts > 0)
        parts << counted(accounts, QStringLiteral("account"), QStringLiteral("accounts"));
    if (transactions > 0)
        parts << counted(transactions, QStringLiteral("transaction"), QStringLiteral("transactions"));
    if (settings)
        parts << QStringLiteral("the settings");
    return QStringLiteral("%1 of %2").arg(m_verb, parts.join(QStringLiteral(" and ")));
}

qint64 ChangeRecorder::finish()
{
    if (!m_active || m_id == 0)
        return 0;
    runSql(connectionOf(m_book),
           QStringLiteral("UPDATE change_sets SET summary = ?, undoes = ?, takes_back = ? WHERE id = ?"),
           {m_summary.isEmpty() ? countedSummary() : m_summary, m_undoes ? QVariant(m_undoes) : QVariant(),
            int(m_takesBack), m_id});
    return m_id;
}

QList<ChangeSet> changeHistory(const Book &book, int limit)
{
    const QSqlDatabase db = connectionOf(book);
    QList<ChangeSet> sets;
    if (!hasHistoryTables(db))
        return sets;
    QSqlQuery q = limit > 0 ? runSql(db, setColumns + QStringLiteral("ORDER BY s.id DESC LIMIT ?"), {limit})
                            : runSql(db, setColumns + QStringLiteral("ORDER BY s.id DESC"));
    while (q.next())
        sets << readSet(q);
    return sets;
}

std::optional<ChangeSet> changeSet(const Book &book, qint64 id)
{
    return firstSet(book, QStringLiteral("WHERE s.id = ?"), {id});
}

std::optional<ChangeSet> undoTarget(const Book &book)
{
    return firstSet(book,
                    QStringLiteral("WHERE s.takes_back = 0 AND NOT EXISTS "
                                   "(SELECT 1 FROM change_sets AS u WHERE u.undoes = s.id) "
                                   "ORDER BY s.id DESC LIMIT 1"));
}

std::optional<ChangeSet> redoTarget(const Book &book)
{
    return firstSet(book,
                    QStringLiteral("WHERE s.takes_back = 1 AND NOT EXISTS "
                                   "(SELECT 1 FROM change_sets AS u WHERE u.undoes = s.id) "
                                   "AND NOT EXISTS (SELECT 1 FROM change_sets AS f "
                                   "WHERE f.id > s.id AND f.undoes IS NULL) "
                                   "ORDER BY s.id DESC LIMIT 1"));
}

QString addedByUndoneChange(const Book &book, const QString &idExpression)
{
    if (!hasHistoryTables(connectionOf(book)))
        return QStringLiteral("0");
    // A change adds a row either as part of a range of ids or, putting back a
    // row that was not there, as a kept row without values before it.
    const QString standingUndo = QStringLiteral("JOIN change_sets u ON u.undoes = %1.set_id AND u.takes_back = 1 "
                                                "AND NOT EXISTS (SELECT 1 FROM change_sets x WHERE x.undoes = u.id)");
    return QStringLiteral("(EXISTS (SELECT 1 FROM change_ranges r %1 WHERE r.tbl = '%3' "
                          "AND %4 BETWEEN r.first_id AND r.last_id) "
                          "OR EXISTS (SELECT 1 FROM change_rows c %2 WHERE c.tbl = '%3' AND c.row_id = %4 "
                          "AND c.before IS NULL))")
        .arg(standingUndo.arg(QStringLiteral("r")), standingUndo.arg(QStringLiteral("c")),
             shapeOf(HistoryTable::Transactions).word, idExpression);
}

} // namespace bc
