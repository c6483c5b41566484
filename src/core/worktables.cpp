#include "worktables.h"

#include "sql.h"

namespace bc {

void emptyPartyWorkTables(Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    for (const char *statement : {"delete from tmp_party_d", "delete from tmp_party_i"}) {
        try {
            runSql(db, QLatin1String(statement));
        } catch (const DbError &) {
        }
    }
}

} // namespace bc
