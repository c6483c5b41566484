#include "accounts.h"

#include "history.h"
#include "historyrows.h"
#include "idmarks.h"
#include "rowversions.h"
#include "sql.h"
#include "textmatch.h"
#include "textroutines.h"

#include <QSet>
#include <QSqlQuery>
#include <optional>

namespace bc {

namespace {

constexpr qint64 HighestAccountId = 32767;

QString likePattern(const QString &filter)
{
    QString pattern;
    for (const QChar c : filter) {
        if (c == u'*')
            pattern += u'%';
        else if (c == u'%' || c == u'_' || c == u'\\')
            pattern += QStringLiteral("\\") + c;
        else
            pattern += c;
    }
    return pattern + u'%';
}

QList<IdName> idNames(const QSqlDatabase &db, const QString &statement)
{
    QList<IdName> list;
    QSqlQuery q = runSql(db, statement);
    while (q.next())
        list.append({NullToText(q.value(0)).toLongLong(), NullToText(q.value(1))});
    return list;
}

AccountSaveResult refused(AccountSaveResult::Outcome outcome, const QString &title, const QString &text)
{
    AccountSaveResult r;
    r.outcome = outcome;
    r.title = title;
    r.text = text;
    return r;
}

// Refuses to delete an account that transactions still use: they would point
// at nothing, and at whatever account later took the id.
std::optional<AccountSaveResult> deletionInUse(const QSqlDatabase &db, const QList<LoadedRow> &deleted)
{
    for (const auto &[id, version] : deleted) {
        QSqlQuery account = runSql(db, QStringLiteral("SELECT account_name FROM account_master WHERE account_id = ?"),
                                   {id});
        if (!account.next())
            continue;
        QSqlQuery uses = runSql(db,
                                QStringLiteral("SELECT count(*) FROM transaction_master "
                                               "WHERE (from_acc = ? AND from_flag = 'A') "
                                               "OR (to_acc = ? AND to_flag = 'A')"),
                                {id, id});
        const qint64 count = uses.next() ? uses.value(0).toLongLong() : 0;
        if (count > 0)
            return refused(AccountSaveResult::Outcome::InUse, QStringLiteral("Invalid Data"),
                           QStringLiteral("%1 is used by %2 %3")
                               .arg(account.value(0).toString().trimmed())
                               .arg(count)
                               .arg(count == 1 ? QStringLiteral("transaction") : QStringLiteral("transactions")));
    }
    return std::nullopt;
}

// The account rows of the save that were loaded from the book, changed in
// the grid or deleted, that another user changed or deleted since. A deleted
// row is named as the book names it now.
QList<StaleRow> staleAccounts(const Book &book, const RowArray &rows, const QList<int> &changedRows,
                              const QList<LoadedRow> &deleted, const QHash<qint64, qint64> &current)
{
    const QSqlDatabase db = connectionOf(book);
    QList<LoadedRow> loaded;
    QStringList labels;
    for (const int row : changedRows) {
        loaded << LoadedRow(rows.intAt(row, AccountCol::Id), rows.intAt(row, AccountCol::Version));
        labels << NullToText(rows.textAt(row, AccountCol::Name));
    }
    for (const LoadedRow &row : deleted) {
        QSqlQuery q = runSql(db, QStringLiteral("SELECT account_name FROM account_master WHERE account_id = ?"),
                             {row.id});
        loaded << row;
        labels << (q.next() ? q.value(0).toString().trimmed() : QStringLiteral("Account %1").arg(row.id));
    }
    return staleRows(book, HistoryTable::Accounts, loaded, labels, current);
}

} // namespace

QString accountNameKey(const QString &name)
{
    return name.trimmed().toCaseFolded();
}

QString existingNameMessage()
{
    return QStringLiteral("Invalid data\r\n\r\nYou are entering account with existing name.");
}

RowArray makeAccountRows()
{
    return RowArray({CellType::Int, CellType::Int, CellType::Text, CellType::Int, CellType::Money, CellType::Text,
                     CellType::Text, CellType::Int, CellType::Int});
}

AccountFindResult findAccounts(const Book &book, const QString &nameFilter, const QString &open1, const QString &open2)
{
    const QSqlDatabase db = connectionOf(book);
    QString statement = QStringLiteral("SELECT account_id, account_name, account_type, open_amount, particulars, %1 "
                                       "FROM account_master WHERE 1=1")
                            .arg(hasRowVersions(book) ? QStringLiteral("row_version") : QStringLiteral("0"));
    QVariantList values;
    if (!nameFilter.trimmed().isEmpty()) {
        statement += QStringLiteral(" AND ") + likeIgnoringCase(db, QStringLiteral("account_name"));
        values << likePattern(nameFilter.trimmed());
    }
    if (!open1.trimmed().isEmpty()) {
        statement += QStringLiteral(" AND open_amount >= ?");
        values << Money::leadingNumber(open1).cents();
    }
    if (!open2.trimmed().isEmpty()) {
        statement += QStringLiteral(" AND open_amount <= ?");
        values << Money::leadingNumber(open2).cents();
    }
    statement += QStringLiteral(" ORDER BY ") + orderIgnoringCase(db, QStringLiteral("account_name"));

    AccountFindResult result;
    RowArray &rows = result.rows;
    QSqlQuery q = runSql(db, statement, values);
    while (q.next()) {
        const int r = rows.appendRow();
        rows.setInt(r, AccountCol::Id, NullToText(q.value(0)).toLongLong());
        rows.setInt(r, AccountCol::SerialNo, r + 1);
        rows.setText(r, AccountCol::Name, q.value(1).toString().trimmed());
        if (const QString type = NullToText(q.value(2)); !type.isEmpty())
            rows.setInt(r, AccountCol::Type, type.toLongLong());
        const Money opening = Money::fromCents(q.value(3).toLongLong());
        rows.setMoney(r, AccountCol::Opening, opening);
        rows.setText(r, AccountCol::CurrentBalance, QString());
        rows.setText(r, AccountCol::Particulars, NullToText(q.value(4)));
        rows.setEditMark(r, AccountCol::Status, EditMark::Unchanged);
        rows.setInt(r, AccountCol::Version, q.value(5).toLongLong());
        result.total += opening;
    }
    return result;
}

QList<IdName> accountNames(const Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    return idNames(db,
                   QStringLiteral("SELECT account_id, account_name FROM account_master ORDER BY ")
                       + orderIgnoringCase(db, QStringLiteral("account_name")));
}

QList<IdName> accountTypes(const Book &book)
{
    const QSqlDatabase db = connectionOf(book);
    return idNames(db,
                   QStringLiteral("SELECT account_type_id, account_type FROM Account_Type_Master ORDER BY ")
                       + orderIgnoringCase(db, QStringLiteral("account_type")));
}

AccountSaveResult saveAccounts(Book &book, const RowArray &rows, const QDate &today, const QList<LoadedRow> &deleted,
                               const QString &source)
{
    const QSqlDatabase db = connectionOf(book);
    using Outcome = AccountSaveResult::Outcome;
    const QString versionDate = today.toString(QStringLiteral("MM/dd/yyyy"));
    const bool versioned = hasRowVersions(book);
    try {
        TransactionGuard transaction(db);
        QList<int> changedRows;
        QList<qint64> replaced = idsOf(deleted);
        qint64 newCount = 0;
        for (int row = 0; row < rows.rowCount(); ++row) {
            if (rows.editMarkAt(row, AccountCol::Status) != EditMark::Changed)
                continue;
            if (const qint64 id = rows.intAt(row, AccountCol::Id); id == 0)
                ++newCount;
            else
                replaced << id;
            changedRows << row;
        }
        const QHash<qint64, qint64> current = versioned ? currentVersions(book, HistoryTable::Accounts, replaced)
                                                        : QHash<qint64, qint64>();
        if (QList<StaleRow> stale = staleAccounts(book, rows, changedRows, deleted, current); !stale.isEmpty()) {
            AccountSaveResult r = refused(Outcome::ChangedByOthers, staleRowsTitle(), staleRowsText(stale, today));
            r.changedByOthers = std::move(stale);
            return r;
        }
        runSql(db, QStringLiteral("DELETE FROM tmp_account_i"));
        const qint64 firstNew = reserveIds(book, IdSeries::Accounts, newCount);
        qint64 nextNew = firstNew;
        ChangeRecorder history(book, source);
        QList<qint64> saved;
        QList<int> savedRows;
        QStringList savedNames; // compared as accountNameKey gives them
        for (const int row : changedRows) {
            qint64 id = rows.intAt(row, AccountCol::Id);
            if (id == 0)
                id = nextNew++;
            if (id < 1 || id > HighestAccountId)
                throw DbError(QStringLiteral("Account id %1 is outside 1 to %2.").arg(id).arg(HighestAccountId));
            const QString name = NullToText(rows.textAt(row, AccountCol::Name));
            if (name.isEmpty()) {
                AccountSaveResult r = refused(Outcome::EmptyName, QStringLiteral("Invalid data"),
                                              QStringLiteral(
                                                  "Invalid data :\r\n\r\nYou havn't entered any Account name."));
                r.refusedRow = row;
                return r;
            }
            runSql(db,
                   QStringLiteral("INSERT INTO tmp_account_i (Account_ID, Account_Name, Account_Type, "
                                  "Open_amount, particulars, version_date, Row_Version) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                   {id, name, rows.intAt(row, AccountCol::Type), rows.moneyAt(row, AccountCol::Opening).cents(),
                    NullToText(rows.textAt(row, AccountCol::Particulars)), versionDate, current.value(id) + 1});
            saved << id;
            savedRows << row;
            savedNames << accountNameKey(name);
        }
        if (auto inUse = deletionInUse(db, deleted))
            return *inUse;
        history.keepBefore(HistoryTable::Accounts, replaced);
        history.added(HistoryTable::Accounts, firstNew, nextNew - 1);
        const qint64 deletedCount = runSqlForIds(db, QStringLiteral("DELETE FROM account_master WHERE account_id = ?"),
                                                 idsOf(deleted));
        runSql(db,
               QStringLiteral("DELETE FROM account_master WHERE account_id IN (SELECT Account_ID FROM tmp_account_i)"));
        // Names are compared in C++, since the database folds the case of the
        // letters A to Z only.
        const auto refusedAt = [&](int staged, Outcome outcome, const QString &text) {
            AccountSaveResult r = refused(outcome, QStringLiteral("Invalid Data"), text);
            r.refusedRow = savedRows[staged];
            return r;
        };
        QSet<QString> staying;
        {
            QSqlQuery q = runSql(db, QStringLiteral("SELECT account_name FROM account_master"));
            while (q.next())
                staying.insert(accountNameKey(q.value(0).toString()));
        }
        for (int i = 0; i < savedNames.size(); ++i)
            if (staying.contains(savedNames[i]))
                return refusedAt(i, Outcome::ExistingName, existingNameMessage());
        QSet<QString> earlier;
        for (int i = 0; i < savedNames.size(); ++i) {
            if (earlier.contains(savedNames[i]))
                return refusedAt(i, Outcome::RepeatingName,
                                 QStringLiteral("Invalid data\r\n\r\nYou are entering account with repeating name."));
            earlier.insert(savedNames[i]);
        }
        const QString versionColumn = versioned ? QStringLiteral(", row_version") : QString();
        runSql(db,
               QStringLiteral("INSERT INTO account_master (account_id, account_name, account_type, open_amount, "
                              "particulars, version_date%1) SELECT Account_ID, Account_Name, Account_Type, "
                              "Open_amount, particulars, version_date%2 FROM tmp_account_i")
                   .arg(versionColumn, versioned ? QStringLiteral(", Row_Version") : QString()));
        history.finish();
        transaction.commit();
        AccountSaveResult result;
        result.savedIds = saved;
        result.deletedCount = deletedCount;
        return result;
    } catch (const DbError &e) {
        // The guard has rolled everything back, staging rows included. A
        // fault of the file is named, since checking the entries cannot help.
        AccountSaveResult r = refused(Outcome::Failed, QStringLiteral("Error"),
                                      e.isFileFault()
                                          ? QStringLiteral("Error : \r\n\r\n") + e.description()
                                          : QStringLiteral(
                                              "Error : \r\n\r\nInvalid Data.\r\nPlease check all entries again."));
        r.detail = e.description();
        return r;
    }
}

} // namespace bc
