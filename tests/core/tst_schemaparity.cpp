// A new book file and a new server book are made by two sets of scripts; here
// both engines' catalogues are read back in one neutral form, a line per fact,
// and compared, so that a table, column, key, index or trigger that one
// engine's script gained or lost without the other's fails with the lines
// that differ.
#include "serverbooks.h"
#include "sql.h"
#include "testbook.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace bc;
using bc::test::TestBook;

namespace {

// "column account_master.open_amount integer", "index transaction_date on
// transaction_master (tran_date, tran_id)", ...: names in lower case, as the
// server folds them.
using Catalogue = std::set<QString>;

// What one engine keeps that the other has no need of, with the reason.
const std::map<QString, QString> fileOnly = {
    {QStringLiteral("index period_balances_inexact on period_balances (account) partial"),
     QStringLiteral("finds a month whose sum left 64 bits, which the server's bigint sums refuse")},
};
const std::map<QString, QString> serverOnly = {
    {QStringLiteral("column system_settings.rowid integer not null"),
     QStringLiteral("the order rows were written in, which a file's rowid gives")},
    {QStringLiteral("unique system_settings (rowid)"), QStringLiteral("the same")},
    {QStringLiteral("column account_status.rowid integer not null"), QStringLiteral("the same")},
    {QStringLiteral("trigger period_balances_truncate on transaction_master truncate"),
     QStringLiteral("a file has no TRUNCATE")},
    {QStringLiteral("trigger transaction_closed_truncate on transaction_master truncate"), QStringLiteral("the same")},
    {QStringLiteral("trigger account_master_changed on account_master insert or update or delete"),
     QStringLiteral("tells the programs listening on the book; a file's change shows in the file")},
    {QStringLiteral("trigger transaction_master_changed on transaction_master insert or update or delete"),
     QStringLiteral("the same")},
    {QStringLiteral("trigger system_settings_changed on system_settings insert or update or delete"),
     QStringLiteral("the same")},
};

// The server's types as a file names them. A file keeps dates as ISO text
// (the CHECKs of its transaction and statement dates hold them to real days) and the kept monthly
// sums as ANY, to hold an inexact sum beyond 64 bits; both count as the
// server's type here.
QString neutralType(const QString &type, const QString &column)
{
    const QString lower = type.toLower();
    if (lower == QLatin1String("bigint") || lower == QLatin1String("any"))
        return QStringLiteral("integer");
    if (lower == QLatin1String("text")
        && (column == QLatin1String("tran_date") || column == QLatin1String("statement_date")))
        return QStringLiteral("date");
    return lower;
}

QString columnLine(const QString &table, const QString &column, const QString &type, bool notNull,
                   const QString &defaultValue, bool generated)
{
    QString line = QStringLiteral("column %1.%2 %3").arg(table, column, neutralType(type, column));
    if (notNull)
        line += QStringLiteral(" not null");
    if (!defaultValue.isEmpty())
        line += QStringLiteral(" default ") + defaultValue;
    if (generated)
        line += QStringLiteral(" generated");
    return line;
}

QString foreignKeyLine(const QString &table, const QString &from, const QString &target, const QString &to,
                       bool deferred)
{
    return QStringLiteral("foreign key %1 (%2) references %3 (%4)%5")
        .arg(table, from, target, to, deferred ? QStringLiteral(" deferred") : QString());
}

QString indexLine(const QString &name, const QString &table, const QString &columns, bool unique, bool partial)
{
    return QStringLiteral("index %1 on %2 (%3)%4%5")
        .arg(name, table, columns, unique ? QStringLiteral(" unique") : QString(),
             partial ? QStringLiteral(" partial") : QString());
}

// "insert", "update", "insert or update or delete": the events in this order.
QString eventsText(bool insert, bool update, bool del, bool truncate)
{
    QStringList events;
    if (insert)
        events << QStringLiteral("insert");
    if (update)
        events << QStringLiteral("update");
    if (del)
        events << QStringLiteral("delete");
    if (truncate)
        events << QStringLiteral("truncate");
    return events.join(QStringLiteral(" or "));
}

QStringList columnsOfIndex(const QSqlDatabase &db, const QString &schema, const QString &index)
{
    QStringList columns;
    QSqlQuery q = runSql(db, QStringLiteral("PRAGMA %1.index_info(\"%2\")").arg(schema, index));
    while (q.next())
        columns << q.value(2).toString().toLower();
    return columns;
}

// The columns of a file table that refer to another table's rows only at
// the end of the transaction: read from the table's text, since the
// catalogue's list of foreign keys does not say.
std::set<QString> deferredColumns(const QString &tableText)
{
    std::set<QString> columns;
    const QString body = tableText.section(u'(', 1);
    int depth = 0;
    QString definition;
    const auto finish = [&] {
        if (definition.contains(QLatin1String("DEFERRABLE INITIALLY DEFERRED"), Qt::CaseInsensitive))
            columns.insert(definition.simplified().section(u' ', 0, 0).toLower());
        definition.clear();
    };
    for (const QChar c : body) {
        depth += c == u'(' ? 1 : c == u')' ? -1 : 0;
        if ((c == u',' && depth == 0) || depth < 0) {
            finish();
            if (depth < 0)
                break;
        } else {
            definition += c;
        }
    }
    return columns;
}

void addFileTrigger(Catalogue &lines, const QString &name, const QString &table, const QString &text)
{
    static const QRegularExpression event(QStringLiteral("\\b(INSERT|UPDATE|DELETE)\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QString header = text.section(QRegularExpression(QStringLiteral("\\bBEGIN\\b")), 0, 0);
    const QString found = event.match(header).captured(1).toLower();
    lines.insert(QStringLiteral("trigger %1 on %2 %3").arg(name, table, found));
}

// A book file's permanent tables (schema "main") or work tables ("temp").
void addFileObjects(const QSqlDatabase &db, const QString &schema, Catalogue &lines)
{
    const QString tableWord = schema == QLatin1String("temp") ? QStringLiteral("work table") : QStringLiteral("table");
    QSqlQuery objects = runSql(db,
                               QStringLiteral("SELECT type, name, tbl_name, sql FROM %1.sqlite_master "
                                              "WHERE type IN ('table', 'trigger') AND name NOT LIKE 'sqlite%'")
                                   .arg(schema));
    while (objects.next()) {
        const QString name = objects.value(1).toString(), table = objects.value(2).toString().toLower();
        if (objects.value(0).toString() == QLatin1String("trigger")) {
            addFileTrigger(lines, name.toLower(), table, objects.value(3).toString());
            continue;
        }
        lines.insert(tableWord + u' ' + table);
        QStringList key(8);
        QSqlQuery columns = runSql(db, QStringLiteral("PRAGMA %1.table_xinfo(\"%2\")").arg(schema, name));
        while (columns.next()) {
            const QString column = columns.value(1).toString().toLower();
            const int keyPosition = columns.value(5).toInt();
            if (keyPosition > 0)
                key[keyPosition - 1] = column;
            // A key's columns hold no Null on the server whatever they say.
            lines.insert(columnLine(table, column, columns.value(2).toString(),
                                    keyPosition == 0 && columns.value(3).toBool(), columns.value(4).toString(),
                                    columns.value(6).toInt() >= 2));
        }
        key.removeAll(QString());
        if (!key.isEmpty())
            lines.insert(QStringLiteral("primary key %1 (%2)").arg(table, key.join(QStringLiteral(", "))));

        const std::set<QString> deferred = deferredColumns(objects.value(3).toString());
        struct ForeignKey {
            QString target;
            QStringList from, to;
        };
        std::map<int, ForeignKey> keys; // by the catalogue's id
        QSqlQuery foreign = runSql(db, QStringLiteral("PRAGMA %1.foreign_key_list(\"%2\")").arg(schema, name));
        while (foreign.next()) {
            ForeignKey &k = keys[foreign.value(0).toInt()];
            k.target = foreign.value(2).toString().toLower();
            k.from << foreign.value(3).toString().toLower();
            k.to << foreign.value(4).toString().toLower();
        }
        for (const auto &[id, k] : keys)
            lines.insert(foreignKeyLine(table, k.from.join(QStringLiteral(", ")), k.target,
                                        k.to.join(QStringLiteral(", ")), deferred.count(k.from.constFirst()) > 0));

        QSqlQuery indexes = runSql(db, QStringLiteral("PRAGMA %1.index_list(\"%2\")").arg(schema, name));
        while (indexes.next()) {
            const QString index = indexes.value(1).toString(), origin = indexes.value(3).toString();
            const QString indexColumns = columnsOfIndex(db, schema, index).join(QStringLiteral(", "));
            if (origin == QLatin1String("u"))
                lines.insert(QStringLiteral("unique %1 (%2)").arg(table, indexColumns));
            else if (origin == QLatin1String("c"))
                lines.insert(indexLine(index.toLower(), table, indexColumns, indexes.value(2).toBool(),
                                       indexes.value(4).toBool()));
        }
    }
}

Catalogue fileCatalogue(const QSqlDatabase &db)
{
    Catalogue lines;
    addFileObjects(db, QStringLiteral("main"), lines);
    addFileObjects(db, QStringLiteral("temp"), lines);
    return lines;
}

// The server's tables of the book's schema and of the session's work tables.
const QString serverTables = QStringLiteral(
    "SELECT c.oid FROM pg_catalog.pg_class c WHERE c.relkind = 'r' AND (c.relnamespace = pg_my_temp_schema() "
    "    OR c.relnamespace = (SELECT oid FROM pg_catalog.pg_namespace WHERE nspname = current_schema()))");

// The names of the columns numbered in an array column, in the array's order.
QString columnNames(const QString &numbers, const QString &table)
{
    return QStringLiteral(
               "(SELECT string_agg(a.attname, ', ' ORDER BY k.n) FROM unnest(%1) WITH ORDINALITY AS k(num, n)"
               " JOIN pg_catalog.pg_attribute a ON a.attrelid = %2 AND a.attnum = k.num)")
        .arg(numbers, table);
}

Catalogue serverCatalogue(const QSqlDatabase &db)
{
    Catalogue lines;
    QSqlQuery tables = runSql(db,
                              QStringLiteral("SELECT lower(relname), relnamespace = pg_my_temp_schema() "
                                             "FROM pg_catalog.pg_class WHERE oid IN (%1)")
                                  .arg(serverTables));
    while (tables.next())
        lines.insert((tables.value(1).toBool() ? QStringLiteral("work table ") : QStringLiteral("table "))
                     + tables.value(0).toString());

    // A key's columns are never Null; the generated columns' expressions and
    // the identities' numbering are no defaults a writer leaves to the table.
    QSqlQuery columns =
        runSql(db,
               QStringLiteral("SELECT lower(c.relname), lower(a.attname), format_type(a.atttypid, NULL),"
                              "       a.attnotnull AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_constraint k"
                              "           WHERE k.conrelid = c.oid AND k.contype = 'p' AND a.attnum = ANY (k.conkey)),"
                              "       CASE WHEN a.attgenerated = '' THEN pg_get_expr(d.adbin, d.adrelid) END,"
                              "       a.attgenerated <> ''"
                              "  FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_class c ON c.oid = a.attrelid"
                              "  LEFT JOIN pg_catalog.pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum"
                              " WHERE c.oid IN (%1) AND a.attnum > 0 AND NOT a.attisdropped")
                   .arg(serverTables));
    static const QRegularExpression cast(QStringLiteral("::\\w+"));
    while (columns.next())
        lines.insert(columnLine(columns.value(0).toString(), columns.value(1).toString(), columns.value(2).toString(),
                                columns.value(3).toBool(), columns.value(4).toString().remove(cast),
                                columns.value(5).toBool()));

    QSqlQuery keys = runSql(db,
                            QStringLiteral("SELECT x.contype, lower(c.relname), lower(r.relname), x.condeferred,"
                                           "       lower(%1), lower(%2)"
                                           "  FROM pg_catalog.pg_constraint x JOIN pg_catalog.pg_class c ON "
                                           "c.oid = x.conrelid"
                                           "  LEFT JOIN pg_catalog.pg_class r ON r.oid = x.confrelid"
                                           " WHERE x.contype IN ('p', 'u', 'f') AND c.oid IN (%3)")
                                .arg(columnNames(QStringLiteral("x.conkey"), QStringLiteral("x.conrelid")),
                                     columnNames(QStringLiteral("x.confkey"), QStringLiteral("x.confrelid")),
                                     serverTables));
    while (keys.next()) {
        const QString kind = keys.value(0).toString(), table = keys.value(1).toString();
        const QString from = keys.value(4).toString();
        if (kind == QLatin1String("p"))
            lines.insert(QStringLiteral("primary key %1 (%2)").arg(table, from));
        else if (kind == QLatin1String("u"))
            lines.insert(QStringLiteral("unique %1 (%2)").arg(table, from));
        else
            lines.insert(foreignKeyLine(table, from, keys.value(2).toString(), keys.value(5).toString(),
                                        keys.value(3).toBool()));
    }

    // A covering index's included columns follow its keys, as a file's
    // index covers by further key columns.
    QSqlQuery indexes = runSql(
        db,
        QStringLiteral("SELECT lower(i.relname), lower(c.relname), lower(%1), x.indisunique, x.indpred IS NOT NULL"
                       "  FROM pg_catalog.pg_index x JOIN pg_catalog.pg_class i ON i.oid = x.indexrelid"
                       "  JOIN pg_catalog.pg_class c ON c.oid = x.indrelid"
                       " WHERE c.oid IN (%2) AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_constraint k"
                       "       WHERE k.conindid = x.indexrelid AND k.contype IN ('p', 'u'))")
            .arg(columnNames(QStringLiteral("x.indkey::int2[]"), QStringLiteral("x.indrelid")), serverTables));
    while (indexes.next())
        lines.insert(indexLine(indexes.value(0).toString(), indexes.value(1).toString(), indexes.value(2).toString(),
                               indexes.value(3).toBool(), indexes.value(4).toBool()));

    QSqlQuery triggers = runSql(db,
                                QStringLiteral("SELECT lower(t.tgname), lower(c.relname), t.tgtype"
                                               "  FROM pg_catalog.pg_trigger t JOIN pg_catalog.pg_class c ON "
                                               "c.oid = t.tgrelid"
                                               " WHERE NOT t.tgisinternal AND c.oid IN (%1)")
                                    .arg(serverTables));
    while (triggers.next()) {
        const int type = triggers.value(2).toInt();
        lines.insert(QStringLiteral("trigger %1 on %2 %3")
                         .arg(triggers.value(0).toString(), triggers.value(1).toString(),
                              eventsText(type & 4, type & 16, type & 8, type & 32)));
    }
    return lines;
}

// The lines of `mine` that `theirs` lacks and that are not listed as mine
// alone, and the listed lines that are gone from `mine`.
QStringList unmatched(const Catalogue &mine, const Catalogue &theirs, const std::map<QString, QString> &ownLines)
{
    QStringList lines;
    for (const QString &line : mine)
        if (!theirs.count(line) && !ownLines.count(line))
            lines << QStringLiteral("  ") + line;
    for (const auto &[line, reason] : ownLines)
        if (!mine.count(line))
            lines << QStringLiteral("  (listed as its own, %1, but absent) %2").arg(reason, line);
    return lines;
}

} // namespace

TEST(SchemaParity, ANewBookFileAndANewServerBookHoldTheSameTablesKeysIndexesAndTriggers)
{
    if (!test::testsOnServer())
        GTEST_SKIP() << "needs the test cluster";
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/parity.fd");
    ASSERT_EQ(Book::create(path), QString());
    Book file;
    ASSERT_TRUE(file.open(path).ok());
    TestBook server;

    const Catalogue onFile = fileCatalogue(connectionOf(file)), onServer = serverCatalogue(server.db());
    ASSERT_GT(onFile.size(), 100u);
    const QStringList fileLines = unmatched(onFile, onServer, fileOnly);
    const QStringList serverLines = unmatched(onServer, onFile, serverOnly);
    EXPECT_TRUE(fileLines.isEmpty() && serverLines.isEmpty())
        << "Only in a book file:\n"
        << fileLines.join(u'\n').toStdString() << "\nOnly on a server:\n"
        << serverLines.join(u'\n').toStdString();
}
