#include "savedqueries.h"

#include "schema.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

// The statements are compiled into this static library; its resources must
// be registered by hand before the first lookup.
static void initCoreResources()
{
    Q_INIT_RESOURCE(core);
}

namespace bc {

namespace {

// The queries of one compiled-in file: each statement after its line
// "-- query: NAME(PARAMETER, ...)", statements apart by a line "-- @@".
QHash<QString, SavedQuery> readSavedQueries(const QString &file)
{
    initCoreResources();
    QFile script(QStringLiteral(":/database/") + file);
    if (!script.open(QIODevice::ReadOnly))
        qFatal("The SQL script %s is missing from the program.", qPrintable(file));
    static const QRegularExpression separator(QStringLiteral("\\n--\\s*@@\\s*\\n"));
    static const QRegularExpression heading(QStringLiteral("^--\\s*query:\\s*(\\w+)\\(([\\w\\s,]*)\\)\\s*$"));
    QHash<QString, SavedQuery> queries;
    for (const QString &chunk : QString::fromUtf8(script.readAll()).split(separator)) {
        QString name;
        SavedQuery query;
        QStringList lines;
        for (const QString &line : chunk.split(u'\n')) {
            if (const QRegularExpressionMatch m = heading.match(line.trimmed()); m.hasMatch()) {
                name = m.captured(1);
                for (const QString &parameter : m.captured(2).split(u',', Qt::SkipEmptyParts))
                    query.parameters << parameter.trimmed();
            } else if (!line.trimmed().startsWith(QLatin1String("--"))) {
                lines << line;
            }
        }
        query.text = lines.join(u'\n').trimmed();
        if (name.isEmpty() || query.text.isEmpty())
            qFatal("A statement of %s has no \"-- query:\" line or no text.", qPrintable(file));
        queries.insert(name, query);
    }
    return queries;
}

} // namespace

const SavedQuery *programSavedQuery(const QString &name, Engine engine)
{
    static const QHash<QString, SavedQuery> queries = readSavedQueries(QStringLiteral("sql/saved-queries.sql"));
    static const QHash<QString, SavedQuery> serverQueries = [] {
        QHash<QString, SavedQuery> all = queries;
        all.insert(readSavedQueries(QStringLiteral("sql/pg/saved-queries.sql")));
        return all;
    }();
    const QHash<QString, SavedQuery> &known = engine == Engine::PostgreSQL ? serverQueries : queries;
    const auto found = known.constFind(name);
    return found == known.constEnd() ? nullptr : &*found;
}

QStringList savedQueryCopies()
{
    QStringList copies;
    for (const QString &statement : schemaStatements())
        if (statement.startsWith(QLatin1String("INSERT INTO saved_queries"), Qt::CaseInsensitive))
            copies << statement;
    return copies;
}

} // namespace bc
