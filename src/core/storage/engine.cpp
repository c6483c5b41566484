#include "engine.h"

#include "bulkinserter.h"
#include "sql.h"

#include <QRegularExpression>
#include <QSqlDatabase>

namespace bc {

Engine engineOf(const QSqlDatabase &db)
{
    return dialectOf(db).engine();
}

QString forEngine(const QSqlDatabase &db, const QString &sqlite, const QString &postgres)
{
    return engineOf(db) == Engine::PostgreSQL ? postgres : sqlite;
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

QString wholeSum(const QSqlDatabase &db, const QString &expression)
{
    return dialectOf(db).wholeSum(expression);
}

QString monthOfDate(const QSqlDatabase &db, const QString &column)
{
    return dialectOf(db).monthOfDate(column);
}

void insertRows(const QSqlDatabase &db, const QString &insertInto, const QList<QVariantList> &rows, const QStringList &,
                const QString &onConflict)
{
    static const QRegularExpression head(QStringLiteral("^\\s*INSERT\\s+INTO\\s+(\\w+)\\s*\\(([^)]*)\\)\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = head.match(insertInto);
    if (!m.hasMatch())
        throw DbError(QStringLiteral("Rows are inserted through \"INSERT INTO table (columns)\"."));
    QStringList columns;
    for (const QString &column : m.captured(2).split(u','))
        columns << column.trimmed();
    if (rows.isEmpty())
        return;
    BulkInserter inserter(db, m.captured(1), columns, onConflict);
    inserter.add(rows);
    inserter.finish();
}

QString shortDateBound(const QSqlDatabase &db, const QString &column, bool lower, const QVariant &text,
                       QVariantList &values)
{
    return dialectOf(db).shortDateBound(column, lower, text, values);
}

} // namespace bc
