#include "engine.h"

#include "dates.h"
#include "sql.h"

#include <QSqlDatabase>

namespace bc {

Engine engineOf(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL") ? Engine::PostgreSQL : Engine::SQLite;
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

// Whether the catalogue statement for the engine of db finds the name.
bool catalogueHas(const QSqlDatabase &db, const QString &sqlite, const QString &postgres, const QString &name)
{
    return runSql(db, forEngine(db, sqlite, postgres), {name}).next();
}

} // namespace

bool bookHasTable(const QSqlDatabase &db, const QString &name)
{
    return catalogueHas(db,
                        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND lower(name) = lower(?)"),
                        QStringLiteral("SELECT 1 FROM pg_catalog.pg_tables "
                                       "WHERE schemaname = current_schema() AND tablename = lower(?)"),
                        name);
}

bool bookHasTrigger(const QSqlDatabase &db, const QString &name)
{
    return catalogueHas(db,
                        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'trigger' AND lower(name) = lower(?)"),
                        QStringLiteral(
                            "SELECT 1 FROM pg_catalog.pg_trigger WHERE NOT tgisinternal AND tgname = lower(?)"),
                        name);
}

QString wholeSum(const QSqlDatabase &db, const QString &expression)
{
    return forEngine(db, QStringLiteral("sum(%1)"), QStringLiteral("CAST(sum(%1) AS bigint)")).arg(expression);
}

QString monthOfDate(const QSqlDatabase &db, const QString &column)
{
    return forEngine(db, QStringLiteral("substr(%1, 1, 7)"), QStringLiteral("balance_month(%1)")).arg(column);
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

QVariant isoDateOfShortDate(const QVariant &text)
{
    const QDate date = parseShortDate(text.toString());
    return date.isValid() ? QVariant(isoDate(date)) : QVariant(QMetaType::fromType<QString>());
}

QString shortDateBound(const QSqlDatabase &db, const QString &column, bool lower, const QVariant &text,
                       QVariantList &values)
{
    const QString comparison = lower ? QStringLiteral(" >= ") : QStringLiteral(" <= ");
    if (engineOf(db) == Engine::PostgreSQL) {
        values << isoDateOfShortDate(text);
        return column + comparison
            + (lower ? QStringLiteral("ifnull(CAST(? AS date), '-infinity')")
                     : QStringLiteral("ifnull(CAST(? AS date), 'infinity')"));
    }
    values << text;
    return column + comparison
        + (lower ? QStringLiteral("ifnull(DATEVALUE(?), '0000-00-00')")
                 : QStringLiteral("ifnull(DATEVALUE(?), '9999-99-99')"));
}

} // namespace bc
