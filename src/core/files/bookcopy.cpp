#include "bookcopy.h"

#include "bulkinserter.h"
#include "connection.h"
#include "engine.h"
#include "sql.h"
#include "transactionbulkwrite.h"

#include "serverbook.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlField>
#include <QSqlRecord>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace bc {

namespace {

// The tables a book's rows live in, in an order that writes every row after
// the rows it refers to. The kept period balances are not among them: the
// destination makes them from the transactions it was given.
const QStringList &copiedTables()
{
    static const QStringList tables = {QStringLiteral("book_info"),          QStringLiteral("Account_Type_Master"),
                                       QStringLiteral("account_master"),     QStringLiteral("Party_master"),
                                       QStringLiteral("transaction_master"), QStringLiteral("system_settings"),
                                       QStringLiteral("csv_mappings"),       QStringLiteral("import_rules"),
                                       QStringLiteral("imported_lines"),     QStringLiteral("change_sets"),
                                       QStringLiteral("change_rows"),        QStringLiteral("change_ranges"),
                                       QStringLiteral("cash_accounts")};
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

// How a row is named in a refusal: by its first column, the key of every
// copied table but the history's rows.
QString rowName(const QSqlRecord &record)
{
    return QStringLiteral("%1 %2").arg(record.fieldName(0), record.value(0).toString());
}

// Text the destination would not hold as it is: a NUL character, which a
// server refuses, or stored bytes that are not UTF-8, which reading turns
// into other characters. raw holds, after the copied columns, each column's
// stored bytes when it is text (SQLite sources only). Refused naming the row,
// rather than copied changed.
void refuseUnkeptText(const QString &table, const QSqlRecord &record, int columns, bool rawFollows, bool toServer)
{
    for (int i = 0; i < columns; ++i) {
        const QString problem = [&] {
            if (toServer && record.value(i).typeId() == QMetaType::QString
                && record.value(i).toString().contains(QChar(0)))
                return QStringLiteral("holds a NUL character, which a server book cannot keep");
            if (!rawFollows || record.isNull(columns + i))
                return QString();
            QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            const QString decoded = strict.decode(record.value(columns + i).toByteArray());
            return strict.hasError() ? QStringLiteral("holds bytes that are not UTF-8 text") : QString();
        }();
        if (!problem.isEmpty())
            throw DbError(QStringLiteral("The book cannot be copied: table %1, row %2: the column %3 %4. Correct "
                                         "the row with the tool that wrote it, then copy again.")
                              .arg(table, rowName(record), record.fieldName(i), problem));
    }
}

qint64 copyTable(const QSqlDatabase &from, const QSqlDatabase &to, const QString &table)
{
    const QStringList targetColumns = columnsOf(to, table);
    QStringList columns;
    for (const QString &column : columnsOf(from, table))
        if (!isComputed(column) && targetColumns.contains(column))
            columns << column;
    // A book file's text is read as stored too, to find bytes that are not UTF-8.
    const bool rawFollows = engineOf(from) == Engine::SQLite;
    QStringList selected = columns;
    if (rawFollows)
        for (const QString &column : columns)
            selected << QStringLiteral("CASE WHEN typeof(%1) = 'text' THEN CAST(%1 AS BLOB) END").arg(column);
    // The settings are read in the order they were written.
    const QString order = table == QLatin1String("system_settings") ? QStringLiteral(" ORDER BY rowid") : QString();
    const QString except = table == QLatin1String("book_info")
        ? QStringLiteral(" WHERE key NOT IN ('version', 'format')")
        : QString();
    QSqlQuery rows = runSql(from,
                            QStringLiteral("SELECT %1 FROM %2%3%4").arg(selected.join(u','), table, except, order));
    const bool toServer = engineOf(to) == Engine::PostgreSQL;
    BulkInserter inserter(to, table, columns);
    qint64 count = 0;
    while (rows.next()) {
        const QSqlRecord record = rows.record();
        refuseUnkeptText(table, record, int(columns.size()), rawFollows, toServer);
        QVariantList values;
        values.reserve(columns.size());
        for (int i = 0; i < columns.size(); ++i)
            values << record.value(i);
        inserter.add(values);
        ++count;
    }
    inserter.finish();
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

// Writes every row of the source into the new book open on `to`, inside
// the caller's transaction. Returns the number of transactions.
qint64 copyRows(const QSqlDatabase &from, const QSqlDatabase &to)
{
    qint64 transactions = 0;
    clearNewBook(to);
    for (const QString &table : copiedTables()) {
        if (!bookHasTable(from, table))
            continue;
        if (table != QLatin1String("transaction_master")) {
            copyTable(from, to, table);
            continue;
        }
        TransactionBulkWrite bulk(to);
        transactions = copyTable(from, to, table);
        bulk.filledNewBook();
    }
    if (engineOf(to) == Engine::PostgreSQL)
        moveServerCountersOn(to);
    return transactions;
}

// The hidden folder a copy to destination is built in, beside it.
QString buildingFolderPattern(const QFileInfo &destination)
{
    return QStringLiteral("%1/.%2.brindlecot-copy-").arg(destination.absolutePath(), destination.fileName());
}

// A copy killed before it finished leaves its folder behind; the next copy to
// the same name removes it.
void removeKilledCopies(const QFileInfo &destination)
{
    const QString prefix = QFileInfo(buildingFolderPattern(destination)).fileName();
    QDir folder(destination.absolutePath());
    for (const QString &name : folder.entryList({prefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        QDir(folder.filePath(name)).removeRecursively();
}

// The book is built whole in a hidden folder beside the destination and
// takes the destination's name only once committed and closed, so a failed
// or killed copy never leaves a book there.
qint64 copyToFile(const Book &source, const QString &destination)
{
    const QFileInfo target(destination);
    if (target.exists() || target.isSymLink())
        throw DbError(
            QStringLiteral("The file \"%1\" already exists; a new book is never written over it.").arg(destination));
    removeKilledCopies(target);
    QTemporaryDir building(buildingFolderPattern(target) + QStringLiteral("XXXXXX"));
    if (!building.isValid())
        throw DbError(QStringLiteral("The book cannot be copied into the folder \"%1\": %2")
                          .arg(target.absolutePath(), building.errorString()));
    const QString built = building.filePath(target.fileName());
    if (const QString failure = Book::create(built); !failure.isEmpty())
        throw DbError(failure);
    qint64 transactions = 0;
    {
        Book book;
        const OpenResult opened = book.open(built);
        if (!opened.ok())
            throw DbError(opened.description);
        TransactionGuard transaction(connectionOf(book));
        transactions = copyRows(connectionOf(source), connectionOf(book));
        transaction.commit();
    }
    // QFile::rename never replaces a file that appeared meanwhile.
    if (!QFile::rename(built, target.absoluteFilePath()))
        throw DbError(QStringLiteral("The copy could not be named \"%1\": a file of that name appeared meanwhile, "
                                     "or the folder cannot be written.")
                          .arg(destination));
    return transactions;
}

QAtomicInteger<int> serverCopyCounter;

// The book's tables and its rows are made in one transaction: PostgreSQL
// rolls tables back with rows, so a failed copy leaves the database empty.
qint64 copyToServer(const Book &source, const QString &destination, const QString &password)
{
    const QString name = QStringLiteral("brindlecot-copy-server-%1").arg(serverCopyCounter.fetchAndAddOrdered(1));
    if (const QString bad = openServerConnection(name, destination, password); !bad.isEmpty())
        throw DbError(bad);
    qint64 transactions = 0;
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        try {
            prepareServerSession(db, false, OpenOptions{}.busyTimeoutMs);
            TransactionGuard transaction(db);
            makeServerBook(db);
            transactions = copyRows(connectionOf(source), db);
            transaction.commit();
        } catch (const DbError &e) {
            failure = e.description();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw DbError(failure);
    return transactions;
}

} // namespace

qint64 copyBook(const Book &source, const QString &destination, const QString &password)
{
    if (!source.isOpen())
        throw DbError(QStringLiteral("The book to copy is not open."));
    return isServerLocation(destination) ? copyToServer(source, destination.trimmed(), password)
                                         : copyToFile(source, destination);
}

} // namespace bc
