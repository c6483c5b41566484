#include "bookobjects.h"

#include "engine.h"
#include "migrations.h"
#include "schema.h"
#include "serverbook.h"
#include "sql.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <map>
#include <sqlite3.h>

namespace bc {

namespace {

// One object as the program's scripts make it.
struct Definition {
    QString kind;
    QString table; // lower case
    QString text; // SQLite: the statement; PostgreSQL: a trigger's function, a function's body
    QString statement; // the script's statement that makes it
};

using Definitions = std::map<QString, Definition>; // by lower-case name

QString quoted(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// SQLite: the objects of a book of the current format, made by the program's
// own scripts in a database in memory and read back from its catalogue, so
// that they compare with a book's catalogue text for text. The indexes of
// format 1 read the same; the later formats' scripts never change.
const Definitions &fileDefinitions()
{
    static const Definitions definitions = [] {
        QStringList statements = sqlScript(QStringLiteral("format2-tables.sql"));
        for (const LaterFormat &format : laterFormats())
            statements += sqlScript(format.tablesScript);
        sqlite3 *memory = nullptr;
        if (sqlite3_open(":memory:", &memory) != SQLITE_OK)
            qFatal("No database in memory could be opened.");
        for (const QString &statement : statements)
            if (sqlite3_exec(memory, statement.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
                qFatal("The book's script failed in memory: %s", sqlite3_errmsg(memory));
        Definitions made;
        sqlite3_stmt *catalogue = nullptr;
        sqlite3_prepare_v2(memory, "SELECT type, name, tbl_name, sql FROM sqlite_master WHERE sql IS NOT NULL", -1,
                           &catalogue, nullptr);
        const auto text = [&](int column) {
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(catalogue, column)));
        };
        while (sqlite3_step(catalogue) == SQLITE_ROW)
            made[text(1).toLower()] = {text(0), text(2).toLower(), text(3).simplified(), text(3)};
        sqlite3_finalize(catalogue);
        sqlite3_close(memory);
        return made;
    }();
    return definitions;
}

// PostgreSQL: the objects the server's scripts make, read from the scripts:
// each trigger's table and function, each index's table, each function's
// body as the server keeps it.
const Definitions &serverDefinitions()
{
    static const Definitions definitions = [] {
        static const QRegularExpression table(QStringLiteral("^CREATE TABLE (\\w+)"));
        static const QRegularExpression
            trigger(QStringLiteral("^CREATE TRIGGER (\\w+) .*? ON (\\w+)\\s.*EXECUTE FUNCTION (\\w+)\\("),
                    QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression index(QStringLiteral("^CREATE (?:UNIQUE )?INDEX (\\w+) ON (\\w+)"));
        static const QRegularExpression
            function(QStringLiteral("^CREATE FUNCTION (\\w+)\\(.*?\\sAS (?:\\$\\$(.*)\\$\\$|'((?:[^']|'')*)')"),
                     QRegularExpression::DotMatchesEverythingOption);
        Definitions made;
        for (const QString &statement : serverSchemaStatements()) {
            if (const auto m = table.match(statement); m.hasMatch())
                made[m.captured(1).toLower()] = {QStringLiteral("table"), m.captured(1).toLower(), {}, statement};
            else if (const auto m = trigger.match(statement); m.hasMatch())
                made[m.captured(1).toLower()] = {QStringLiteral("trigger"), m.captured(2).toLower(),
                                                 m.captured(3).toLower(), statement};
            else if (const auto m = index.match(statement); m.hasMatch())
                made[m.captured(1).toLower()] = {QStringLiteral("index"), m.captured(2).toLower(), {}, statement};
            else if (const auto m = function.match(statement); m.hasMatch())
                made[m.captured(1).toLower()] = {QStringLiteral("function"),
                                                 {},
                                                 m.hasCaptured(2)
                                                     ? m.captured(2)
                                                     : m.captured(3).replace(QStringLiteral("''"), QStringLiteral("'")),
                                                 statement};
        }
        return made;
    }();
    return definitions;
}

bool isProgramTable(const Definitions &definitions, const QString &name)
{
    const auto found = definitions.find(name.toLower());
    return found != definitions.end() && found->second.kind == QLatin1String("table");
}

// Whether the book's object of that kind and name is the program's own:
// text is what the catalogue says of it, compared as the definitions keep it.
bool isOwn(const Definitions &definitions, const QString &kind, const QString &name, const QString &table,
           const QString &text)
{
    const auto found = definitions.find(name.toLower());
    return found != definitions.end() && found->second.kind == kind && found->second.table == table.toLower()
        && found->second.text == text;
}

bool isOwnName(const Definitions &definitions, const QString &kind, const QString &name)
{
    const auto found = definitions.find(name.toLower());
    return found != definitions.end() && found->second.kind == kind;
}

std::vector<ForeignObject> fileObjects(const QSqlDatabase &db)
{
    const Definitions &own = fileDefinitions();
    std::vector<ForeignObject> found;
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT type, name, tbl_name, sql FROM main.sqlite_master "
                                        "WHERE type IN ('trigger', 'view', 'index') AND sql IS NOT NULL"));
    while (q.next()) {
        const QString kind = q.value(0).toString(), name = q.value(1).toString(), table = q.value(2).toString();
        // An index on another program's own table changes nothing this program does.
        if (kind == QLatin1String("index") && !isProgramTable(own, table))
            continue;
        if (isOwn(own, kind, name, table, q.value(3).toString().simplified()))
            continue;
        found.push_back({kind, name, kind == QLatin1String("view") ? QString() : table, isOwnName(own, kind, name)});
    }
    return found;
}

// The server catalogue's rows of the book's schema: (kind, name, table,
// what is compared).
const QString serverCatalogue = QStringLiteral(
    "WITH ns AS (SELECT oid FROM pg_catalog.pg_namespace WHERE nspname = current_schema()) "
    "SELECT 'trigger', t.tgname::text, c.relname::text, p.proname::text "
    "  FROM pg_catalog.pg_trigger t JOIN pg_catalog.pg_class c ON c.oid = t.tgrelid "
    "  JOIN pg_catalog.pg_proc p ON p.oid = t.tgfoid "
    " WHERE NOT t.tgisinternal AND c.relnamespace = (SELECT oid FROM ns) "
    "UNION ALL "
    "SELECT CASE c.relkind WHEN 'm' THEN 'materialized view' ELSE 'view' END, c.relname::text, '', '' "
    "  FROM pg_catalog.pg_class c WHERE c.relkind IN ('v', 'm') AND c.relnamespace = (SELECT oid FROM ns) "
    "UNION ALL "
    "SELECT 'rule', r.rulename::text, c.relname::text, '' "
    "  FROM pg_catalog.pg_rewrite r JOIN pg_catalog.pg_class c ON c.oid = r.ev_class "
    " WHERE r.rulename <> '_RETURN' AND c.relnamespace = (SELECT oid FROM ns) "
    "UNION ALL "
    "SELECT 'index', i.relname::text, c.relname::text, '' "
    "  FROM pg_catalog.pg_index x JOIN pg_catalog.pg_class i ON i.oid = x.indexrelid "
    "  JOIN pg_catalog.pg_class c ON c.oid = x.indrelid "
    " WHERE c.relnamespace = (SELECT oid FROM ns) AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_constraint k "
    "       WHERE k.conindid = x.indexrelid AND k.conrelid = x.indrelid AND k.contype IN ('p', 'u', 'x')) "
    "UNION ALL "
    "SELECT 'function', p.proname::text, '', p.prosrc "
    "  FROM pg_catalog.pg_proc p WHERE p.pronamespace = (SELECT oid FROM ns) "
    "   AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_depend d WHERE d.objid = p.oid AND d.deptype = 'e')");

std::vector<ForeignObject> serverObjects(const QSqlDatabase &db)
{
    const Definitions &own = serverDefinitions();
    std::vector<ForeignObject> found;
    QSqlQuery q = runSql(db, serverCatalogue);
    while (q.next()) {
        const QString kind = q.value(0).toString(), name = q.value(1).toString(), table = q.value(2).toString();
        const QString compared = q.value(3).toString();
        if (kind == QLatin1String("index") && !isProgramTable(own, table))
            continue;
        // A function of another program's does nothing unless one of the
        // objects listed here calls it; only the program's own are judged.
        if (kind == QLatin1String("function") && !isOwnName(own, kind, name))
            continue;
        const QString text = kind == QLatin1String("trigger") || kind == QLatin1String("function") ? compared
                                                                                                   : QString();
        if (kind != QLatin1String("view") && kind != QLatin1String("materialized view") && kind != QLatin1String("rule")
            && isOwn(own, kind, name, kind == QLatin1String("function") ? QString() : table, text))
            continue;
        found.push_back({kind, name, table, isOwnName(own, kind, name)});
    }
    return found;
}

QString dropStatement(const ForeignObject &object, bool onServer)
{
    if (!onServer)
        return QStringLiteral("DROP %1 IF EXISTS %2").arg(object.kind.toUpper(), quoted(object.name));
    if (object.kind == QLatin1String("trigger") || object.kind == QLatin1String("rule"))
        return QStringLiteral("DROP %1 IF EXISTS %2 ON %3")
            .arg(object.kind.toUpper(), quoted(object.name), quoted(object.table));
    // A view another view of the same kind reads goes with it.
    return QStringLiteral("DROP %1 IF EXISTS %2 CASCADE").arg(object.kind.toUpper(), quoted(object.name));
}

} // namespace

QString ForeignObject::text() const
{
    const QString what = QStringLiteral("%1 %2").arg(kind, name);
    return table.isEmpty() ? what : QStringLiteral("%1 on %2").arg(what, table);
}

std::vector<ForeignObject> foreignObjects(const QSqlDatabase &db)
{
    return engineOf(db) == Engine::PostgreSQL ? serverObjects(db) : fileObjects(db);
}

void refuseForeignObjects(const QSqlDatabase &db, const QString &location)
{
    const std::vector<ForeignObject> found = foreignObjects(db);
    if (found.empty())
        return;
    QStringList names;
    for (const ForeignObject &object : found)
        names << (object.changedOwn ? object.text() + QStringLiteral(" (changed by another program)") : object.text());
    throw DbError(QStringLiteral("The book holds objects this program does not make, which would run inside its "
                                 "saves or change what it reads: %1. Remove them with: brindlecot-cli check "
                                 "--repair %2")
                      .arg(names.join(QStringLiteral(", ")), location));
}

std::vector<ForeignObject> removeForeignObjects(const QSqlDatabase &db)
{
    const bool onServer = engineOf(db) == Engine::PostgreSQL;
    const Definitions &own = onServer ? serverDefinitions() : fileDefinitions();
    TransactionGuard transaction(db);
    const std::vector<ForeignObject> found = foreignObjects(db);
    for (const ForeignObject &object : found) {
        // A changed function of the program's is written over in place: its
        // triggers stay.
        if (object.kind != QLatin1String("function"))
            runSql(db, dropStatement(object, onServer));
        if (!object.changedOwn)
            continue;
        const QString statement = own.at(object.name.toLower()).statement;
        runSql(db,
               object.kind == QLatin1String("function")
                   ? QStringLiteral("CREATE OR REPLACE") + statement.mid(int(qstrlen("CREATE")))
                   : statement);
    }
    transaction.commit();
    return found;
}

} // namespace bc
