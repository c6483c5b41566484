#include "transactions.h"

#include "accounts.h"
#include "amountsum.h"
#include "bookcheck.h"
#include "dates.h"
#include "history.h"
#include "historyrows.h"
#include "idmarks.h"
#include "sql.h"
#include "textroutines.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <limits>

namespace bc {

namespace {

QVariant amountBound(const QString &typed)
{
    return typed.trimmed().isEmpty() ? qint64(0) : Money::leadingNumber(typed).cents();
}

TranSaveResult outcome(TranSaveResult::Outcome kind, const QString &title, const QString &text)
{
    TranSaveResult r;
    r.outcome = kind;
    r.title = title;
    r.text = text;
    return r;
}

} // namespace

RowArray makeTranRows()
{
    return RowArray(
        {CellType::Int, CellType::Date, CellType::Key, CellType::Key, CellType::Money, CellType::Text, CellType::Int});
}

QVariantList tranSearchArguments(const TranSearch &search)
{
    const QString blank = QStringLiteral(" ");
    return {search.applyDates ? shortDateText(search.fromDate) : blank,
            search.applyDates ? shortDateText(search.toDate) : blank,
            search.fromAccount,
            search.fromAccount ? search.fromFlag : blank,
            search.toAccount,
            search.toAccount ? search.toFlag : blank,
            amountBound(search.amount1),
            amountBound(search.amount2),
            NullToText(search.particulars) + blank};
}

TranFindResult findTransactions(const Book &book, const TranSearch &search)
{
    const QSqlDatabase db = connectionOf(book);
    checkBookRows(book);
    TranFindResult result;
    RowArray &rows = result.rows;
    QSqlQuery q = runSavedQuery(db, QStringLiteral("sp_tran_search_1"), tranSearchArguments(search));
    const int id = q.record().indexOf(QStringLiteral("tran_ID")),
              date = q.record().indexOf(QStringLiteral("tran_date")),
              fromFlag = q.record().indexOf(QStringLiteral("from_flag")),
              fromAcc = q.record().indexOf(QStringLiteral("from_acc")),
              toFlag = q.record().indexOf(QStringLiteral("to_flag")),
              toAcc = q.record().indexOf(QStringLiteral("to_acc")),
              amount = q.record().indexOf(QStringLiteral("amount")),
              particulars = q.record().indexOf(QStringLiteral("particulars"));
    while (q.next()) {
        const int r = rows.appendRow();
        rows.setInt(r, TranCol::Id, q.value(id).toLongLong());
        rows.setDate(r, TranCol::Date, fromIsoDate(q.value(date).toString()));
        rows.setText(r, TranCol::From, NullToText(q.value(fromFlag)) + NullToText(q.value(fromAcc)));
        rows.setText(r, TranCol::To, NullToText(q.value(toFlag)) + NullToText(q.value(toAcc)));
        const QVariant cents = q.value(amount);
        if (cents.isNull()) {
            ++result.nullAmounts;
        } else {
            rows.setMoney(r, TranCol::Amount, Money::fromCents(cents.toLongLong()));
            result.total = addAmounts(result.total, Money::fromCents(cents.toLongLong()),
                                      QStringLiteral("the total of the transactions found"));
        }
        rows.setText(r, TranCol::Particulars, NullToText(q.value(particulars)));
        rows.setEditMark(r, TranCol::Status, EditMark::Unchanged);
    }
    return result;
}

QList<AccountChoice> transactionAccounts(const Book &book)
{
    QList<AccountChoice> list;
    for (const IdName &account : accountNames(book))
        list.append({account.id, account.name, QStringLiteral("A")});
    return list;
}

QString GetAccName(const Book &book, const QString &key)
{
    const QSqlDatabase db = connectionOf(book);
    const QString k = NullToText(key);
    if (k.isEmpty())
        return QString();
    bool ok = false;
    const qint64 id = k.mid(1).toLongLong(&ok);
    if (!ok)
        return QString();
    QString statement;
    if (k[0] == u'A')
        statement = QStringLiteral("SELECT account_name FROM account_master WHERE account_id = ?");
    else if (k[0] == u'P')
        statement = QStringLiteral("SELECT Party_name FROM Party_master WHERE Party_ID = ?");
    else
        return QString();
    try {
        QSqlQuery q = runSql(db, statement, {id});
        return q.next() ? q.value(0).toString() : QString();
    } catch (const DbError &) {
        return QString(); // a book without a party table names no parties
    }
}

QString ValidateRow(const RowArray &rows, int row)
{
    const QString prefix = QStringLiteral("Bad data in Record No %1\r\n").arg(row + 1);
    if (!rows.dateAt(row, TranCol::Date).isValid())
        return prefix + QStringLiteral("Invalid Date!");
    const QString to = NullToText(rows.textAt(row, TranCol::To));
    const QString from = NullToText(rows.textAt(row, TranCol::From));
    if (to.isEmpty() || from.isEmpty())
        return prefix + QStringLiteral("Invalid Account!");
    if (rows.moneyAt(row, TranCol::Amount).isZero())
        return prefix + QStringLiteral("Invalid Amount");
    if (to == from)
        return prefix + QStringLiteral("From A/c same as To A/c!");
    return QString();
}

TranSaveResult saveTransactions(Book &book, const RowArray &rows, const QDateTime &now, const QList<qint64> &deleted,
                                const QString &source,
                                const std::function<void(const QList<qint64> &savedIds)> &withinSave)
{
    const QSqlDatabase db = connectionOf(book);
    QList<int> marked;
    for (int r = 0; r < rows.rowCount(); ++r)
        if (rows.editMarkAt(r, TranCol::Status) == EditMark::Changed)
            marked << r;
    for (int r : marked) {
        if (const QString problem = ValidateRow(rows, r); !problem.isEmpty()) {
            TranSaveResult refused = outcome(TranSaveResult::Outcome::Refused, QStringLiteral("Error"), problem);
            refused.refusedRow = r;
            return refused;
        }
    }
    const QString versionDate = now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    try {
        TransactionGuard transaction(db);
        runSql(db, QStringLiteral("DELETE FROM tmp_transaction_master_i"));
        qint64 provisional = 0;
        QList<QVariantList> staged;
        QList<qint64> replaced = deleted;
        for (int r : marked) {
            qint64 id = rows.intAt(r, TranCol::Id);
            if (id <= 0)
                id = --provisional; // new rows: -1, -2, ... in grid order
            else
                replaced << id;
            const AccountKey from = rows.keyAt(r, TranCol::From);
            const AccountKey to = rows.keyAt(r, TranCol::To);
            staged.append({id, isoDate(rows.dateAt(r, TranCol::Date)), from.id, QString(from.flag), to.id,
                           QString(to.flag), rows.moneyAt(r, TranCol::Amount).cents(),
                           rows.textAt(r, TranCol::Particulars), versionDate});
        }
        runSqlBatch(db,
                    QStringLiteral("INSERT INTO tmp_transaction_master_i (tran_id, tran_date, from_acc, from_flag, "
                                   "to_acc, to_flag, amount, particulars, version_date) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    staged);
        const qint64 highest = highestIdGiven(book, IdSeries::Transactions);
        if (highest - provisional > std::numeric_limits<qint32>::max())
            throw DbError(QStringLiteral("There are no transaction numbers left for %1 new rows.").arg(-provisional));
        ChangeRecorder history(book, source);
        history.keepBefore(HistoryTable::Transactions, replaced);
        history.added(HistoryTable::Transactions, highest + 1, highest - provisional);
        const qint64 deletedCount = runSqlForIds(db, QStringLiteral("DELETE FROM transaction_master WHERE tran_id = ?"),
                                                 deleted);
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
        if (withinSave)
            withinSave(ids);
        rememberHighestId(book, IdSeries::Transactions, highest - provisional);
        history.finish();
        transaction.commit();
        TranSaveResult saved;
        saved.savedIds = ids;
        saved.deletedCount = deletedCount;
        return saved;
    } catch (const DbError &e) {
        // Everything above is rolled back.
        const QString text = QStringLiteral("Error saving the data");
        TranSaveResult failed = outcome(TranSaveResult::Outcome::Failed, QStringLiteral("Error"),
                                        e.isFileFault() ? text + QStringLiteral("\r\n\r\n") + e.description() : text);
        failed.detail = e.description();
        return failed;
    }
}

} // namespace bc
