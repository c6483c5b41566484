#include "migrations.h"

#include "book.h"
#include "bookbackup.h"
#include "periodbalances.h"
#include "rowfaults.h"
#include "savedqueries.h"
#include "schema.h"
#include "sql.h"

#include <QSqlQuery>

#include <algorithm>

namespace bc {

namespace {

// The rows a migration refusal lists; check lists them all.
constexpr int listedFaults = 10;

void runScript(const QSqlDatabase &db, const QString &name)
{
    for (const QString &statement : sqlScript(name))
        runSql(db, statement);
}

void refuseFaultyRows(const QSqlDatabase &db)
{
    const std::vector<RowFault> faults = bookRowFaults(db, listedFaults + 1);
    if (faults.empty())
        return;
    QStringList lines;
    for (std::size_t i = 0; i < faults.size() && i < std::size_t(listedFaults); ++i)
        lines << faults[i].text();
    if (faults.size() > std::size_t(listedFaults))
        lines << QStringLiteral("and more (brindlecot-cli check lists them all)");
    throw DbError(QStringLiteral("The book holds rows that were not written by this program and cannot be carried "
                                 "into the new format:\n%1")
                      .arg(lines.join(u'\n')));
}

// The book keeps a copy of each saved query; a migrated book receives the
// copies a new book is given, whatever its old copy held (which is never run).
void writeProgramSavedQueries(const QSqlDatabase &db)
{
    for (const QString &copy : savedQueryCopies())
        runSql(db, copy);
}

void refuseBrokenKeys(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db, QStringLiteral("PRAGMA foreign_key_check"));
    if (q.next())
        throw DbError(QStringLiteral("The table %1, row %2, names no row of the table %3.")
                          .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString()));
}

// SQLite may already have rolled back a transaction that met a full disk or a
// fault of the file; the failure that led here is the one worth reporting.
void rollBack(const QSqlDatabase &db)
{
    try {
        runSql(db, QStringLiteral("ROLLBACK"));
    } catch (const DbError &) {
    }
}

} // namespace

const std::vector<LaterFormat> &laterFormats()
{
    static const std::vector<LaterFormat> formats = {
        {QStringLiteral("statement-import-tables.sql"), nullptr},
        {periodBalancesScript(), fillPeriodBalances},
        {QStringLiteral("history-tables.sql"), nullptr},
        {QStringLiteral("row-versions.sql"), nullptr},
        {QStringLiteral("reconciliation.sql"), nullptr},
        // The accounts' "cash or bank" setting.
        {QStringLiteral("cash-accounts.sql"), nullptr},
        // The closing balances of imported statements.
        {QStringLiteral("statement-balances.sql"), nullptr},
    };
    return formats;
}

void migrateFormat1To2(const QSqlDatabase &db)
{
    refuseFaultyRows(db);
    runScript(db, QStringLiteral("migrations/format2-before.sql"));
    runScript(db, QStringLiteral("format2-tables.sql"));
    runScript(db, QStringLiteral("migrations/format2-after.sql"));
    writeProgramSavedQueries(db);
}

bool readableWithoutMigration(int format)
{
    // Format 1 has the columns of format 2, only untyped; the formats after
    // 2 only add tables, row versions and the sides' statuses, which every
    // operation does without when absent.
    return format >= 1 && format < Book::formatVersion;
}

QString migrateBook(const QSqlDatabase &db, const QString &path, int from)
{
    // Foreign keys can only be switched outside a transaction; the steps
    // rebuild tables that refer to each other, and every key is checked once
    // all of them are done.
    runSql(db, QStringLiteral("PRAGMA foreign_keys = OFF"));
    QString backup;
    try {
        // The backup reads the book within the migration's transaction, so
        // no other program's save can fall between the copy and the steps:
        // the read lock taken here lets none commit until the migration ends.
        runSql(db, QStringLiteral("BEGIN"));
        try {
            runSql(db, QStringLiteral("SELECT count(*) FROM sqlite_master")).finish();
            backup = backUpBeside(db, path, from);
            if (from == 1)
                migrateFormat1To2(db);
            for (int format = std::max(from, 2); format < Book::formatVersion; ++format) {
                const LaterFormat &next = laterFormats().at(std::size_t(format - 2));
                runScript(db, next.tablesScript);
                if (next.fill)
                    next.fill(db);
            }
            runSql(db, QStringLiteral("INSERT OR REPLACE INTO book_info (key, value) VALUES ('version', ?)"),
                   {QString::number(Book::formatVersion)});
            runSql(db,
                   QStringLiteral("INSERT OR IGNORE INTO book_info (key, value) VALUES ('format', 'brindlecot-book')"));
            refuseBrokenKeys(db);
            runSql(db, QStringLiteral("COMMIT"));
        } catch (const DbError &) {
            rollBack(db);
            throw;
        }
    } catch (const DbError &e) {
        runSql(db, QStringLiteral("PRAGMA foreign_keys = ON"));
        const QString kept = backup.isEmpty()
            ? QString()
            : QStringLiteral("\nThe book is unchanged; a copy of it was kept as \"%1\".").arg(backup);
        throw DbError(QStringLiteral("The book could not be brought from format %1 to format %2.\n%3%4")
                          .arg(from)
                          .arg(Book::formatVersion)
                          .arg(e.description(), kept),
                      e.fault());
    }
    runSql(db, QStringLiteral("PRAGMA foreign_keys = ON"));
    return backup;
}

} // namespace bc
