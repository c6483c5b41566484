#include "serverbooks.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <stdexcept>

namespace bc::test {

namespace {

QAtomicInteger<int> databaseCounter;

QString clusterAddress()
{
    QFile file(qEnvironmentVariable("BRINDLECOT_TEST_SERVER_FILE"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the test cluster's address cannot be read; is it started?");
    return QString::fromUtf8(file.readAll()).trimmed();
}

// Runs one statement on the cluster's maintenance database.
void onCluster(const QString &statement)
{
    const QUrl url(clusterAddress());
    const QString name = QStringLiteral("test-cluster-%1").arg(databaseCounter.fetchAndAddOrdered(1));
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(url.host());
        db.setPort(url.port());
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
        if (!db.open())
            failure = db.lastError().text();
        else if (QSqlQuery q(db); !q.exec(statement))
            failure = q.lastError().text();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw std::runtime_error(failure.toStdString());
}

} // namespace

bool testsOnServer()
{
    return qEnvironmentVariable("BRINDLECOT_TEST_ENGINE") == QLatin1String("postgresql");
}

QString newServerDatabase(const QString &copyOf)
{
    // Both names are made here (a process id and a counter), never given.
    const QString database =
        QStringLiteral("book_%1_%2").arg(QCoreApplication::applicationPid()).arg(databaseCounter.fetchAndAddOrdered(1));
    if (copyOf.isEmpty())
        onCluster(QStringLiteral("CREATE DATABASE %1").arg(database));
    else
        onCluster(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(database, QUrl(copyOf).path().mid(1)));
    QUrl url(clusterAddress());
    url.setPath(u'/' + database);
    return url.toString();
}

void dropServerDatabase(const QString &location)
{
    onCluster(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(QUrl(location).path().mid(1)));
}

} // namespace bc::test
