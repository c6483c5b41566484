#include "savedqueries.h"

#include "schema.h"

#include <QHash>
#include <sqlite3.h>

namespace bc {

namespace {

// Runs the compiled-in schema on a private in-memory database and reads back
// its saved_queries table, so the schema stays the one place the bodies are
// written and SQLite itself reads their quoting. The server's own texts are
// plain UPDATEs of those rows, which SQLite runs as well.
QHash<QString, QString> readSavedQueries(Engine engine)
{
    sqlite3 *connection = nullptr;
    if (sqlite3_open_v2(":memory:", &connection, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) != SQLITE_OK)
        qFatal("The program's saved queries cannot be read: %s", sqlite3_errmsg(connection));
    QStringList statements = schemaStatements();
    if (engine == Engine::PostgreSQL)
        statements += sqlScript(QStringLiteral("pg/saved-queries.sql"));
    for (const QString &statement : statements)
        if (sqlite3_exec(connection, statement.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            qFatal("The compiled-in schema does not run: %s", sqlite3_errmsg(connection));
    QHash<QString, QString> bodies;
    sqlite3_stmt *select = nullptr;
    sqlite3_prepare_v2(connection, "SELECT name, body FROM saved_queries", -1, &select, nullptr);
    while (select && sqlite3_step(select) == SQLITE_ROW)
        bodies.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(select, 0))),
                      QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(select, 1))));
    sqlite3_finalize(select);
    sqlite3_close(connection);
    return bodies;
}

} // namespace

QString programSavedQuery(const QString &name, Engine engine)
{
    static const QHash<QString, QString> bodies = readSavedQueries(Engine::SQLite);
    static const QHash<QString, QString> serverBodies = readSavedQueries(Engine::PostgreSQL);
    return (engine == Engine::PostgreSQL ? serverBodies : bodies).value(name);
}

} // namespace bc
