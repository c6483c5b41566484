#include "schema.h"

#include "migrations.h"

#include <QFile>
#include <QRegularExpression>

// The scripts are compiled into this static library; its resources must be
// registered by hand before the first lookup.
static void initCoreResources()
{
    Q_INIT_RESOURCE(core);
}

namespace bc {

QStringList sqlScript(const QString &name)
{
    initCoreResources();
    QFile file(QStringLiteral(":/database/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The SQL script %s is missing from the program.", qPrintable(name));
    const QString text = QString::fromUtf8(file.readAll());
    QStringList result;
    static const QRegularExpression separator(QStringLiteral("\\n--\\s*@@\\s*\\n"));
    for (const QString &chunk : text.split(separator)) {
        // Drop comment lines; keep statements that have some SQL left.
        QStringList lines;
        for (const QString &line : chunk.split(u'\n'))
            if (!line.trimmed().startsWith(QLatin1String("--")))
                lines << line;
        const QString statement = lines.join(u'\n').trimmed();
        if (!statement.isEmpty())
            result << (statement.endsWith(u';') ? statement.chopped(1) : statement);
    }
    return result;
}

const QStringList &schemaStatements()
{
    static const QStringList statements = [] {
        QStringList all = sqlScript(QStringLiteral("format2-tables.sql"));
        for (const LaterFormat &format : laterFormats())
            all += sqlScript(format.tablesScript);
        return all + sqlScript(QStringLiteral("schema.sql"));
    }();
    return statements;
}

const QStringList &serverSchemaStatements()
{
    static const QStringList statements = sqlScript(QStringLiteral("pg/tables.sql"))
        + sqlScript(QStringLiteral("pg/functions.sql")) + sqlScript(QStringLiteral("pg/reconciliation.sql"))
        + sqlScript(QStringLiteral("pg/statement-balances.sql")) + sqlScript(QStringLiteral("schema.sql"))
        + sqlScript(QStringLiteral("pg/saved-queries.sql"));
    return statements;
}

} // namespace bc
