#include "rowversions.h"

#include "sql.h"

#include <QSqlQuery>

namespace bc {

bool hasRowVersions(const QSqlDatabase &db)
{
    // SQLite: pragma_table_info.
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT count(*) FROM pragma_table_info('account_master') "
                                        "WHERE name = 'row_version'"));
    return q.next() && q.value(0).toInt() > 0;
}

} // namespace bc
