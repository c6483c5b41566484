#include "sqlitedialect.h"

namespace bc {

// SQLite's sum() of whole numbers is a whole number, and fails past the
// 64-bit range by itself.
QString SqliteDialect::wholeSum(const QString &expression) const
{
    return QStringLiteral("sum(%1)").arg(expression);
}

// The first seven characters of the ISO text.
QString SqliteDialect::monthOfDate(const QString &column) const
{
    return QStringLiteral("substr(%1, 1, 7)").arg(column);
}

QString SqliteDialect::likeIgnoringCase(const QString &column) const
{
    return QStringLiteral("%1 LIKE ? ESCAPE '\\'").arg(column);
}

QString SqliteDialect::orderIgnoringCase(const QString &column) const
{
    return QStringLiteral("%1 COLLATE NOCASE, %1").arg(column);
}

QString SqliteDialect::jsonArrayText(const QStringList &expressions) const
{
    return QStringLiteral("json_array(%1)").arg(expressions.join(QStringLiteral(", ")));
}

QString SqliteDialect::jsonArrayElement(const QString &json, int index, const QString &) const
{
    return QStringLiteral("json_extract(%1, '$[%2]')").arg(json).arg(index);
}

QString SqliteDialect::idsOfJsonArray() const
{
    return QStringLiteral("SELECT value AS id FROM json_each(?)");
}

QString SqliteDialect::positionOf(const QString &needle, const QString &haystack) const
{
    return QStringLiteral("instr(%1, %2)").arg(haystack, needle);
}

QString SqliteDialect::tableNamed() const
{
    return QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND lower(name) = lower(?)");
}

QString SqliteDialect::triggersNamed() const
{
    return QStringLiteral("SELECT count(DISTINCT lower(name)) FROM sqlite_master WHERE type = 'trigger' "
                          "AND lower(name) IN (SELECT lower(value) FROM json_each(?))");
}

// A trigger's name is unique in a book file, whatever its table.
QString SqliteDialect::dropTriggerIfExists(const QString &trigger, const QString &) const
{
    return QStringLiteral("DROP TRIGGER IF EXISTS \"%1\"").arg(trigger);
}

// ISO text sorts as the dates do, so the open ends are texts before and
// after every date.
QString SqliteDialect::dateOrOpenEnd(bool lower) const
{
    return lower ? QStringLiteral("coalesce(?, '0000-00-00')") : QStringLiteral("coalesce(?, '9999-99-99')");
}

} // namespace bc
