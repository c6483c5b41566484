#include "textmatch.h"

#include "connection.h"

namespace bc {

QString likeIgnoringCase(const QSqlDatabase &db, const QString &column)
{
    return dialectOf(db).likeIgnoringCase(column);
}

QString orderIgnoringCase(const QSqlDatabase &db, const QString &column)
{
    return dialectOf(db).orderIgnoringCase(column);
}

} // namespace bc
