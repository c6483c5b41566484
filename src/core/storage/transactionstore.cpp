#include "transactionstore.h"

#include "bulkinserter.h"
#include "dates.h"
#include "engine.h"
#include "reconciliationstore.h"
#include "rowversions.h"
#include "sql.h"
#include "textroutines.h"
#include "transactionbulkwrite.h"

#include <QSqlQuery>
#include <algorithm>

namespace bc {

namespace {

// A row of a search: the columns of the saved search query in its order (id,
// date, from flag and account, to flag and account, amount, particulars),
// and the row's version in column versionColumn when that is not -1.
FoundTransaction foundAt(const QSqlQuery &q, int versionColumn)
{
    FoundTransaction row;
    row.id = q.value(0).toLongLong();
    row.date = fromIsoDate(q.value(1).toString());
    row.from = NullToText(q.value(2)) + NullToText(q.value(3));
    row.to = NullToText(q.value(4)) + NullToText(q.value(5));
    if (const QVariant cents = q.value(6); !cents.isNull())
        row.cents = cents.toLongLong();
    row.particulars = NullToText(q.value(7));
    if (versionColumn >= 0)
        row.version = q.value(versionColumn).toLongLong();
    return row;
}

// The conditions of the saved search, with those left off dropped, so that
// SQLite can choose an index for the ones that remain. Each remaining
// condition is the saved query's own, with the same argument.
struct Criteria {
    QString where;
    QVariantList values;
};

// Either side naming one of the keys: the ids of each flag bound as one
// JSON array per side. Appends the values the condition binds.
QString anySideCondition(const QSqlDatabase &db, const QList<AccountKey> &keys, QVariantList &values)
{
    QStringList sides;
    for (const AccountSide side : {AccountSide::Account, AccountSide::Party}) {
        QList<qint64> ids;
        for (const AccountKey &key : keys)
            if (key.side == side)
                ids << key.id;
        if (ids.isEmpty())
            continue;
        const QString flag(sideLetter(side));
        for (const QString &column : {QStringLiteral("from"), QStringLiteral("to")}) {
            sides << QStringLiteral("(%1_flag = ? AND %1_acc IN (%2))").arg(column, dialectOf(db).idsOfJsonArray());
            values << flag << idsAsJsonArray(ids);
        }
    }
    return sides.isEmpty() ? QStringLiteral("false") : QStringLiteral("(") + sides.join(QStringLiteral(" OR ")) + u')';
}

Criteria criteriaOf(const QSqlDatabase &db, const TransactionFilter &filter)
{
    QStringList parts{QStringLiteral("true")};
    QVariantList values;
    const auto add = [&](const QString &condition, const QVariantList &bound) {
        parts << condition;
        values << bound;
    };
    const QString off = QStringLiteral(" ");
    if (filter.fromDate != off)
        parts << dialectOf(db).shortDateBound(QStringLiteral("tran_date"), true, filter.fromDate, values);
    if (filter.toDate != off)
        parts << dialectOf(db).shortDateBound(QStringLiteral("tran_date"), false, filter.toDate, values);
    if (filter.fromAccount != 0)
        add(QStringLiteral("from_acc = ? AND from_flag = trim(?)"), {filter.fromAccount, filter.fromFlag});
    if (filter.toAccount != 0)
        add(QStringLiteral("to_acc = ? AND to_flag = trim(?)"), {filter.toAccount, filter.toFlag});
    if (filter.lowestCents != 0)
        add(QStringLiteral("amount >= ?"), {filter.lowestCents});
    if (filter.highestCents != 0)
        add(QStringLiteral("amount <= ?"), {filter.highestCents});
    // The saved query trims spaces only, as SQLite's trim() does.
    const QString &particulars = filter.particulars;
    if (std::any_of(particulars.cbegin(), particulars.cend(), [](QChar c) { return c != u' '; }))
        add(dialectOf(db).positionOf(QStringLiteral("lower(trim(?))"),
                                     QStringLiteral("lower(coalesce(particulars, ''))"))
                + QStringLiteral(" > 0"),
            {particulars});
    if (filter.anySide)
        parts << anySideCondition(db, *filter.anySide, values);
    return {parts.join(QStringLiteral(" AND ")), values};
}

QString sortValueOf(TransactionSortKey key)
{
    switch (key) {
    case TransactionSortKey::Date: return QStringLiteral("tran_date");
    case TransactionSortKey::To: return QStringLiteral("to_flag || to_acc");
    case TransactionSortKey::From: return QStringLiteral("from_flag || from_acc");
    case TransactionSortKey::Amount: return QStringLiteral("amount");
    case TransactionSortKey::Particulars: return QStringLiteral("coalesce(particulars, '')");
    case TransactionSortKey::Id: break;
    }
    return QStringLiteral("tran_id");
}

} // namespace

QVariantList transactionFilterValues(const TransactionFilter &filter)
{
    return {filter.fromDate, filter.toDate,      filter.fromAccount,  filter.fromFlag,   filter.toAccount,
            filter.toFlag,   filter.lowestCents, filter.highestCents, filter.particulars};
}

void forEachSearchedTransaction(const Book &book, const TransactionFilter &filter, const FoundTransactionSink &sink)
{
    const QSqlDatabase db = connectionOf(book);
    const auto run = [&] {
        if (!filter.anySide)
            return runSavedQuery(db, QStringLiteral("sp_tran_search_1"), transactionFilterValues(filter));
        const Criteria criteria = criteriaOf(db, filter);
        return runSql(db,
                      QStringLiteral("SELECT tran_id, tran_date, from_flag, from_acc, to_flag, to_acc, amount, "
                                     "particulars FROM transaction_master WHERE ")
                          + criteria.where + QStringLiteral(" ORDER BY tran_date, tran_id"),
                      criteria.values);
    };
    QSqlQuery q = run();
    while (q.next())
        sink(foundAt(q, -1));
}

FoundTransactionSums sumSearchedTransactions(const Book &book, const TransactionFilter &filter)
{
    const QSqlDatabase db = connectionOf(book);
    const Criteria criteria = criteriaOf(db, filter);
    QSqlQuery q = runSql(db,
                         QStringLiteral("SELECT count(*), coalesce(%1, 0), count(*) - count(amount) "
                                        "FROM transaction_master WHERE ")
                                 .arg(dialectOf(db).wholeSum(QStringLiteral("amount")))
                             + criteria.where,
                         criteria.values);
    FoundTransactionSums sums;
    if (q.next()) {
        sums.rows = q.value(0).toLongLong();
        sums.cents = q.value(1).toLongLong();
        sums.nullAmounts = q.value(2).toLongLong();
    }
    return sums;
}

QSet<qint64> searchedTransactionsAmong(const Book &book, const TransactionFilter &filter, const QList<qint64> &ids)
{
    const QSqlDatabase db = connectionOf(book);
    const Criteria criteria = criteriaOf(db, filter);
    QSet<qint64> found;
    for (const qint64 id : ids) {
        QSqlQuery q = runSql(db,
                             QStringLiteral("SELECT 1 FROM transaction_master WHERE tran_id = ? AND ") + criteria.where,
                             QVariantList{id} + criteria.values);
        if (q.next())
            found.insert(id);
    }
    return found;
}

int readTransactionPage(const Book &book, const TransactionFilter &filter, TransactionSortKey key, bool ascending,
                        AmountPresence amounts, int count, TransactionPageMark &mark, const FoundTransactionSink &sink)
{
    const QSqlDatabase db = connectionOf(book);
    const Criteria criteria = criteriaOf(db, filter);
    const QString after = ascending ? QStringLiteral(" > ") : QStringLiteral(" < ");
    const QString direction = ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC");
    const QString value = sortValueOf(key);
    QString statement = QStringLiteral("SELECT tran_id, tran_date, from_flag, from_acc, to_flag, to_acc, amount, "
                                       "particulars, %1, %2 FROM transaction_master WHERE ")
                            .arg(value, hasRowVersions(book) ? QStringLiteral("row_version") : QStringLiteral("0"))
        + criteria.where;
    QVariantList values = criteria.values;
    if (amounts == AmountPresence::Present)
        statement += QStringLiteral(" AND amount IS NOT NULL");
    else if (amounts == AmountPresence::Absent)
        statement += QStringLiteral(" AND amount IS NULL");
    if (mark.started) {
        statement += QStringLiteral(" AND (%1, tran_id)").arg(value) + after + QStringLiteral("(?, ?)");
        values << mark.key << mark.id;
    }
    statement += QStringLiteral(" ORDER BY %1%2, tran_id%2 LIMIT ?").arg(value, direction);
    values << count;
    QSqlQuery q = runSql(db, statement, values);
    int read = 0;
    while (q.next()) {
        sink(foundAt(q, 9));
        mark.key = q.value(8);
        mark.id = q.value(0).toLongLong();
        mark.started = true;
        ++read;
    }
    return read;
}

std::optional<QString> accountOrPartyName(const Book &book, QChar flag, qint64 id)
{
    QString statement;
    if (flag == u'A')
        statement = QStringLiteral("SELECT account_name FROM account_master WHERE account_id = ?");
    else if (flag == u'P')
        statement = QStringLiteral("SELECT Party_name FROM Party_master WHERE Party_ID = ?");
    else
        return std::nullopt;
    try {
        QSqlQuery q = runSql(connectionOf(book), statement, {id});
        return q.next() ? std::optional<QString>(q.value(0).toString()) : std::nullopt;
    } catch (const DbError &) {
        return std::nullopt; // a book without a party table names no parties
    }
}

std::optional<QDate> transactionDate(const Book &book, qint64 id)
{
    QSqlQuery q = runSql(connectionOf(book),
                         QStringLiteral("SELECT tran_date FROM transaction_master WHERE tran_id = ?"), {id});
    if (!q.next())
        return std::nullopt;
    return fromIsoDate(q.value(0).toString());
}

void insertTransactions(const Book &book, const QList<TransactionWrite> &rows, const QString &versionDate,
                        BalanceUpkeep upkeep)
{
    if (rows.isEmpty())
        return;
    const bool versioned = hasRowVersions(book);
    const bool statuses = hasReconciliation(book);
    const auto reconciliation = [](qint64 id) { return id == 0 ? QVariant(QMetaType::fromType<qint64>()) : id; };
    QList<QVariantList> values;
    values.reserve(rows.size());
    for (const TransactionWrite &row : rows) {
        values.append({row.id, isoDate(row.date), row.from.id, QString(sideLetter(row.from.side)), row.to.id,
                       QString(sideLetter(row.to.side)), row.cents, row.particulars, versionDate});
        if (versioned)
            values.last() << row.version;
        if (statuses)
            values.last() << statusLetter(statusOfLetter(row.fromStatus)) << statusLetter(statusOfLetter(row.toStatus))
                          << reconciliation(row.fromReconciliation) << reconciliation(row.toReconciliation);
    }
    QStringList columns{QStringLiteral("tran_id"),   QStringLiteral("tran_date"),   QStringLiteral("from_acc"),
                        QStringLiteral("from_flag"), QStringLiteral("to_acc"),      QStringLiteral("to_flag"),
                        QStringLiteral("amount"),    QStringLiteral("particulars"), QStringLiteral("version_date")};
    if (versioned)
        columns << QStringLiteral("row_version");
    if (statuses)
        columns << QStringLiteral("from_status") << QStringLiteral("to_status") << QStringLiteral("from_reconciliation")
                << QStringLiteral("to_reconciliation");
    TransactionBulkWrite bulk(connectionOf(book));
    BulkInserter inserter(book, QStringLiteral("transaction_master"), columns);
    inserter.add(values);
    inserter.finish();
    if (upkeep == BalanceUpkeep::Now) {
        QList<qint64> ids;
        ids.reserve(rows.size());
        for (const TransactionWrite &row : rows)
            ids << row.id;
        bulk.added(transactionRowsOfIds(ids));
    }
}

void keepBalancesOfAdded(const Book &book, qint64 first, qint64 last)
{
    if (first > last)
        return;
    TransactionBulkWrite bulk(connectionOf(book));
    // Where the import brought most of the book's rows, one pass over the
    // covering indexes makes every month afresh sooner than sorting the new
    // rows' sides would add them.
    QSqlQuery q = runSql(connectionOf(book), QStringLiteral("SELECT count(*) FROM transaction_master"));
    const qint64 all = q.next() ? q.value(0).toLongLong() : 0;
    q.finish();
    if (2 * (last - first + 1) >= all)
        bulk.addedMostRows({QStringLiteral("t.tran_id BETWEEN ? AND ?"), {first, last}});
    else
        bulk.added({QStringLiteral("t.tran_id BETWEEN ? AND ?"), {first, last}});
}

qint64 deleteTransactions(const Book &book, const QList<qint64> &ids)
{
    return runSqlForIds(connectionOf(book), QStringLiteral("DELETE FROM transaction_master WHERE tran_id = ?"), ids);
}

} // namespace bc
