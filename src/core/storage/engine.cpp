#include "engine.h"

#include "sql.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
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
    return bookHasTriggers(db, {name});
}

bool bookHasTriggers(const QSqlDatabase &db, const QStringList &names)
{
    QSqlQuery q = runSql(db, dialectOf(db).triggersNamed(),
                         {QString::fromUtf8(
                             QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact))});
    return q.next() && q.value(0).toLongLong() == QSet<QString>(names.begin(), names.end()).size();
}

} // namespace bc
