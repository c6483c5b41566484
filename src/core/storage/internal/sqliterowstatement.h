#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

struct sqlite3_stmt;

namespace bc {

// One statement of a book file prepared once and run again for each row
// through SQLite's own interface, the values bound as the Qt driver binds
// them (a null text or an invalid value is Null) without its per-run copies
// and conversions: the write of the bulk inserter, whose rows run it a
// million times in an import.
class SqliteRowStatement {
public:
    SqliteRowStatement(const QSqlDatabase &db, const QString &statement);
    ~SqliteRowStatement();
    SqliteRowStatement(const SqliteRowStatement &) = delete;
    SqliteRowStatement &operator=(const SqliteRowStatement &) = delete;

    // Runs the statement once with these values. Throws DbError.
    void run(const QVariantList &values);

private:
    QSqlDatabase m_db;
    sqlite3_stmt *m_statement = nullptr;
};

} // namespace bc
