#include "serverbook.h"

#include "book.h"
#include "schema.h"
#include "sql.h"

#include <QAtomicInteger>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

namespace bc {

namespace {

QAtomicInteger<int> creationCounter;

// The scripts that bring a server book from each format, starting at
// oldestServerFormatBroughtForward, to the next.
const std::vector<QStringList> &laterServerFormats()
{
    static const std::vector<QStringList> steps = {
        {QStringLiteral("pg/statement-balances.sql"), QStringLiteral("pg/migrations/format9-grants.sql")},
    };
    return steps;
}

// The connection settings a location may carry after "?", passed to libpq
// as they stand; anything else is refused rather than guessed at.
const QStringList &allowedOptions()
{
    static const QStringList options = {QStringLiteral("sslmode"),          QStringLiteral("sslrootcert"),
                                        QStringLiteral("sslcert"),          QStringLiteral("sslkey"),
                                        QStringLiteral("sslcrl"),           QStringLiteral("connect_timeout"),
                                        QStringLiteral("application_name"), QStringLiteral("target_session_attrs"),
                                        QStringLiteral("gssencmode"),       QStringLiteral("channel_binding"),
                                        QStringLiteral("passfile"),         QStringLiteral("service")};
    return options;
}

struct ServerAddress {
    QString host;
    int port = -1;
    QString user;
    QString password;
    QString database;
    QStringList options; // "key=value", each value of safe characters only
};

QString parseLocation(const QString &location, ServerAddress &address)
{
    const QUrl url(location.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("postgresql") && url.scheme() != QLatin1String("postgres")))
        return QStringLiteral("\"%1\" is not a server location; write it as "
                              "postgresql://user@host:port/database.")
            .arg(locationForDisplay(location));
    address.host = url.host();
    address.port = url.port(-1);
    address.user = url.userName();
    address.password = url.password();
    address.database = url.path().mid(1);
    if (address.database.isEmpty() || address.database.contains(u'/'))
        return QStringLiteral("The server location \"%1\" names no database; end it with /database.")
            .arg(locationForDisplay(location));
    static const QRegularExpression safeValue(QStringLiteral("^[A-Za-z0-9_./:@+-]+$"));
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (!allowedOptions().contains(key))
            return QStringLiteral("The server location sets \"%1\", which this program does not pass on.").arg(key);
        if (!safeValue.match(value).hasMatch())
            return QStringLiteral("The server location's value for \"%1\" holds characters it cannot pass on.")
                .arg(key);
        address.options << key + u'=' + value;
    }
    return QString();
}

} // namespace

QString locationForDisplay(const QString &location)
{
    QUrl url(location.trimmed());
    if (!url.isValid())
        return location;
    url.setPassword(QString());
    return url.toString();
}

QString openServerConnection(const QString &connectionName, const QString &location, const QString &password)
{
    ServerAddress address;
    if (const QString bad = parseLocation(location, address); !bad.isEmpty())
        return bad;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return QStringLiteral("This installation cannot reach PostgreSQL servers: Qt's PostgreSQL driver "
                              "(Debian package libqt6sql6-psql) is missing.");
    QString why;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
        db.setHostName(address.host);
        if (address.port > 0)
            db.setPort(address.port);
        db.setUserName(address.user);
        db.setPassword(password.isEmpty() ? address.password : password);
        db.setDatabaseName(address.database);
        db.setConnectOptions(address.options.join(u';'));
        if (db.open())
            return QString();
        why = db.lastError().databaseText().trimmed();
        if (why.isEmpty())
            why = db.lastError().text();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return QStringLiteral("The server book \"%1\" cannot be opened: %2").arg(locationForDisplay(location), why);
}

void prepareServerSession(const QSqlDatabase &db, bool readOnly, int lockWaitMs)
{
    runSql(db, QStringLiteral("SET client_min_messages = warning"));
    runSql(db, QStringLiteral("SELECT set_config('lock_timeout', ?, false)"), {QStringLiteral("%1ms").arg(lockWaitMs)});
    runSql(db, QStringLiteral("SET TIME ZONE 'UTC'"));
    // The work tables first: a read-only session may fill temporary tables
    // but not create them.
    for (const QString &statement : sqlScript(QStringLiteral("pg/worktables.sql")))
        runSql(db, statement);
    if (readOnly)
        runSql(db, QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"));
}

void bringServerBookForward(const QSqlDatabase &db)
{
    static_assert(oldestServerFormatBroughtForward <= Book::formatVersion);
    TransactionGuard transaction(db);
    QSqlQuery version = runSql(db, QStringLiteral("SELECT value FROM book_info WHERE key = 'version' FOR UPDATE"));
    const int from = version.next() ? version.value(0).toString().trimmed().toInt() : 0;
    version.finish();
    if (from < oldestServerFormatBroughtForward || from > Book::formatVersion)
        throw DbError(QStringLiteral("The server book's format changed to %1 while it was being opened.").arg(from));
    for (int format = from; format < Book::formatVersion; ++format)
        for (const QString &script : laterServerFormats().at(std::size_t(format - oldestServerFormatBroughtForward)))
            for (const QString &statement : sqlScript(script))
                runSql(db, statement);
    runSql(db, QStringLiteral("UPDATE book_info SET value = ? WHERE key = 'version'"),
           {QString::number(Book::formatVersion)});
    transaction.commit();
}

QString serverChangeChannel()
{
    return QStringLiteral("brindlecot_book_changed");
}

bool serverLoginMayWrite(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT has_table_privilege('account_master', 'INSERT, UPDATE, DELETE') "
                                        "AND has_table_privilege('transaction_master', 'INSERT, UPDATE, DELETE')"));
    return q.next() && q.value(0).toBool();
}

void makeServerBook(const QSqlDatabase &db)
{
    QSqlQuery tables = runSql(db,
                              QStringLiteral("SELECT count(*) FROM pg_catalog.pg_tables "
                                             "WHERE schemaname = current_schema()"));
    if (tables.next() && tables.value(0).toLongLong() > 0)
        throw DbError(QStringLiteral("The server database \"%1\" already holds tables; a new book is "
                                     "only ever made in an empty database.")
                          .arg(db.databaseName()));
    tables.finish();
    for (const QString &statement : serverSchemaStatements())
        runSql(db, statement);
    runSql(db, QStringLiteral("INSERT INTO book_info (key, value) VALUES ('version', ?)"),
           {QString::number(Book::formatVersion)});
}

QString createServerBook(const QString &location, const QString &password)
{
    const QString name = QStringLiteral("brindlecot-create-server-%1").arg(creationCounter.fetchAndAddOrdered(1));
    if (const QString bad = openServerConnection(name, location, password); !bad.isEmpty())
        return bad;
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        try {
            TransactionGuard transaction(db);
            makeServerBook(db);
            transaction.commit();
        } catch (const DbError &e) {
            failure = e.description();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return failure;
}

} // namespace bc
