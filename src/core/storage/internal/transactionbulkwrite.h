#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <memory>

namespace bc {

class TransactionIndexesAside;

// Transactions named by a condition on transaction_master AS t, with the
// values it binds.
struct TransactionRows {
    QString condition;
    QVariantList values;
};

// The transactions of these ids (at least one): a range where they follow
// one another, as new rows' ids do.
TransactionRows transactionRowsOfIds(QList<qint64> ids);

// Many transactions written into or taken out of a book file at once, with
// the per-row triggers of transaction_master off for this connection alone
// while it lasts, and their work done set-based instead, in the same
// transaction: the rows are refused as the closed period's triggers refuse
// them, and the kept monthly balances take them in or out with one grouped
// statement. The switch is SQLite's own and belongs to the connection
// (SQLITE_DBCONFIG_ENABLE_TRIGGER): every other connection, of this program
// or another, fires every trigger all the while, and nothing of it is kept
// in the file, so a crash cannot leave it behind.
//
// The triggers stay on, and nothing is done set-based, where the table
// carries a trigger the program does not know (its work could not be done
// instead) and on a server, whose triggers run once per statement.
//
// Only inserts and deletes may run while the triggers are off.
class TransactionBulkWrite {
public:
    explicit TransactionBulkWrite(const QSqlDatabase &db);
    ~TransactionBulkWrite();
    TransactionBulkWrite(const TransactionBulkWrite &) = delete;
    TransactionBulkWrite &operator=(const TransactionBulkWrite &) = delete;

    bool triggersOff() const { return m_off; }

    // Where the rows written are most of the book's (as many as it holds
    // without them, or more), the work is done for all of them at once:
    // the transactions' indexes are set aside while the rows are written
    // and made again after, and the kept balances made afresh in one pass.

    // Before count rows are inserted.
    void adding(qint64 count);
    // After the rows were inserted. Throws DbError (the closed period's
    // refusal among others).
    void added(const TransactionRows &rows);
    // Before the rows are deleted, and after. Throws DbError.
    void removing(const TransactionRows &rows);
    void removed();
    // The same, where the rows are most of the book's: the kept balances
    // are made afresh from all its transactions in one pass.
    void addedMostRows(const TransactionRows &rows);
    // After every transaction of a book being filled (one whose
    // transactions and settings were empty, so nothing is closed) was
    // inserted: the kept balances made from them in one pass.
    void filledNewBook();

private:
    void setIndexesAside();

    QSqlDatabase m_db;
    bool m_off = false;
    bool m_mostRows = false;
    std::unique_ptr<TransactionIndexesAside> m_indexesAside;
};

} // namespace bc
