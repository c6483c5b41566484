#include "engine.h"

#include "sql.h"

#include <QSqlDatabase>

namespace bc {

Engine engineOf(const QSqlDatabase &db)
{
    return dialectOf(db).engine();
}

namespace {

// Whether the catalogue statement finds the name.
bool catalogueHas(const QSqlDatabase &db, const QString &statement, const QString &name)
{
    return runSql(db, statement, {name}).next();
}

} // namespace

bool bookHasTable(const QSqlDatabase &db, const QString &name)
{
    return catalogueHas(db, dialectOf(db).tableNamed(), name);
}

bool bookHasTrigger(const QSqlDatabase &db, const QString &name)
{
    return catalogueHas(db, dialectOf(db).triggerNamed(), name);
}

} // namespace bc
