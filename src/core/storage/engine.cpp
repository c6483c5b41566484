#include "engine.h"

#include "sql.h"

#include <QSqlDatabase>

namespace bc {

Engine engineOf(const QSqlDatabase &db)
{
    return dialectOf(db).engine();
}

bool isServerLocation(const QString &location)
{
    const QString t = location.trimmed();
    return t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
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

namespace {

// PostgreSQL: one column of rows as the text of an array of its values, to
// bind as one value; whole numbers as bigint, everything else as text.
QString arrayOfColumn(const QList<QVariantList> &rows, qsizetype column, bool numbers)
{
    QStringList items;
    items.reserve(rows.size());
    for (const QVariantList &row : rows) {
        const QVariant &value = row[column];
        // A null text is NULL, as a value bound on its own is.
        if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull())) {
            items << QStringLiteral("NULL");
        } else if (numbers) {
            items << QString::number(value.toLongLong());
        } else {
            QString text = value.toString();
            text.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
            items << u'"' + text + u'"';
        }
    }
    return u'{' + items.join(u',') + u'}';
}

} // namespace

void insertRows(const QSqlDatabase &db, const QString &insertInto, const QList<QVariantList> &rows,
                const QStringList &serverTypes, const QString &onConflict)
{
    if (rows.isEmpty())
        return;
    const qsizetype columns = rows.first().size();
    const QString tail = onConflict.isEmpty() ? QString() : u' ' + onConflict;
    if (engineOf(db) == Engine::SQLite) {
        runSqlBatch(db,
                    insertInto + QStringLiteral(" VALUES (")
                        + QStringList(columns, QStringLiteral("?")).join(QStringLiteral(", ")) + u')' + tail,
                    rows);
        return;
    }
    QStringList arrays;
    QVariantList values;
    for (qsizetype c = 0; c < columns; ++c) {
        const int type = rows.first()[c].typeId();
        const bool numbers = type == QMetaType::Int || type == QMetaType::LongLong;
        const QString serverType = c < serverTypes.size() ? serverTypes[c]
            : numbers                                     ? QStringLiteral("bigint")
                                                          : QStringLiteral("text");
        arrays << QStringLiteral("CAST(? AS %1[])").arg(serverType);
        values << arrayOfColumn(rows, c, numbers);
    }
    runSql(db, insertInto + QStringLiteral(" SELECT * FROM unnest(") + arrays.join(QStringLiteral(", ")) + u')' + tail,
           values);
}

QString shortDateBound(const QSqlDatabase &db, const QString &column, bool lower, const QVariant &text,
                       QVariantList &values)
{
    return dialectOf(db).shortDateBound(column, lower, text, values);
}

} // namespace bc
