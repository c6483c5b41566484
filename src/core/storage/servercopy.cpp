#include "servercopy.h"

#include "dates.h"
#include "sql.h"

#include <QSqlDriver>
#include <libpq-fe.h>

#include <optional>
#include <utility>

namespace bc {

namespace {

// The data sent to the server in one piece at most: large pieces, few calls.
constexpr qsizetype CopyPiece = 1 << 20;

PGconn *libpqHandle(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    // Qt names the handle's type by the structure libpq's PGconn stands for.
    if (!handle.isValid()
        || (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.data());
}

// One value in COPY's text format: \N for Null, the text with its
// backslashes, tabs and line ends escaped otherwise.
void appendField(QByteArray &data, const QVariant &value)
{
    if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull())) {
        data += "\\N";
        return;
    }
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong: data += QByteArray::number(value.toLongLong()); return;
    case QMetaType::QDate: data += isoDate(value.toDate()).toLatin1(); return;
    default: break;
    }
    const QByteArray text = value.toString().toUtf8();
    data.reserve(data.size() + text.size());
    for (const char c : text) {
        switch (c) {
        case '\\': data += "\\\\"; break;
        case '\t': data += "\\t"; break;
        case '\n': data += "\\n"; break;
        case '\r': data += "\\r"; break;
        default: data += c;
        }
    }
}

// The server's refusal of the last result, or of the connection when there
// is no result, as the other statements' failures are reported.
DbError refusal(PGconn *connection, const PGresult *result)
{
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char *message = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    return serverStatementFailure(QString::fromUtf8(message ? message : PQerrorMessage(connection)).trimmed(),
                                  QString::fromLatin1(state ? state : ""));
}

// Reads every result the server still has for the connection, so that the
// next statement starts on a clean connection; the first failure among
// them, if any, is thrown afterwards.
void finishResults(PGconn *connection)
{
    std::optional<DbError> failed;
    while (PGresult *result = PQgetResult(connection)) {
        const ExecStatusType status = PQresultStatus(result);
        if (!failed && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            failed = refusal(connection, result);
        PQclear(result);
    }
    if (failed)
        throw *failed;
}

} // namespace

bool canCopyIn(const QSqlDatabase &db)
{
    return libpqHandle(db) != nullptr;
}

ServerCopy::ServerCopy(const QSqlDatabase &db, const QString &table, const QStringList &columns)
    : m_db(db)
    , m_statement(QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(QStringLiteral(", "))).toUtf8())
{
}

void ServerCopy::add(const QVariantList &row)
{
    for (qsizetype c = 0; c < row.size(); ++c) {
        if (c > 0)
            m_data += '\t';
        appendField(m_data, row[c]);
    }
    m_data += '\n';
    ++m_rows;
}

void ServerCopy::send()
{
    if (m_rows == 0)
        return;
    PGconn *connection = libpqHandle(m_db);
    if (!connection)
        throw DbError(QStringLiteral("The book is not open."));
    const QByteArray data = std::exchange(m_data, {});
    m_rows = 0;
    PGresult *started = PQexec(connection, m_statement.constData());
    const bool copying = PQresultStatus(started) == PGRES_COPY_IN;
    if (!copying) {
        const DbError failed = refusal(connection, started);
        PQclear(started);
        finishResults(connection);
        throw failed;
    }
    PQclear(started);
    bool sent = true;
    for (qsizetype at = 0; sent && at < data.size(); at += CopyPiece)
        sent = PQputCopyData(connection, data.constData() + at, int(qMin(CopyPiece, data.size() - at))) == 1;
    if (PQputCopyEnd(connection, sent ? nullptr : "the rows could not be sent") != 1)
        throw refusal(connection, nullptr);
    finishResults(connection);
}

} // namespace bc
