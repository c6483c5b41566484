#include "textmatch.h"

#include "engine.h"

namespace bc {

QString likeIgnoringCase(const QSqlDatabase &db, const QString &column)
{
    return forEngine(db, QStringLiteral("%1 LIKE ? ESCAPE '\\'"), QStringLiteral("%1 ILIKE ? ESCAPE '\\'")).arg(column);
}

} // namespace bc
