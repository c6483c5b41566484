#include "postgresdialect.h"

namespace bc {

// PostgreSQL sums bigint as numeric: cast back, a sum past the 64-bit range
// then fails as SQLite's does.
QString PostgresDialect::wholeSum(const QString &expression) const
{
    return QStringLiteral("CAST(sum(%1) AS bigint)").arg(expression);
}

// The book's own balance_month() of the date.
QString PostgresDialect::monthOfDate(const QString &column) const
{
    return QStringLiteral("balance_month(%1)").arg(column);
}

QString PostgresDialect::likeIgnoringCase(const QString &column) const
{
    return QStringLiteral("%1 ILIKE ? ESCAPE '\\'").arg(column);
}

QString PostgresDialect::orderIgnoringCase(const QString &column) const
{
    return QStringLiteral("lower(%1), %1").arg(column);
}

QString PostgresDialect::jsonArrayText(const QStringList &expressions) const
{
    return QStringLiteral("json_build_array(%1)::text").arg(expressions.join(QStringLiteral(", ")));
}

QString PostgresDialect::jsonArrayElement(const QString &json, int index, const QString &serverType) const
{
    return QStringLiteral("CAST(CAST(%1 AS json) ->> %2 AS %3)").arg(json).arg(index).arg(serverType);
}

QString PostgresDialect::idsOfJsonArray() const
{
    return QStringLiteral("SELECT CAST(e.value AS bigint) AS id "
                          "FROM json_array_elements_text(CAST(? AS json)) AS e (value)");
}

QString PostgresDialect::positionOf(const QString &needle, const QString &haystack) const
{
    return QStringLiteral("strpos(%1, %2)").arg(haystack, needle);
}

QString PostgresDialect::tableNamed() const
{
    return QStringLiteral("SELECT 1 FROM pg_catalog.pg_tables "
                          "WHERE schemaname = current_schema() AND tablename = lower(?)");
}

QString PostgresDialect::triggersNamed() const
{
    return QStringLiteral("SELECT count(DISTINCT tgname) FROM pg_catalog.pg_trigger WHERE NOT tgisinternal "
                          "AND tgname IN (SELECT lower(e.value) FROM json_array_elements_text(CAST(? AS json)) "
                          "AS e (value))");
}

QString PostgresDialect::dropTriggerIfExists(const QString &trigger, const QString &table) const
{
    return QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(trigger, table);
}

QString PostgresDialect::dateOrOpenEnd(bool lower) const
{
    return lower ? QStringLiteral("coalesce(CAST(? AS date), '-infinity')")
                 : QStringLiteral("coalesce(CAST(? AS date), 'infinity')");
}

} // namespace bc
