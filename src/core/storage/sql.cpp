#include "sql.h"

#include "closedbook.h"
#include "engine.h"
#include "savedqueries.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>

namespace bc {

namespace {

// The key of the lock a server book's writers take (any number the program
// alone uses: "Brindlecot" in ASCII).
constexpr qint64 serverWriteLockKey = 0x4272696e646c;

DbError lockedFailure()
{
    return DbError(QStringLiteral("The book is in use by another program, so nothing was changed. "
                                  "Close the other program, or wait for it to finish, and try again."),
                   DbFault::Locked);
}

DbError serverFailure(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return serverStatementFailure(text.isEmpty() ? error.text() : text, error.nativeErrorCode());
}

// Builds the error for a failed statement. SQLite: its result code tells the
// faults of the file apart: 5 busy and 6 locked (another connection holds
// the book), 8 read-only and 14 cannot open (the journal beside the book
// cannot be created), 13 full.
DbError failure(const QSqlDatabase &db, const QSqlError &error)
{
    if (engineOf(db) == Engine::PostgreSQL)
        return serverFailure(error);
    switch (error.nativeErrorCode().toInt() & 0xFF) {
    case 5:
    case 6: return lockedFailure();
    case 8:
        // SQLITE_READONLY_DBMOVED: the file the connection opened is no
        // longer at the book's path, as after a restore put another there.
        if (sqlite3 *handle = connectionHandle(db);
            handle && sqlite3_extended_errcode(handle) == SQLITE_READONLY_DBMOVED)
            return DbError(QStringLiteral("The book file was replaced or moved while it was open (by a restore, "
                                          "for example), so nothing was changed. Open the book again."),
                           DbFault::ReadOnly);
        [[fallthrough]];
    case 14:
        return DbError(QStringLiteral("The book is read-only, so nothing was changed. Make the book file and "
                                      "its folder writable, or work on a copy kept where you may write."),
                       DbFault::ReadOnly);
    case 13:
        return DbError(QStringLiteral("The disk holding the book is full, so nothing was changed. "
                                      "Free some space on it and try again."),
                       DbFault::DiskFull);
    default: break;
    }
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    if (isClosedBookRefusal(text))
        return DbError(closedBookRefusal(db), DbFault::ClosedPeriod);
    return DbError(text.isEmpty() ? QStringLiteral("Unknown database error") : text);
}

} // namespace

DbError serverStatementFailure(const QString &text, const QString &state)
{
    if (state == QLatin1String("25006") || state == QLatin1String("42501"))
        return DbError(QStringLiteral("Your login may only read this book, so nothing was changed."),
                       DbFault::ReadOnly);
    if (state == QLatin1String("53100"))
        return DbError(QStringLiteral("The disk of the book's server is full, so nothing was changed."),
                       DbFault::DiskFull);
    if (state == QLatin1String("40001") || state == QLatin1String("40P01") || state == QLatin1String("55P03"))
        return lockedFailure();
    // A sum cast back to bigint, or a bigint column given a sum, beyond the
    // 64-bit range: the same failure as SQLite's sum() past that range, so
    // the reports refuse it in the same words.
    if (state == QLatin1String("22003"))
        return DbError(QStringLiteral("integer overflow"));
    if (const QString closed = serverClosedBookRefusal(text); !closed.isEmpty())
        return DbError(closed, DbFault::ClosedPeriod);
    return DbError(text);
}

DbError sqliteFailure(const QSqlDatabase &db, int code, const QString &message)
{
    return failure(db, QSqlError(QString(), message, QSqlError::StatementError, QString::number(code)));
}

QSqlQuery runSql(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    if (!db.isOpen())
        throw DbError(QStringLiteral("The book is not open."));
    QSqlQuery query(db);
    // A server's result read a row at a time ends, unread, when the
    // connection runs its next statement; there each result is read whole.
    query.setForwardOnly(engineOf(db) == Engine::SQLite);
    // A server prepares only queries and row changes, and a statement with
    // nothing to bind needs no preparing: it goes as it stands.
    if (values.isEmpty() && engineOf(db) == Engine::PostgreSQL) {
        if (!query.exec(statement))
            throw failure(db, query.lastError());
        return query;
    }
    if (!query.prepare(statement))
        throw failure(db, query.lastError());
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    if (!query.exec())
        throw failure(db, query.lastError());
    return query;
}

PreparedStatement::PreparedStatement(const QSqlDatabase &db, const QString &statement)
    : m_db(db)
    , m_query(db)
{
    if (!m_db.isOpen())
        throw DbError(QStringLiteral("The book is not open."));
    if (!m_query.prepare(statement))
        throw failure(m_db, m_query.lastError());
}

qint64 PreparedStatement::run(const QVariantList &values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query.bindValue(int(i), values[i]);
    if (!m_query.exec())
        throw failure(m_db, m_query.lastError());
    return qMax(0, m_query.numRowsAffected());
}

qint64 runSqlBatch(const QSqlDatabase &db, const QString &statement, const QList<QVariantList> &rows)
{
    PreparedStatement prepared(db, statement);
    qint64 changed = 0;
    for (const QVariantList &values : rows)
        changed += prepared.run(values);
    return changed;
}

qint64 runSqlForIds(const QSqlDatabase &db, const QString &statement, const QList<qint64> &ids)
{
    QList<QVariantList> rows;
    rows.reserve(ids.size());
    for (const qint64 id : ids)
        rows.append(QVariantList{id});
    return runSqlBatch(db, statement, rows);
}

QString idsAsJsonArray(const QList<qint64> &ids)
{
    QJsonArray list;
    for (const qint64 id : ids)
        list.append(id);
    return QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
}

QSqlQuery runSavedQuery(const QSqlDatabase &db, const QString &name, const QVariantList &arguments)
{
    const SavedQuery *saved = programSavedQuery(name, engineOf(db));
    if (!saved)
        throw DbError(QStringLiteral("The program has no saved query \"%1\".").arg(name));
    if (arguments.size() < saved->parameters.size())
        throw DbError(QStringLiteral("The saved query expects more arguments than were given."));
    if (!db.isOpen())
        throw DbError(QStringLiteral("The book is not open."));
    QSqlQuery query(db);
    query.setForwardOnly(engineOf(db) == Engine::SQLite);
    if (!query.prepare(saved->text))
        throw failure(db, query.lastError());
    for (qsizetype i = 0; i < saved->parameters.size(); ++i) {
        const QString &parameter = saved->parameters[i];
        query.bindValue(u':' + parameter,
                        parameter.endsWith(QLatin1String("_date")) ? isoDateOfShortDate(arguments[i]) : arguments[i]);
    }
    if (!query.exec())
        throw failure(db, query.lastError());
    return query;
}

// The transaction statements run as plain statements rather than through
// QSqlDatabase::transaction() and commit(), which drop SQLite's result code
// and with it the reason a commit failed.
TransactionGuard::TransactionGuard(QSqlDatabase db, TransactionKind kind)
    : m_db(std::move(db))
{
    // SQLite: BEGIN IMMEDIATE takes the write lock at once, honouring the
    // connection's busy timeout; a plain BEGIN takes no lock until the
    // first statement. A server has no such lock, so the program's writers
    // take one of their own, held to the end of the transaction and waited
    // for up to the session's lock_timeout: saves of one book then follow
    // one another there too, and each sees every save committed before it.
    const bool server = engineOf(m_db) == Engine::PostgreSQL;
    runSql(m_db,
           kind == TransactionKind::Write && !server ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
    m_open = true;
    if (kind == TransactionKind::Write && server)
        runSql(m_db, QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {serverWriteLockKey});
}

TransactionGuard::~TransactionGuard()
{
    if (m_open)
        rollback();
}

void TransactionGuard::commit()
{
    try {
        runSql(m_db, QStringLiteral("COMMIT"));
    } catch (const DbError &) {
        rollback();
        throw;
    }
    m_open = false;
}

void TransactionGuard::rollback()
{
    m_open = false;
    QSqlQuery(QStringLiteral("ROLLBACK"), m_db);
}

} // namespace bc
