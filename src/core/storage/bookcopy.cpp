#include "bookcopy.h"

#include "connection.h"
#include "dates.h"
#include "engine.h"
#include "sql.h"

#include <QFile>
#include <QSqlField>
#include <QSqlRecord>

namespace bc {

namespace {

// The tables a book's rows live in, in an order that writes every row after
// the rows it refers to. The kept period balances are not among them: the
// destination's triggers keep them as the transactions arrive.
const QStringList &copiedTables()
{
    static const QStringList tables = {QStringLiteral("book_info"),          QStringLiteral("Account_Type_Master"),
                                       QStringLiteral("account_master"),     QStringLiteral("Party_master"),
                                       QStringLiteral("transaction_master"), QStringLiteral("system_settings"),
                                       QStringLiteral("csv_mappings"),       QStringLiteral("import_rules"),
                                       QStringLiteral("imported_lines"),     QStringLiteral("change_sets"),
                                       QStringLiteral("change_rows"),        QStringLiteral("change_ranges")};
    return tables;
}

// Columns computed from others, which neither engine lets a row set.
bool isComputed(const QString &column)
{
    static const QStringList computed = {QStringLiteral("type_key"),   QStringLiteral("from_account"),
                                         QStringLiteral("from_party"), QStringLiteral("to_account"),
                                         QStringLiteral("to_party"),   QStringLiteral("rowid")};
    return computed.contains(column);
}

QStringList columnsOf(const QSqlDatabase &db, const QString &table)
{
    const QSqlRecord record = runSql(db, QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(table)).record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i).toLower();
    return columns;
}

// The rows the new book's schema wrote, which the source's rows replace;
// its format rows and saved queries stay its own.
void clearNewBook(const QSqlDatabase &db)
{
    runSql(db, QStringLiteral("DELETE FROM book_info WHERE key NOT IN ('version', 'format')"));
    runSql(db, QStringLiteral("DELETE FROM system_settings"));
    runSql(db, QStringLiteral("DELETE FROM account_master"));
    runSql(db, QStringLiteral("DELETE FROM Account_Type_Master"));
}

// Writes rows through one INSERT of many rows at a time: far fewer round
// trips to a server than a statement per row.
class RowInserter {
public:
    RowInserter(QSqlDatabase db, QString table, QStringList columns)
        : m_db(std::move(db))
        , m_table(std::move(table))
        , m_columns(std::move(columns))
        , m_rowsPerStatement(qMax(1, qMin(500, 30000 / int(qMax<qsizetype>(1, m_columns.size())))))
        , m_datesAsText(engineOf(m_db) == Engine::SQLite)
    {
    }
    void add(const QSqlRecord &record)
    {
        for (int i = 0; i < m_columns.size(); ++i) {
            const QVariant value = record.value(m_columns[i]);
            m_values << (m_datesAsText && value.typeId() == QMetaType::QDate ? QVariant(isoDate(value.toDate()))
                                                                             : value);
        }
        if (++m_pending == m_rowsPerStatement)
            flush();
    }
    void flush()
    {
        if (m_pending == 0)
            return;
        const QString row = u'(' + QStringList(m_columns.size(), QStringLiteral("?")).join(u',') + u')';
        runSql(m_db,
               QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                   .arg(m_table, m_columns.join(u','), QStringList(m_pending, row).join(u',')),
               m_values);
        m_values.clear();
        m_pending = 0;
    }

private:
    QSqlDatabase m_db;
    QString m_table;
    QStringList m_columns;
    int m_rowsPerStatement;
    bool m_datesAsText;
    QVariantList m_values;
    int m_pending = 0;
};

qint64 copyTable(const QSqlDatabase &from, const QSqlDatabase &to, const QString &table)
{
    const QStringList targetColumns = columnsOf(to, table);
    QStringList columns;
    for (const QString &column : columnsOf(from, table))
        if (!isComputed(column) && targetColumns.contains(column))
            columns << column;
    // The settings are read in the order they were written.
    const QString order = table == QLatin1String("system_settings") ? QStringLiteral(" ORDER BY rowid") : QString();
    const QString except = table == QLatin1String("book_info")
        ? QStringLiteral(" WHERE key NOT IN ('version', 'format')")
        : QString();
    QSqlQuery rows = runSql(from,
                            QStringLiteral("SELECT %1 FROM %2%3%4").arg(columns.join(u','), table, except, order));
    RowInserter inserter(to, table, columns);
    qint64 count = 0;
    while (rows.next()) {
        inserter.add(rows.record());
        ++count;
    }
    inserter.flush();
    return count;
}

// A server gives the next change set and setting row from its own counters,
// which must start past the rows copied in.
void moveServerCountersOn(const QSqlDatabase &db)
{
    for (const auto &[table, column] : {std::pair{QStringLiteral("change_sets"), QStringLiteral("id")},
                                        std::pair{QStringLiteral("system_settings"), QStringLiteral("rowid")}}) {
        QSqlQuery sequence = runSql(db, QStringLiteral("SELECT pg_get_serial_sequence(?, ?)"), {table, column});
        if (!sequence.next() || sequence.value(0).isNull())
            continue;
        runSql(db,
               QStringLiteral("SELECT setval(?, coalesce((SELECT max(%1) FROM %2), 0) + 1, false)").arg(column, table),
               {sequence.value(0).toString()});
    }
}

} // namespace

qint64 copyBook(const Book &source, const QString &destination, const QString &password)
{
    if (!source.isOpen())
        throw DbError(QStringLiteral("The book to copy is not open."));
    if (const QString failure = Book::create(destination, password); !failure.isEmpty())
        throw DbError(failure);
    const bool toFile = !isServerLocation(destination);
    qint64 transactions = 0;
    try {
        Book target;
        const OpenResult opened = target.open(destination, OpenOptions{.password = password});
        if (!opened.ok())
            throw DbError(opened.description);
        const QSqlDatabase from = connectionOf(source);
        const QSqlDatabase to = connectionOf(target);
        TransactionGuard transaction(to);
        clearNewBook(to);
        for (const QString &table : copiedTables()) {
            if (!bookHasTable(from, table))
                continue;
            const qint64 copied = copyTable(from, to, table);
            if (table == QLatin1String("transaction_master"))
                transactions = copied;
        }
        if (!toFile)
            moveServerCountersOn(to);
        transaction.commit();
    } catch (const DbError &) {
        if (toFile) {
            QFile::remove(destination);
            QFile::remove(destination + QStringLiteral("-journal"));
        }
        throw;
    }
    return transactions;
}

} // namespace bc
