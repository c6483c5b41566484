#include "dialect.h"

#include "connection.h"
#include "dates.h"
#include "postgresdialect.h"
#include "sqlitedialect.h"

namespace bc {

QString Dialect::shortDateBound(const QString &column, bool lower, const QVariant &text, QVariantList &values) const
{
    values << isoDateOfShortDate(text);
    return column + (lower ? QStringLiteral(" >= ") : QStringLiteral(" <= ")) + dateOrOpenEnd(lower);
}

QVariant isoDateOfShortDate(const QVariant &text)
{
    const QDate date = parseShortDate(text.toString());
    return date.isValid() ? QVariant(isoDate(date)) : QVariant(QMetaType::fromType<QString>());
}

const Dialect &dialectFor(Engine engine)
{
    static const SqliteDialect sqlite;
    static const PostgresDialect postgres;
    if (engine == Engine::PostgreSQL)
        return postgres;
    return sqlite;
}

const Dialect &dialectOf(const Book &book)
{
    return dialectOf(connectionOf(book));
}

const Dialect &dialectOf(const QSqlDatabase &db)
{
    return dialectFor(db.driverName() == QLatin1String("QPSQL") ? Engine::PostgreSQL : Engine::SQLite);
}

} // namespace bc
