#include "testbook.h"

#include "dates.h"
#include "sql.h"

#include <QFile>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <stdexcept>

namespace bc::test {

TestBook::TestBook() : m_path(m_dir.path() + QStringLiteral("/test.fd"))
{
    const QString failure = Book::create(m_path);
    if (!failure.isEmpty())
        throw std::runtime_error(failure.toStdString());
    const OpenResult opened = m_book.open(m_path);
    if (!opened.ok())
        throw std::runtime_error(opened.description.toStdString());
}

void TestBook::addAccount(qint64 id, const QString &name, int type, Money opening, const QString &particulars)
{
    runSql(db(), QStringLiteral("INSERT INTO account_master VALUES (?, ?, ?, ?, ?, NULL)"),
           {id, name, type, opening.cents(), particulars});
}

void TestBook::addTransaction(qint64 id, const QDate &date, qint64 fromAcc, qint64 toAcc, Money amount,
                              const QString &particulars, const QString &fromFlag, const QString &toFlag)
{
    runSql(db(), QStringLiteral("INSERT INTO transaction_master VALUES (?, ?, ?, ?, ?, ?, ?, ?, '2024-01-01 00:00:00')"),
           {id, isoDate(date), fromAcc, fromFlag, toAcc, toFlag, amount.cents(), particulars});
}

void TestBook::setSetting(const QString &code, const QString &value)
{
    runSql(db(), QStringLiteral("DELETE FROM system_settings WHERE sys_code = ?"), {code});
    runSql(db(), QStringLiteral("INSERT INTO system_settings VALUES (?, ?, NULL)"), {code, value});
}

int TestBook::count(const QString &table) const
{
    QSqlQuery q = runSql(db(), QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table));
    return q.next() ? q.value(0).toInt() : -1;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void createForeignDatabase(const QString &path)
{
    const QString name = QStringLiteral("foreign-") + path;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            throw std::runtime_error("cannot create " + path.toStdString());
        runSql(db, QStringLiteral("CREATE TABLE customers (id INTEGER, name TEXT)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace bc::test
