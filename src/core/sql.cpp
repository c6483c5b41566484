#include "sql.h"

#include <QSqlError>

namespace bc {

namespace {

QString describe(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.isEmpty() ? QStringLiteral("Unknown database error") : text;
}

// Saved query bodies number their arguments (?1 ... ?n, each usable several
// times). Qt rewrites placeholders itself, so the numbers are resolved here:
// each ?N becomes a plain "?" and its value is repeated in order. Quoted
// text and quoted names are skipped.
void expandNumberedPlaceholders(const QString &body, const QVariantList &arguments, QString &statement,
                                QVariantList &values)
{
    statement.reserve(body.size());
    QChar quote;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            statement += c;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            statement += c;
            continue;
        }
        if (c == u'?' && i + 1 < body.size() && body[i + 1].isDigit()) {
            qsizetype j = i + 1;
            int number = 0;
            while (j < body.size() && body[j].isDigit() && number < 1000)
                number = number * 10 + body[j++].digitValue();
            if (number < 1 || number > arguments.size())
                throw DbError(QStringLiteral("The saved query expects more arguments than were given."));
            values << arguments[number - 1];
            statement += u'?';
            i = j - 1;
            continue;
        }
        statement += c;
    }
}

} // namespace

QSqlQuery runSql(const QSqlDatabase &db, const QString &statement, const QVariantList &values)
{
    if (!db.isOpen())
        throw DbError(QStringLiteral("The book is not open."));
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        throw DbError(describe(query.lastError()));
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    if (!query.exec())
        throw DbError(describe(query.lastError()));
    return query;
}

void runSqlBatch(const QSqlDatabase &db, const QString &statement, const QList<QVariantList> &rows)
{
    if (!db.isOpen())
        throw DbError(QStringLiteral("The book is not open."));
    QSqlQuery query(db);
    if (!query.prepare(statement))
        throw DbError(describe(query.lastError()));
    for (const QVariantList &values : rows) {
        for (qsizetype i = 0; i < values.size(); ++i)
            query.bindValue(int(i), values[i]);
        if (!query.exec())
            throw DbError(describe(query.lastError()));
    }
}

QSqlQuery runSavedQuery(const QSqlDatabase &db, const QString &name, const QVariantList &arguments)
{
    QSqlQuery lookup = runSql(db, QStringLiteral("SELECT body FROM saved_queries WHERE name = ?"), {name});
    if (!lookup.next())
        throw DbError(QStringLiteral("The saved query \"%1\" is missing from the book.").arg(name));
    const QString body = lookup.value(0).toString();
    lookup.finish();
    QString statement;
    QVariantList values;
    expandNumberedPlaceholders(body, arguments, statement, values);
    return runSql(db, statement, values);
}

TransactionGuard::TransactionGuard(QSqlDatabase db) : m_db(std::move(db))
{
    if (!m_db.transaction())
        throw DbError(describe(m_db.lastError()));
    m_open = true;
}

TransactionGuard::~TransactionGuard()
{
    if (m_open)
        m_db.rollback();
}

void TransactionGuard::commit()
{
    if (!m_db.commit()) {
        const QString why = describe(m_db.lastError());
        m_db.rollback();
        m_open = false;
        throw DbError(why);
    }
    m_open = false;
}

} // namespace bc
