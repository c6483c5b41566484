#include "rowimages.h"

#include "connection.h"

namespace bc {

QString jsonArrayText(const QSqlDatabase &db, const QStringList &expressions)
{
    return dialectOf(db).jsonArrayText(expressions);
}

QString jsonArrayElement(const QSqlDatabase &db, const QString &json, int index, const QString &serverType)
{
    return dialectOf(db).jsonArrayElement(json, index, serverType);
}

QString idsOfJsonArray(const QSqlDatabase &db)
{
    return dialectOf(db).idsOfJsonArray();
}

} // namespace bc
