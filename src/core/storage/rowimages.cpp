#include "rowimages.h"

#include "engine.h"

namespace bc {

QString jsonArrayText(const QSqlDatabase &db, const QStringList &expressions)
{
    return forEngine(db, QStringLiteral("json_array(%1)"), QStringLiteral("json_build_array(%1)::text"))
        .arg(expressions.join(QStringLiteral(", ")));
}

QString jsonArrayElement(const QSqlDatabase &db, const QString &json, int index, const QString &serverType)
{
    if (engineOf(db) == Engine::SQLite)
        return QStringLiteral("json_extract(%1, '$[%2]')").arg(json).arg(index);
    return QStringLiteral("CAST(CAST(%1 AS json) ->> %2 AS %3)").arg(json).arg(index).arg(serverType);
}

QString idsOfJsonArray(const QSqlDatabase &db)
{
    return forEngine(db, QStringLiteral("SELECT value AS id FROM json_each(?)"),
                     QStringLiteral("SELECT CAST(e.value AS bigint) AS id "
                                    "FROM json_array_elements_text(CAST(? AS json)) AS e (value)"));
}

} // namespace bc
