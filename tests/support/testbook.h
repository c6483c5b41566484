#pragma once

#include "book.h"
#include "connection.h"
#include "money.h"

#include <QDate>
#include <QStringList>
#include <QTemporaryDir>

namespace bc::test {

// A test's own statement where the engines write it differently: the text
// for the engine of db.
inline QString forEngine(const QSqlDatabase &db, const QString &sqlite, const QString &postgres)
{
    return dialectOf(db).engine() == Engine::PostgreSQL ? postgres : sqlite;
}

// A fresh book in its own temporary folder, open on a connection of its own;
// when the suite runs against the server (serverbooks.h), a fresh server
// database instead, whose location path() gives.
class TestBook {
public:
    enum class Kind {
        Current, // a new book, open for writing
        Format1ReadOnly // a book of format 1 as older programs made it, open read-only (never migrated)
    };
    explicit TestBook(Kind kind = Kind::Current);
    ~TestBook();
    QString dir() const { return m_dir.path(); }
    QString path() const { return m_path; }
    Book &book() { return m_book; }
    const Book &book() const { return m_book; }
    // The book's connection, for setting up and reading rows with SQL.
    QSqlDatabase db() const { return connectionOf(m_book); }
    // A connection that writes to the book: the book's own, or for a
    // read-only format-1 book a plain second connection, as another program
    // would write to it (rows of any form, since format 1 does not type them).
    QSqlDatabase writer() const;

    // Inserts rows directly, for setting up a test.
    void addAccount(qint64 id, const QString &name, int type, Money opening, const QString &particulars = {});
    void addTransaction(qint64 id, const QDate &date, qint64 fromAcc, qint64 toAcc, Money amount,
                        const QString &particulars = {}, const QString &fromFlag = QStringLiteral("A"),
                        const QString &toFlag = QStringLiteral("A"));
    void setSetting(const QString &code, const QString &value);
    int count(const QString &table) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
    QString m_writerName;
    Book m_book;
};

// Makes a book of format 1 at path, from the schema older programs used.
void createFormat1Book(const QString &path);

// Makes a book of format 2 at path, as the program made them before the
// later formats added their tables.
void createFormat2Book(const QString &path);

// Makes every update (or, with change "INSERT", every insert) into one of
// the connection's work tables fail, for tests of a statement that fails
// midway.
void refuseWrites(const QSqlDatabase &db, const QString &workTable, const QString &change = QStringLiteral("UPDATE"));

// The transactions in id order, one "date from>to amount particulars" line
// each (accounts by id, amount in cents), for checking what a save wrote.
QStringList transactionLines(const QSqlDatabase &db);

// Reads a whole file, for checking that a failed operation left it alone.
QByteArray fileBytes(const QString &path);

// Writes a whole file, for setting up files that are not books.
bool writeBytes(const QString &path, const QByteArray &bytes);

// Creates an SQLite database of another program: one table, no book.
void createForeignDatabase(const QString &path);

} // namespace bc::test
