#include "textmatch.h"

#include "engine.h"

namespace bc {

QString likeIgnoringCase(const QSqlDatabase &db, const QString &column)
{
    return forEngine(db, QStringLiteral("%1 LIKE ? ESCAPE '\\'"), QStringLiteral("%1 ILIKE ? ESCAPE '\\'")).arg(column);
}

QString orderIgnoringCase(const QSqlDatabase &db, const QString &column)
{
    return forEngine(db, QStringLiteral("%1 COLLATE NOCASE, %1"), QStringLiteral("lower(%1), %1")).arg(column);
}

} // namespace bc
