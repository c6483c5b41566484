#include "sqliterowstatement.h"

#include "connection.h"
#include "sql.h"

#include <QDate>
#include <QDateTime>
#include <sqlite3.h>

namespace bc {

namespace {

int bindValue(sqlite3_stmt *statement, int index, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType: return sqlite3_bind_null(statement, index);
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        return value.isNull() ? sqlite3_bind_null(statement, index)
                              : sqlite3_bind_int64(statement, index, value.toLongLong());
    case QMetaType::Bool:
        return value.isNull() ? sqlite3_bind_null(statement, index)
                              : sqlite3_bind_int(statement, index, value.toBool() ? 1 : 0);
    case QMetaType::Double:
    case QMetaType::Float:
        return value.isNull() ? sqlite3_bind_null(statement, index)
                              : sqlite3_bind_double(statement, index, value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        if (bytes.isNull())
            return sqlite3_bind_null(statement, index);
        return sqlite3_bind_blob64(statement, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
    }
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        if (!date.isValid())
            return sqlite3_bind_null(statement, index);
        const QByteArray text = date.toString(Qt::ISODate).toUtf8();
        return sqlite3_bind_text64(statement, index, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    }
    default: break;
    }
    const QString text = value.toString();
    if (value.isNull() || text.isNull())
        return sqlite3_bind_null(statement, index);
    const QByteArray utf8 = text.toUtf8();
    return sqlite3_bind_text64(statement, index, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                               SQLITE_UTF8);
}

} // namespace

SqliteRowStatement::SqliteRowStatement(const QSqlDatabase &db, const QString &statement)
    : m_db(db)
{
    sqlite3 *handle = connectionHandle(db);
    if (!handle)
        throw DbError(QStringLiteral("The book is not open."));
    const QByteArray text = statement.toUtf8();
    if (const int status = sqlite3_prepare_v3(handle, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT,
                                              &m_statement, nullptr);
        status != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        throw sqliteFailure(db, sqlite3_extended_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)));
    }
}

SqliteRowStatement::~SqliteRowStatement()
{
    sqlite3_finalize(m_statement);
}

void SqliteRowStatement::run(const QVariantList &values)
{
    sqlite3 *handle = sqlite3_db_handle(m_statement);
    for (qsizetype i = 0; i < values.size(); ++i)
        if (const int status = bindValue(m_statement, int(i) + 1, values[i]); status != SQLITE_OK)
            throw sqliteFailure(m_db, status, QString::fromUtf8(sqlite3_errmsg(handle)));
    const int status = sqlite3_step(m_statement);
    // The message is read before the reset, which keeps the code only.
    const QString message = status == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(handle));
    const int extended = sqlite3_extended_errcode(handle);
    sqlite3_reset(m_statement);
    if (status != SQLITE_DONE)
        throw sqliteFailure(m_db, extended, message);
}

} // namespace bc
