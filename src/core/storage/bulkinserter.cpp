#include "bulkinserter.h"

#include "connection.h"
#include "dates.h"
#include "servercopy.h"
#include "sql.h"
#include "sqliterowstatement.h"

#include <QHash>
#include <QSqlQuery>

#include <optional>

namespace bc {

namespace {

// Rows a server is sent in one statement of arrays: many, so round trips
// are few; not so many that the statement's text grows without bound.
constexpr qsizetype ServerRowsPerStatement = 10000;

// Rows a server is sent in one COPY: its data is held until then, a few
// megabytes.
constexpr qsizetype ServerRowsPerCopy = 50000;

// PostgreSQL: the type of each column of the table, as its catalogue
// writes it ("bigint", "date", "text"), in the order of columns.
QStringList serverColumnTypes(const QSqlDatabase &db, const QString &table, const QStringList &columns)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT a.attname, format_type(a.atttypid, a.atttypmod) "
                                        "FROM pg_catalog.pg_attribute AS a "
                                        "WHERE a.attrelid = CAST(? AS regclass) AND a.attnum > 0 "
                                        "AND NOT a.attisdropped"),
                         {table});
    QHash<QString, QString> types;
    while (q.next())
        types.insert(q.value(0).toString(), q.value(1).toString());
    QStringList ordered;
    for (const QString &column : columns) {
        const QString type = types.value(column.toLower());
        if (type.isEmpty())
            throw DbError(QStringLiteral("The table %1 has no column %2.").arg(table, column));
        ordered << type;
    }
    return ordered;
}

// PostgreSQL: one column of rows as the text of an array of its values, to
// bind as one value and cast to the column's type. Every value is quoted,
// which the array input of any type reads; a null text is NULL, as a value
// bound on its own is.
QString arrayOfColumn(const QList<QVariantList> &rows, qsizetype column)
{
    QStringList items;
    items.reserve(rows.size());
    for (const QVariantList &row : rows) {
        const QVariant &value = row[column];
        if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull())) {
            items << QStringLiteral("NULL");
            continue;
        }
        QString text = value.typeId() == QMetaType::QDate ? isoDate(value.toDate()) : value.toString();
        text.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
        items << u'"' + text + u'"';
    }
    return u'{' + items.join(u',') + u'}';
}

} // namespace

struct BulkInserter::Target {
    QSqlDatabase db;
    QString insertInto;
    QString tail;
    qsizetype columns = 0;
    // SQLite: the statement every row runs.
    std::optional<SqliteRowStatement> sqliteRow;
    // PostgreSQL: the rows not yet sent, gathered for COPY; or, for an
    // insert with an ON CONFLICT clause, which COPY cannot take, the
    // columns' types and the rows for a statement of arrays.
    std::optional<ServerCopy> copy;
    QStringList serverTypes;
    QList<QVariantList> pending;

    void send()
    {
        if (copy) {
            copy->send();
            return;
        }
        if (pending.isEmpty())
            return;
        QStringList arrays;
        QVariantList values;
        for (qsizetype c = 0; c < columns; ++c) {
            arrays << QStringLiteral("CAST(? AS %1[])").arg(serverTypes[c]);
            values << arrayOfColumn(pending, c);
        }
        runSql(db,
               insertInto + QStringLiteral(" SELECT * FROM unnest(") + arrays.join(QStringLiteral(", ")) + u')' + tail,
               values);
        pending.clear();
    }
};

BulkInserter::BulkInserter(const Book &book, const QString &table, const QStringList &columns,
                           const QString &onConflict)
    : BulkInserter(connectionOf(book), table, columns, onConflict)
{
}

BulkInserter::BulkInserter(const QSqlDatabase &db, const QString &table, const QStringList &columns,
                           const QString &onConflict)
    : m_target(std::make_unique<Target>())
{
    Target &t = *m_target;
    t.db = db;
    t.insertInto = QStringLiteral("INSERT INTO %1 (%2)").arg(table, columns.join(QStringLiteral(", ")));
    t.tail = onConflict.isEmpty() ? QString() : u' ' + onConflict;
    t.columns = columns.size();
    if (dialectOf(db).engine() == Engine::SQLite)
        t.sqliteRow.emplace(db,
                            t.insertInto + QStringLiteral(" VALUES (")
                                + QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")) + u')'
                                + t.tail);
    else if (onConflict.isEmpty() && canCopyIn(db))
        t.copy.emplace(db, table, columns);
    else
        t.serverTypes = serverColumnTypes(db, table, columns);
}

BulkInserter::~BulkInserter() = default;

void BulkInserter::add(const QVariantList &row)
{
    Target &t = *m_target;
    if (row.size() != t.columns)
        throw DbError(QStringLiteral("A row of %1 values was given for %2 columns.").arg(row.size()).arg(t.columns));
    if (t.sqliteRow) {
        // Dates are kept as ISO text in a book file, as the statement binds them.
        t.sqliteRow->run(row);
        return;
    }
    if (t.copy) {
        t.copy->add(row);
        if (t.copy->rows() >= ServerRowsPerCopy)
            t.send();
        return;
    }
    t.pending.append(row);
    if (t.pending.size() >= ServerRowsPerStatement)
        t.send();
}

void BulkInserter::add(const QList<QVariantList> &rows)
{
    for (const QVariantList &row : rows)
        add(row);
}

void BulkInserter::finish()
{
    m_target->send();
}

} // namespace bc
