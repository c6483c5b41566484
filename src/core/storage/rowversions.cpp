#include "rowversions.h"

#include "connection.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

bool hasRowVersions(const QSqlDatabase &db)
{
    return runSql(db, dialectOf(db).columnNamed(), {QStringLiteral("account_master"), QStringLiteral("row_version")})
        .next();
}

} // namespace bc
