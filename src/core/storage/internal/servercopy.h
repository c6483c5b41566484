#pragma once

// Rows sent to a PostgreSQL server with COPY ... FROM STDIN, on a book's own
// connection: for core's storage files only.

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace bc {

// The rows of one COPY into the columns of a table, gathered in the text
// format of COPY and sent whole by send(): one statement and one stream of
// data for any number of rows, which fires the table's triggers as an
// INSERT of those rows would. Nothing reaches the server before send(), so
// rows gathered and never sent leave the connection as it was.
class ServerCopy {
public:
    ServerCopy(const QSqlDatabase &db, const QString &table, const QStringList &columns);

    // One row, a value per column: whole numbers, text, dates or Null.
    void add(const QVariantList &row);
    qsizetype rows() const { return m_rows; }
    // Sends the rows gathered in one COPY and forgets them. Throws DbError
    // when the server refuses any of them; then none is written.
    void send();

private:
    QSqlDatabase m_db;
    QByteArray m_statement;
    QByteArray m_data;
    qsizetype m_rows = 0;
};

// Whether a connection can take rows by ServerCopy: a PostgreSQL
// connection whose driver hands out libpq's own handle.
bool canCopyIn(const QSqlDatabase &db);

} // namespace bc
