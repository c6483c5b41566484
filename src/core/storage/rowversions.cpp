#include "rowversions.h"

#include "engine.h"
#include "sql.h"

#include <QSqlQuery>

namespace bc {

bool hasRowVersions(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db,
                         forEngine(db,
                                   QStringLiteral("SELECT count(*) FROM pragma_table_info('account_master') "
                                                  "WHERE name = 'row_version'"),
                                   QStringLiteral(
                                       "SELECT count(*) FROM information_schema.columns "
                                       "WHERE table_schema = current_schema() "
                                       "AND table_name = 'account_master' AND column_name = 'row_version'")));
    return q.next() && q.value(0).toInt() > 0;
}

} // namespace bc
