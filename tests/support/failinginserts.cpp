#include "failinginserts.h"

#include "engine.h"
#include "sql.h"

namespace bc::test {

void failInserts(const QSqlDatabase &db, const QString &table, const QString &message)
{
    // The message is the test's own constant; a trigger body takes no bound values.
    if (engineOf(db) == Engine::SQLite) {
        runSql(db,
               QStringLiteral("CREATE TRIGGER fail_insert BEFORE INSERT ON %1 "
                              "BEGIN SELECT RAISE(ABORT, '%2'); END")
                   .arg(table, message));
        return;
    }
    runSql(db,
           QStringLiteral("CREATE FUNCTION fail_insert() RETURNS trigger LANGUAGE plpgsql AS "
                          "$$ BEGIN RAISE EXCEPTION '%1'; END $$")
               .arg(message));
    runSql(db,
           QStringLiteral("CREATE TRIGGER fail_insert BEFORE INSERT ON %1 "
                          "FOR EACH ROW EXECUTE FUNCTION fail_insert()")
               .arg(table));
}

} // namespace bc::test
