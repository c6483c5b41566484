#include "serverwriter.h"

#include "dberror.h"
#include "periodbalances.h"
#include "sql.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <libpq-fe.h>

namespace bc::bench {

namespace {

// One COPY ... FROM STDIN in PostgreSQL's text format, its rows gathered
// into large pieces before they are sent.
class CopyIn {
public:
    CopyIn(PGconn *connection, const char *statement)
        : m_connection(connection)
    {
        PGresult *result = PQexec(m_connection, statement);
        const bool started = PQresultStatus(result) == PGRES_COPY_IN;
        PQclear(result);
        if (!started)
            fail();
        m_buffer.reserve(Piece + 4096);
    }

    // Adds one field, escaped as the text format needs, then a tab or, for
    // the last of a row, a line end.
    void field(const QByteArray &value, bool last = false)
    {
        for (const char c : value) {
            switch (c) {
            case '\\': m_buffer += "\\\\"; break;
            case '\t': m_buffer += "\\t"; break;
            case '\n': m_buffer += "\\n"; break;
            case '\r': m_buffer += "\\r"; break;
            default: m_buffer += c;
            }
        }
        m_buffer += last ? '\n' : '\t';
        if (last && m_buffer.size() >= Piece)
            send();
    }
    void field(qint64 value, bool last = false) { field(QByteArray::number(value), last); }

    void finish()
    {
        send();
        if (PQputCopyEnd(m_connection, nullptr) != 1)
            fail();
        PGresult *result = PQgetResult(m_connection);
        const bool done = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        while ((result = PQgetResult(m_connection)))
            PQclear(result);
        if (!done)
            fail();
    }

private:
    static constexpr qsizetype Piece = 1 << 20;

    void send()
    {
        if (!m_buffer.isEmpty() && PQputCopyData(m_connection, m_buffer.constData(), int(m_buffer.size())) != 1)
            fail();
        m_buffer.clear();
    }
    [[noreturn]] void fail() const { throw DbError(QString::fromUtf8(PQerrorMessage(m_connection)).trimmed()); }

    PGconn *m_connection;
    QByteArray m_buffer;
};

void copyAccounts(PGconn *connection, const std::vector<GeneratedAccount> &accounts)
{
    CopyIn copy(connection,
                "COPY account_master (account_id, account_name, account_type, open_amount, particulars, "
                "version_date) FROM STDIN");
    for (const GeneratedAccount &a : accounts) {
        if (a.builtIn)
            continue;
        copy.field(a.id);
        copy.field(a.name.toUtf8());
        copy.field(qint64(a.type));
        copy.field(a.opening);
        copy.field(QByteArrayLiteral("Generated account"));
        copy.field(QByteArrayLiteral("01/01/2020"), true);
    }
    copy.finish();
}

void copyTransactions(PGconn *connection, const DatasetSpec &spec)
{
    CopyIn copy(connection,
                "COPY transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, "
                "amount, particulars, version_date) FROM STDIN");
    generateTransactions(spec, [&](const GeneratedTransaction &t) {
        copy.field(t.id);
        copy.field(t.date.toString(Qt::ISODate).toLatin1());
        copy.field(t.from);
        copy.field(QByteArrayLiteral("A"));
        copy.field(t.to);
        copy.field(QByteArrayLiteral("A"));
        copy.field(t.amount);
        copy.field(t.particulars.toUtf8());
        copy.field(QByteArrayLiteral("2020-01-01 09:00:00"), true);
    });
    copy.finish();
}

// The statements that make the indexes (other than the primary key's) and
// the foreign keys of transaction_master again, dropping them meanwhile.
QStringList setAsideIndexesAndKeys(const QSqlDatabase &db)
{
    QStringList drops;
    QStringList definitions;
    QSqlQuery indexes = runSql(db,
                               QStringLiteral("SELECT indexname, indexdef FROM pg_indexes "
                                              "WHERE schemaname = current_schema() "
                                              "AND tablename = 'transaction_master' "
                                              "AND indexname NOT IN (SELECT conname FROM pg_constraint)"));
    while (indexes.next()) {
        drops << QStringLiteral("DROP INDEX \"%1\"").arg(indexes.value(0).toString());
        definitions << indexes.value(1).toString();
    }
    QSqlQuery keys = runSql(db,
                            QStringLiteral("SELECT conname, pg_get_constraintdef(oid) FROM pg_constraint "
                                           "WHERE conrelid = 'transaction_master'::regclass AND contype = 'f'"));
    while (keys.next()) {
        const QString name = keys.value(0).toString();
        drops << QStringLiteral("ALTER TABLE transaction_master DROP CONSTRAINT \"%1\"").arg(name);
        definitions << QStringLiteral("ALTER TABLE transaction_master ADD CONSTRAINT \"%1\" %2")
                           .arg(name, keys.value(1).toString());
    }
    for (const QString &drop : drops)
        runSql(db, drop);
    return definitions;
}

} // namespace

void loadOnServer(const QSqlDatabase &db, const DatasetSpec &spec, const std::vector<GeneratedAccount> &accounts)
{
    auto *connection = *static_cast<PGconn *const *>(db.driver()->handle().constData());
    {
        TransactionGuard transaction(db);
        const QStringList definitions = setAsideIndexesAndKeys(db);
        runSql(db, QStringLiteral("ALTER TABLE transaction_master DISABLE TRIGGER USER"));
        copyAccounts(connection, accounts);
        copyTransactions(connection, spec);
        for (const QString &definition : definitions)
            runSql(db, definition);
        runSql(db, QStringLiteral("ALTER TABLE transaction_master ENABLE TRIGGER USER"));
        fillPeriodBalances(db);
        transaction.commit();
    }
    runSql(db, QStringLiteral("ANALYZE"));
}

} // namespace bc::bench
