#include "testbook.h"

#include "dates.h"
#include "engine.h"
#include "schema.h"
#include "serverbooks.h"
#include "sql.h"

#include <QFile>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <stdexcept>

namespace bc::test {

namespace {

// A plain connection on the book file, without the program's checks.
QSqlDatabase plainConnection(const QString &name, const QString &path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!db.open())
        throw std::runtime_error("cannot open " + path.toStdString());
    return db;
}

} // namespace

TestBook::TestBook(Kind kind)
    : m_path(m_dir.path() + QStringLiteral("/test.fd"))
{
    OpenOptions options;
    if (kind == Kind::Format1ReadOnly) {
        createFormat1Book(m_path);
        m_writerName = QStringLiteral("testbook-writer-") + m_path;
        plainConnection(m_writerName, m_path);
        options.readOnly = true;
    } else {
        if (testsOnServer())
            m_path = newServerDatabase();
        if (const QString failure = Book::create(m_path); !failure.isEmpty())
            throw std::runtime_error(failure.toStdString());
    }
    const OpenResult opened = m_book.open(m_path, options);
    if (!opened.ok())
        throw std::runtime_error(opened.description.toStdString());
}

TestBook::~TestBook()
{
    m_book.close();
    if (isServerLocation(m_path))
        dropServerDatabase(m_path);
    if (!m_writerName.isEmpty()) {
        QSqlDatabase::database(m_writerName, false).close();
        QSqlDatabase::removeDatabase(m_writerName);
    }
}

QSqlDatabase TestBook::writer() const
{
    return m_writerName.isEmpty() ? db() : QSqlDatabase::database(m_writerName, false);
}

void TestBook::addAccount(qint64 id, const QString &name, int type, Money opening, const QString &particulars)
{
    runSql(writer(),
           QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                          "particulars, version_date) VALUES (?, ?, ?, ?, ?, NULL)"),
           {id, name, type, opening.cents(), particulars});
}

void TestBook::addTransaction(qint64 id, const QDate &date, qint64 fromAcc, qint64 toAcc, Money amount,
                              const QString &particulars, const QString &fromFlag, const QString &toFlag)
{
    runSql(writer(),
           QStringLiteral("INSERT INTO transaction_master (tran_id, tran_date, from_acc, from_flag, to_acc, to_flag, "
                          "amount, particulars, version_date) VALUES (?, ?, ?, ?, ?, ?, ?, ?, '2024-01-01 00:00:00')"),
           {id, isoDate(date), fromAcc, fromFlag, toAcc, toFlag, amount.cents(), particulars});
}

void TestBook::setSetting(const QString &code, const QString &value)
{
    runSql(writer(), QStringLiteral("DELETE FROM system_settings WHERE sys_code = ?"), {code});
    runSql(writer(), QStringLiteral("INSERT INTO system_settings (sys_code, sys_value, saved_on) VALUES (?, ?, NULL)"),
           {code, value});
}

int TestBook::count(const QString &table) const
{
    QSqlQuery q = runSql(db(), QStringLiteral("SELECT count(*) FROM %1").arg(table));
    return q.next() ? q.value(0).toInt() : -1;
}

void refuseWrites(const QSqlDatabase &db, const QString &workTable, const QString &change)
{
    if (engineOf(db) == Engine::SQLite) {
        runSql(db,
               QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE %1 ON temp.%2 "
                              "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                   .arg(change, workTable));
        return;
    }
    runSql(db,
           QStringLiteral("CREATE FUNCTION pg_temp.refuse() RETURNS trigger LANGUAGE plpgsql "
                          "AS $$BEGIN RAISE EXCEPTION 'refused'; END$$"));
    runSql(db,
           QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON pg_temp.%2 "
                          "FOR EACH ROW EXECUTE FUNCTION pg_temp.refuse()")
               .arg(change, workTable));
}

QStringList transactionLines(const QSqlDatabase &db)
{
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT tran_date, from_acc, to_acc, amount, particulars "
                                        "FROM transaction_master ORDER BY tran_id"));
    QStringList out;
    while (q.next())
        out << QStringLiteral("%1 %2>%3 %4 %5")
                   .arg(q.value(0).toString())
                   .arg(q.value(1).toLongLong())
                   .arg(q.value(2).toLongLong())
                   .arg(q.value(3).toLongLong())
                   .arg(q.value(4).toString());
    return out;
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

void createFormat1Book(const QString &path)
{
    const QString name = QStringLiteral("format1-") + path;
    {
        QSqlDatabase db = plainConnection(name, path);
        TransactionGuard transaction(db);
        for (const QString &statement : sqlScript(QStringLiteral("schema-v1.sql")))
            runSql(db, statement);
        transaction.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
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

void createFormat2Book(const QString &path)
{
    const QString name = QStringLiteral("format2-") + path;
    {
        QSqlDatabase db = plainConnection(name, path);
        TransactionGuard transaction(db);
        for (const QString &statement :
             sqlScript(QStringLiteral("format2-tables.sql")) + sqlScript(QStringLiteral("schema.sql")))
            runSql(db, statement);
        runSql(db, QStringLiteral("INSERT INTO book_info (key, value) VALUES ('version', '2')"));
        transaction.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace bc::test
