#include "tranwriter.h"

#include "connection.h"
#include "dates.h"
#include "idmarks.h"
#include "sql.h"
#include "transactions.h"

#include <QSqlQuery>
#include <limits>

namespace bc {

namespace {

// Rows an import writes at a time: few enough to hold, many enough that
// each write's fixed statements cost little per row.
constexpr int ImportBatchRows = 5000;

} // namespace

TranWriter::TranWriter(Book &book, const QDateTime &now)
    : m_book(book)
    , m_versionDate(now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
{
}

void TranWriter::add(const RowArray &rows, int r)
{
    qint64 id = rows.intAt(r, TranCol::Id);
    if (id <= 0)
        id = --m_provisional;
    const AccountKey from = rows.keyAt(r, TranCol::From);
    const AccountKey to = rows.keyAt(r, TranCol::To);
    m_staged.append({id, isoDate(rows.dateAt(r, TranCol::Date)), from.id, QString(from.flag), to.id, QString(to.flag),
                     rows.moneyAt(r, TranCol::Amount).cents(), rows.textAt(r, TranCol::Particulars), m_versionDate});
}

QList<qint64> TranWriter::write(const QList<qint64> &deleted, qint64 *deletedCount)
{
    const QSqlDatabase db = connectionOf(m_book);
    runSql(db, QStringLiteral("DELETE FROM tmp_transaction_master_i"));
    runSqlBatch(db,
                QStringLiteral("INSERT INTO tmp_transaction_master_i (tran_id, tran_date, from_acc, from_flag, "
                               "to_acc, to_flag, amount, particulars, version_date) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                m_staged);
    const qint64 highest = highestIdGiven(m_book, IdSeries::Transactions);
    if (highest - m_provisional > std::numeric_limits<qint32>::max())
        throw DbError(QStringLiteral("There are no transaction numbers left for %1 new rows.").arg(-m_provisional));
    const qint64 removed = runSqlForIds(db, QStringLiteral("DELETE FROM transaction_master WHERE tran_id = ?"),
                                        deleted);
    if (deletedCount)
        *deletedCount = removed;
    runSql(db,
           QStringLiteral("DELETE FROM transaction_master WHERE tran_id IN "
                          "(SELECT tran_id FROM tmp_transaction_master_i)"));
    runSql(db, QStringLiteral("UPDATE tmp_transaction_master_i SET tran_id = ? - tran_id WHERE tran_id < 0"),
           {highest});
    runSql(db, QStringLiteral("INSERT INTO transaction_master SELECT * FROM tmp_transaction_master_i"));
    QList<qint64> ids;
    {
        // SQLite: rowid gives the order the rows were staged in.
        QSqlQuery q = runSql(db, QStringLiteral("SELECT tran_id FROM tmp_transaction_master_i ORDER BY rowid"));
        while (q.next())
            ids << q.value(0).toLongLong();
    }
    rememberHighestId(m_book, IdSeries::Transactions, highest - m_provisional);
    m_staged.clear();
    m_provisional = 0;
    return ids;
}

struct TranImport::Transaction {
    explicit Transaction(const QSqlDatabase &db)
        : guard(db)
    {
    }
    TransactionGuard guard;
};

TranImport::TranImport(Book &book, const QDateTime &now)
    : m_transaction(std::make_unique<Transaction>(connectionOf(book)))
    , m_writer(book, now)
{
}

TranImport::~TranImport() = default;

QString TranImport::add(const RowArray &rows, int row)
{
    if (QString problem = ValidateRow(rows, row); !problem.isEmpty())
        return problem;
    m_writer.add(rows, row);
    if (m_writer.staged() >= ImportBatchRows)
        writeBatch();
    return QString();
}

void TranImport::writeBatch()
{
    const QList<qint64> ids = m_writer.write();
    if (ids.isEmpty())
        return;
    if (m_count == 0)
        m_first = ids.first();
    m_last = ids.last();
    m_count += ids.size();
}

void TranImport::finish()
{
    writeBatch();
    m_transaction->guard.commit();
}

} // namespace bc
